#include "engine/fastkernel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/assertions.h"
#include "engine/TColumnsDone.h"
#include "engine/TFractArray.h"
#include "engine/cycletest.h"
#include "engine/fastkernel_isa.h"

namespace {

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

// With a limit of one step no pixel takes a step: the reference stores the limit's depth 0 and
// no cycle in every cell.
bool FillBandAtLimit(const TKernelParams& params, TFractArray& array, TBand band, int width,
                     const std::atomic<bool>* stop, TColumnSink& sink) {
  CheckBandParams(params, width);
  const TBand clipped = ClipBand(band, array);
  const int firstRow = clipped.FirstRow;
  const int endRow = clipped.EndRow;
  for (int x = clipped.FirstColumn; x < clipped.EndColumn; ++x) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    std::fill(array.DepthColumn(x) + firstRow, array.DepthColumn(x) + endRow, 0.0f);
    std::fill(array.CycleColumn(x) + firstRow, array.CycleColumn(x) + endRow, int32_t{0});
    sink.ColumnFinished(x);
  }
  return true;
}

const TKernelParams& ParamsOf(const TFastBand& band) {
  return *static_cast<const TKernelParams*>(band.Params);
}

TComplex BandPoint(const TFastBand& band, int column, int row) {
  return {band.ColumnRe[column], band.RowIm[row]};
}

bool BandCycleRepels(const TFastBand& band, int column, int row, double re, double im,
                     const double* olderRe, const double* olderIm, int32_t period) {
  const TKernelParams& params = ParamsOf(band);
  const TComplex p = BandPoint(band, column, row);
  return CycleRepels(params, PixelC(params, p), PixelD(params, p), {re, im}, olderRe, olderIm,
                     period);
}

bool BandResume(const TFastBand& band, int column, int row, double re, double im,
                int64_t steps, const double* hRe, const double* hIm, int32_t filled,
                float& depth, int32_t& period) {
  const TKernelParams& params = ParamsOf(band);
  const TComplex p = BandPoint(band, column, row);
  TCycleHistory history;
  history.Re.assign(hRe, hRe + filled);
  history.Im.assign(hIm, hIm + filled);
  const TPointOutcome outcome = ContinuePoint(params, PixelC(params, p), PixelD(params, p),
                                              {re, im}, steps, history, band.Stop);
  depth = outcome.Depth;
  period = outcome.Period;
  return !outcome.Stopped;
}

}  // namespace

bool FastKernelVectorises(const TKernelParams& p) {
  // Every formula has a vector step: formulas.h writes each once for every number model.
  return p.Formula >= 0 && p.Formula < FormulaCount && p.MaxDepth >= 2 && p.MaxCycle >= 0 &&
         p.MaxCycle <= FastMaxCycle && p.N >= 1 && p.M >= 1 && p.MapField >= TKernelParams::MapZ &&
         p.MapField <= TKernelParams::MapD;
}

bool ComputeBandColumns(const TKernelParams& params, TFractArray& array, TBand band, int width,
                        const std::atomic<bool>* stop, TColumnSink& sink, TKernelIsa isa) {
  if (params.MaxDepth <= 1) return FillBandAtLimit(params, array, band, width, stop, sink);
  if (!FastKernelVectorises(params))
    return ComputeBandColumnsReference(params, array, band, width, stop, sink);
  CheckBandParams(params, width);
  const TBandFunction run = BandFunction(isa);
  const TBand clipped = ClipBand(band, array);
  const int firstColumn = clipped.FirstColumn, endColumn = clipped.EndColumn;
  const int firstRow = clipped.FirstRow, endRow = clipped.EndRow;
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
  const TFormula& formula = Formulas[static_cast<size_t>(params.Formula)];
  job.Fractional = params.ColorMode == TKernelParams::ColorContinue && formula.Fractional();
  job.EscapeK = formula.Fractional() ? formula.EscapeFactor(params.N) : 1.0;

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
  job.Repels = BandCycleRepels;
  job.Resume = BandResume;
  job.Params = &params;
  return run(job);
}

bool ComputeBandFast(const TKernelParams& params, TFractArray& array, TBand band, int width,
                     const std::atomic<bool>* stop, TKernelIsa isa) {
  const TBand clipped = ClipBand(band, array);
  TColumnsDone columns(array, clipped.FirstColumn, clipped.EndColumn);
  return ComputeBandColumns(params, array, clipped, width, stop, columns, isa);
}
