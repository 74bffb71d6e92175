#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/TCallQueue.h"
#include "engine/TFractArray.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/TVolumeClient.h"
#include "engine/kernels.h"

namespace {

using namespace std::chrono_literals;

// Plays the view on the test thread, which plays the GUI thread.
class TRecordingView : public TVolumeClient {
public:
  explicit TRecordingView(TFractArray& array) : Array(array) {}
  void PaintProgress() override {
    DoneAtPaint.push_back(Array.ColumnsDone.load(std::memory_order_acquire));
    OffGuiThread |= std::this_thread::get_id() != Gui;
  }
  void ComputationEnded() override {
    PaintsBeforeEnd = static_cast<int>(DoneAtPaint.size());
    OffGuiThread |= std::this_thread::get_id() != Gui;
    ++Ended;
  }
  int Calls() const { return static_cast<int>(DoneAtPaint.size()) + Ended; }

  TFractArray& Array;
  std::vector<int> DoneAtPaint;
  int Ended = 0, PaintsBeforeEnd = -1;
  bool OffGuiThread = false;
  const std::thread::id Gui = std::this_thread::get_id();
};

// Waits, without running anything, until `count` calls are queued.
bool WaitForPending(const TCallQueue& gui, size_t count) {
  for (int i = 0; i < 60000 && gui.Pending() < count; ++i) std::this_thread::sleep_for(1ms);
  return gui.Pending() >= count;
}

TKernelParams Picture(int width, int height) {
  TKernelParams p;
  p.XResolution = width;
  p.YResolution = height;
  return p;
}

// Every pixel sits on an undetected fixed point at the deepest limit: a band takes hours.
TKernelParams EndlessPicture(int width, int height) {
  TKernelParams p = Picture(width, height);
  p.Formula = 9;
  p.CR = p.CI = p.Left = p.Right = p.Top = p.Bottom = 0;
  p.MaxCycle = 0;
  p.MaxDepth = 2147483647;
  return p;
}

// Whether columns 0 .. columns - 1 hold exactly what the kernel computes on this thread.
bool ColumnsMatchKernel(const TKernelParams& p, const TFractArray& array, int columns) {
  TFractArray expected(p.XResolution, p.YResolution);
  ComputeBand(p, expected, {0, 0, columns, p.YResolution}, p.XResolution);
  const size_t cells = static_cast<size_t>(columns) * p.YResolution;
  return columns == 0 ||
         (std::memcmp(array.DepthColumn(0), expected.DepthColumn(0), cells * 4) == 0 &&
          std::memcmp(array.CycleColumn(0), expected.CycleColumn(0), cells * 4) == 0);
}

TEST(ThreadVolumeWriter, PaintsAfterEachBandOfFourColumnsThenEndsOnce) {
  struct {
    int Width;
    std::vector<int> Paints;
  } cases[] = {{6, {4, 6}}, {1, {1}}, {4, {4}}, {13, {4, 8, 12, 13}}};
  for (const auto& t : cases) {
    SCOPED_TRACE(t.Width);
    const TKernelParams p = Picture(t.Width, 5);
    TFractArray array(t.Width, 5);
    TRecordingView view(array);
    TCallQueue gui;
    TThreadVolumeWriter writer(view, array, p, gui);
    writer.Resume();
    ASSERT_TRUE(gui.ProcessUntil([&] { return view.Ended == 1; }, 60s));
    writer.WaitFor();
    gui.ProcessPending();
    EXPECT_TRUE(writer.Finished());
    EXPECT_EQ(view.DoneAtPaint, t.Paints);
    EXPECT_EQ(view.PaintsBeforeEnd, static_cast<int>(t.Paints.size()));
    EXPECT_EQ(view.Ended, 1);
    EXPECT_FALSE(view.OffGuiThread);
    EXPECT_EQ(array.ColumnsDone.load(), t.Width);
    EXPECT_TRUE(ColumnsMatchKernel(p, array, t.Width));
  }
}

TEST(ThreadVolumeWriter, NextBandWaitsForTheProgressCall) {
  TFractArray array(9, 3);
  TRecordingView view(array);
  TCallQueue gui;
  TThreadVolumeWriter writer(view, array, Picture(9, 3), gui);
  writer.Resume();
  ASSERT_TRUE(WaitForPending(gui, 1));
  std::this_thread::sleep_for(20ms);  // time it would need to run ahead, if it could
  EXPECT_EQ(array.ColumnsDone.load(), 4);
  for (int i = 0; i < 3; ++i) {  // two more bands, then the end notification
    EXPECT_EQ(gui.ProcessPending(), 1);
    ASSERT_TRUE(WaitForPending(gui, 1));
  }
  gui.ProcessPending();
  writer.WaitFor();
  EXPECT_EQ(view.DoneAtPaint, (std::vector<int>{4, 8, 9}));
  EXPECT_EQ(view.Ended, 1);
}

std::vector<std::string> ThreadNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    if (std::getline(comm, name)) names.push_back(name);
  }
  return names;
}

TEST(ThreadVolumeWriter, StopWhileTheProgressCallIsPendingNeedsNoGuiThread) {
  for (bool explicitStop : {true, false}) {
    TFractArray array(8, 4);
    TRecordingView view(array);
    TCallQueue gui;  // not processed until the writer is stopped
    {
      TThreadVolumeWriter writer(view, array, Picture(8, 4), gui);
      writer.Resume();
      ASSERT_TRUE(WaitForPending(gui, 1));
      const std::vector<std::string> names = ThreadNames();
      EXPECT_NE(std::find(names.begin(), names.end(), "TreadVolumeWrit"), names.end());
      if (explicitStop) {
        writer.Terminate();
        writer.WaitFor();  // returns although the progress call never ran
        EXPECT_TRUE(writer.Finished());
        gui.ProcessPending();  // calls that run after the stop do nothing
      }
    }  // otherwise deleted while its progress call is still queued
    gui.ProcessPending();
    EXPECT_EQ(view.Calls(), 0);
    EXPECT_EQ(array.ColumnsDone.load(), 4);
  }
}

TEST(ThreadVolumeWriter, StopInsideADeepBandCountsNoColumnAndPaintsNothing) {
  for (bool explicitStop : {true, false}) {
    TFractArray array(8, 2);
    TRecordingView view(array);
    TCallQueue gui;
    {
      TThreadVolumeWriter writer(view, array, EndlessPicture(8, 2), gui);
      writer.Resume();
      std::this_thread::sleep_for(20ms);  // let it get deep into the first pixel
      if (explicitStop) {
        writer.Terminate();
        writer.WaitFor();
        EXPECT_TRUE(writer.Finished());
      }
    }
    gui.ProcessPending();
    EXPECT_EQ(array.ColumnsDone.load(), 0);
    EXPECT_EQ(view.Calls(), 0);
  }
}

TEST(ThreadVolumeWriter, ManyStartsAndStopsLeaveOnlyFinishedColumns) {
  const TKernelParams p = Picture(18, 6);
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    TFractArray array(p.XResolution, p.YResolution);
    TRecordingView view(array);
    TCallQueue gui;
    int callsAtStop = 0;
    {
      TThreadVolumeWriter writer(view, array, p, gui);
      writer.Resume();
      // Stop at a different moment each round: before, between or after the progress calls.
      const size_t paints = static_cast<size_t>(round % 7);
      gui.ProcessUntil([&] { return view.DoneAtPaint.size() >= paints || view.Ended; }, 60s);
      writer.Terminate();
      writer.WaitFor();
      callsAtStop = view.Calls();
    }
    gui.ProcessPending();
    EXPECT_EQ(view.Calls(), callsAtStop);
    for (size_t i = 0; i < view.DoneAtPaint.size(); ++i)
      EXPECT_EQ(view.DoneAtPaint[i], std::min(4 * static_cast<int>(i + 1), p.XResolution));
    // A stop inside a band keeps the columns finished before it, and only those.
    const int done = array.ColumnsDone.load();
    EXPECT_GE(done, view.DoneAtPaint.empty() ? 0 : view.DoneAtPaint.back());
    EXPECT_TRUE(ColumnsMatchKernel(p, array, done));
  }
}

}  // namespace
