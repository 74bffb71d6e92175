#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "engine/TCallQueue.h"
#include "engine/TFractArray.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/kernels.h"
#include "support/TRecordingView.h"
#include "support/fractarrays.h"
#include "support/formulaids.h"

// Parameters a user may type or a file may hold at the edges of their ranges: each gives a
// normal picture or a clear refusal, and a computation can always be stopped at once.

namespace {

using namespace std::chrono_literals;
using TKernel = TThreadVolumeWriter::TKernel;

TThreadVolumeWriter::TOptions Options(TKernel kernel) {
  TThreadVolumeWriter::TOptions options;
  options.Kernel = kernel;
  if (kernel == TKernel::Fast) options.Progress = TThreadVolumeWriter::TProgress::Coalesced;
  return options;
}

// Runs the view's worker over `p` to its end, this thread playing the GUI thread.
std::unique_ptr<TFractArray> RunWorker(const TKernelParams& p, TKernel kernel) {
  auto array = std::make_unique<TFractArray>(p.XResolution, p.YResolution);
  TRecordingView view(*array);
  TCallQueue gui;
  {
    TThreadVolumeWriter writer(view, *array, p, gui, Options(kernel));
    writer.Resume();
    EXPECT_TRUE(gui.ProcessUntil([&] { return view.Ended > 0; }, 120s));
    writer.WaitFor();
  }
  return array;
}

// Every cell holds a value of the documented ranges: a finite fraction in [-1, 1] and a
// period of 0 (escaped or limit) or 1 .. MaxCycle with a negative depth.
bool CellsInRange(const TFractArray& a, const TKernelParams& p) {
  for (int x = 0; x < a.Width; ++x)
    for (int y = 0; y < a.Height; ++y) {
      const float depth = a.GetDepth(x, y);
      const int32_t cycle = a.GetCycle(x, y);
      if (!std::isfinite(depth) || depth < -1 || depth > 1) return false;
      if (cycle < 0 || cycle > p.MaxCycle || (cycle > 0) != (depth < 0)) return false;
    }
  return true;
}

}  // namespace

TEST(HostileParameters, ArraysThatCannotFitAreRefusedBeforeAllocating) {
  const struct {
    int Width, Height;
    bool Allowed;
  } rows[] = {
      {1, 1, true},          {1, 5000, true},       {5000, 1, true},
      {0, 250, false},       {250, 0, false},       {-1, 250, false},
      // Beyond the memory of any machine, so that the answer does not depend on this one.
      {1000000, 1000000, false},                    // 8 TB
      {2147483647, 4096, false}, {4096, 2147483647, false},
      {2147483647, 2147483647, false},              // overflows 64-bit bytes unless checked
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.Width) + " x " + std::to_string(row.Height));
    EXPECT_EQ(TFractArray::SizeAllowed(row.Width, row.Height), row.Allowed);
    const auto array = TFractArray::TryCreate(row.Width, row.Height);
    EXPECT_EQ(array != nullptr, row.Allowed);
    if (array) {
      EXPECT_EQ(array->Width, row.Width);
      EXPECT_EQ(array->Height, row.Height);
    }
  }
}

TEST(HostileParameters, EdgeValuesGiveANormalPictureWithBothKernels) {
  const struct {
    const char* Case;
    std::function<void(TKernelParams&)> Set;
    std::function<bool(const TFractArray&)> Shape;  // what the picture must look like
  } rows[] = {
      {"one pixel", [](TKernelParams& p) { p.XResolution = p.YResolution = 1; }, nullptr},
      {"one column", [](TKernelParams& p) { p.XResolution = 1; }, nullptr},
      {"one row", [](TKernelParams& p) { p.YResolution = 1; }, nullptr},
      {"Left equal to Right", [](TKernelParams& p) { p.Left = p.Right = 0.25; },
       [](const TFractArray& a) {  // every column is the same
         for (int x = 1; x < a.Width; ++x)
           if (std::memcmp(a.DepthColumn(0), a.DepthColumn(x), a.Height * sizeof(float)) != 0)
             return false;
         return true;
       }},
      {"Top equal to Bottom", [](TKernelParams& p) { p.Top = p.Bottom = -0.5; },
       [](const TFractArray& a) {  // every row is the same
         for (int x = 0; x < a.Width; ++x)
           for (int y = 1; y < a.Height; ++y)
             if (a.GetDepth(x, y) != a.GetDepth(x, 0)) return false;
         return true;
       }},
      {"plane of the whole double range",
       [](TKernelParams& p) {
         p.Left = p.Bottom = -1.7976931348623157e308;
         p.Right = p.Top = 1.7976931348623157e308;
       },
       nullptr},
      {"InnerDist 1e-300", [](TKernelParams& p) { p.InnerDist = 1e-300; },
       [](const TFractArray& a) {  // its square is 0: nothing is ever a cycle
         for (int x = 0; x < a.Width; ++x)
           for (int y = 0; y < a.Height; ++y)
             if (a.GetCycle(x, y) != 0) return false;
         return true;
       }},
      {"MaxDepth 1", [](TKernelParams& p) { p.MaxDepth = 1; },
       [](const TFractArray& a) {
         for (int x = 0; x < a.Width; ++x)
           for (int y = 0; y < a.Height; ++y)
             if (a.GetDepth(x, y) != 0 || a.GetCycle(x, y) != 0) return false;
         return true;
       }},
      {"MaxCycle 2147483647", [](TKernelParams& p) { p.MaxCycle = 2147483647; }, nullptr},
      // R2 = OuterCircle^2 is infinite from about 1.35e154 on: nothing escapes, and a pixel
      // ends when its r2 overflows, keeping the count of the step before (as a trap would).
      {"OuterCircle 1e308, Julia", [](TKernelParams& p) { p.OuterCircle = 1e308; },
       [](const TFractArray& a) {  // at the corner (-1.5, 1.5) the ninth r2 overflows
         return a.GetDepth(0, 0) == static_cast<float>(9.0 / 200);
       }},
      {"OuterCircle 1e308, Mandelbrot",
       [](TKernelParams& p) {
         p.OuterCircle = 1e308;
         p.MapField = TKernelParams::MapC;
       },
       nullptr},
      {"escape at once in Continue mode",
       [](TKernelParams& p) {
         p.OuterCircle = 1.0000000000000002;
         p.Formula = formula::ZN;
         p.N = 2147483647;
       },
       nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    TKernelParams p = PictureOfSize(23, 9);
    row.Set(p);
    const auto expected = ComputeWhole(p);
    EXPECT_TRUE(CellsInRange(*expected, p));
    if (row.Shape) {
      EXPECT_TRUE(row.Shape(*expected));
    }
    for (TKernel kernel : {TKernel::Reference, TKernel::Fast}) {
      const auto array = RunWorker(p, kernel);
      EXPECT_EQ(array->ColumnsDone.load(), p.XResolution);
      EXPECT_TRUE(SameCells(*array, *expected)) << "kernel " << static_cast<int>(kernel);
    }
  }
}

TEST(HostileParameters, LargestExponentsCostOnlyAFewDozenProductsAStep) {
  // With a power computed by N - 1 products one step would take seconds; a picture of
  // 40 x 40 pixels and up to 200 steps each would never end.
  for (int formula : {formula::ZN, formula::ZNDZM, formula::ZTimesPoly, formula::ZTimesQuotient, formula::ZRational}) {
    SCOPED_TRACE(formula);
    TKernelParams p = PictureOfSize(40, 40);
    p.Formula = formula;
    p.N = p.M = 2147483647;
    TFractArray array(p.XResolution, p.YResolution);
    ASSERT_TRUE(ComputeBand(p, array, {0, 0, p.XResolution, p.YResolution}, p.XResolution));
    EXPECT_TRUE(CellsInRange(array, p));
  }
}

TEST(HostileParameters, DeepestLimitStillStops) {
  // A stop request before or inside a pixel that would take minutes; a stop not honoured
  // inside the pixel leaves WaitFor waiting.
  const struct {
    const char* Case;
    TKernelParams Params;
  } rows[] = {
      {"no cycle detection", EndlessChaos(16, 4, 0)},
      {"cycle detection on", EndlessChaos(16, 4, 3)},
      // Every step compares against the whole, ever longer history.
      {"longest history", EndlessChaos(16, 4, 2147483647)},
  };
  for (const auto& row : rows)
    for (TKernel kernel : {TKernel::Reference, TKernel::Fast}) {
      SCOPED_TRACE(std::string(row.Case) + ", kernel " + std::to_string(static_cast<int>(kernel)));
      TFractArray array(row.Params.XResolution, row.Params.YResolution);
      TRecordingView view(array);
      TCallQueue gui;
      TThreadVolumeWriter writer(view, array, row.Params, gui, Options(kernel));
      writer.Resume();
      writer.Terminate();
      writer.WaitFor();
      EXPECT_TRUE(writer.Finished());
      EXPECT_EQ(array.ColumnsDone.load(), 0);
      gui.ProcessPending();
      EXPECT_TRUE(view.Paints.empty());
    }
}
