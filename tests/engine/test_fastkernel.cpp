#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/TFractArray.h"
#include "engine/cpufeatures.h"
#include "engine/fastkernel.h"
#include "engine/fastkernel_isa.h"
#include "engine/kernels.h"
#include "support/fractarrays.h"

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

TEST(FastKernel, EveryFormulaAndMapModeMatchesTheReference) {
  for (int formula = 0; formula < TKernelParams::FormulaCount; ++formula)
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
      {"MaxDepth 1 stores 0 everywhere", with(Picture(0, C), [](auto& p) { p.MaxDepth = 1; })},
      {"MaxDepth 2", with(Picture(0, C), [](auto& p) { p.MaxDepth = 2; })},
      {"deep zoom at the border",
       with(Area(Picture(0, C, 41, 29), -0.7454, -0.7452, 0.1131, 0.1129),
            [](auto& p) { p.MaxDepth = 3000; })},
      {"MaxCycle 1", with(Picture(0, C), [](auto& p) { p.MaxCycle = 1; })},
      {"MaxCycle 7, wide InnerDist", with(Picture(1, C), [](auto& p) {
         p.MaxCycle = 7;
         p.InnerDist = 0.3;
       })},
      {"MaxCycle at the vector limit", with(Picture(0, C), [](auto& p) {
         p.MaxCycle = FastMaxCycle;
         p.InnerDist = 0.01;
         p.MaxDepth = 400;
       })},
      {"MaxCycle beyond the vector limit", with(Picture(0, C), [](auto& p) {
         p.MaxCycle = FastMaxCycle + 1;
         p.InnerDist = 0.01;
       })},
      {"formula 5 with exponents 1 and 7", with(Picture(5, Z), [](auto& p) { p.N = 1; p.M = 7; })},
      {"formula 5 with the largest exponent",
       with(Picture(5, C), [](auto& p) { p.N = 2147483647; })},
      {"formula 6 with N 2", with(Picture(6, C), [](auto& p) { p.N = 2; p.CR = 0.3; })},
      {"formula 8 with N 1", with(Picture(8, D), [](auto& p) { p.N = 1; })},
      {"formula 3 with N 2", with(Picture(3, C), [](auto& p) { p.N = 2; })},
      {"small escape radius", with(Picture(2, Z), [](auto& p) { p.OuterCircle = 1.0000001; })},
  };
  for (const auto& t : cases) ExpectSameAsReference(t.Params, t.Name);
}

TEST(FastKernel, EdgeAreasMatchTheReference) {
  struct {
    const char* Name;
    TKernelParams Params;
  } cases[] = {
      // Every point escapes at its first step and gets the smallest depth.
      {"first-step escape", Area(Picture(0, C), 100, 300, 200, -200)},
      {"first-step escape, formula 2", Area(Picture(2, Z), -500, 500, 500, -500)},
      // Squares overflow before the escape test: faults, not escapes.
      {"overflow", Circle(Area(Picture(0, Z), -1e200, 1e200, 1e200, -1e200), 1e160)},
      {"overflow in a quotient", Circle(Area(Picture(8, Z), -1e155, 1e155, 1e155, -1e155), 1e150)},
      {"exp overflow", Area(Picture(9, Z), 700, 900, 1, -1)},
      {"underflow to subnormals", Area(Picture(0, Z), -1e-160, 1e-160, 1e-160, -1e-160)},
      {"division by zero", Area(Picture(8, C), -2, 0, 1, -1)},
      // Even sizes over symmetric areas put a column and a row exactly on the axes.
      {"axes, formula 7", Area(Picture(7, Z, 40, 30), -2, 2, 1.5, -1.5)},
      {"axes, formula 7 as c", Area(Picture(7, C, 40, 30), -2, 2, 1.5, -1.5)},
      {"axes, formula 0", Area(Picture(0, C, 40, 30), -2, 2, 1.5, -1.5)},
      {"axes, formula 4", Area(Picture(4, D, 40, 30), -2, 2, 1.5, -1.5)},
      {"negative zero corner", Area(Picture(6, Z, 40, 30), -0.0, 1, -0.0, -1)},
      {"single pixel", Picture(0, C, 1, 1)},
      {"single row", Picture(1, C, 50, 1)},
      {"single column", Picture(8, Z, 1, 50)},
  };
  for (const auto& t : cases) ExpectSameAsReference(t.Params, t.Name);
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
  TKernelParams p = Picture(0, C, 12, 17);
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
  const TKernelParams p = Picture(4, Z, 9, 20);
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
  const TKernelParams endless = EndlessPicture(4, 8, 8);
  ASSERT_TRUE(FastKernelVectorises(endless));
  for (TKernelIsa isa : SupportedIsas()) {
    SCOPED_TRACE(KernelIsaName(isa));
    TFractArray array(8, 8);
    const std::atomic<bool> stopped{true};
    EXPECT_FALSE(ComputeBandFast(endless, array, {0, 0, 8, 8}, 8, &stopped, isa));
    EXPECT_EQ(array.ColumnsDone.load(), 0);

    std::atomic<bool> stop{false};
    bool result = true;
    std::thread worker(
        [&] { result = ComputeBandFast(endless, array, {0, 0, 8, 8}, 8, &stop, isa); });
    std::this_thread::sleep_for(20ms);
    stop = true;
    worker.join();  // hangs here if the stop is not honoured inside the pixels
    EXPECT_FALSE(result);
    EXPECT_EQ(array.ColumnsDone.load(), 0);
  }
}

}  // namespace
