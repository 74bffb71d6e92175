#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <thread>

#include "engine/TFractArray.h"
#include "engine/kernels.h"
#include "support/formulaids.h"

namespace {

const double Sinh1 = 1.1752011936438014;
const double Pi = std::numbers::pi;

TEST(FormulaStep, EveryFormulaGivesItsHandWorkedValue) {
  struct {
    int Formula;
    TComplex Z, D;
    int32_t N, M;
    TComplex Expected;
  } cases[] = {
      {0, {1, 2}, {0, 0}, 5, 3, {-2.5, 4.25}},
      {1, {1, 2}, {0, 0}, 5, 3, {-10.5, -1.75}},
      {2, {1, 2}, {0, 0}, 5, 3, {-6.5, -23.75}},
      {3, {0, 2}, {0, 0}, 2, 3, {-3.5, 0.25}},    // upper half plane
      {3, {-1, 1}, {0, 0}, 2, 3, {0.5, -1.75}},   // left half plane
      {3, {0, 0}, {0, 0}, 5, 3, {0.5, 0.25}},
      {4, {1, 2}, {1, 1}, 5, 3, {-22.5, 4.25}},   // adds 3 d^2 z: subtracting gives (1, -7.75)
      {5, {1, 2}, {1, 1}, 3, 2, {-17.5, -0.75}},
      {5, {0, 1}, {0, 0}, 2147483647, 1, {0.5, -0.75}},  // i^n = -i in a few dozen products
      {5, {0, 2}, {0, 0}, -1, 1, {0.5, -0.25}},
      {6, {1, 2}, {0, 0}, 2, 3, {-4, 23.25}},     // 1 - z: 1 - c would give (-6, 3)
      {7, {1, 2}, {0, 0}, 1, 3, {0, -0.75}},
      {7, {3, 0}, {0, 0}, 1, 3, {3, 0}},          // on an axis z stays
      {7, {0, -2}, {0, 0}, 1, 3, {0, -2}},
      {8, {1, 2}, {1, 1}, 1, 3, {-1.1875, 2.3125}},
      {9, {std::numbers::ln2, 0}, {0, 0}, 5, 3, {1.5 - std::numbers::ln2, 0.25}},
      {9, {0, Pi / 2}, {0, 0}, 5, 3, {-0.5, 1.25 - Pi / 2}},
      {10, {Pi / 2, 0}, {0, 0}, 5, 3, {1.5, 0.25}},
      {10, {0, 1}, {0, 0}, 5, 3, {0.5, 0.25 + Sinh1}},
      {11, {0, 1}, {0, 0}, 5, 3, {-0.25 * Sinh1, 0.5 * Sinh1}},
      {12, {0, 1}, {0, 0}, 5, 3, {-0.5, Sinh1 - 0.75}},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(testing::Message() << "formula " << t.Formula << " at " << t.Z.re << ","
                                    << t.Z.im);
    const TComplex got = FormulaStep(t.Z, {0.5, 0.25}, t.D, t.N, t.M, t.Formula);
    EXPECT_NEAR(got.re, t.Expected.re, 1e-13);
    EXPECT_NEAR(got.im, t.Expected.im, 1e-13);
  }
  EXPECT_TRUE(IsFault(FormulaStep({0.5, 0.5}, {0, 0}, {0, 0}, 5, 3, 13)));
}

TEST(ComplexMath, QuotientStaysInRangeWhereThePlainFormulaWouldNot) {
  const TComplex big = CDiv({1e300, 1e300}, {1e300, 1e300});  // |b|^2 overflows
  const TComplex small = CDiv({1, 1}, {1e-300, 1e-300});      // |b|^2 underflows to 0
  EXPECT_DOUBLE_EQ(big.re, 1);
  EXPECT_DOUBLE_EQ(small.re, 1e300);
  EXPECT_EQ(big.im, 0);
  EXPECT_EQ(small.im, 0);
  EXPECT_TRUE(IsFault(CDiv({1, 0}, {0, 0})));
}

struct TPixel {
  float Depth;
  int32_t Cycle;
  int64_t Steps;
};

// One pixel whose plane point is `point` (the corner of a 1 x 1 picture).
TPixel RunPixel(TKernelParams p, TComplex point, const std::atomic<bool>* stop = nullptr) {
  p.XResolution = p.YResolution = 1;
  p.Left = point.re;
  p.Right = point.re + 1;
  p.Top = point.im;
  p.Bottom = point.im - 1;
  TFractArray array(1, 1);
  TCycleHistory history;
  const int64_t steps = IteratePoint(p, 0, 0, 1, history, array, stop);
  return {array.GetDepth(0, 0), array.GetCycle(0, 0), steps};
}

TKernelParams Params(int formula, int map, TComplex c = {-0.122561, -0.744862},
                     double outer = 1000, int mode = 0, int32_t maxCycle = 3,
                     int32_t maxDepth = 200) {
  TKernelParams p;
  p.Formula = formula;
  p.MapField = map;
  p.CR = c.re;
  p.CI = c.im;
  p.OuterCircle = outer;
  p.ColorMode = mode;
  p.MaxCycle = maxCycle;
  p.MaxDepth = maxDepth;
  return p;
}

constexpr int Z = TKernelParams::MapZ, C = TKernelParams::MapC;

TEST(IteratePoint, WorkedExamples) {
  struct {
    const char* Name;
    TKernelParams Params;
    TComplex Point;
    float Depth;
    int32_t Cycle;
    int64_t Steps;
  } cases[] = {
      // 0.25, 0.0625, 0.00390625, 1.52587890625e-5, 2.3e-10: the fifth is within InnerDist.
      {"period 1", Params(formula::Z2, Z, {0, 0}), {0.5, 0}, float(-5.0 / 200), 1, 5},
      {"MaxCycle 0", Params(formula::Z2, Z, {0, 0}, 1000, 0, 0), {0.5, 0}, 0.0f, 0, 199},
      {"period 2", Params(formula::Z2, C), {-1, 0}, float(-3.0 / 200), 2, 3},  // -1, 0, -1, 0
      {"Discontinue escape", Params(formula::Z2, C, {}, 1000, 1), {2, 0}, 0.015f, 0, 3},
      {"first-step escape", Params(formula::Z2, C), {100, 0}, float(0.0001 / 200), 0, 1},
      {"formula 7 real axis", Params(formula::ZTimesQuotient, Z), {0.5, 0}, float(-2.0 / 200), 1, 2},
      {"formula 7 imaginary axis", Params(formula::ZTimesQuotient, Z), {0, 0.5}, float(-2.0 / 200), 1, 2},
      {"exp overflow", Params(formula::Exp, Z, {0, 0}), {800, 0}, float(1.0 / 200), 0, 1},
      // 6 -> 396.4 -> exp overflows before any escape.
      {"fault at step 2", Params(formula::Exp, Z, {0, 0}, 1e150), {6, 0}, float(2.0 / 200), 0, 2},
      // |z|^2 overflows: a fault, not an escape (which would store 0.0001 / 200).
      {"fault before escape", Params(formula::Z2, Z, {0, 0}, 1e150), {1e100, 0}, float(1.0 / 200), 0, 1},
      {"division by zero", Params(formula::ZRational, Z), {-1, 0}, float(1.0 / 200), 0, 1},
      {"gradual underflow", Params(formula::Z2, Z, {0, 0}), {1e-160, 0}, float(-2.0 / 200), 1, 2},
      // Unused history entries hold (1000, 1000), which an iterate can meet; there the
      // multiplier 2z is far above 1, so the "cycle" is passed by: 1000 + 2001000i, then
      // -4.004e12 + 4.002e9i escapes at step 3.
      {"history start", Params(formula::Z2, Z, {1000, 1000}, 1e10), {0, 0},
       float((3 - std::log(1.6032032008004003e25) / std::log(1e20)) / 200), 0, 3},
      {"formula 9 whole count", Params(formula::Exp, Z, {0, 0}), {10, 0}, float(1.0 / 200), 0, 1},
      {"MaxDepth 1", Params(formula::Z2, C, {}, 1000, 0, 3, 1), {100, 0}, 0.0f, 0, 0},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.Name);
    const TPixel r = RunPixel(t.Params, t.Point);
    EXPECT_EQ(r.Depth, t.Depth);
    EXPECT_EQ(r.Cycle, t.Cycle);
    EXPECT_EQ(r.Steps, t.Steps);
  }
}

TEST(IteratePoint, ContinueModeEscapeGetsFractionalDepth) {
  // 2 -> 6 -> 38 -> 1446 escapes at depth 3: 3 - ln(1446^2) / ln(1000^2) = 1.94661...
  EXPECT_NEAR(RunPixel(Params(formula::Z2, C), {2, 0}).Depth, 1.94661 / 200, 3e-8);
  // Higher powers scale the fraction by 1/2, 1/3 and 1/N (iterates worked by hand).
  struct {
    int Formula;
    double R2, K;
  } cases[] = {
      {1, 1002.0 * 1002.0, 0.5},          // 2 -> 10 -> 1002
      {2, 104978.0 * 104978.0, 1.0 / 3},  // 2 -> 18 -> 104978
      {3, 45435426.0 * 45435426.0, 0.2},  // N = 5: 2 -> 34 -> 45435426
  };
  for (const auto& t : cases) {
    EXPECT_FLOAT_EQ(RunPixel(Params(t.Formula, C), {2, 0}).Depth,
                    float((2 - t.K * std::log(t.R2) / std::log(1e6)) / 200));
    EXPECT_EQ(RunPixel(Params(t.Formula, C, {}, 1000, 1), {2, 0}).Depth, float(2.0 / 200));
  }
}

TEST(IteratePoint, MapModeReplacesOnlyItsConstant) {
  for (int formula : {formula::Z2, formula::Z3D2Z, formula::ZNDZM, formula::ZRational, formula::CTimesSin}) {
    const TComplex p{0.3, -0.2};
    const TPixel asC = RunPixel(Params(formula, C, {9, 9}), p);
    const TPixel julia = RunPixel(Params(formula, Z, p), p);
    EXPECT_EQ(asC.Depth, julia.Depth) << formula;
    TKernelParams asD = Params(formula, TKernelParams::MapD), withD = Params(formula, Z);
    asD.DR = asD.DI = 9;
    withD.DR = p.re;
    withD.DI = p.im;
    EXPECT_EQ(RunPixel(asD, p).Depth, RunPixel(withD, p).Depth) << formula;
  }
}

TEST(IteratePoint, StopAbandonsADeepPixel) {
  // z = 0 is a fixed point of formula 9; undetected, it runs to the deepest limit for minutes.
  const TKernelParams endless = Params(formula::Exp, Z, {0, 0}, 1000, 0, 0, 2147483647);
  std::atomic<bool> stop{true};
  EXPECT_EQ(RunPixel(endless, {0, 0}, &stop).Steps, 0);
  stop = false;
  int64_t steps = -1;
  std::thread worker([&] { steps = RunPixel(endless, {0, 0}, &stop).Steps; });
  stop = true;  // before or inside the pixel: either way it ends far below its limit
  worker.join();
  EXPECT_LT(steps, 2147483646);
}

TEST(ComputeBand, WritesOnlyItsClippedColumnsAndCountsThemDone) {
  TKernelParams p;
  p.XResolution = 6;
  p.YResolution = 3;
  TFractArray band(6, 3), whole(6, 3);
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 3; ++y) band.SetCycle(x, y, -9);
  EXPECT_TRUE(ComputeBand(p, band, {2, -1, 4, 3}, 6));
  EXPECT_EQ(band.ColumnsDone.load(), 4);
  EXPECT_TRUE(ComputeBand(p, whole, {-3, 0, 10, 5}, 6));  // reaches outside: clipped
  EXPECT_EQ(whole.ColumnsDone.load(), 6);
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 3; ++y) {
      const bool inBand = x == 2 || x == 3;
      EXPECT_EQ(band.GetCycle(x, y) == -9, !inBand) << x << "," << y;
      if (inBand) {
        EXPECT_EQ(band.GetDepth(x, y), whole.GetDepth(x, y)) << x << "," << y;
      }
    }
  // Column 0 starts at 800, where exp overflows; column 3 at 0, a fixed point, comes after.
  TKernelParams faulty = Params(formula::Exp, Z, {0, 0});
  faulty.XResolution = 6;
  faulty.YResolution = 3;
  faulty.Left = 800;
  faulty.Right = -800;
  faulty.Top = 0;
  EXPECT_TRUE(ComputeBand(faulty, band, {0, 0, 6, 3}, 6));
  EXPECT_EQ(band.GetDepth(0, 0), float(1.0 / 200));
  EXPECT_EQ(band.GetDepth(3, 0), float(-2.0 / 200));
  EXPECT_EQ(band.GetCycle(3, 0), 1);

  const std::atomic<bool> stop{true};
  TFractArray stopped(6, 3);
  EXPECT_FALSE(ComputeBand(p, stopped, {0, 0, 6, 3}, 6, &stop));
  EXPECT_EQ(stopped.ColumnsDone.load(), 0);
}

TEST(PixelPoint, FirstPixelIsTheCornerAndEdgesAreExclusive) {
  TKernelParams p;
  p.Left = 0.1;
  p.Top = -0.7;
  EXPECT_EQ(PixelPoint(p, 0, 0, 250).re, 0.1);
  EXPECT_EQ(PixelPoint(p, 0, 0, 250).im, -0.7);
  const TKernelParams d;
  EXPECT_DOUBLE_EQ(PixelPoint(d, 249, 249, 250).re, 1.488);   // -1.5 + 249 / 250 * 3
  EXPECT_DOUBLE_EQ(PixelPoint(d, 249, 249, 250).im, -1.488);  // rows run from Top down
  p.Left = 0;
  p.Right = 1;
  EXPECT_EQ(PixelPoint(p, 2, 0, 3).re, 2.0 / 3.0);  // divisor is the width argument
  TKernelParams tall;
  tall.YResolution = 5;
  EXPECT_DOUBLE_EQ(PixelPoint(tall, 0, 1, 1).im, 0.9);  // rows always divide by YResolution
}

}  // namespace
