#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/TFractArray.h"
#include "engine/cpufeatures.h"
#include "engine/fastkernel.h"
#include "engine/fastkernel_isa.h"
#include "engine/kernels.h"
#include "engine/realfunctions.h"
#include "support/fractarrays.h"
#include "support/formulaids.h"

namespace {

using namespace std::chrono_literals;

constexpr int Z = TKernelParams::MapZ, C = TKernelParams::MapC, D = TKernelParams::MapD;

std::vector<TKernelIsa> SupportedIsas() {
  std::vector<TKernelIsa> isas;
  for (TKernelIsa isa : {TKernelIsa::Generic, TKernelIsa::Avx2, TKernelIsa::Avx512})
    if (CpuSupports(isa)) isas.push_back(isa);
  return isas;
}

TKernelParams Area(TKernelParams p, double left, double right, double top, double bottom) {
  p.Left = left;
  p.Right = right;
  p.Top = top;
  p.Bottom = bottom;
  return p;
}

TKernelParams Constant(TKernelParams p, double cr, double ci) {
  p.CR = cr;
  p.CI = ci;
  return p;
}

TKernelParams Circle(TKernelParams p, double outerCircle) {
  p.OuterCircle = outerCircle;
  return p;
}

// Fills both blocks with a pattern no kernel stores, so that a skipped cell shows.
void Poison(TFractArray& array) {
  const size_t cells = static_cast<size_t>(array.Width) * array.Height;
  for (size_t i = 0; i < cells; ++i) {
    array.DepthColumn(0)[i] = 7.5f;
    array.CycleColumn(0)[i] = -77;
  }
}

// The first cell where the two arrays differ bit for bit, or "" when none does.
std::string FirstDifference(const TFractArray& expected, const TFractArray& got) {
  for (int x = 0; x < expected.Width; ++x)
    for (int y = 0; y < expected.Height; ++y) {
      const float e = expected.GetDepth(x, y), g = got.GetDepth(x, y);
      if (std::memcmp(&e, &g, sizeof e) != 0 || expected.GetCycle(x, y) != got.GetCycle(x, y))
        return "cell " + std::to_string(x) + "," + std::to_string(y) + ": expected " +
               std::to_string(e) + "/" + std::to_string(expected.GetCycle(x, y)) + ", got " +
               std::to_string(g) + "/" + std::to_string(got.GetCycle(x, y));
    }
  return "";
}

// Computes the whole picture with the reference and with the fast kernel of every instruction
// set this CPU has, and requires identical arrays.
void ExpectSameAsReference(const TKernelParams& p, const std::string& name) {
  TFractArray expected(p.XResolution, p.YResolution);
  Poison(expected);
  ASSERT_TRUE(ComputeBand(p, expected, {0, 0, p.XResolution, p.YResolution}, p.XResolution));
  for (TKernelIsa isa : SupportedIsas()) {
    SCOPED_TRACE(name + " on " + KernelIsaName(isa));
    TFractArray got(p.XResolution, p.YResolution);
    Poison(got);
    // In bands of various widths, as the workers hand them out.
    for (int first = 0; first < p.XResolution; first += 5)
      ASSERT_TRUE(ComputeBandFast(p, got, {first, 0, first + 5, p.YResolution}, p.XResolution,
                                  nullptr, isa));
    EXPECT_EQ(got.ColumnsDone.load(), p.XResolution);
    EXPECT_EQ(FirstDifference(expected, got), "");
  }
}

// The vector versions of the reference's transcendental functions, by instruction set.
void FastFunctions(TKernelIsa isa, TFastFunction function, const std::vector<double>& x,
                   const std::vector<double>& y, std::vector<double>& out) {
  out.assign(x.size(), 0.0);
  const int count = static_cast<int>(x.size());
  switch (isa) {
    case TKernelIsa::Generic:
      return FastFunctionsGeneric(function, x.data(), y.data(), out.data(), count);
    case TKernelIsa::Avx2:
      return FastFunctionsAvx2(function, x.data(), y.data(), out.data(), count);
    case TKernelIsa::Avx512:
      return FastFunctionsAvx512(function, x.data(), y.data(), out.data(), count);
  }
}

double ScalarFunction(TFastFunction function, double x, double y) {
  switch (function) {
    case TFastFunction::Exp:
      return RealExp(x);
    case TFastFunction::Sin:
      return RealSinCos(x).Sin;
    case TFastFunction::Cos:
      return RealSinCos(x).Cos;
    case TFastFunction::Sinh:
      return RealSinh(x);
    case TFastFunction::Cosh:
      return RealCosh(x);
    case TFastFunction::Pow:
      return RealPow(x, y);
    case TFastFunction::Asin:
      return RealAsin(x);
  }
  return 0.0;
}

// Same bits, or both not a number (whose payload no kernel looks at).
bool SameResult(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(FastFunctions, VectorVersionsGiveTheScalarBits) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Ordinary, huge (long argument reductions), tiny and subnormal, overflowing (exp, sinh and
  // cosh beyond 709.8), infinite and NaN arguments, and asin's edges of [-1, 1].
  const std::vector<double> special = {
      0.5,    -1.25,   3.0,     100.5,   1.5707963267948966, -0.75,  1e300,  -1e300, 1e22,
      1.2e18, 709.7,   -745.1,  1e-300,  -1e-310,            5e-324, 0.0,    -0.0,   710.0,
      800.0,  -800.0,  711.0,   -711.0,  inf,                -inf,   nan,    1.0,    -1.0,
      1.0000000000000002,      0.9999999999999999,          -1.0000000000000002};
  // Bases and exponents of the power: roots, zeros, negative bases, overflow, underflow,
  // infinities and NaN on either side.
  const std::vector<std::pair<double, double>> powers = {
      {2, 0.5},    {0, 3},     {0, 0},       {-0.0, 3},   {-2, 3},    {-2, 0.5},  {1e300, 2},
      {1e-300, 2}, {10, 400},  {10, -400},   {0.5, 2000}, {inf, 2},   {-inf, 3},  {nan, 1},
      {1, nan},    {2, inf},   {0.5, inf},   {1, inf},    {0, -1},    {3.7, 1e9}, {1.0000001, 5e9}};

  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> ordinary(-12.0, 12.0), near(-750.0, 750.0),
      exponent(-300.0, 300.0), unit(-1.0, 1.0), base(0.0, 60.0), power(-60.0, 60.0);
  std::vector<double> spread;
  for (int i = 0; i < 3000; ++i) {
    spread.push_back(ordinary(random));
    spread.push_back(near(random));
    spread.push_back(unit(random));
    spread.push_back(std::copysign(std::pow(10.0, exponent(random)), unit(random)));
  }

  for (TKernelIsa isa : SupportedIsas()) {
    for (TFastFunction function :
         {TFastFunction::Exp, TFastFunction::Sin, TFastFunction::Cos, TFastFunction::Sinh,
          TFastFunction::Cosh, TFastFunction::Pow, TFastFunction::Asin}) {
      std::vector<double> x = special, y(special.size(), 2.0);
      x.insert(x.end(), spread.begin(), spread.end());
      y.resize(x.size(), 2.0);
      if (function == TFastFunction::Pow) {
        x.clear();
        y.clear();
        for (const auto& [b, e] : powers) {
          x.push_back(b);
          y.push_back(e);
        }
        for (int i = 0; i < 6000; ++i) {
          x.push_back(base(random));
          y.push_back(power(random));
        }
      }
      std::vector<double> out;
      FastFunctions(isa, function, x, y, out);
      int differences = 0;
      std::string first;
      for (size_t i = 0; i < x.size(); ++i) {
        const double expected = ScalarFunction(function, x[i], y[i]);
        if (SameResult(expected, out[i])) continue;
        if (differences++ == 0) {
          std::ostringstream text;
          text << std::setprecision(17) << "argument " << x[i] << ", " << y[i] << ": expected "
               << expected << ", got " << out[i];
          first = text.str();
        }
      }
      EXPECT_EQ(differences, 0) << KernelIsaName(isa) << " function "
                                << static_cast<int>(function) << ", first at " << first;
    }
  }
}

TEST(FastKernel, EveryFormulaAndMapModeMatchesTheReference) {
  for (int formula = 0; formula < FormulaCount; ++formula)
    for (int map : {Z, C, D})
      for (int mode : {TKernelParams::ColorContinue, TKernelParams::ColorDiscontinue})
        for (int32_t maxCycle : {0, 3}) {
          TKernelParams p = Picture(formula, map);
          p.ColorMode = mode;
          p.MaxCycle = maxCycle;
          ExpectSameAsReference(p, "formula " + std::to_string(formula) + " map " +
                                       std::to_string(map) + " mode " + std::to_string(mode) +
                                       " cycles " + std::to_string(maxCycle));
        }
}

TEST(FastKernel, DepthsCyclesAndExponentsMatchTheReference) {
  const auto with = [](TKernelParams p, const std::function<void(TKernelParams&)>& change) {
    change(p);
    return p;
  };
  struct {
    const char* Name;
    TKernelParams Params;
  } cases[] = {
      {"MaxDepth 1 stores 0 everywhere", with(Picture(formula::Z2, C), [](auto& p) { p.MaxDepth = 1; })},
      {"MaxDepth 2", with(Picture(formula::Z2, C), [](auto& p) { p.MaxDepth = 2; })},
      {"deep zoom at the border",
       with(Area(Picture(formula::Z2, C, 41, 29), -0.7454, -0.7452, 0.1131, 0.1129),
            [](auto& p) { p.MaxDepth = 3000; })},
      {"MaxCycle 1", with(Picture(formula::Z2, C), [](auto& p) { p.MaxCycle = 1; })},
      {"MaxCycle 7, wide InnerDist", with(Picture(formula::Z3, C), [](auto& p) {
         p.MaxCycle = 7;
         p.InnerDist = 0.3;
       })},
      {"MaxCycle at the vector limit", with(Picture(formula::Z2, C), [](auto& p) {
         p.MaxCycle = FastMaxCycle;
         p.InnerDist = 0.01;
         p.MaxDepth = 400;
       })},
      {"MaxCycle beyond the vector limit", with(Picture(formula::Z2, C), [](auto& p) {
         p.MaxCycle = FastMaxCycle + 1;
         p.InnerDist = 0.01;
       })},
      {"formula 5 with exponents 1 and 7", with(Picture(formula::ZNDZM, Z), [](auto& p) { p.N = 1; p.M = 7; })},
      {"formula 5 with the largest exponent",
       with(Picture(formula::ZNDZM, C), [](auto& p) { p.N = 2147483647; })},
      {"formula 6 with N 2", with(Picture(formula::ZTimesPoly, C), [](auto& p) { p.N = 2; p.CR = 0.3; })},
      {"formula 8 with N 1", with(Picture(formula::ZRational, D), [](auto& p) { p.N = 1; })},
      {"formula 3 with N 2", with(Picture(formula::ZN, C), [](auto& p) { p.N = 2; })},
      {"formula 3 with N 1", with(Picture(formula::ZN, Z), [](auto& p) { p.N = 1; })},
      {"small escape radius", with(Picture(formula::Z4, Z), [](auto& p) { p.OuterCircle = 1.0000001; })},
      // Lanes reaching the limit while others end and start their staged pixels.
      {"MaxCycle 3 at a deep limit",
       with(Area(Picture(formula::Z2, C, 41, 29), -0.7454, -0.7452, 0.1131, 0.1129), [](auto& p) {
         p.MaxDepth = 3000;
         p.InnerDist = 1e-9;
       })},
      {"formula 9 with MaxCycle 3 at a deep limit", with(Picture(formula::Exp, C), [](auto& p) {
         p.MaxDepth = 2000;
         p.InnerDist = 1e-12;
       })},
  };
  for (const auto& t : cases) ExpectSameAsReference(t.Params, t.Name);
}

TEST(FastKernel, EdgeAreasMatchTheReference) {
  struct {
    const char* Name;
    TKernelParams Params;
  } cases[] = {
      // Every point escapes at its first step and gets the smallest depth.
      {"first-step escape", Area(Picture(formula::Z2, C), 100, 300, 200, -200)},
      {"first-step escape, formula 2", Area(Picture(formula::Z4, Z), -500, 500, 500, -500)},
      // Squares overflow before the escape test: faults, not escapes.
      {"overflow", Circle(Area(Picture(formula::Z2, Z), -1e200, 1e200, 1e200, -1e200), 1e160)},
      {"overflow in a quotient", Circle(Area(Picture(formula::ZRational, Z), -1e155, 1e155, 1e155, -1e155), 1e150)},
      {"exp overflow", Area(Picture(formula::Exp, Z), 700, 900, 1, -1)},
      // cosh and sinh overflow; with c = 0 formula 11 multiplies the infinity by 0.
      {"sine overflow", Area(Picture(formula::SinPlusC, Z), -3, 3, 800, 600)},
      {"sine overflow times 0", Area(Constant(Picture(formula::CTimesSin, Z), 0, 0), -3, 3, 800, 600)},
      {"sines far along the real axis", Area(Picture(formula::SinMinusZ, C), 1e15, 1e15 + 1000, 1, -1)},
      // r^N overflows before the escape test.
      {"power overflow", Circle(Area(Picture(formula::ZN, Z), -20, 20, 20, -20), 1e300)},
      // The origin (angle 0) and the negative real axis (angle pi).
      {"axes, formula 3", Area(Picture(formula::ZN, Z, 40, 30), -2, 2, 1.5, -1.5)},
      {"underflow to subnormals", Area(Picture(formula::Z2, Z), -1e-160, 1e-160, 1e-160, -1e-160)},
      {"division by zero", Area(Picture(formula::ZRational, C), -2, 0, 1, -1)},
      // Even sizes over symmetric areas put a column and a row exactly on the axes.
      {"axes, formula 7", Area(Picture(formula::ZTimesQuotient, Z, 40, 30), -2, 2, 1.5, -1.5)},
      {"axes, formula 7 as c", Area(Picture(formula::ZTimesQuotient, C, 40, 30), -2, 2, 1.5, -1.5)},
      {"axes, formula 0", Area(Picture(formula::Z2, C, 40, 30), -2, 2, 1.5, -1.5)},
      {"axes, formula 4", Area(Picture(formula::Z3D2Z, D, 40, 30), -2, 2, 1.5, -1.5)},
      {"negative zero corner", Area(Picture(formula::ZTimesPoly, Z, 40, 30), -0.0, 1, -0.0, -1)},
      {"single pixel", Picture(formula::Z2, C, 1, 1)},
      {"single row", Picture(formula::Z3, C, 50, 1)},
      {"single column", Picture(formula::ZRational, Z, 1, 50)},
  };
  for (const auto& t : cases) ExpectSameAsReference(t.Params, t.Name);
}

TEST(FastKernel, CycleHistoriesOfEveryDepthMatchTheReference) {
  // Depths 1 to 4 are kept in registers, deeper ones in memory; a wide InnerDist finds cycles of
  // every period in the set.
  for (int formula : {formula::Z2, formula::Z4, formula::Z3D2Z, formula::ZRational, formula::Exp, formula::SinMinusZ})
    for (int32_t maxCycle : {1, 2, 3, 4, 5}) {
      TKernelParams p = Picture(formula, C, 37, 23, 300);
      p.MaxCycle = maxCycle;
      p.InnerDist = 0.02;
      ExpectSameAsReference(p, "formula " + std::to_string(formula) + " MaxCycle " +
                                   std::to_string(maxCycle));
    }
}

// Near a repelling 2-cycle every pixel's orbit is detected as a cycle and goes on once the
// cycle is found to repel (in the step loop with a history in memory, and by the reference's
// code from the log with a history in registers), some several times.
TEST(FastKernel, CyclesPassedByMatchTheReference) {
  for (int32_t maxCycle : {1, 2, 3, 4, 5, 9}) {
    TKernelParams p = Area(Picture(formula::Z2, C, 29, 17, 1000), -0.74329239, -0.74329139, 0.1312409,
                           0.1312402);
    p.MaxCycle = maxCycle;
    ExpectSameAsReference(p, "MaxCycle " + std::to_string(maxCycle));
    p.InnerDist = 0.01;
    ExpectSameAsReference(p, "MaxCycle " + std::to_string(maxCycle) + ", InnerDist 0.01");
  }
}

TEST(FastKernel, BandsAroundTheLaneAndQueueSizesMatchTheReference) {
  // Lanes with a history in registers take their next pixels from a queue and log the ended
  // ones in batches of at most 8 vectors of lanes; bands of one pixel, of fewer pixels than
  // lanes, and of a few batches must all end with every cell stored and the spare lanes parked.
  // d as the pixel covers the formulas that read d; formula 12 parks on c = 1.
  struct TCase {
    int Formula, Map, Rows;
  };
  const TCase cases[] = {{0, C, 1}, {0, C, 3},   {0, C, 7},   {0, C, 64}, {0, C, 129},
                         {4, D, 5}, {5, D, 131}, {8, D, 257}, {12, C, 9}, {12, Z, 200}};
  for (const TCase& t : cases)
    for (int32_t maxCycle : {1, 3, 4}) {
      TKernelParams p = Picture(t.Formula, t.Map, 3, t.Rows, 150);
      p.MaxCycle = maxCycle;
      p.InnerDist = 0.01;
      ExpectSameAsReference(p, "formula " + std::to_string(t.Formula) + " map " +
                                   std::to_string(t.Map) + " rows " + std::to_string(t.Rows) +
                                   " MaxCycle " + std::to_string(maxCycle));
    }
}

TEST(FastKernel, LanesReachingTheLimitAtStaggeredStepsMatchTheReference) {
  // Lanes with a history in registers are checked for the limit only at the step the earliest
  // of them reaches it; pixels escaping at every step around the set's border start their
  // successors at staggered steps, and an InnerDist of 0 leaves the limit as the only other end.
  // The shallowest limits end pixels a step or two after they start.
  for (int32_t maxDepth : {2, 3, 5, 40, 333})
    for (int32_t maxCycle : {1, 3, 4}) {
      TKernelParams p = Area(Picture(formula::Z2, C, 21, 67, maxDepth), -0.9, -0.6, 0.3, 0.0);
      p.MaxCycle = maxCycle;
      p.InnerDist = 0.0;
      ExpectSameAsReference(p, "MaxDepth " + std::to_string(maxDepth) + " MaxCycle " +
                                   std::to_string(maxCycle));
    }
}

// Records each reported column and whether its cells were final when it was reported.
class TCheckingSink : public TColumnSink {
public:
  TCheckingSink(const TFractArray& expected, const TFractArray& got)
      : Expected(expected), Got(got) {}
  void ColumnFinished(int x) override {
    Reported.push_back(x);
    Final = Final && SameColumns(Expected, Got, x, x + 1);
  }
  const TFractArray& Expected;
  const TFractArray& Got;
  std::vector<int> Reported;
  bool Final = true;
};

TEST(FastKernel, ReportsEachClippedColumnOnceWhenItsCellsAreFinal) {
  TKernelParams p = Picture(formula::Z2, C, 12, 17);
  p.MaxDepth = 500;
  const auto expected = ComputeWhole(p);
  for (TKernelIsa isa : SupportedIsas()) {
    SCOPED_TRACE(KernelIsaName(isa));
    TFractArray got(12, 17);
    Poison(got);
    TCheckingSink sink(*expected, got);
    // Reaches outside the array on both sides: clipped to columns 0 .. 11.
    EXPECT_TRUE(ComputeBandColumns(p, got, {-4, -2, 20, 30}, 12, nullptr, sink, isa));
    std::vector<int> sorted = sink.Reported;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(sink.Final);
    EXPECT_EQ(got.ColumnsDone.load(), 0);  // left to the caller
  }
}

TEST(FastKernel, PartialRowsLeaveOtherCellsAlone) {
  const TKernelParams p = Picture(formula::Z3D2Z, Z, 9, 20);
  const auto expected = ComputeWhole(p);
  for (TKernelIsa isa : SupportedIsas()) {
    SCOPED_TRACE(KernelIsaName(isa));
    TFractArray got(9, 20);
    Poison(got);
    EXPECT_TRUE(ComputeBandFast(p, got, {2, 5, 6, 13}, 9, nullptr, isa));
    EXPECT_EQ(got.ColumnsDone.load(), 6);
    for (int x = 0; x < 9; ++x)
      for (int y = 0; y < 20; ++y) {
        const bool inside = x >= 2 && x < 6 && y >= 5 && y < 13;
        if (inside) {
          EXPECT_EQ(got.GetDepth(x, y), expected->GetDepth(x, y)) << x << "," << y;
          EXPECT_EQ(got.GetCycle(x, y), expected->GetCycle(x, y)) << x << "," << y;
        } else {
          EXPECT_EQ(got.GetCycle(x, y), -77) << x << "," << y;
        }
      }
    // Columns without rows count as done at once, as in the reference.
    TFractArray empty(9, 20);
    EXPECT_TRUE(ComputeBandFast(p, empty, {0, 7, 3, 7}, 9, nullptr, isa));
    EXPECT_EQ(empty.ColumnsDone.load(), 3);
  }
}

TEST(FastKernel, StopEndsADeepBandWithoutCountingItsColumns) {
  // Without and with a cycle history, whose lanes stage their next pixels.
  for (const TKernelParams& endless : {EndlessPicture(formula::Z3D2Z, 8, 8), EndlessChaos(8, 8, 3)}) {
    ASSERT_TRUE(FastKernelVectorises(endless));
    for (TKernelIsa isa : SupportedIsas()) {
      SCOPED_TRACE(std::string(KernelIsaName(isa)) + " MaxCycle " +
                   std::to_string(endless.MaxCycle));
      TFractArray array(8, 8);
      const std::atomic<bool> stopped{true};
      EXPECT_FALSE(ComputeBandFast(endless, array, {0, 0, 8, 8}, 8, &stopped, isa));
      EXPECT_EQ(array.ColumnsDone.load(), 0);

      std::atomic<bool> stop{false};
      bool result = true;
      std::thread worker(
          [&] { result = ComputeBandFast(endless, array, {0, 0, 8, 8}, 8, &stop, isa); });
      stop = true;  // before or inside the first pixels, which would never end by themselves
      worker.join();  // hangs here if the stop is not honoured inside the pixels
      EXPECT_FALSE(result);
      EXPECT_EQ(array.ColumnsDone.load(), 0);
    }
  }
}

}  // namespace
