#include "engine/TThreadVolumeWriter.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "core/assertions.h"
#include "engine/TColumnsDone.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/TGuiDispatcher.h"
#include "engine/TVolumeClient.h"
#include "engine/fastkernel.h"
#include "engine/kernels.h"

// The part of the writer that calls posted to the GUI thread may still reach after the writer
// is gone: a cancelled flag that silences them, and the hand-shake of the progress call.
struct TThreadVolumeWriter::TShared {
  TVolumeClient* Client;
  std::mutex Lock;
  std::condition_variable Wake;
  std::atomic<bool> Cancelled{false};
  uint64_t ProgressRun = 0;              // EachBand: progress calls run so far, under Lock
  std::atomic<bool> NewsPending{false};  // Coalesced: a progress call is queued
};

// The computation as a job of the pool: band `index` is columns index * BandWidth onwards.
class TThreadVolumeWriter::TPoolJob : public TComputeJob {
public:
  TPoolJob(TFractArray& array, const TKernelParams& params, const TOptions& options,
           TGuiDispatcher& gui, std::shared_ptr<TShared> shared)
      : Array(array),
        Params(params),
        Kernel(options.Kernel),
        Progress(options.Progress),
        Gui(gui),
        Shared(std::move(shared)),
        Columns(array, 0, params.XResolution) {}

  int BandCount() const { return (Params.XResolution + BandWidth - 1) / BandWidth; }

  void RunBand(int index) override {
    const int first = index * BandWidth;
    const TBand band{first, 0, first + BandWidth, Params.YResolution};
    const bool complete =
        Kernel == TKernel::Fast
            ? ComputeBandColumns(Params, Array, band, Params.XResolution, &Stop, Columns)
            : ComputeBandColumnsReference(Params, Array, band, Params.XResolution, &Stop, Columns);
    if (!complete) return;
    if (Progress == TProgress::EachBand)
      RunProgressCall();
    else
      AnnounceProgress();
  }

  void Finished(bool) override {
    std::shared_ptr<TShared> shared = Shared;
    try {
      Gui.Post([shared] {
        if (!shared->Cancelled.load()) shared->Client->ComputationEnded();
      });
    } catch (...) {
    }
    {
      std::lock_guard<std::mutex> lock(EndLock);
      Ended = true;
    }
    EndWake.notify_all();
  }

  void WaitForEnd() {
    std::unique_lock<std::mutex> lock(EndLock);
    EndWake.wait(lock, [this] { return Ended; });
  }

  bool HasEnded() {
    std::lock_guard<std::mutex> lock(EndLock);
    return Ended;
  }

  std::atomic<bool> Stop{false};

private:
  // A screen shows no more than this many pictures a second; a fast kernel finishes bands far
  // more often, and waking the GUI thread for each would cost the workers time.
  static constexpr std::chrono::milliseconds ProgressInterval{10};

  // EachBand, after each band: has the GUI thread run the progress call and waits for it, or
  // for the stop, whichever comes first.
  void RunProgressCall() {
    std::shared_ptr<TShared> shared = Shared;
    uint64_t target = 0;
    {
      std::lock_guard<std::mutex> lock(shared->Lock);
      if (shared->Cancelled.load()) return;
      target = shared->ProgressRun + 1;
    }
    Gui.Post([shared] {
      // Terminate runs on the GUI thread too, so it cannot slip in between check and call.
      if (shared->Cancelled.load()) return;
      shared->Client->PaintProgress();
      {
        std::lock_guard<std::mutex> lock(shared->Lock);
        ++shared->ProgressRun;
      }
      shared->Wake.notify_all();
    });
    std::unique_lock<std::mutex> lock(shared->Lock);
    shared->Wake.wait(
        lock, [&] { return shared->ProgressRun >= target || shared->Cancelled.load(); });
  }

  // Coalesced, after each band: posts one progress call when columns were added, none is
  // queued and the last was posted at least ProgressInterval ago, or when the picture is
  // complete. A queued call reads ColumnsDone when it runs, so it also shows every column
  // finished while it waited; a band held back by the interval is shown after the next band,
  // by any worker.
  void AnnounceProgress() {
    const int done = Array.ColumnsDone.load();
    if (done == Announced.load()) return;
    const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    const int64_t interval =
        std::chrono::duration_cast<std::chrono::nanoseconds>(ProgressInterval).count();
    if (done < Params.XResolution && now - LastPost.load() < interval) return;
    if (Shared->NewsPending.exchange(true)) return;
    Announced.store(done);
    LastPost.store(now);
    std::shared_ptr<TShared> shared = Shared;
    Gui.Post([shared] {
      shared->NewsPending.store(false);
      if (!shared->Cancelled.load()) shared->Client->PaintProgress();
    });
  }

  std::atomic<int> Announced{0};
  std::atomic<int64_t> LastPost{INT64_MIN / 2};

  TFractArray& Array;
  const TKernelParams Params;
  const TKernel Kernel;
  const TProgress Progress;
  TGuiDispatcher& Gui;
  const std::shared_ptr<TShared> Shared;
  TColumnsDone Columns;
  std::mutex EndLock;
  std::condition_variable EndWake;
  bool Ended = false;  // under EndLock
};

TThreadVolumeWriter::TOptions TThreadVolumeWriter::TOptions::Fastest() {
  TOptions options;
  options.Kernel = TKernel::Fast;
  options.Progress = TProgress::Coalesced;
  return options;
}

TThreadVolumeWriter::TThreadVolumeWriter(TVolumeClient& view, TFractArray& array,
                                         const TKernelParams& params, TGuiDispatcher& gui,
                                         const TOptions& options)
    : Pool(options.Pool ? *options.Pool : TComputePool::Shared()),
      Shared(std::make_shared<TShared>()),
      MaxParallel(options.Progress == TProgress::EachBand ? 1 : options.Workers) {
  ZASSERT(array.Width == params.XResolution && array.Height == params.YResolution);
  Shared->Client = &view;
  Job = std::make_shared<TPoolJob>(array, params, options, gui, Shared);
}

TThreadVolumeWriter::~TThreadVolumeWriter() {
  Terminate();
  WaitFor();
}

void TThreadVolumeWriter::Resume() {
  if (TerminateRequested.load() || Started.exchange(true)) return;
  Pool.Submit(Job, Job->BandCount(), MaxParallel);
}

void TThreadVolumeWriter::Terminate() {
  TerminateRequested.store(true);
  // No band may start once a worker waiting for its progress call is released below.
  Job->Stop.store(true);
  if (Started.load()) Pool.Cancel(*Job);
  {
    std::lock_guard<std::mutex> lock(Shared->Lock);
    Shared->Cancelled.store(true);
  }
  Shared->Wake.notify_all();
}

void TThreadVolumeWriter::WaitFor() {
  if (Started.load()) Job->WaitForEnd();
}

bool TThreadVolumeWriter::Finished() const { return Started.load() && Job->HasEnded(); }
