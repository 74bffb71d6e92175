#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
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
using TOptions = TThreadVolumeWriter::TOptions;
using TKernel = TThreadVolumeWriter::TKernel;
using TProgress = TThreadVolumeWriter::TProgress;

TOptions Coalesced(TKernel kernel, int workers, TComputePool* pool) {
  TOptions options;
  options.Kernel = kernel;
  options.Progress = TProgress::Coalesced;
  options.Workers = workers;
  options.Pool = pool;
  return options;
}

TEST(CoalescedWriter, EveryFormulaAndMapModeMatchesTheReferenceOnOneAndSeveralWorkers) {
  TComputePool pool(3);
  for (int formula = 0; formula < FormulaCount; ++formula)
    for (int map : {TKernelParams::MapZ, TKernelParams::MapC, TKernelParams::MapD})
      for (int workers : {1, 0}) {
        TKernelParams p = Picture(formula, map, 45, 31, 120);
        p.ColorMode = formula % 2;
        p.MaxCycle = map;
        const auto expected = ComputeWhole(p);
        for (TKernel kernel : {TKernel::Fast, TKernel::Reference}) {
          SCOPED_TRACE("formula " + std::to_string(formula) + " map " + std::to_string(map) +
                       " workers " + std::to_string(workers) + " kernel " +
                       std::to_string(static_cast<int>(kernel)));
          TFractArray array(p.XResolution, p.YResolution);
          TRecordingView view(array, expected.get());
          TCallQueue gui;
          TThreadVolumeWriter writer(view, array, p, gui, Coalesced(kernel, workers, &pool));
          writer.Resume();
          ASSERT_TRUE(gui.ProcessUntil([&] { return view.Ended == 1; }, 60s));
          writer.WaitFor();
          gui.ProcessPending();
          EXPECT_TRUE(writer.Finished());
          EXPECT_EQ(view.Ended, 1);
          EXPECT_TRUE(view.Final);
          EXPECT_FALSE(view.OffGuiThread);
          EXPECT_TRUE(std::is_sorted(view.Paints.begin(), view.Paints.end()));
          // The last progress call came before the end and showed every column.
          EXPECT_EQ(view.ShownAtEnd, p.XResolution);
          EXPECT_TRUE(SameColumns(array, *expected, 0, p.XResolution));
        }
      }
}

TEST(CoalescedWriter, WorkersNeverWaitForTheGuiThread) {
  TComputePool pool(3);
  const TKernelParams p = Picture(formula::Z2, TKernelParams::MapC, 64, 40, 120);
  const auto expected = ComputeWhole(p);
  TFractArray array(p.XResolution, p.YResolution);
  TRecordingView view(array, expected.get());
  TCallQueue gui;  // not processed while the computation runs
  TThreadVolumeWriter writer(view, array, p, gui, Coalesced(TKernel::Fast, 0, &pool));
  writer.Resume();
  writer.WaitFor();  // would hang if a worker waited for a progress call
  EXPECT_TRUE(writer.Finished());
  EXPECT_EQ(array.ColumnsDone.load(), p.XResolution);
  // One progress call was queued, and no further one while it was pending; then the end.
  EXPECT_EQ(gui.Pending(), 2u);
  gui.ProcessPending();
  EXPECT_EQ(view.Paints, std::vector<int>{p.XResolution});
  EXPECT_EQ(view.Ended, 1);
  EXPECT_TRUE(view.Final);
}

TEST(CoalescedWriter, StopWaitsOnlyForTheBandsInProgress) {
  TComputePool pool(3);
  for (TKernel kernel : {TKernel::Fast, TKernel::Reference}) {
    for (bool explicitStop : {true, false}) {
      // Formula 4 for the vector kernel, formula 9 for the reference: hours per pixel.
      const TKernelParams p = EndlessPicture(kernel == TKernel::Fast ? 4 : 9, 40, 6);
      TFractArray array(p.XResolution, p.YResolution);
      TRecordingView view(array);
      TCallQueue gui;
      {
        // Jobs ahead hold the workers until the computation is queued; once they have ended,
        // the workers go on to its bands, whose first pixels never end by themselves.
        TWorkerGate gate(pool, pool.WorkerCount());
        TThreadVolumeWriter writer(view, array, p, gui, Coalesced(kernel, 0, &pool));
        writer.Resume();
        ASSERT_TRUE(gate.Open());
        if (explicitStop) {
          writer.Terminate();
          writer.WaitFor();
          EXPECT_TRUE(writer.Finished());
          EXPECT_TRUE(writer.Terminated());
        }
      }
      gui.ProcessPending();
      EXPECT_EQ(view.Calls(), 0);
      EXPECT_EQ(array.ColumnsDone.load(), 0);
    }
  }
  // A writer stopped before it started never runs and does not need waiting for.
  const TKernelParams p = Picture(formula::Z2, TKernelParams::MapZ, 8, 8, 120);
  TFractArray array(8, 8);
  TRecordingView view(array);
  TCallQueue gui;
  TThreadVolumeWriter writer(view, array, p, gui, Coalesced(TKernel::Fast, 0, &pool));
  writer.Terminate();
  writer.Resume();
  writer.WaitFor();
  EXPECT_FALSE(writer.Finished());
  EXPECT_EQ(gui.Pending(), 0u);
}

// Records, at every call posted by the workers, how far each of two computations had come.
class TSnapshotDispatcher : public TGuiDispatcher {
public:
  TSnapshotDispatcher(const TFractArray& a, const TFractArray& b) : A(a), B(b) {}
  void Post(std::function<void()> call) override {
    {
      std::lock_guard<std::mutex> lock(Lock);
      Snapshots.push_back({A.ColumnsDone.load(), B.ColumnsDone.load()});
    }
    Queue.Post(std::move(call));
  }
  const TFractArray& A;
  const TFractArray& B;
  std::mutex Lock;
  std::vector<std::pair<int, int>> Snapshots;
  TCallQueue Queue;
};

// Holds the only worker of a pool until opened.
class TGateJob : public TComputeJob {
public:
  void RunBand(int) override {
    std::unique_lock<std::mutex> lock(Lock);
    Entered = true;
    Wake.notify_all();
    Wake.wait(lock, [&] { return Open; });
  }
  void Finished(bool) override {}
  void WaitEntered() {
    std::unique_lock<std::mutex> lock(Lock);
    Wake.wait(lock, [&] { return Entered; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(Lock);
    Open = true;
    Wake.notify_all();
  }
  std::mutex Lock;
  std::condition_variable Wake;
  bool Entered = false, Open = false;
};

TEST(CoalescedWriter, SimultaneousViewsShareTheWorkersBandByBand) {
  TComputePool pool(1);
  const TKernelParams p = Picture(formula::Z2, TKernelParams::MapC, 40, 30, 120);  // ten bands each
  TFractArray arrayA(40, 30), arrayB(40, 30);
  TRecordingView viewA(arrayA), viewB(arrayB);
  TSnapshotDispatcher gui(arrayA, arrayB);
  auto gate = std::make_shared<TGateJob>();
  pool.Submit(gate, 1);
  gate->WaitEntered();
  TThreadVolumeWriter first(viewA, arrayA, p, gui, Coalesced(TKernel::Fast, 0, &pool));
  TThreadVolumeWriter second(viewB, arrayB, p, gui, Coalesced(TKernel::Fast, 0, &pool));
  first.Resume();
  second.Resume();
  gate->Release();
  first.WaitFor();
  second.WaitFor();
  // When the first view's last column was done, the second had all but its last band: turns,
  // not first come first served (which would leave it at 0).
  const auto firstDone = std::find_if(gui.Snapshots.begin(), gui.Snapshots.end(),
                                      [](const auto& s) { return s.first == 40; });
  ASSERT_NE(firstDone, gui.Snapshots.end());
  EXPECT_EQ(firstDone->second, 36);
}

TEST(CoalescedWriter, ManyViewsStartedAndStoppedAtRandomKeepOnlyFinishedColumns) {
  // The shared pool, as the views use it.
  struct TView {
    TKernelParams Params;
    std::unique_ptr<TFractArray> Expected, Array;
    std::unique_ptr<TRecordingView> Client;
    std::unique_ptr<TThreadVolumeWriter> Writer;
  };
  TKernelParams deep = Picture(formula::Z2, TKernelParams::MapC, 37, 25, 120);
  deep.MaxDepth = 3000;
  const TKernelParams pictures[] = {deep, Picture(formula::Z3D2Z, TKernelParams::MapD, 30, 17, 120),
                                    Picture(formula::SinPlusC, TKernelParams::MapZ, 21, 19, 120)};
  std::vector<std::unique_ptr<TFractArray>> expected;
  for (const auto& p : pictures) expected.push_back(ComputeWhole(p));
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    TCallQueue gui;
    std::vector<TView> views(3);
    for (size_t i = 0; i < views.size(); ++i) {
      TView& v = views[i];
      v.Params = pictures[i];
      v.Array = std::make_unique<TFractArray>(v.Params.XResolution, v.Params.YResolution);
      v.Client = std::make_unique<TRecordingView>(*v.Array, expected[i].get());
      TOptions options = TOptions::Fastest();
      if ((round + static_cast<int>(i)) % 3 == 0) options.Kernel = TKernel::Reference;
      v.Writer = std::make_unique<TThreadVolumeWriter>(*v.Client, *v.Array, v.Params, gui,
                                                       options);
      v.Writer->Resume();
    }
    // Stop each at another moment: at once, after some progress, or after its end.
    const size_t paints = static_cast<size_t>(round % 5);
    for (size_t i = 0; i < views.size(); ++i) {
      TView& v = views[i];
      gui.ProcessUntil(
          [&] { return v.Client->Paints.size() >= paints * i || v.Client->Ended > 0; }, 60s);
      v.Writer->Terminate();
      v.Writer->WaitFor();
      EXPECT_TRUE(v.Writer->Finished());
    }
    std::vector<int> callsAtStop;
    for (auto& v : views) callsAtStop.push_back(v.Client->Calls());
    gui.ProcessPending();
    for (size_t i = 0; i < views.size(); ++i) {
      TView& v = views[i];
      EXPECT_EQ(v.Client->Calls(), callsAtStop[i]);
      EXPECT_TRUE(v.Client->Final);
      EXPECT_TRUE(SameColumns(*v.Array, *expected[i], 0, v.Array->ColumnsDone.load()));
    }
  }
}

TEST(EachBandWriter, TheFastKernelKeepsTheBandByBandProgress) {
  const TKernelParams p = Picture(formula::Z3, TKernelParams::MapC, 13, 9, 120);
  const auto expected = ComputeWhole(p);
  TFractArray array(13, 9);
  TRecordingView view(array, expected.get());
  TCallQueue gui;
  TOptions options;
  options.Kernel = TKernel::Fast;
  TThreadVolumeWriter writer(view, array, p, gui, options);
  writer.Resume();
  ASSERT_TRUE(gui.ProcessUntil([&] { return view.Ended == 1; }, 60s));
  writer.WaitFor();
  EXPECT_EQ(view.Paints, (std::vector<int>{4, 8, 12, 13}));
  EXPECT_TRUE(view.Final);
  EXPECT_TRUE(SameColumns(array, *expected, 0, 13));
}

}  // namespace
