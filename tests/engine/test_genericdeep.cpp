// Deep zoom of every formula by the general perturbed step: the step of each formula against
// MPFR on single points, and small deep views against the per-pixel MPFR iteration.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/TFractArray.h"
#include "engine/TFormula.h"
#include "engine/deep/TMpfrFormula.h"
#include "engine/deep/deepkernel.h"
#include "engine/deep/deepzoom.h"
#include "engine/deep/mpfriteration.h"
#include "engine/formulas.h"
#include "engine/kernels.h"
#include "support/formulaids.h"

namespace {

constexpr mpfr_prec_t Bits = 3000;

TMpfrComplex Exact(TComplex v) {
  TMpfrComplex m(Bits);
  mpfr_set_d(m.Re.Get(), v.re, MPFR_RNDN);
  mpfr_set_d(m.Im.Get(), v.im, MPFR_RNDN);
  return m;
}

void AddTo(TMpfrComplex& a, TComplex b) {
  mpfr_add_d(a.Re.Get(), a.Re.Get(), b.re, MPFR_RNDN);
  mpfr_add_d(a.Im.Get(), a.Im.Get(), b.im, MPFR_RNDN);
}

struct TStepCase {
  const char* Name;
  TComplex Z, C, D, Dz, Dc, Dd;
};

// f(Z + dz, C + dc, D + dd) - f(Z, C, D), exactly, then rounded.
TComplexExp ExactDifference(int formula, int32_t n, int32_t m, const TStepCase& s) {
  TMpfrFormula f(formula, Bits, n, m);
  TMpfrComplex z = Exact(s.Z), c = Exact(s.C), d = Exact(s.D);
  TMpfrComplex z1 = z, c1 = c, d1 = d;
  AddTo(z1, s.Dz);
  AddTo(c1, s.Dc);
  AddTo(d1, s.Dd);
  f.Step(z, c, d);
  f.Step(z1, c1, d1);
  mpfr_sub(z1.Re.Get(), z1.Re.Get(), z.Re.Get(), MPFR_RNDN);
  mpfr_sub(z1.Im.Get(), z1.Im.Get(), z.Im.Get(), MPFR_RNDN);
  return z1.ToComplexExp();
}

// The perturbed step in doubles, reading the reference's values from MPFR as a reference
// orbit does.
TComplex PerturbedStep(int formula, int32_t n, int32_t m, const TStepCase& s) {
  TMpfrFormula f(formula, Bits, n, m);
  std::vector<TComplex> aux(static_cast<size_t>(f.AuxCount()) + 1);
  f.Aux(Exact(s.Z), Exact(s.C), Exact(s.D), aux.data());
  TComplex result{0.0, 0.0};
  WithFormula(formula, [&]<class F>() {
    const TDeltaPoint<TScalarModel> point{s.Z, aux.data(), s.C, s.D, n, m};
    result = F::template Delta<TScalarModel>(point, s.Dz, s.Dc, s.Dd);
  });
  return result;
}

double RelativeError(TComplex a, TComplexExp b) {
  return ToDouble(Div(Abs(Sub(ToComplexExp(a.re, a.im), b)), Abs(b)));
}

TEST(GenericDeep, PerturbedStepOfEveryFormulaMatchesMpfrWithoutCancelling) {
  const TStepCase cases[] = {
      {"moderate differences", {0.3, -0.7}, {-0.4, 0.6}, {0.2, 0.1}, {1e-3, -2e-3},
       {-5e-4, 1e-3}, {2e-4, 3e-4}},
      {"differences as large as the values", {0.3, -0.7}, {-0.4, 0.6}, {0.2, 0.1},
       {0.25, 0.4}, {0.1, -0.2}, {-0.15, 0.05}},
      // Below a double's rounding of the values: subtracting two steps in doubles gives nothing.
      {"differences of 1e-17", {1.1, 0.45}, {-0.7, 0.25}, {0.5, -0.3}, {3e-17, -1e-17},
       {1e-17, 2e-17}, {-2e-17, 1e-17}},
      {"differences of 1e-250", {-0.6, 0.9}, {0.35, -0.55}, {-0.25, 0.4}, {2e-250, 7e-251},
       {-1e-250, 3e-250}, {4e-251, -2e-250}},
      {"the pixel as z alone", {0.8, 0.2}, {-0.1, 0.7}, {0.3, 0.3}, {-4e-9, 6e-9}, {0, 0},
       {0, 0}},
      {"the pixel as c alone", {0.8, 0.2}, {-0.1, 0.7}, {0.3, 0.3}, {0, 0}, {5e-12, -3e-12},
       {0, 0}},
      {"a value far from the origin", {-2.5, 3.0}, {0.4, 0.4}, {0.1, -0.2}, {1e-10, 1e-10},
       {-2e-10, 1e-10}, {3e-11, 0}},
  };
  for (int formula = 0; formula < FormulaCount; ++formula)
    for (const int32_t n : {2, 5})
      for (const auto& s : cases) {
        SCOPED_TRACE(std::string(s.Name) + ", " +
                     Formulas[static_cast<size_t>(formula)].Identifier + ", n " +
                     std::to_string(n));
        const TComplexExp exact = ExactDifference(formula, n, 3, s);
        if (IsZero(exact)) continue;  // a formula that does not read what changed
        EXPECT_LT(RelativeError(PerturbedStep(formula, n, 3, s), exact), 1e-11);
      }
}

TEST(GenericDeep, PerturbedStepNearAPoleKeepsItsPrecisionAndAPoleIsNotFinite) {
  // z (c + (1 - c) / z^n) has its pole at 0, z (c + d z^n) / (1 + z^n) where z^n = -1.
  const struct {
    int Formula;
    int32_t N;
    TStepCase Step;
  } cases[] = {
      {formula::ZTimesQuotient, 2,
       {"1e-4 from the pole", {1e-4, 2e-4}, {0.3, 0.2}, {0, 0}, {1e-13, -2e-13}, {1e-14, 0},
        {0, 0}}},
      {formula::ZTimesQuotient, 3,
       {"1e-100 from the pole", {1e-100, -3e-100}, {-0.5, 0.2}, {0, 0}, {1e-112, 2e-112},
        {1e-13, 1e-13}, {0, 0}}},
      {formula::ZRational, 2,
       {"1e-6 from the pole at i", {1e-7, 1.000001}, {0.3, 0.2}, {0.5, -0.1}, {1e-15, 2e-15},
        {-1e-15, 0}, {0, 1e-15}}},
      {formula::ZRational, 4,
       {"2e-8 from a pole of 1 + z^4", {0.70710679, 0.70710679}, {0.3, 0.2}, {0.5, -0.1},
        {1e-16, 2e-16}, {0, 1e-16}, {1e-16, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Step.Name);
    const TComplexExp exact = ExactDifference(c.Formula, c.N, 1, c.Step);
    EXPECT_LT(RelativeError(PerturbedStep(c.Formula, c.N, 1, c.Step), exact), 1e-9);
  }
  // A difference that lands on the pole itself ends the pixel with a value that is not finite.
  TStepCase onPole{"", {0.5, 0.0}, {0.3, 0.2}, {0, 0}, {-0.5, 0.0}, {0, 0}, {0, 0}};
  const TComplex pole = PerturbedStep(formula::ZTimesQuotient, 2, 1, onPole);
  EXPECT_FALSE(std::isfinite(pole.re) && std::isfinite(pole.im));
}

// A view 3e-30 wide around (Re, Im), c = -0.5 + 0.5i and d = DR + DI i where the pixel is
// neither, N = 5, M = 3.
struct TView {
  const char* Name;
  int Formula, Map;
  const char *Re, *Im;
  double DR = -0.3, DI = -0.3;
};

TDeepParams Params(const TView& v, int size, int32_t maxDepth, int32_t maxCycle) {
  TDeepParams p;
  p.Formula = v.Formula;
  p.MapField = v.Map;
  p.XResolution = p.YResolution = size;
  p.MaxDepth = maxDepth;
  p.MaxCycle = maxCycle;
  p.N = 5;
  p.M = 3;
  p.CR = -0.5;
  p.CI = 0.5;
  p.DR = v.DR;
  p.DI = v.DI;
  std::string error;
  EXPECT_TRUE(SetDeepViewAround(p, v.Re, v.Im, "0.000000000000000000000000000003", error))
      << error;
  return p;
}

class TNoColumns : public TColumnSink {
public:
  void ColumnFinished(int) override {}
};

// Points on the boundary of each formula's set (with the pixel as c unless said otherwise),
// found by bisection along a ray in MPFR at MaxDepth 500: with MaxDepth 1000 the pixels of a
// view around them escape after many different numbers of steps, or not at all.
constexpr int C = TKernelParams::MapC, Z = TKernelParams::MapZ, D = TKernelParams::MapD;
const TView Views[] = {
    {"z^n + c, N 5", formula::ZN, C, "0.4111621329757838494629904666951451444942",
     "0.7121537044624483299378207825526404107222"},
    {"z^3 - 3 d^2 z + c", formula::Z3D2Z, C, "0.3411401824642302599614681226268433796914",
     "0.5908721285313640086801182058272794891762"},
    {"z^n + d z^m + c, N 5, M 3", formula::ZNDZM, C, "0.3819254660629227798121261374382573335807",
     "0.6615143119254050538031342255127652143013"},
    {"z (c + (1 - c) z^n)", formula::ZTimesPoly, C, "0.5281791015633255101393110691396160761255",
     "0.9148330394037617530986247481560233178305"},
    {"z (c + (1 - c) / z^n), a pole at 0", formula::ZTimesQuotient, C,
     "0.157470703125000037133992650029062980587", "0.2727472585160951672322009997652306689176"},
    {"z (c + d z^n) / (1 + z^n), d = 2", formula::ZRational, C,
     "0.4598065035155105691614264432973726480897", "0.7964082257394616746191801500707388546202",
     2.0, 0.0},
    {"exp(z) - z - 1 + c", formula::Exp, C, "0.6041094466190450896408188942789557478347",
     "1.046348254876504323109896768142723638368"},
    {"sin(z) + c", formula::SinPlusC, C, "0.362357884427272594933271906993180272231",
     "0.6276222663512072277214186865525611194318"},
    {"c sin(z)", formula::CTimesSin, C, "-0.1767431472453021054240150322025071675748",
     "1.002360197714297912682399960177963852105"},
    {"sin(z) - z - 1 + c", formula::SinMinusZ, C, "0.7185244449438648790085900906255994167442",
     "1.244520845123000126515089724806581726641"},
    {"exp(z) - z - 1 + c, the pixel as z", formula::Exp, Z,
     "1.09891752442338679354678634158225155133", "1.903380985629117999626933288156263621334"},
    {"sin(z) + c, the pixel as z", formula::SinPlusC, Z,
     "0.2004635354455597315359219540104928278945", "0.3472130284565938938552459528132497536858"},
    {"z^3 - 3 d^2 z + c, the pixel as d", formula::Z3D2Z, D,
     "0.2439917286946132447459778291182986278085", "0.4226060707256311630558604779995133219058"},
    {"z^n + d z^m + c, the pixel as d", formula::ZNDZM, D,
     "0.451504221844319869299731672536448004867", "0.7820282520662115387717639756136841521058"},
    {"z (c + d z^n) / (1 + z^n), the pixel as d", formula::ZRational, D,
     "0.5936529427485419383502320120133538479352", "1.028237058903252253870193891907439900219"},
};

TEST(GenericDeep, DeepViewsOfEveryFormulaAgreeWithThePerPixelMpfrIteration) {
  for (const TView& v : Views) {
    SCOPED_TRACE(v.Name);
    const TDeepParams p = Params(v, 9, 1000, 0);
    ASSERT_TRUE(DeepKernelSupports(p.Formula));
    std::string error;
    auto plan = TDeepPlan::Create(p, error);
    ASSERT_TRUE(plan) << error;
    TFractArray array(p.XResolution, p.YResolution);
    TNoColumns sink;
    TDeepStats stats;
    ASSERT_TRUE(ComputeDeepBandColumns(*plan, array, {0, 0, p.XResolution, p.YResolution},
                                       nullptr, sink, BestKernelIsa(), &stats));
    int escapes = 0, ill = 0;
    for (int x = 0; x < p.XResolution; ++x)
      for (int y = 0; y < p.YResolution; ++y) {
        const mpfr_prec_t precision = plan->Precision() + 64;
        const TMpfrPointResult exact = IterateDeepPointMpfr(p, plan->Area(), x, y, precision);
        escapes += exact.Depth > 0;
        const double apart = StepsApart(p, array.GetDepth(x, y), array.GetCycle(x, y), exact);
        if (apart < 1e-3) continue;
        // Where exact arithmetic itself changes its result within 1e-9 of a pixel, the pixel is
        // chaos; any other difference is an error.
        const bool chaos =
            apart >= 1.0 && IllConditionedPixel(p, plan->Area(), x, y, exact, apart, precision);
        ill += chaos;
        EXPECT_TRUE(chaos) << "pixel " << x << "," << y << ": "
                           << array.GetDepth(x, y) * p.MaxDepth << " steps, period "
                           << array.GetCycle(x, y) << "; MPFR " << exact.Depth * p.MaxDepth
                           << ", period " << exact.Period;
      }
    // Most pixels are not chaos.
    EXPECT_LE(ill, p.XResolution * p.YResolution / 4);
    // Boundary views: some pixels escape, and not all after the same number of steps.
    EXPECT_GT(escapes, 0);
    EXPECT_GT(stats.Steps, 0);
  }
}

}  // namespace
