#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/TCallQueue.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/kernels.h"
#include "support/TProbeJob.h"
#include "support/TRecordingView.h"
#include "support/fractarrays.h"
#include "support/formulaids.h"

namespace {

using namespace std::chrono_literals;

// The reference kernel with a progress call after each band, on `pool`.
TThreadVolumeWriter::TOptions EachBandOn(TComputePool& pool) {
  TThreadVolumeWriter::TOptions options;
  options.Pool = &pool;
  return options;
}

// Whether columns 0 .. columns - 1 hold exactly what the kernel computes on this thread.
bool ColumnsMatchKernel(const TKernelParams& p, const TFractArray& array, int columns) {
  return SameColumns(array, *ComputeWhole(p), 0, columns);
}

TEST(ThreadVolumeWriter, PaintsAfterEachBandOfFourColumnsThenEndsOnce) {
  struct {
    int Width;
    std::vector<int> Paints;
  } cases[] = {{6, {4, 6}}, {1, {1}}, {4, {4}}, {13, {4, 8, 12, 13}}};
  TComputePool pool(1);
  for (const auto& t : cases) {
    SCOPED_TRACE(t.Width);
    const TKernelParams p = PictureOfSize(t.Width, 5);
    TFractArray array(t.Width, 5);
    TRecordingView view(array);
    TCallQueue gui;
    TThreadVolumeWriter writer(view, array, p, gui, EachBandOn(pool));
    writer.Resume();
    ASSERT_TRUE(gui.ProcessUntil([&] { return view.Ended == 1; }, 60s));
    writer.WaitFor();
    gui.ProcessPending();
    EXPECT_TRUE(writer.Finished());
    EXPECT_EQ(view.Paints, t.Paints);
    EXPECT_EQ(view.PaintsAtEnd, static_cast<int>(t.Paints.size()));
    EXPECT_EQ(view.Ended, 1);
    EXPECT_FALSE(view.OffGuiThread);
    EXPECT_EQ(array.ColumnsDone.load(), t.Width);
    EXPECT_TRUE(ColumnsMatchKernel(p, array, t.Width));
  }
}

TEST(ThreadVolumeWriter, NextBandWaitsForTheProgressCall) {
  TComputePool pool(1);
  TFractArray array(9, 3);
  TRecordingView view(array);
  TCallQueue gui;
  TThreadVolumeWriter writer(view, array, PictureOfSize(9, 3), gui, EachBandOn(pool));
  writer.Resume();
  for (int band = 1; band <= 3; ++band) {
    SCOPED_TRACE(band);
    ASSERT_TRUE(gui.WaitForPending(1, 60s));
    // Queued behind the band that waits for its progress call: it runs once the call has run,
    // before the next band starts.
    std::atomic<int> doneAtProbe{-1};
    auto probe = std::make_shared<TProbeJob>([&] { doneAtProbe = array.ColumnsDone.load(); });
    pool.Submit(probe, 1);
    EXPECT_FALSE(probe->HasEnded());
    EXPECT_EQ(array.ColumnsDone.load(), 4 * band < 9 ? 4 * band : 9);
    EXPECT_EQ(gui.ProcessPending(), 1);
    ASSERT_TRUE(probe->WaitEnded());
    EXPECT_EQ(doneAtProbe.load(), 4 * band < 9 ? 4 * band : 9);
  }
  ASSERT_TRUE(gui.ProcessUntil([&] { return view.Ended == 1; }, 60s));
  writer.WaitFor();
  EXPECT_EQ(view.Paints, (std::vector<int>{4, 8, 9}));
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
    TComputePool pool(1);
    TFractArray array(8, 4);
    TRecordingView view(array);
    TCallQueue gui;  // not processed until the writer is stopped
    {
      TThreadVolumeWriter writer(view, array, PictureOfSize(8, 4), gui, EachBandOn(pool));
      writer.Resume();
      ASSERT_TRUE(gui.WaitForPending(1, 60s));
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
    TComputePool pool(1);
    TFractArray array(8, 2);
    TRecordingView view(array);
    TCallQueue gui;
    {
      // A job ahead of the computation holds the only worker until the computation is queued;
      // when it has ended, the worker goes on to the first band, whose first pixel never ends
      // by itself.
      TWorkerGate gate(pool, 1);
      TThreadVolumeWriter writer(view, array, EndlessPicture(formula::Exp, 8, 2), gui, EachBandOn(pool));
      writer.Resume();
      ASSERT_TRUE(gate.Open());
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
  const TKernelParams p = PictureOfSize(18, 6);
  TComputePool pool(1);
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    TFractArray array(p.XResolution, p.YResolution);
    TRecordingView view(array);
    TCallQueue gui;
    int callsAtStop = 0;
    {
      TThreadVolumeWriter writer(view, array, p, gui, EachBandOn(pool));
      writer.Resume();
      // Stop at a different moment each round: before, between or after the progress calls.
      const size_t paints = static_cast<size_t>(round % 7);
      gui.ProcessUntil([&] { return view.Paints.size() >= paints || view.Ended; }, 60s);
      writer.Terminate();
      writer.WaitFor();
      callsAtStop = view.Calls();
    }
    gui.ProcessPending();
    EXPECT_EQ(view.Calls(), callsAtStop);
    for (size_t i = 0; i < view.Paints.size(); ++i)
      EXPECT_EQ(view.Paints[i], std::min(4 * static_cast<int>(i + 1), p.XResolution));
    // A stop inside a band keeps the columns finished before it, and only those.
    const int done = array.ColumnsDone.load();
    EXPECT_GE(done, view.Paints.empty() ? 0 : view.Paints.back());
    EXPECT_TRUE(ColumnsMatchKernel(p, array, done));
  }
}

TEST(CallQueue, RunsCallsFromOtherThreadsInOrderOnTheProcessingThread) {
  TCallQueue queue;
  std::vector<int> order;
  std::atomic<int> offThread{0};
  const auto self = std::this_thread::get_id();
  std::thread poster([&] {
    for (int i = 0; i < 200; ++i)
      queue.Post([&, i] {
        order.push_back(i);
        if (std::this_thread::get_id() != self) ++offThread;
      });
  });
  EXPECT_TRUE(queue.ProcessUntil([&] { return order.size() == 200; }, 60s));
  poster.join();
  EXPECT_EQ(offThread.load(), 0);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);

  // A call posted by a call waits for the next round.
  queue.Post([&] { queue.Post([] {}); });
  EXPECT_EQ(queue.ProcessPending(), 1);
  EXPECT_EQ(queue.Pending(), 1u);
  EXPECT_EQ(queue.ProcessPending(), 1);
}

TEST(CallQueue, ProcessUntilGivesUpOrNoticesAConditionWithoutCalls) {
  TCallQueue queue;
  EXPECT_FALSE(queue.ProcessUntil([] { return false; }, 0ms));
  // Set by another thread, before or while the queue waits, without a call to wake it.
  std::atomic<bool> flag{false};
  std::thread setter([&] { flag = true; });
  EXPECT_TRUE(queue.ProcessUntil([&] { return flag.load(); }, 60s));
  setter.join();
}

TEST(CallQueue, WaitForPendingRunsNothingAndSeesCallsFromOtherThreads) {
  TCallQueue queue;
  EXPECT_FALSE(queue.WaitForPending(1, 0ms));
  int runs = 0;
  std::thread poster([&] {
    for (int i = 0; i < 3; ++i) queue.Post([&] { ++runs; });
  });
  EXPECT_TRUE(queue.WaitForPending(3, 60s));
  poster.join();
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(queue.ProcessPending(), 3);
  EXPECT_EQ(runs, 3);
}

}  // namespace
