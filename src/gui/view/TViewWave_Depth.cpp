// What the fractal view makes of a finished picture's depths: Auto Max Depth after a zoom, and
// the hint of a picture that mostly reached the limit.
#include <cstdint>
#include <utility>

#include "engine/TFractArray.h"
#include "engine/deep/deepzoom.h"
#include "gui/view/TViewWave.h"

namespace {

// The outcomes of a finished picture's pixels.
struct TDepthCensus {
  int64_t Pixels = 0;
  // Reached MaxDepth: depth value 0 and no cycle.
  int64_t AtLimit = 0;
  int64_t InCycle = 0;
  // Escaped after more than half of MaxDepth steps (depth values are fractions of it).
  int64_t LateEscapes = 0;

  // Detail the limit cut off, as deep zoomers judge it: at least 1% of the pixels at the limit,
  // and pixels still escaping late, at least a quarter as many as those. Interior (pixels that
  // never escape) has few late escapes around it, so a view of interior is left alone.
  bool DetailCutOff() const {
    return AtLimit > 0 && AtLimit * 100 >= Pixels && LateEscapes * 4 >= AtLimit;
  }
  // More than half of the pixels at the limit or in a cycle.
  bool MostlyUnresolved() const { return (AtLimit + InCycle) * 2 > Pixels; }
};

TDepthCensus CountDepths(const TFractArray& array) {
  TDepthCensus census;
  for (int x = 0; x < array.Width; ++x) {
    const float* depths = array.DepthColumn(x);
    const int32_t* cycles = array.CycleColumn(x);
    for (int y = 0; y < array.Height; ++y) {
      if (cycles[y] != 0 || depths[y] < 0) {
        ++census.InCycle;
      } else if (depths[y] == 0) {
        ++census.AtLimit;
      } else if (depths[y] > 0.5f) {
        ++census.LateEscapes;
      }
    }
  }
  census.Pixels = static_cast<int64_t>(array.Width) * array.Height;
  return census;
}

}  // namespace

bool TViewWave::CheckFinishedDepths() {
  // The zoom's check happens once, on the first picture that ends after it.
  const int raises = std::exchange(DepthRaisesLeft, 0);
  if (!FractArray || FractArray->ColumnsDone.load(std::memory_order_acquire) < FractArray->Width)
    return false;
  const TDepthCensus census = CountDepths(*FractArray);
  const int32_t depth = FractProps.MaxDepth.GetInt();
  if (AutoMaxDepth && raises > 0 && depth < AutoMaxDepthCap && census.DetailCutOff()) {
    StopComputation();
    FractProps.MaxDepth.SetInt(depth > AutoMaxDepthCap / 2 ? AutoMaxDepthCap : depth * 2);
    StartComputation();
    // Part of the zoom: the document is changed as the zoom left it, and no undo step is added.
    MarkModified();
    // Looked at again once the new picture is done.
    if (ThreadVolumeWriter) DepthRaisesLeft = raises - 1;
    return true;
  }
  // Why the picture is flat outweighs how deep it went.
  if (AreaTooSmall()) {
    emit StatusHint(QString::fromLatin1(AreaTooSmallForFormula)
                        .arg(QString::fromStdString(DeepZoomFormulaList())));
  } else if (census.MostlyUnresolved()) {
    emit StatusHint(QString::fromLatin1(MostAtMaxDepth));
  }
  return false;
}
