#include "cli/renderjob.h"

#include <chrono>

#include "engine/TCallQueue.h"
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
                  std::shared_ptr<TDeepPlan> deep) {
  TCallQueue gui;
  TThreadVolumeWriter::TOptions options = TThreadVolumeWriter::TOptions::Fastest();
  options.Pool = &pool;
  if (reference) options = TThreadVolumeWriter::TOptions();
  options.Deep = std::move(deep);
  TProgressClient client(array, progress);
  {
    TThreadVolumeWriter writer(client, array, params, gui, options);
    writer.Resume();
    while (!gui.ProcessUntil([&] { return client.Ended; }, std::chrono::hours(1))) {
    }
    writer.WaitFor();
  }
  client.PaintProgress();
  return array.ColumnsDone.load(std::memory_order_acquire) == array.Width;
}
