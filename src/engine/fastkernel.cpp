#include "engine/fastkernel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/assertions.h"
#include "engine/TFractArray.h"
#include "engine/fastkernel_isa.h"

namespace {

void CheckParams(const TKernelParams& params, int width) {
  ZASSERT(width >= 1 && params.YResolution >= 1);
  ZASSERT(params.MaxDepth >= 1 && params.MaxCycle >= 0);
  ZASSERT(params.Formula >= 0 && params.Formula < TKernelParams::FormulaCount);
  ZASSERT(params.MapField >= TKernelParams::MapZ && params.MapField <= TKernelParams::MapD);
}

using TBandFunction = bool (*)(const TFastBand&);

TBandFunction BandFunction(TKernelIsa isa) {
  ZASSERT(CpuSupports(isa));
  switch (isa) {
    case TKernelIsa::Avx512:
      return FastBandAvx512;
    case TKernelIsa::Avx2:
      return FastBandAvx2;
    case TKernelIsa::Generic:
      break;
  }
  return FastBandGeneric;
}

void ReportColumn(void* context, int column) {
  auto* band = static_cast<std::pair<TColumnSink*, int>*>(context);
  band->first->ColumnFinished(band->second + column);
}

// Raises ColumnsDone over the band's columns as they become contiguous from its first one.
class TContiguousColumns : public TColumnSink {
public:
  TContiguousColumns(TFractArray& array, int first, int end)
      : Array(array), First(first), Next(first), Finished(static_cast<size_t>(end - first)) {}
  void ColumnFinished(int x) override {
    Finished[static_cast<size_t>(x - First)] = true;
    while (Next - First < static_cast<int>(Finished.size()) &&
           Finished[static_cast<size_t>(Next - First)]) {
      ++Next;
      Array.ColumnsDone.store(Next, std::memory_order_release);
    }
  }

private:
  TFractArray& Array;
  const int First;
  int Next;
  std::vector<bool> Finished;
};

// With a limit of one step no pixel takes a step: the reference stores the limit's depth 0 and
// no cycle in every cell.
bool FillBandAtLimit(const TKernelParams& params, TFractArray& array, TBand band, int width,
                     const std::atomic<bool>* stop, TColumnSink& sink) {
  CheckParams(params, width);
  const int firstColumn = std::max(band.FirstColumn, 0);
  const int endColumn = std::min(band.EndColumn, array.Width);
  const int firstRow = std::max(band.FirstRow, 0);
  const int endRow = std::max(std::min(band.EndRow, array.Height), firstRow);
  for (int x = firstColumn; x < endColumn; ++x) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    std::fill(array.DepthColumn(x) + firstRow, array.DepthColumn(x) + endRow, 0.0f);
    std::fill(array.CycleColumn(x) + firstRow, array.CycleColumn(x) + endRow, int32_t{0});
    sink.ColumnFinished(x);
  }
  return true;
}

}  // namespace

bool FastKernelVectorises(const TKernelParams& p) {
  const bool vectorFormula = p.Formula >= 0 && p.Formula < TKernelParams::FormulaCount;
  return vectorFormula && p.MaxDepth >= 2 && p.MaxCycle >= 0 && p.MaxCycle <= FastMaxCycle &&
         p.N >= 1 && p.M >= 1 && p.MapField >= TKernelParams::MapZ &&
         p.MapField <= TKernelParams::MapD;
}

bool ComputeBandColumnsReference(const TKernelParams& params, TFractArray& array, TBand band,
                                 int width, const std::atomic<bool>* stop, TColumnSink& sink) {
  CheckParams(params, width);
  const int firstColumn = std::max(band.FirstColumn, 0);
  const int endColumn = std::min(band.EndColumn, array.Width);
  const int firstRow = std::max(band.FirstRow, 0);
  const int endRow = std::min(band.EndRow, array.Height);
  TCycleHistory history;
  for (int x = firstColumn; x < endColumn; ++x) {
    for (int y = firstRow; y < endRow; ++y) {
      IteratePoint(params, x, y, width, history, array, stop);
      if (stop && stop->load(std::memory_order_relaxed)) return false;
    }
    sink.ColumnFinished(x);
  }
  return true;
}

bool ComputeBandColumns(const TKernelParams& params, TFractArray& array, TBand band, int width,
                        const std::atomic<bool>* stop, TColumnSink& sink, TKernelIsa isa) {
  if (params.MaxDepth <= 1) return FillBandAtLimit(params, array, band, width, stop, sink);
  if (!FastKernelVectorises(params))
    return ComputeBandColumnsReference(params, array, band, width, stop, sink);
  CheckParams(params, width);
  const TBandFunction run = BandFunction(isa);
  const int firstColumn = std::max(band.FirstColumn, 0);
  const int endColumn = std::min(band.EndColumn, array.Width);
  const int firstRow = std::max(band.FirstRow, 0);
  const int endRow = std::min(band.EndRow, array.Height);
  if (firstColumn >= endColumn) return true;
  if (firstRow >= endRow) {
    // Columns without rows are finished at once, as in the reference.
    for (int x = firstColumn; x < endColumn; ++x) sink.ColumnFinished(x);
    return true;
  }

  TFastBand job{};
  job.Formula = params.Formula;
  job.MapField = params.MapField;
  job.N = params.N;
  job.M = params.M;
  job.MaxCycle = params.MaxCycle;
  job.MaxDepth = params.MaxDepth;
  job.CR = params.CR;
  job.CI = params.CI;
  job.DR = params.DR;
  job.DI = params.DI;
  job.Outer2 = params.OuterCircle * params.OuterCircle;
  job.Inner2 = params.InnerDist * params.InnerDist;
  job.LogOuter2 = std::log(job.Outer2);
  job.Fractional = params.ColorMode == TKernelParams::ColorContinue && params.Formula <= 3;
  // The reference's factors, computed the same way.
  job.EscapeK = 1.0;
  if (params.Formula == 1) job.EscapeK = 0.5;
  if (params.Formula == 2) job.EscapeK = 1.0 / 3.0;
  if (params.Formula == 3) job.EscapeK = 1.0 / params.N;

  std::vector<double> columnRe(static_cast<size_t>(endColumn - firstColumn));
  std::vector<double> rowIm(static_cast<size_t>(endRow - firstRow));
  for (int x = firstColumn; x < endColumn; ++x)
    columnRe[static_cast<size_t>(x - firstColumn)] = PixelPoint(params, x, 0, width).re;
  for (int y = firstRow; y < endRow; ++y)
    rowIm[static_cast<size_t>(y - firstRow)] = PixelPoint(params, 0, y, width).im;
  std::vector<int> remaining(columnRe.size(), endRow - firstRow);
  job.ColumnRe = columnRe.data();
  job.RowIm = rowIm.data();
  job.Columns = endColumn - firstColumn;
  job.Rows = endRow - firstRow;
  job.Depths = array.DepthColumn(firstColumn) + firstRow;
  job.Cycles = array.CycleColumn(firstColumn) + firstRow;
  job.Stride = array.Height;
  job.Remaining = remaining.data();
  job.Stop = stop;
  std::pair<TColumnSink*, int> context{&sink, firstColumn};
  job.ColumnDone = ReportColumn;
  job.Context = &context;
  return run(job);
}

bool ComputeBandFast(const TKernelParams& params, TFractArray& array, TBand band, int width,
                     const std::atomic<bool>* stop, TKernelIsa isa) {
  const int firstColumn = std::max(band.FirstColumn, 0);
  const int endColumn = std::max(std::min(band.EndColumn, array.Width), firstColumn);
  TContiguousColumns columns(array, firstColumn, endColumn);
  return ComputeBandColumns(params, array, band, width, stop, columns, isa);
}
