#include "gui/export/TImageExporter.h"

#include <new>
#include <utility>

#include <QImage>
#include <QPainter>

#include "engine/TFractArray.h"
#include "engine/TThreadVolumeWriter.h"
#include "gui/common/TQtOrbitCanvas.h"
#include "gui/common/imagefile.h"
#include "render/TDrawPointsList.h"
#include "render/painting.h"

std::unique_ptr<TImageExporter> TImageExporter::Create(const TFractProps& params,
                                                       const TVoldViewProps& viewProps,
                                                       int width, int height) {
  std::unique_ptr<TFractArray> array = TFractArray::TryCreate(width, height);
  if (!array) return nullptr;
  TPixelBuffer surface;
  try {
    // Black where nothing is painted yet, as zenolith-render starts.
    surface.Reset(width, height, 0x000000);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  TFractProps sized = params;
  sized.XResolution.SetInt(width);
  sized.YResolution.SetInt(height);
  return std::unique_ptr<TImageExporter>(
      new TImageExporter(sized, viewProps, std::move(array), std::move(surface)));
}

TImageExporter::TImageExporter(const TFractProps& params, const TVoldViewProps& viewProps,
                               std::unique_ptr<TFractArray> array, TPixelBuffer surface)
    : FractProps(params),
      ViewProps(viewProps),
      FractArray(std::move(array)),
      Surface(std::move(surface)) {}

TImageExporter::~TImageExporter() { Cancel(); }

void TImageExporter::Start(TProgress progress, std::function<void()> ended) {
  if (Writer) return;
  Progress = std::move(progress);
  Ended = std::move(ended);
  // Every kernel stores the same bits; the fastest one on every core keeps a large picture
  // short.
  TVolumeClient& client = *this;
  Writer = std::make_unique<TThreadVolumeWriter>(client, *FractArray, FractProps.KernelParams(),
                                                 Dispatcher,
                                                 TThreadVolumeWriter::TOptions::Fastest());
  Writer->Resume();
}

void TImageExporter::Cancel() {
  if (!Writer || Writer->Terminated()) return;
  Writer->Terminate();
  Writer->WaitFor();
}

bool TImageExporter::Complete() const {
  return FractArray->ColumnsShown == FractArray->Width &&
         FractArray->ColumnsDone.load(std::memory_order_acquire) == FractArray->Width;
}

void TImageExporter::PaintProgress() {
  const TRect client{0, 0, Surface.Width(), Surface.Height()};
  ::PaintProgress(Surface, client, FractArray.get(), ViewProps, FractProps.MaxCycle.GetInt(),
                  false);
  if (Progress) Progress(FractArray->ColumnsShown, FractArray->Width);
}

void TImageExporter::ComputationEnded() {
  // Columns a worker finished after its last progress call.
  PaintProgress();
  if (Ended) Ended();
}

void TImageExporter::DrawOrbits(const std::vector<TOrbitStep>& steps) {
  TDrawPointsList orbits;
  TOrbitJournal().Restore(orbits, steps);
  if (orbits.Empty()) return;
  QImage image = PixelBufferImage(Surface);
  QPainter painter(&image);
  TQtOrbitCanvas canvas(painter);
  orbits.Draw(canvas, TRect{0, 0, Surface.Width(), Surface.Height()},
              FractProps.KernelParams());
}
