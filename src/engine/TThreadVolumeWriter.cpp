#include "engine/TThreadVolumeWriter.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>

#include <pthread.h>

#include "core/assertions.h"
#include "engine/TFractArray.h"
#include "engine/TGuiDispatcher.h"
#include "engine/TVolumeClient.h"
#include "engine/kernels.h"

// The part of the writer that calls posted to the GUI thread may still reach after the writer
// is gone: a cancelled flag that silences them, and the hand-shake of the progress call.
struct TThreadVolumeWriter::TShared {
  TVolumeClient* Client;
  std::mutex Lock;
  std::condition_variable Wake;
  std::atomic<bool> Cancelled{false};
  bool ProgressDone = false;  // under Lock
};

TThreadVolumeWriter::TThreadVolumeWriter(TVolumeClient& view, TFractArray& array,
                                         const TKernelParams& params, TGuiDispatcher& gui)
    : FractArray(array), Params(params), Gui(gui), Shared(std::make_shared<TShared>()) {
  ZASSERT(array.Width == params.XResolution && array.Height == params.YResolution);
  Shared->Client = &view;
}

TThreadVolumeWriter::~TThreadVolumeWriter() {
  Terminate();
  WaitFor();
}

void TThreadVolumeWriter::Resume() {
  if (TerminateRequested.load() || Started.exchange(true)) return;
  Worker = std::thread([this] { Execute(); });
}

void TThreadVolumeWriter::Terminate() {
  {
    std::lock_guard<std::mutex> lock(Shared->Lock);
    TerminateRequested.store(true);
    Shared->Cancelled.store(true);
  }
  Shared->Wake.notify_all();
}

void TThreadVolumeWriter::WaitFor() {
  if (Worker.joinable() && Worker.get_id() != std::this_thread::get_id()) Worker.join();
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
      if (!ComputeBand(Params, FractArray, band, width, &TerminateRequested)) break;
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
