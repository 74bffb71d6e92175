#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "engine/TFractProps.h"
#include "engine/TVolumeClient.h"
#include "gui/common/TGuiThreadDispatcher.h"
#include "gui/view/TOrbitJournal.h"
#include "render/TPixelBuffer.h"
#include "render/TVoldViewProps.h"

class TFractArray;
class TThreadVolumeWriter;

/// Computes a fractal again at the size of an image, in the background, and paints it one
/// pixel a point with the painting functions of the view, so the picture is the one a fractal
/// window of that size shows of a file with that resolution. Lives on the GUI thread.
class TImageExporter : private TVolumeClient {
public:
  /// Called on the GUI thread after each painted band: columns finished and in all.
  using TProgress = std::function<void(int done, int total)>;

  /// An exporter for the area and parameters of `params` at `width` x `height` pixels,
  /// coloured by `viewProps`; null when the result array or the picture cannot be allocated.
  static std::unique_ptr<TImageExporter> Create(const TFractProps& params,
                                                const TVoldViewProps& viewProps, int width,
                                                int height);
  /// Stops a running computation first.
  ~TImageExporter() override;
  TImageExporter(const TImageExporter&) = delete;
  TImageExporter& operator=(const TImageExporter&) = delete;

  /// Starts the computation; `progress` runs after each band, `ended` once at the end (not
  /// after Cancel). Both run on the GUI thread from its event loop.
  void Start(TProgress progress, std::function<void()> ended);
  /// Stops the computation at once; no call follows. Nothing happens when none runs.
  void Cancel();
  /// Whether every column has been computed and painted.
  bool Complete() const;
  /// Draws the orbits that `steps` build (see TOrbitJournal) over the picture, as the view
  /// draws them over its client area.
  void DrawOrbits(const std::vector<TOrbitStep>& steps);

  /// The parameters computed: those given, at the image's resolution.
  const TFractProps& Params() const { return FractProps; }
  /// The picture, 0x00BBGGRR a pixel.
  const TPixelBuffer& Picture() const { return Surface; }

private:
  TImageExporter(const TFractProps& params, const TVoldViewProps& viewProps,
                 std::unique_ptr<TFractArray> array, TPixelBuffer surface);

  void PaintProgress() override;
  void ComputationEnded() override;

  TFractProps FractProps;
  TVoldViewProps ViewProps;
  std::unique_ptr<TFractArray> FractArray;
  TPixelBuffer Surface;
  TProgress Progress;
  std::function<void()> Ended;
  // Declared before the worker: it must outlive every worker that posts to it.
  TGuiThreadDispatcher Dispatcher;
  std::unique_ptr<TThreadVolumeWriter> Writer;
};
