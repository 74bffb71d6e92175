#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/TFractArray.h"
#include "engine/cpufeatures.h"
#include "engine/deep/TMpfrFormula.h"
#include "engine/deep/deepkernel.h"
#include "engine/deep/deepstep.h"
#include "engine/deep/deepzoom.h"
#include "engine/deep/mpfriteration.h"
#include "engine/deep/nucleus.h"
#include "engine/kernels.h"
#include "support/fractarrays.h"
#include "support/formulaids.h"

namespace {

constexpr int Z = TKernelParams::MapZ, C = TKernelParams::MapC;

// "0.00...01" = 10^-exponent, as the value syntax writes it.
std::string TenToMinus(int exponent) {
  return "0." + std::string(static_cast<size_t>(exponent - 1), '0') + "1";
}

// A deep view of size x size pixels (odd sizes put no pixel on the centre itself) of the given
// width around (re, im).
TDeepParams View(int formula, int map, const std::string& re, const std::string& im,
                 const std::string& width, int size = 25, int32_t maxDepth = 3000,
                 int32_t maxCycle = 0) {
  TDeepParams p;
  p.Formula = formula;
  p.MapField = map;
  p.XResolution = p.YResolution = size;
  p.MaxDepth = maxDepth;
  p.MaxCycle = maxCycle;
  if (map != C) {
    p.CR = 0.0;
    p.CI = 1.0;
  }
  std::string error;
  EXPECT_TRUE(SetDeepViewAround(p, re, im, width, error)) << error;
  return p;
}

std::unique_ptr<TDeepPlan> Plan(const TDeepParams& p,
                                int64_t maxOrbit = TReferenceOrbit::MaxLength) {
  std::string error;
  auto plan = TDeepPlan::Create(p, error, maxOrbit);
  EXPECT_TRUE(plan) << error;
  return plan;
}

class TColumns : public TColumnSink {
public:
  void ColumnFinished(int x) override {
    std::lock_guard<std::mutex> lock(Lock);
    Reported.push_back(x);
    if (StopAfterFirst) Stop->store(true);
  }
  std::mutex Lock;
  std::vector<int> Reported;
  bool StopAfterFirst = false;
  std::atomic<bool>* Stop = nullptr;
};

// The whole view with the vector build of `isa`, in bands of 4 columns.
std::unique_ptr<TFractArray> Compute(TDeepPlan& plan, TKernelIsa isa,
                                     TDeepStats* stats = nullptr) {
  const TDeepParams& p = plan.Params();
  auto array = std::make_unique<TFractArray>(p.XResolution, p.YResolution);
  TColumns sink;
  for (int first = 0; first < p.XResolution; first += 4)
    EXPECT_TRUE(ComputeDeepBandColumns(plan, *array, {first, 0, first + 4, p.YResolution},
                                       nullptr, sink, isa, stats));
  EXPECT_EQ(sink.Reported.size(), static_cast<size_t>(p.XResolution));
  return array;
}

std::unique_ptr<TFractArray> ComputeScalar(TDeepPlan& plan) {
  const TDeepParams& p = plan.Params();
  auto array = std::make_unique<TFractArray>(p.XResolution, p.YResolution);
  TColumns sink;
  EXPECT_TRUE(ComputeDeepBandColumnsScalar(plan, *array, {0, 0, p.XResolution, p.YResolution},
                                           nullptr, sink));
  return array;
}

// Exact (Z + dz)^k - Z^k + dc, rounded to a double's 53 bits (exponent aside).
TComplexExp ExactDelta(int formula, TComplexExp z, TComplexExp dz, TComplexExp dc) {
  constexpr mpfr_prec_t bits = 6000;
  const auto set = [](TMpfrComplex& v, TComplexExp x) {
    mpfr_set_d(v.Re.Get(), x.Re, MPFR_RNDN);
    mpfr_mul_2si(v.Re.Get(), v.Re.Get(), static_cast<long>(x.E), MPFR_RNDN);
    mpfr_set_d(v.Im.Get(), x.Im, MPFR_RNDN);
    mpfr_mul_2si(v.Im.Get(), v.Im.Get(), static_cast<long>(x.E), MPFR_RNDN);
  };
  TMpfrComplex a(bits), b(bits), zero(bits), d(bits);
  set(a, z);
  set(b, z);
  set(d, dz);
  mpfr_add(b.Re.Get(), b.Re.Get(), d.Re.Get(), MPFR_RNDN);
  mpfr_add(b.Im.Get(), b.Im.Get(), d.Im.Get(), MPFR_RNDN);
  TMpfrFormula step(formula, bits);
  step.Step(a, zero);  // Z^k
  step.Step(b, zero);  // (Z + dz)^k
  set(d, dc);
  mpfr_sub(b.Re.Get(), b.Re.Get(), a.Re.Get(), MPFR_RNDN);
  mpfr_sub(b.Im.Get(), b.Im.Get(), a.Im.Get(), MPFR_RNDN);
  mpfr_add(b.Re.Get(), b.Re.Get(), d.Re.Get(), MPFR_RNDN);
  mpfr_add(b.Im.Get(), b.Im.Get(), d.Im.Get(), MPFR_RNDN);
  return b.ToComplexExp();
}

// |a - b| / |b|.
double RelativeError(TComplexExp a, TComplexExp b) {
  return ToDouble(Div(Abs(Sub(a, b)), Abs(b)));
}

TComplexExp Scaled(double re, double im, int64_t exponent) {
  return Normalized(re, im, exponent);
}

TEST(DeepKernel, PerturbedStepMatchesMpfrOnSinglePoints) {
  const struct {
    const char* Name;
    TComplexExp Z, Dz, Dc;
  } cases[] = {
      {"near the Misiurewicz point i", Scaled(-1, 1, 0), Scaled(3.1e-3, -2.7e-3, -90),
       Scaled(-1.3, 0.4, -100)},
      {"difference as large as the reference", Scaled(0.3, -0.2, 0), Scaled(-0.25, 0.3, 0),
       Scaled(0.01, 0.02, 0)},
      {"reference value 0", Scaled(0, 0, 0), Scaled(0.7, 0.1, -40), Scaled(-0.2, 0.5, -60)},
      {"tiny difference", Scaled(0.5, 1.25, 0), Scaled(1.5, -1.0, -1400),
       Scaled(0.75, 1.0, -1402)},
      {"tiny reference and difference", Scaled(1.0, 1.0, -2000), Scaled(-1.0, 0.5, -2001),
       Scaled(1.0, 0.0, -4003)},
  };
  for (int formula = 0; formula < FormulaCount; ++formula) {
    const int degree = DeepDegree(formula);
    if (degree == 0) continue;
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + ", " + Formulas[static_cast<size_t>(formula)].Identifier);
      const TComplexExp exact = ExactDelta(formula, c.Z, c.Dz, c.Dc);
      EXPECT_LT(RelativeError(DeepDeltaStep(degree, c.Z, c.Dz, c.Dc), exact), 1e-13);
      // The step on doubles, where the numbers fit.
      const double zr = RealPart(c.Z), zi = ImagPart(c.Z);
      if (c.Dz.E < -900 || (!IsZero(c.Z) && c.Z.E < -900)) continue;
      const TStepConstants<TScalarNumbers> k;
      double re = 0, im = 0;
      const double dr = RealPart(c.Dz), di = ImagPart(c.Dz);
      const double cr = RealPart(c.Dc), ci = ImagPart(c.Dc);
      if (degree == 2) DeltaStep<2>(k, zr, zi, dr, di, cr, ci, re, im);
      if (degree == 3) DeltaStep<3>(k, zr, zi, dr, di, cr, ci, re, im);
      if (degree == 4) DeltaStep<4>(k, zr, zi, dr, di, cr, ci, re, im);
      EXPECT_LT(RelativeError(ToComplexExp(re, im), exact), 1e-13);
    }
  }
}

// The value of a number with exponent, exactly, in MPFR.
TMpfr ExactValue(TFloatExp x) {
  TMpfr v(64);
  mpfr_set_d(v.Get(), x.M, MPFR_RNDN);
  mpfr_mul_2si(v.Get(), v.Get(), static_cast<long>(x.E), MPFR_RNDN);
  return v;
}

TEST(DeepKernel, NumbersWithExponentKeepTheirValueBeyondTheDoubleRange) {
  const TFloatExp tiny = ToFloatExp(0x1.8p-1060);  // a subnormal double
  const TFloatExp huge = Mul(ToFloatExp(0x1p1000), ToFloatExp(0x1.4p1000));
  const struct {
    const char* Name;
    TFloatExp Got;
    double Mantissa;  // expected value: Mantissa * 2^Exponent
    long Exponent;
  } cases[] = {
      {"a subnormal read exactly", tiny, 1.5, -1060},
      {"a product beyond the largest double", huge, 1.25, 2000},
      {"a quotient below the smallest", Div(tiny, huge), 1.2, -3060},
      {"a sum of very different sizes keeps the larger", Add(huge, tiny), 1.25, 2000},
      {"a sum of equal sizes", Add(huge, huge), 1.25, 2001},
      {"a difference to a small rest", Sub(Add(huge, Mul(huge, ToFloatExp(0x1p-40))), huge), 1.25,
       1960},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMpfr expected(64);
    mpfr_set_d(expected.Get(), c.Mantissa, MPFR_RNDN);
    mpfr_mul_2si(expected.Get(), expected.Get(), c.Exponent, MPFR_RNDN);
    EXPECT_EQ(mpfr_cmp(ExactValue(c.Got).Get(), expected.Get()), 0)
        << c.Got.M << " * 2^" << c.Got.E;
  }
  // Back to doubles: rounded once at the bottom of the range, 0 below it, infinite above.
  EXPECT_EQ(ToDouble(tiny), 0x1.8p-1060);
  EXPECT_EQ(ToDouble(Div(tiny, huge)), 0.0);
  EXPECT_TRUE(std::isinf(ToDouble(huge)));
  EXPECT_TRUE(Less(Div(tiny, huge), tiny));
  EXPECT_FALSE(Less(huge, huge));
}

TEST(DeepKernel, ThresholdSeparatesDoubleViewsFromDeepOnes) {
  // Views around c = -0.75 + 0.1i (largest coordinate 0.75 + width) of 100 pixels.
  const auto mandelbrot = [](double width) {
    TKernelParams p;
    p.MapField = C;
    p.XResolution = p.YResolution = 100;
    p.Left = -0.75 - width / 2;
    p.Right = -0.75 + width / 2;
    p.Top = 0.1 + width / 2;
    p.Bottom = 0.1 - width / 2;
    return p;
  };
  // The threshold: a pixel 2^-40 of the largest coordinate.
  const double atThreshold = std::ldexp(0.75, -40) * 100;
  TKernelParams julia;
  julia.Left = julia.Top = -1e-7;
  julia.Right = julia.Bottom = 1e-7;
  TKernelParams juliaWide = julia;
  juliaWide.Left = juliaWide.Top = -1e-3;
  juliaWide.Right = juliaWide.Bottom = 1e-3;
  TKernelParams flat = mandelbrot(1e-3);
  flat.Left = flat.Right = -0.75;
  flat.Top = flat.Bottom = 0.1;
  const struct {
    const char* Name;
    TKernelParams Params;
    bool Deep;
  } cases[] = {
      {"the default Julia set", TKernelParams(), false},
      {"a view of width 1e-9", mandelbrot(1e-9), false},
      {"just above the threshold", mandelbrot(atThreshold * 1.02), false},
      {"just below the threshold", mandelbrot(atThreshold * 0.98), true},
      {"a view of width 1e-15", mandelbrot(1e-15), true},
      {"a Julia view 2e-7 wide around z = 0", julia, true},
      {"a Julia view 2e-3 wide around z = 0", juliaWide, false},
      {"a view without extent", flat, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(NeedsDeepKernel(c.Params), c.Deep);
    // The decimal texts of the same bounds give the same answer.
    EXPECT_EQ(NeedsDeepKernel(DeepParamsFrom(c.Params)), c.Deep);
  }
  for (int formula = 0; formula < FormulaCount; ++formula)
    EXPECT_TRUE(DeepKernelSupports(formula)) << formula;
  EXPECT_FALSE(DeepKernelSupports(FormulaCount));
  EXPECT_EQ(DeepZoomFormulaList().substr(0, 26), "z^2 + c, z^3 + c, z^4 + c,");
}

TEST(DeepKernel, BoundsAreReadAsPlainDecimals) {
  const struct {
    const char* Text;
    const char* Value;  // null: rejected with Message
    const char* Message;
  } cases[] = {
      {"-0.74364388703715870475219150611477", "-0.74364388703715870475219150611477", ""},
      {"  12,5 ", "12.5", ""},
      {"- .5", "-0.5", ""},
      {"7.", "7", ""},
      {"", nullptr, "Input has no value."},
      {"1e-5", nullptr, "Value is not a plain decimal number."},
      {"0.1.2", nullptr, "Value is not a plain decimal number."},
      {"x", nullptr, "Value is not a plain decimal number."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TMpfr value(64);
    mpfr_set_ui(value.Get(), 3, MPFR_RNDN);
    std::string message;
    const bool ok = ParseDecimal(c.Text, value, message);
    ASSERT_EQ(ok, c.Value != nullptr) << message;
    if (!ok) {
      EXPECT_EQ(message, c.Message);
      EXPECT_EQ(mpfr_cmp_ui(value.Get(), 3), 0);
      continue;
    }
    EXPECT_EQ(DecimalText(value, 40), c.Value);
  }
  std::string message;
  TMpfr value(64);
  EXPECT_FALSE(ParseDecimal("0." + std::string(MaxDecimalDigits, '1'), value, message));
  EXPECT_EQ(message, "Value is out of range.");
  // Every digit of a long text is kept.
  const std::string longText = "0." + std::string(400, '0') + "123456789";
  ASSERT_TRUE(ParseDecimal(longText, value, message));
  EXPECT_EQ(DecimalText(value, 9), longText);
}

TEST(DeepKernel, AViewAroundAPointPlacesItsPixelsWithinATenThousandthOfTheirSpacing) {
  const struct {
    const char* Re;
    const char* Im;
    int Exponent;  // width 10^-Exponent
    int Width, Height;
  } cases[] = {
      {"-0.74364388703715870475219150611477", "0.13182590420531197049", 30, 640, 480},
      {"0", "1", 200, 101, 303},
      {"-1.25", "0", 3, 7, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Re) + " + " + c.Im + " i, 1e-" + std::to_string(c.Exponent));
    TDeepParams p;
    p.XResolution = c.Width;
    p.YResolution = c.Height;
    std::string error;
    ASSERT_TRUE(SetDeepViewAround(p, c.Re, c.Im, TenToMinus(c.Exponent), error)) << error;
    TDeepArea area;
    ASSERT_TRUE(TDeepArea::Parse(p, area, error)) << error;
    // Measured in MPFR: the centre and the extents against the texts asked for.
    constexpr mpfr_prec_t bits = 2000;
    TMpfr centre(bits), width(bits), got(bits), a(bits), b(bits), slack(bits);
    std::string message;
    const auto read = [&](const std::string& text, TMpfr& into) {
      TMpfr value(64);
      ASSERT_TRUE(ParseDecimal(text, value, message));
      mpfr_set(into.Get(), value.Get(), MPFR_RNDN);
    };
    read(TenToMinus(c.Exponent), width);
    // A ten-thousandth of the spacing.
    mpfr_div_si(slack.Get(), width.Get(), c.Width * 10000L, MPFR_RNDN);
    const auto expectNear = [&](const TMpfr& value, const TMpfr& target) {
      mpfr_sub(got.Get(), value.Get(), target.Get(), MPFR_RNDN);
      mpfr_abs(got.Get(), got.Get(), MPFR_RNDN);
      EXPECT_LT(mpfr_cmp(got.Get(), slack.Get()), 0);
    };
    read(p.Left, a);
    read(p.Right, b);
    read(c.Re, centre);
    mpfr_sub(got.Get(), b.Get(), a.Get(), MPFR_RNDN);
    TMpfr extent = got;
    expectNear(extent, width);
    mpfr_add(got.Get(), a.Get(), b.Get(), MPFR_RNDN);
    mpfr_div_2ui(got.Get(), got.Get(), 1, MPFR_RNDN);
    TMpfr middle = got;
    expectNear(middle, centre);
    read(p.Top, a);
    read(p.Bottom, b);
    read(c.Im, centre);
    mpfr_add(got.Get(), a.Get(), b.Get(), MPFR_RNDN);
    mpfr_div_2ui(got.Get(), got.Get(), 1, MPFR_RNDN);
    middle = got;
    expectNear(middle, centre);
    // Top above Bottom by the width times the aspect.
    mpfr_sub(got.Get(), a.Get(), b.Get(), MPFR_RNDN);
    mpfr_mul_si(got.Get(), got.Get(), c.Width, MPFR_RNDN);
    mpfr_div_si(got.Get(), got.Get(), c.Height, MPFR_RNDN);
    extent = got;
    expectNear(extent, width);
  }
  TDeepParams p;
  std::string error;
  EXPECT_FALSE(SetDeepViewAround(p, "0", "1", "0", error));
  EXPECT_FALSE(SetDeepViewAround(p, "1e-5", "1", "0.1", error));
  EXPECT_EQ(p.Left, TDeepParams().Left);
}

TEST(DeepKernel, ReferenceOrbitsKeepValuesBelowTheDoubleRange) {
  // 2^-300 squared under z^2 + 0: 2^-600, 2^-1200, 2^-2400 ...; and 3 under z^2 escapes.
  TMpfrComplex start(200), zero(200);
  mpfr_set_ui_2exp(start.Re.Get(), 1, -300, MPFR_RNDN);
  TReferenceOrbit::TSettings settings;
  settings.Length = 6;
  TReferenceOrbit orbit;
  ASSERT_TRUE(orbit.Compute(start, zero, settings, nullptr));
  ASSERT_EQ(orbit.Size(), 6);
  for (int64_t n = 0; n < 6; ++n) {
    SCOPED_TRACE(n);
    const TComplexExp z = orbit.Value(n);
    EXPECT_EQ(z.Re, 1.0);
    EXPECT_EQ(z.Im, 0.0);
    EXPECT_EQ(z.E, -300 * (int64_t{1} << n));
  }
  mpfr_set_ui(start.Re.Get(), 3, MPFR_RNDN);
  settings.Length = 100;
  ASSERT_TRUE(orbit.Compute(start, zero, settings, nullptr));
  // 3, 9, 81, 6561 > 1000: kept, and the last.
  EXPECT_EQ(orbit.Size(), 4);
  EXPECT_EQ(orbit.RealParts()[3], 6561.0);
}

// The depth of each pixel, in steps, from the deep kernel and from the per-pixel MPFR iteration:
// at least 99 % equal (with the same cycle period), the rest within one step.
TEST(DeepKernel, DeepViewsAgreeWithThePerPixelMpfrIteration) {
  const struct {
    const char* Name;
    TDeepParams Params;
  } cases[] = {
      {"Mandelbrot, 1e-30 around c = i", View(formula::Z2, C, "0", "1", TenToMinus(30))},
      {"Mandelbrot, 1e-60 around c = i, z^3 + c",
       View(formula::Z3, C, "0.5", "0.8660254037844386467637231707529361834714026269051903140279034897",
            TenToMinus(60), 15)},
      {"Julia of c = i, 1e-40 around z = i", View(formula::Z2, Z, "0", "1", TenToMinus(40))},
      {"Julia of c = i, 1e-20 around z = 0 (rebases onto the orbit of 0)",
       View(formula::Z2, Z, "0", "0", TenToMinus(20))},
      {"cycles of period 2, 1e-25 inside the bulb of c = -1",
       View(formula::Z2, C, "-1.01", "0.02", TenToMinus(25), 15, 2000, 3)},
      {"beyond the double range: 1e-330 around c = i",
       View(formula::Z2, C, "0", "1", TenToMinus(330), 9, 3000)},
      {"orbits of thousands of steps near the seahorse valley's spiral",
       View(formula::Z2, C, "-0.743643887037158704752191506114774", "0.131825904205311970493132056385139",
            TenToMinus(12), 21, 20000)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TDeepParams& p = c.Params;
    auto plan = Plan(p);
    auto array = Compute(*plan, BestKernelIsa());
    int same = 0, oneStep = 0, total = 0;
    for (int x = 0; x < p.XResolution; ++x)
      for (int y = 0; y < p.YResolution; ++y) {
        const TMpfrPointResult exact =
            IterateDeepPointMpfr(p, plan->Area(), x, y, plan->Precision() + 64);
        const double difference =
            std::fabs(static_cast<double>(array->GetDepth(x, y)) - exact.Depth) * p.MaxDepth;
        ++total;
        if (difference < 1e-3 && array->GetCycle(x, y) == exact.Period)
          ++same;
        else if (difference <= 1.001)
          ++oneStep;
        else
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << array->GetDepth(x, y) * p.MaxDepth
                        << " steps, MPFR " << exact.Depth * p.MaxDepth;
      }
    EXPECT_GE(same, total * 99 / 100) << oneStep << " pixels one step off";
  }
}

// Orbits that linger near the repelling 2-cycle of c near -0.74329189 + 0.13124055i are
// detected as cycles of period 2 with the dialog's InnerDist; the cycle repels, so they go on
// and escape, in the deep kernel as in MPFR.
TEST(DeepKernel, CyclesThatRepelArePassedByAsInMpfr) {
  for (int32_t maxCycle : {2, 3, 4}) {
    SCOPED_TRACE(maxCycle);
    const TDeepParams p =
        View(formula::Z2, C, "-0.74329189", "0.13124055", "0.0000000000001", 15, 1000, maxCycle);
    auto plan = Plan(p);
    auto array = Compute(*plan, BestKernelIsa());
    auto scalar = ComputeScalar(*plan);
    int64_t passed = 0;
    for (int x = 0; x < p.XResolution; ++x)
      for (int y = 0; y < p.YResolution; ++y) {
        const TMpfrPointResult exact =
            IterateDeepPointMpfr(p, plan->Area(), x, y, plan->Precision() + 64);
        passed += exact.CyclesPassed;
        EXPECT_EQ(array->GetCycle(x, y), 0);
        EXPECT_EQ(exact.Period, 0);
        EXPECT_GT(array->GetDepth(x, y), 0.0f);
        EXPECT_NEAR(array->GetDepth(x, y), exact.Depth, 1e-3 / p.MaxDepth) << x << "," << y;
        EXPECT_EQ(array->GetDepth(x, y), scalar->GetDepth(x, y));
      }
    EXPECT_GE(passed, p.XResolution * p.YResolution);
  }
}

// Without cycle tests, pixels inside a component never escape: once a pixel's difference after
// a rebase comes back exactly, its steps repeat and it is finished at the limit, as stepping
// on would have finished it. Pixels just outside still escape where MPFR says.
TEST(DeepKernel, APixelWhoseStepsRepeatIsFinishedAtTheLimitAtOnce) {
  // Around the nucleus of the period-3 component (the rabbit's c), inside it, and across the
  // edge of its period-2 neighbour's decorations further out.
  const struct {
    const char* Name;
    TDeepParams Params;
    bool Inside;
  } cases[] = {
      {"inside", View(formula::Z2, C, "-0.12256116687665361237", "0.74486176661974423659",
                      TenToMinus(20), 9, 100000), true},
      {"across the edge of the period-2 bulb",
       View(formula::Z2, C, "-0.75", "0.0000000001", TenToMinus(14), 9, 20000), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TDeepParams& p = c.Params;
    auto plan = Plan(p);
    TDeepStats stats;
    auto array = Compute(*plan, BestKernelIsa(), &stats);
    auto scalar = ComputeScalar(*plan);
    for (int x = 0; x < p.XResolution; x += 8)
      for (int y = 0; y < p.YResolution; y += 8) {
        const TMpfrPointResult exact =
            IterateDeepPointMpfr(p, plan->Area(), x, y, plan->Precision() + 64);
        EXPECT_EQ(array->GetDepth(x, y), exact.Depth) << x << "," << y;
        EXPECT_EQ(array->GetCycle(x, y), 0);
      }
    for (int x = 0; x < p.XResolution; ++x)
      for (int y = 0; y < p.YResolution; ++y)
        EXPECT_EQ(array->GetDepth(x, y), scalar->GetDepth(x, y));
    if (c.Inside) {
      // Nearly all of the steps are the repeats.
      EXPECT_GT(stats.Skipped, stats.Steps * 9 / 10);
    }
  }
}

TEST(DeepKernel, NewtonFindsTheNucleiOfKnownComponents) {
  const struct {
    const char* Name;
    int Formula;
    int Period;
    double GuessRe, GuessIm;
    // The nucleus: a root of this polynomial in c (coefficients from the highest power).
    std::vector<int> Polynomial;
  } cases[] = {
      // z2 = c^2 + c.
      {"the period-2 disc of z^2 + c", 0, 2, -0.9, 0.05, {1, 1}},
      // z3 = c (c^3 + 2 c^2 + c + 1): the real root near -1.7549.
      {"the period-3 component on the real axis", 0, 3, -1.75, 0.0, {1, 2, 1, 1}},
      // z2 = c^3 + c: c = i.
      {"a period-2 component of z^3 + c", 1, 2, 0.1, 0.9, {1, 0, 1}},
      // z2 = c^4 + c: c^3 = -1.
      {"a period-2 component of z^4 + c", 2, 2, 0.45, 0.8, {1, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMpfrComplex nucleus(300);
    mpfr_set_d(nucleus.Re.Get(), c.GuessRe, MPFR_RNDN);
    mpfr_set_d(nucleus.Im.Get(), c.GuessIm, MPFR_RNDN);
    ASSERT_TRUE(FindNucleus(nucleus, c.Formula, c.Period, nullptr));
    // Horner's rule in MPFR: the polynomial vanishes there to the last bits.
    TMpfrComplex value(600), product(600);
    TMpfr t(600);
    for (int coefficient : c.Polynomial) {
      mpfr_mul(product.Re.Get(), value.Re.Get(), nucleus.Re.Get(), MPFR_RNDN);
      mpfr_mul(t.Get(), value.Im.Get(), nucleus.Im.Get(), MPFR_RNDN);
      mpfr_sub(product.Re.Get(), product.Re.Get(), t.Get(), MPFR_RNDN);
      mpfr_mul(product.Im.Get(), value.Re.Get(), nucleus.Im.Get(), MPFR_RNDN);
      mpfr_mul(t.Get(), value.Im.Get(), nucleus.Re.Get(), MPFR_RNDN);
      mpfr_add(product.Im.Get(), product.Im.Get(), t.Get(), MPFR_RNDN);
      mpfr_add_si(value.Re.Get(), product.Re.Get(), coefficient, MPFR_RNDN);
      mpfr_set(value.Im.Get(), product.Im.Get(), MPFR_RNDN);
    }
    EXPECT_LT(Log2Abs(Abs(value.ToComplexExp())), -280.0);
  }
}

TEST(DeepKernel, AnEscapingCentreGivesWayToANearbyNucleus) {
  // The centre's orbit escapes after about 3000 steps; the nucleus of a component near the
  // view, whose orbit never escapes, takes its place (the pixels are checked against MPFR
  // above).
  const TDeepParams p = View(formula::Z2, C, "-0.743643887037158704752191506114774",
                             "0.131825904205311970493132056385139", TenToMinus(12), 21, 20000);
  auto plan = Plan(p);
  ASSERT_TRUE(plan->Prepare());
  EXPECT_EQ(plan->MainOrbit().Size(), p.MaxDepth + 1);
}

// Views well above the threshold have right double pictures: the deep kernel agrees with them,
// cycles and the first history entries included.
TEST(DeepKernel, ShallowViewsAgreeWithTheDoubleKernel) {
  for (const TKernelParams& shallow :
       {Picture(formula::Z2, C, 37, 23, 200), Picture(formula::Z3, Z, 31, 19, 150), Picture(formula::Z4, C, 29, 17, 100)}) {
    for (int32_t maxCycle : {0, 3}) {
      TKernelParams p = shallow;
      p.MaxCycle = maxCycle;
      SCOPED_TRACE("formula " + std::to_string(p.Formula) + ", MaxCycle " +
                   std::to_string(maxCycle));
      auto expected = ComputeWhole(p);
      auto plan = Plan(DeepParamsFrom(p));
      auto got = Compute(*plan, BestKernelIsa());
      int same = 0;
      for (int x = 0; x < p.XResolution; ++x)
        for (int y = 0; y < p.YResolution; ++y)
          if (std::fabs(got->GetDepth(x, y) - expected->GetDepth(x, y)) * p.MaxDepth < 1e-6 &&
              got->GetCycle(x, y) == expected->GetCycle(x, y))
            ++same;
      EXPECT_GE(same, p.XResolution * p.YResolution * 98 / 100);
    }
  }
}

TEST(DeepKernel, EveryInstructionSetAndTheScalarCodeStoreTheSameCells) {
  const struct {
    const char* Name;
    TDeepParams Params;
  } cases[] = {
      {"Mandelbrot 1e-30, no cycle test", View(formula::Z2, C, "0", "1", TenToMinus(30), 33)},
      {"Mandelbrot 1e-20 with cycle tests",
       View(formula::Z2, C, "-0.7436438870371587", "0.1318259042053119", TenToMinus(20), 31, 5000, 3)},
      {"z^4 + c Julia 1e-25", View(formula::Z4, Z, "0.1", "0.9", TenToMinus(25), 27, 2000, 2)},
      {"z^3 + c beyond the double range", View(formula::Z3, C, "0", "0.8", TenToMinus(400), 21, 3000)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto plan = Plan(c.Params);
    const auto expected = ComputeScalar(*plan);
    for (TKernelIsa isa : {TKernelIsa::Generic, TKernelIsa::Avx2, TKernelIsa::Avx512}) {
      if (!CpuSupports(isa)) continue;
      SCOPED_TRACE(KernelIsaName(isa));
      EXPECT_TRUE(SameCells(*expected, *Compute(*plan, isa)));
    }
  }
}

TEST(DeepKernel, SeveralThreadsStoreTheCellsOfOne) {
  const TDeepParams p =
      View(formula::Z2, C, "-0.7436438870371587", "0.1318259042053119", TenToMinus(24), 45, 4000, 3);
  auto single = Plan(p);
  const auto expected = Compute(*single, BestKernelIsa());
  // A fresh plan: the threads prepare it together.
  auto shared = Plan(p);
  TFractArray array(p.XResolution, p.YResolution);
  TColumns sink;
  std::atomic<int> nextBand{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t)
    workers.emplace_back([&] {
      for (int band = nextBand++; band * 4 < p.XResolution; band = nextBand++)
        EXPECT_TRUE(ComputeDeepBandColumns(*shared, array,
                                           {band * 4, 0, band * 4 + 4, p.YResolution}, nullptr,
                                           sink));
    });
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(sink.Reported.size(), static_cast<size_t>(p.XResolution));
  EXPECT_TRUE(SameCells(*expected, array));
}

// A history entry of a skipped iterate is known only within its bound: a test that meets one
// within InnerDist and the bound cannot be decided, and the pixel starts again without skips.
TEST(DeepKernel, AnUndecidableCycleTestRestartsThePixelWithoutSkips) {
  const TDeepParams p = View(formula::Z2, C, "-0.1", "0.2", TenToMinus(30), 9, 2000, 3);
  auto plan = Plan(p);
  ASSERT_TRUE(plan->Prepare());
  const TDeepContext context = MakeDeepContext(*plan, 0, 0, nullptr);
  std::vector<double> history(3 * p.MaxCycle);
  TDeepLane lane{};
  lane.HRe = history.data();
  lane.HIm = history.data() + p.MaxCycle;
  lane.HBound = history.data() + 2 * p.MaxCycle;
  StartLane(context, lane, 2, 3);
  ASSERT_EQ(AdvanceLane(context, lane, false), TLaneState::Vector);
  ASSERT_GT(lane.Skipped, 0);
  // The newest entry: a skipped iterate just beyond InnerDist of the current value, within its
  // bound of it.
  const double re = context.JointRe[lane.Index] + lane.DzRe;
  const double im = context.JointIm[lane.Index] + lane.DzIm;
  lane.HRe[0] = re + 1.5 * p.InnerDist;
  lane.HIm[0] = im;
  lane.HBound[0] = p.InnerDist;
  const int64_t steps = lane.Steps;
  const TLaneState state = AdvanceLane(context, lane, true);
  EXPECT_EQ(lane.Restarts, 1);
  EXPECT_TRUE(lane.NoSkip);
  EXPECT_LT(lane.Steps, steps);
  EXPECT_NE(state, TLaneState::Stopped);
  // Beyond InnerDist and the bound the entry is no match.
  StartLane(context, lane, 2, 3);
  ASSERT_EQ(AdvanceLane(context, lane, false), TLaneState::Vector);
  lane.HRe[0] = context.JointRe[lane.Index] + lane.DzRe + 2.5 * p.InnerDist;
  lane.HIm[0] = context.JointIm[lane.Index] + lane.DzIm;
  lane.HBound[0] = p.InnerDist;
  AdvanceLane(context, lane, true);
  EXPECT_EQ(lane.Restarts, 0);
}

TEST(DeepKernel, StopEndsTheBand) {
  // Every pixel on the real axis near c = -1.9, at the deepest limit, on an orbit cut short:
  // chaotic orbits that neither escape nor repeat, so only a stop ends them.
  TDeepParams endless = View(formula::Z2, C, "-1.9", "0", TenToMinus(30), 9, 2147483647);
  endless.Top = endless.Bottom = "0";
  // Ordinary pixels; the sink stops after the first column.
  const TDeepParams ordinary = View(formula::Z2, C, "0", "1", TenToMinus(30), 9);
  {
    std::atomic<bool> stop{true};
    auto plan = Plan(ordinary);
    TFractArray array(9, 9);
    TColumns sink;
    EXPECT_FALSE(ComputeDeepBandColumns(*plan, array, {0, 0, 9, 9}, &stop, sink));
    EXPECT_TRUE(sink.Reported.empty());
    EXPECT_FALSE(plan->Prepared());
  }
  for (bool scalar : {false, true}) {
    SCOPED_TRACE(scalar ? "scalar" : "vector");
    std::atomic<bool> stop{false};
    auto plan = Plan(ordinary);
    TFractArray array(9, 9);
    TColumns sink;
    sink.StopAfterFirst = true;
    sink.Stop = &stop;
    const TBand band{0, 0, 9, 9};
    EXPECT_FALSE(scalar ? ComputeDeepBandColumnsScalar(*plan, array, band, &stop, sink)
                        : ComputeDeepBandColumns(*plan, array, band, &stop, sink));
    // The vector build finishes the pixels already in its lanes' hands at most.
    if (scalar)
      EXPECT_EQ(sink.Reported.size(), 1u);
    else
      EXPECT_LT(sink.Reported.size(), 9u);
  }
  {
    std::atomic<bool> stop{false};
    auto plan = Plan(endless, 500);
    TFractArray array(9, 9);
    TColumns sink;
    bool finished = true;
    std::thread worker([&] {
      finished = ComputeDeepBandColumns(*plan, array, {0, 0, 9, 9}, &stop, sink);
    });
    while (!plan->Prepared()) std::this_thread::yield();
    stop.store(true);
    worker.join();
    EXPECT_FALSE(finished);
    EXPECT_TRUE(sink.Reported.empty());
  }
}

}  // namespace
