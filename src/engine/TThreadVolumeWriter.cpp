#include "engine/TThreadVolumeWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include <pthread.h>

#include "core/assertions.h"
#include "engine/TColumnSink.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/TGuiDispatcher.h"
#include "engine/TVolumeClient.h"
#include "engine/deep/deepkernel.h"
#include "engine/fastkernel.h"
#include "engine/kernels.h"

// The part of the writer that calls posted to the GUI thread may still reach after the writer
// is gone: a cancelled flag that silences them, and the hand-shake of the progress call.
struct TThreadVolumeWriter::TShared {
  TVolumeClient* Client;
  std::mutex Lock;
  std::condition_variable Wake;
  std::atomic<bool> Cancelled{false};
  bool ProgressDone = false;  // under Lock
  std::atomic<bool> NewsPending{false};  // Coalesced: a progress call is queued
};

// Coalesced: the computation as a job of the pool. Each worker that finishes a column marks it
// and moves ColumnsDone over every marked column contiguous from the left.
class TThreadVolumeWriter::TPoolJob : public TComputeJob, public TColumnSink {
public:
  TPoolJob(TFractArray& array, const TKernelParams& params, TKernel kernel,
           std::shared_ptr<TDeepPlan> deep, TGuiDispatcher& gui, std::shared_ptr<TShared> shared)
      : Array(array),
        Params(params),
        Kernel(kernel),
        Deep(std::move(deep)),
        Gui(gui),
        Shared(std::move(shared)),
        ColumnFinishedFlags(new std::atomic<bool>[static_cast<size_t>(params.XResolution)]) {
    for (int x = 0; x < params.XResolution; ++x) ColumnFinishedFlags[x].store(false);
  }

  int BandCount() const { return (Params.XResolution + BandWidth - 1) / BandWidth; }

  void RunBand(int index) override {
    const int first = index * BandWidth;
    const TBand band{first, 0, std::min(first + BandWidth, Params.XResolution),
                     Params.YResolution};
    if (Deep && Kernel == TKernel::Fast)
      ComputeDeepBandColumns(*Deep, Array, band, &Stop, *this);
    else if (Deep)
      ComputeDeepBandColumnsScalar(*Deep, Array, band, &Stop, *this);
    else if (Kernel == TKernel::Fast)
      ComputeBandColumns(Params, Array, band, Params.XResolution, &Stop, *this);
    else
      ComputeBandColumnsReference(Params, Array, band, Params.XResolution, &Stop, *this);
    AnnounceProgress();
  }

  void ColumnFinished(int x) override {
    ColumnFinishedFlags[x].store(true);
    // Sequentially consistent: a worker that marks its column after another has looked at the
    // mark either sees the other's advance or advances over its own column itself.
    int done = Array.ColumnsDone.load();
    while (done < Params.XResolution && ColumnFinishedFlags[done].load()) {
      if (Array.ColumnsDone.compare_exchange_weak(done, done + 1)) ++done;
    }
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

  // After each band: posts one progress call when columns were added, none is queued and the
  // last was posted at least ProgressInterval ago, or when the picture is complete. A queued
  // call reads ColumnsDone when it runs, so it also shows every column finished while it
  // waited; a band held back by the interval is shown after the next band, by any worker.
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
  const std::shared_ptr<TDeepPlan> Deep;
  TGuiDispatcher& Gui;
  const std::shared_ptr<TShared> Shared;
  std::unique_ptr<std::atomic<bool>[]> ColumnFinishedFlags;
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
                                         const TKernelParams& params, TGuiDispatcher& gui)
    : TThreadVolumeWriter(view, array, params, gui, TOptions()) {}

TThreadVolumeWriter::TThreadVolumeWriter(TVolumeClient& view, TFractArray& array,
                                         const TKernelParams& params, TGuiDispatcher& gui,
                                         const TOptions& options)
    : FractArray(array),
      Params(params),
      Gui(gui),
      Options(options),
      Shared(std::make_shared<TShared>()) {
  ZASSERT(array.Width == params.XResolution && array.Height == params.YResolution);
  Shared->Client = &view;
  if (Options.Progress == TProgress::Coalesced)
    Job = std::make_shared<TPoolJob>(array, Params, Options.Kernel, Options.Deep, gui,
                                     Shared);
}

TThreadVolumeWriter::~TThreadVolumeWriter() {
  Terminate();
  WaitFor();
}

void TThreadVolumeWriter::Resume() {
  if (TerminateRequested.load() || Started.exchange(true)) return;
  if (Job) {
    TComputePool& pool = Options.Pool ? *Options.Pool : TComputePool::Shared();
    pool.Submit(Job, Job->BandCount(), Options.Workers);
  } else {
    Worker = std::thread([this] { Execute(); });
  }
}

void TThreadVolumeWriter::Terminate() {
  {
    std::lock_guard<std::mutex> lock(Shared->Lock);
    TerminateRequested.store(true);
    Shared->Cancelled.store(true);
  }
  Shared->Wake.notify_all();
  if (Job) {
    Job->Stop.store(true);
    if (Started.load()) (Options.Pool ? *Options.Pool : TComputePool::Shared()).Cancel(*Job);
  }
}

void TThreadVolumeWriter::WaitFor() {
  if (Job) {
    if (Started.load()) Job->WaitForEnd();
    return;
  }
  if (Worker.joinable() && Worker.get_id() != std::this_thread::get_id()) Worker.join();
}

bool TThreadVolumeWriter::Finished() const {
  if (Job) return Started.load() && Job->HasEnded();
  return Ended.load();
}

void TThreadVolumeWriter::Execute() {
#if defined(__linux__)
  // Thread names are limited to 15 characters here.
  const std::string name = std::string("TreadVolumeWriter").substr(0, 15);
  pthread_setname_np(pthread_self(), name.c_str());
#endif
  try {
    const int width = Params.XResolution;
    const int height = Params.YResolution;
    for (int first = 0; first < width && !TerminateRequested.load(); first += BandWidth) {
      const TBand band{first, 0, std::min(first + BandWidth, width), height};
      const bool complete =
          Options.Deep      ? ComputeDeepBand(band)
          : Options.Kernel == TKernel::Fast
              ? ComputeBandFast(Params, FractArray, band, width, &TerminateRequested)
              : ComputeBand(Params, FractArray, band, width, &TerminateRequested);
      if (!complete) break;
      if (!RunProgressCall()) break;
    }
  } catch (...) {
    // A failure ends the computation quietly; the end notification still follows.
  }
  Ended.store(true);
  std::shared_ptr<TShared> shared = Shared;
  try {
    Gui.Post([shared] {
      if (!shared->Cancelled.load()) shared->Client->ComputationEnded();
    });
  } catch (...) {
  }
}

bool TThreadVolumeWriter::ComputeDeepBand(const TBand& band) {
  // Raises ColumnsDone over the band's columns finished contiguously from its left, as
  // ComputeBand does; the vector build reports them in any order.
  struct TDoneRaiser : TColumnSink {
    TDoneRaiser(TFractArray& array, const TBand& band)
        : Array(array), First(band.FirstColumn), Finished(band.EndColumn - band.FirstColumn) {}
    void ColumnFinished(int x) override {
      Finished[static_cast<size_t>(x - First)] = true;
      int done = Array.ColumnsDone.load(std::memory_order_relaxed);
      while (done >= First && done - First < static_cast<int>(Finished.size()) &&
             Finished[static_cast<size_t>(done - First)])
        ++done;
      Array.ColumnsDone.store(done, std::memory_order_release);
    }
    TFractArray& Array;
    const int First;
    std::vector<bool> Finished;
  } sink(FractArray, band);
  return Options.Kernel == TKernel::Fast
             ? ComputeDeepBandColumns(*Options.Deep, FractArray, band, &TerminateRequested, sink)
             : ComputeDeepBandColumnsScalar(*Options.Deep, FractArray, band,
                                            &TerminateRequested, sink);
}

bool TThreadVolumeWriter::RunProgressCall() {
  std::shared_ptr<TShared> shared = Shared;
  {
    std::lock_guard<std::mutex> lock(shared->Lock);
    if (shared->Cancelled.load()) return false;
    shared->ProgressDone = false;
  }
  Gui.Post([shared] {
    // Terminate runs on the GUI thread too, so it cannot slip in between check and call.
    if (shared->Cancelled.load()) return;
    shared->Client->PaintProgress();
    {
      std::lock_guard<std::mutex> lock(shared->Lock);
      shared->ProgressDone = true;
    }
    shared->Wake.notify_all();
  });
  std::unique_lock<std::mutex> lock(shared->Lock);
  shared->Wake.wait(lock, [&] { return shared->ProgressDone || shared->Cancelled.load(); });
  return !shared->Cancelled.load();
}
