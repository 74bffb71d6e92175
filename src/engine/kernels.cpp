#include "engine/kernels.h"

#include <algorithm>
#include <limits>

#include "core/assertions.h"
#include "core/linearmap.h"
#include "engine/TColumnsDone.h"
#include "engine/TFractArray.h"
#include "engine/cycletest.h"

namespace {

// How many steps a pixel runs between two looks at the stop flag: rare enough to cost nothing,
// often enough that a stop is honoured within milliseconds even at the deepest limits.
constexpr int64_t StopCheckInterval = 32768;

// Every history entry starts at this point, so an iterate landing on it counts as a cycle.
constexpr double HistoryStart = 1000.0;

}  // namespace

TComplex FormulaStep(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m, int formula) {
  if (formula < 0 || formula >= FormulaCount)
    return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
  return Formulas[static_cast<size_t>(formula)].Step(z, c, d, n, m);
}

TComplex PixelPoint(const TKernelParams& params, int x, int y, int width) {
  return {static_cast<double>(LinearMap(x, 0, width, params.Left, params.Right)),
          static_cast<double>(LinearMap(y, 0, params.YResolution, params.Top, params.Bottom))};
}

TPointOutcome ContinuePoint(const TKernelParams& params, TComplex c, TComplex d, TComplex z,
                            int64_t steps, TCycleHistory& history, const std::atomic<bool>* stop) {
  const double outer2 = params.OuterCircle * params.OuterCircle;
  const double inner2 = params.InnerDist * params.InnerDist;
  const double maxDepth = params.MaxDepth;
  const int32_t maxCycle = params.MaxCycle;
  const TFormula& formula = Formulas[static_cast<size_t>(params.Formula)];
  const bool fractional = params.ColorMode == TKernelParams::ColorContinue && formula.Fractional();

  // History entries not yet written all hold HistoryStart, so only the first of them can ever
  // match. They are not stored: a large MaxCycle then costs nothing until the orbit is that
  // long. The first `filled` entries are real iterates.
  int64_t filled = static_cast<int64_t>(history.Re.size());

  TPointOutcome outcome;
  double depth = 1.0 + static_cast<double>(steps);
  outcome.Steps = 0;
  // The stop flag is looked at by work done, not by steps: with a long history one step compares
  // against every entry, and a stop must still be honoured within milliseconds.
  int64_t work = 0;
  int64_t nextStopCheck = 0;
  while (depth < maxDepth) {
    if (stop && work >= nextStopCheck) {
      if (stop->load(std::memory_order_relaxed)) {
        outcome.Stopped = true;
        return outcome;
      }
      nextStopCheck = work + StopCheckInterval;
    }
    work += 1 + filled;
    const TComplex next = formula.Step(z, c, d, params.N, params.M);
    ++outcome.Steps;
    const double r2 = next.im * next.im + next.re * next.re;
    // Faults are caught before the escape test, as a trapping overflow would have been.
    if (IsFault(next) || !std::isfinite(r2)) break;
    if (r2 > outer2) {
      if (fractional)
        depth = depth - formula.EscapeFactor(params.N) * std::log(r2) / std::log(outer2);
      if (depth < 0) depth = 0.0001;
      break;
    }
    int64_t period = 0;
    for (int64_t j = 0; j < filled; ++j) {
      const double di = history.Im[j] - next.im;
      const double dr = history.Re[j] - next.re;
      if (di * di + dr * dr < inner2) {
        period = j + 1;
        break;
      }
    }
    if (period == 0 && filled < maxCycle) {
      const double di = HistoryStart - next.im;
      const double dr = HistoryStart - next.re;
      if (di * di + dr * dr < inner2) period = filled + 1;
    }
    // The first match decides; a repelling cycle is passed by and the orbit goes on.
    if (period != 0 && !CycleRepels(params, c, d, next, history.Re.data(), history.Im.data(),
                                    static_cast<int32_t>(period))) {
      depth = -depth;
      outcome.Period = static_cast<int32_t>(period);
      break;
    }
    if (maxCycle > 0) {
      if (filled < maxCycle) {
        history.Re.push_back(0.0);
        history.Im.push_back(0.0);
        ++filled;
      }
      for (int64_t j = filled - 1; j >= 1; --j) {
        history.Re[j] = history.Re[j - 1];
        history.Im[j] = history.Im[j - 1];
      }
      history.Re[0] = next.re;
      history.Im[0] = next.im;
    }
    z = next;
    depth = depth + 1.0;
  }
  // A fault leaves the loop below MaxDepth, so it keeps its depth here.
  if (depth == maxDepth) depth = 0.0;
  outcome.Depth = static_cast<float>(depth / maxDepth);
  return outcome;
}

int64_t IteratePoint(const TKernelParams& params, int x, int y, int width,
                     TCycleHistory& history, TFractArray& array, const std::atomic<bool>* stop) {
  const TComplex p = PixelPoint(params, x, y, width);
  history.Re.clear();
  history.Im.clear();
  array.SetCycle(x, y, 0);
  const TPointOutcome outcome =
      ContinuePoint(params, PixelC(params, p), PixelD(params, p), p, 0, history, stop);
  if (outcome.Stopped) return outcome.Steps;
  array.SetCycle(x, y, outcome.Period);
  array.SetDepth(x, y, outcome.Depth);
  return outcome.Steps;
}

TBand ClipBand(TBand band, const TFractArray& array) {
  // A band reaching outside the array would otherwise write clamped cells of its edge.
  TBand clipped{std::max(band.FirstColumn, 0), std::max(band.FirstRow, 0),
                std::min(band.EndColumn, array.Width), std::min(band.EndRow, array.Height)};
  clipped.EndColumn = std::max(clipped.EndColumn, clipped.FirstColumn);
  clipped.EndRow = std::max(clipped.EndRow, clipped.FirstRow);
  return clipped;
}

void CheckBandParams(const TKernelParams& params, int width) {
  ZASSERT(width >= 1 && params.YResolution >= 1);
  ZASSERT(params.MaxDepth >= 1 && params.MaxCycle >= 0);
  ZASSERT(params.Formula >= 0 && params.Formula < FormulaCount);
  ZASSERT(params.MapField >= TKernelParams::MapZ && params.MapField <= TKernelParams::MapD);
}

bool ComputeBandColumnsReference(const TKernelParams& params, TFractArray& array, TBand band,
                                 int width, const std::atomic<bool>* stop, TColumnSink& sink) {
  CheckBandParams(params, width);

  const TBand clipped = ClipBand(band, array);
  TCycleHistory history;
  history.Re.reserve(static_cast<size_t>(std::min(params.MaxCycle, 64)));
  history.Im.reserve(static_cast<size_t>(std::min(params.MaxCycle, 64)));
  for (int x = clipped.FirstColumn; x < clipped.EndColumn; ++x) {
    for (int y = clipped.FirstRow; y < clipped.EndRow; ++y) {
      IteratePoint(params, x, y, width, history, array, stop);
      if (stop && stop->load(std::memory_order_relaxed)) return false;
    }
    sink.ColumnFinished(x);
  }
  return true;
}

bool ComputeBand(const TKernelParams& params, TFractArray& array, TBand band, int width,
                 const std::atomic<bool>* stop) {
  const TBand clipped = ClipBand(band, array);
  TColumnsDone columns(array, clipped.FirstColumn, clipped.EndColumn);
  return ComputeBandColumnsReference(params, array, clipped, width, stop, columns);
}
