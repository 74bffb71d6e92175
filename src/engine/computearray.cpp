#include "engine/computearray.h"

#include <chrono>
#include <optional>

#include "engine/TCallQueue.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/TVolumeClient.h"

namespace {

// The view's side of the computation without a window: nothing is shown until the array is
// complete, so a progress call only moves the count on.
class TProgressClient : public TVolumeClient {
public:
  TProgressClient(TFractArray& array, const TProgressReport& progress)
      : Array(array), Progress(progress) {}

  void PaintProgress() override {
    Array.ColumnsShown = Array.ColumnsDone.load(std::memory_order_acquire);
    if (Progress) Progress(Array.ColumnsShown, Array.Width);
  }
  void ComputationEnded() override { Ended = true; }

  bool Ended = false;

private:
  TFractArray& Array;
  const TProgressReport& Progress;
};

}  // namespace

bool ComputeArray(const TKernelParams& params, TFractArray& array, TComputePool& pool,
                  const TProgressReport& progress, bool reference,
                  std::shared_ptr<TDeepPlan> deep, const std::atomic<bool>* stop) {
  TCallQueue gui;
  // The reference computes band after band on a worker of its own, a progress call after each.
  std::optional<TComputePool> single;
  TThreadVolumeWriter::TOptions options = TThreadVolumeWriter::TOptions::Fastest();
  if (reference) {
    single.emplace(1);
    options = TThreadVolumeWriter::TOptions();
  }
  options.Pool = reference ? &*single : &pool;
  options.Deep = std::move(deep);
  TProgressClient client(array, progress);
  {
    TThreadVolumeWriter writer(client, array, params, gui, options);
    writer.Resume();
    const auto stopped = [stop] { return stop != nullptr && stop->load(); };
    while (!gui.ProcessUntil([&] { return client.Ended || stopped(); }, std::chrono::hours(1))) {
    }
    if (!client.Ended) writer.Terminate();
    writer.WaitFor();
  }
  client.PaintProgress();
  return array.ColumnsDone.load(std::memory_order_acquire) == array.Width;
}
