#include "cli/renderjob.h"

#include <chrono>
#include <optional>

#include "engine/TCallQueue.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/TVolumeClient.h"
#include "render/TPixelBuffer.h"
#include "render/TVoldViewProps.h"
#include "render/painting.h"

namespace {

// The view's side of the computation, without a window.
class TSurfaceView : public TVolumeClient {
public:
  TSurfaceView(TFractArray& array, TPixelBuffer& surface, const TVoldViewProps& view,
               int maxCycle, const TProgressReport& progress)
      : Array(array), Surface(surface), View(view), MaxCycle(maxCycle), Progress(progress) {}

  void PaintProgress() override {
    ::PaintProgress(Surface, {0, 0, Surface.Width(), Surface.Height()}, &Array, View, MaxCycle,
                    false);
    if (Progress) Progress(Array.ColumnsShown, Array.Width);
  }
  void ComputationEnded() override { Ended = true; }

  bool Ended = false;

private:
  TFractArray& Array;
  TPixelBuffer& Surface;
  const TVoldViewProps& View;
  const int MaxCycle;
  const TProgressReport& Progress;
};

}  // namespace

bool ComputeAndPaint(const TKernelParams& params, TFractArray& array, TPixelBuffer& surface,
                     const TVoldViewProps& view, const TProgressReport& progress, int threads,
                     bool reference) {
  TCallQueue gui;
  TThreadVolumeWriter::TOptions options = TThreadVolumeWriter::TOptions::Fastest();
  // Declared before the writer, which must stop using it first.
  std::optional<TComputePool> pool;
  if (reference) {
    options = TThreadVolumeWriter::TOptions();
  } else if (threads > 0) {
    pool.emplace(threads);
    options.Pool = &*pool;
  }
  TSurfaceView client(array, surface, view, params.MaxCycle, progress);
  {
    TThreadVolumeWriter writer(client, array, params, gui, options);
    writer.Resume();
    while (!gui.ProcessUntil([&] { return client.Ended; }, std::chrono::hours(1))) {
    }
    writer.WaitFor();
  }
  // Columns finished after the last progress call, should a worker report them only at its end.
  client.PaintProgress();
  return array.ColumnsDone.load(std::memory_order_acquire) == array.Width;
}
