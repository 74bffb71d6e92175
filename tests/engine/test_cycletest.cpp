#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "engine/TFormula.h"
#include "engine/TFractArray.h"
#include "engine/cycletest.h"
#include "engine/kernels.h"
#include "support/fractarrays.h"
#include "support/formulaids.h"

namespace {

constexpr int Z = TKernelParams::MapZ, C = TKernelParams::MapC;

TKernelParams Formula(int formula, int map, std::complex<double> c = {0, 0}) {
  TKernelParams p;
  p.Formula = formula;
  p.MapField = map;
  p.CR = c.real();
  p.CI = c.imag();
  return p;
}

// The multiplier of a cycle is a property of the cycle: known exactly for z^2 + c.
TEST(CycleConfirmation, MultipliersOfKnownCycles) {
  const std::complex<double> cs[] = {{-0.1, 0.2}, {-1.1, 0.05}, {-0.7433, 0.1312}, {0.3, 0.5}};
  for (const std::complex<double> c : cs) {
    SCOPED_TRACE(c.real());
    const TKernelParams p = Formula(formula::Z2, C);
    // Fixed points z = (1 +- sqrt(1 - 4c)) / 2, multiplier 2z.
    for (double sign : {1.0, -1.0}) {
      const std::complex<double> z = (1.0 + sign * std::sqrt(1.0 - 4.0 * c)) / 2.0;
      const TComplex m = CycleMultiplier(p, {c.real(), c.imag()}, {}, {z.real(), z.imag()},
                                         nullptr, nullptr, 1);
      EXPECT_NEAR(m.re, 2 * z.real(), 1e-12);
      EXPECT_NEAR(m.im, 2 * z.imag(), 1e-12);
    }
    // The 2-cycle z = (-1 +- sqrt(-3 - 4c)) / 2 has the multiplier 4 (c + 1).
    const std::complex<double> root = std::sqrt(-3.0 - 4.0 * c);
    const std::complex<double> a = (-1.0 + root) / 2.0, b = (-1.0 - root) / 2.0;
    const double olderRe[] = {b.real()}, olderIm[] = {b.imag()};
    const TComplex m = CycleMultiplier(p, {c.real(), c.imag()}, {}, {a.real(), a.imag()},
                                       olderRe, olderIm, 2);
    EXPECT_NEAR(m.re, 4 * (c.real() + 1), 1e-12);
    EXPECT_NEAR(m.im, 4 * c.imag(), 1e-12);
    EXPECT_EQ(CycleRepels(p, {c.real(), c.imag()}, {}, {a.real(), a.imag()}, olderRe, olderIm, 2),
              std::norm(4.0 * (c + 1.0)) > RepellingMultiplier2);
  }
}

TEST(CycleConfirmation, NeutralAndUndefinedMultipliersNeverRepel) {
  // Formula 7 leaves a point on an axis where it is: the multiplier 1 of a neutral cycle.
  const TKernelParams p7 = Formula(formula::ZTimesQuotient, Z, {0.3, 0.1});
  EXPECT_FALSE(CycleRepels(p7, {0.3, 0.1}, {}, {0.5, 0.0}, nullptr, nullptr, 1));
  EXPECT_FALSE(CycleRepels(p7, {0.3, 0.1}, {}, {0.0, -2.5}, nullptr, nullptr, 1));
  // A NaN multiplier shows nothing; an overflowing one repels.
  const TKernelParams p0 = Formula(formula::Z2, Z);
  const double nanRe[] = {std::nan("")}, nanIm[] = {0.0};
  EXPECT_FALSE(CycleRepels(p0, {}, {}, {0.5, 0.0}, nanRe, nanIm, 2));
  const double hugeRe[] = {1e200}, hugeIm[] = {0.0};
  EXPECT_TRUE(CycleRepels(p0, {}, {}, {1e200, 0.0}, hugeRe, hugeIm, 2));
}

// A plain loop with the cycle test alone, as the kernels had it: the step of the first
// detection, or 0 when the orbit escapes or reaches the limit first.
int64_t FirstDetection(const TKernelParams& p, TComplex point) {
  const TFormula& f = Formulas[static_cast<size_t>(p.Formula)];
  const TComplex c = PixelC(p, point), d = PixelD(p, point);
  std::vector<TComplex> history(static_cast<size_t>(p.MaxCycle), TComplex{1000, 1000});
  TComplex z = point;
  for (int64_t step = 1; step < p.MaxDepth; ++step) {
    z = f.Step(z, c, d, p.N, p.M);
    if (z.im * z.im + z.re * z.re > p.OuterCircle * p.OuterCircle) return 0;
    for (const TComplex h : history)
      if ((h.im - z.im) * (h.im - z.im) + (h.re - z.re) * (h.re - z.re) <
          p.InnerDist * p.InnerDist)
        return step;
    if (!history.empty()) {
      history.pop_back();
      history.insert(history.begin(), z);
    }
  }
  return 0;
}

// Zooming toward -0.74329189 + 0.13124055i, orbits linger near the repelling 2-cycle of their
// c (multiplier about 1.15) closer than the dialog's InnerDist, and every pixel was reported as
// a period-2 cycle although each escapes after a few hundred steps.
TEST(CycleConfirmation, OrbitsLingeringNearARepellingCycleGoOnAndEscape) {
  TKernelParams p = Picture(formula::Z2, C, 25, 19, 1000);
  const double width = 1e-6;
  p.Left = -0.74329189 - width / 2;
  p.Right = -0.74329189 + width / 2;
  p.Top = 0.13124055 + width / 2 * 19 / 25;
  p.Bottom = 0.13124055 - width / 2 * 19 / 25;
  TKernelParams plain = p;
  plain.MaxCycle = 0;
  TFractArray withCycles(p.XResolution, p.YResolution), without(p.XResolution, p.YResolution);
  ASSERT_TRUE(ComputeBand(p, withCycles, {0, 0, p.XResolution, p.YResolution}, p.XResolution));
  ASSERT_TRUE(ComputeBand(plain, without, {0, 0, p.XResolution, p.YResolution}, p.XResolution));
  int detected = 0;
  for (int x = 0; x < p.XResolution; ++x)
    for (int y = 0; y < p.YResolution; ++y) {
      detected += FirstDetection(p, PixelPoint(p, x, y, p.XResolution)) > 0;
      // No cycle stands: each pixel gets the depth it gets without cycle detection.
      EXPECT_EQ(withCycles.GetCycle(x, y), 0) << x << "," << y;
      EXPECT_EQ(withCycles.GetDepth(x, y), without.GetDepth(x, y)) << x << "," << y;
      EXPECT_GT(withCycles.GetDepth(x, y), 0.0f) << x << "," << y;
    }
  EXPECT_EQ(detected, p.XResolution * p.YResolution);
}

TEST(CycleConfirmation, AttractingCyclesStand) {
  struct {
    const char* Name;
    TKernelParams Params;
    TComplex Point;
    int32_t Period;
  } cases[] = {
      {"superattracting 2-cycle", Formula(formula::Z2, C), {-1, 0}, 2},
      {"period-2 bulb", Formula(formula::Z2, C), {-1.1, 0.05}, 2},
      {"period-3 bulb (the rabbit)", Formula(formula::Z2, C), {-0.122561, 0.744862}, 3},
      {"main cardioid", Formula(formula::Z2, C), {0.1, 0.1}, 1},
      {"Julia set of the rabbit", Formula(formula::Z2, Z, {-0.122561, 0.744862}), {0.1, 0.1}, 3},
      {"cubic", Formula(formula::Z3, C), {0.2, 0.1}, 1},
      {"exponential", Formula(formula::Exp, C), {-0.5, 0.2}, 1},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.Name);
    TKernelParams p = t.Params;
    p.XResolution = p.YResolution = 1;
    p.Left = t.Point.re;
    p.Right = t.Point.re + 1;
    p.Top = t.Point.im;
    p.Bottom = t.Point.im - 1;
    TFractArray array(1, 1);
    TCycleHistory history;
    IteratePoint(p, 0, 0, 1, history, array);
    EXPECT_EQ(array.GetCycle(0, 0), t.Period);
    EXPECT_LT(array.GetDepth(0, 0), 0.0f);
  }
}

}  // namespace
