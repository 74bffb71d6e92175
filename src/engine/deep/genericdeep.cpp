#include "engine/deep/genericdeep.h"

#include <algorithm>
#include <map>
#include <utility>
#include <cmath>
#include <vector>

#include "core/assertions.h"
#include "engine/TFractArray.h"
#include "engine/cycletest.h"
#include "engine/deep/TGenericOrbit.h"
#include "engine/deep/floatexp.h"
#include "engine/deep/mpfriteration.h"
#include "engine/formulas.h"
#include "engine/formulasteps.h"

namespace {

// Differences below this magnitude (2^-800) are stepped with the derivatives alone: their
// squares are far below a double's rounding of them, and the doubles would soon underflow.
constexpr int64_t TinyExponent = -800;

// A pixel whose step's derivative falls below this fraction of the reference's has come near a
// critical point where the reference has not: its difference loses its precision there.
constexpr double GlitchRatio2 = 0x1p-20;

// The tiles of the new references, one round each: a pixel the centre's orbit cannot take is
// computed again around the orbit of the middle pixel of its 16 x 16 tile of the picture, then
// of its 4 x 4 tile, then by MPFR alone. Each pixel's references depend on the pixel alone, so
// a picture is the same however it is cut into bands.
constexpr int ReferenceTiles[] = {16, 4};

// Steps between two looks at the stop flag.
constexpr int64_t StopCheckInterval = 4096;

// Every history entry starts at this point, as in the double kernel.
constexpr double HistoryStart = 1000.0;

/// What every pixel of a view reads.
struct TGenericContext {
  const TDeepParams* Params = nullptr;
  const TFormula* Formula = nullptr;
  TKernelParams Kernel;  // for the confirmation of cycles
  int64_t LastStep = 0;
  double MaxDepth = 1, Outer2 = 0, Inner2 = 0, LogOuter2 = 0, EscapeK = 1;
  bool Fractional = false;
  const std::atomic<bool>* Stop = nullptr;
};

enum class TOutcome { Finished, Untrusted, Stopped };

/// One pixel's results.
struct TPixelResult {
  float Depth = 0.0f;
  int32_t Period = 0;
  int64_t Steps = 0;
};

bool IsTiny(TComplexExp z) { return IsZero(z) || z.E < TinyExponent; }

void Finish(const TGenericContext& g, TPixelResult& result, double depth, int32_t period) {
  if (depth == g.MaxDepth) depth = 0.0;
  result.Depth = static_cast<float>(depth / g.MaxDepth);
  result.Period = period;
}

// Iterates one pixel of formula F whose start differs from the orbit's by dz0, whose c by dc
// and d by dd.
template <class F>
TOutcome IteratePixel(const TGenericContext& g, const TGenericOrbit& orbit, TComplexExp dz0,
                      TComplexExp dcx, TComplexExp ddx, std::vector<double>& hRe,
                      std::vector<double>& hIm, TPixelResult& result) {
  const TDeepParams& p = *g.Params;
  const TComplex dc{RealPart(dcx), ImagPart(dcx)};
  const TComplex dd{RealPart(ddx), ImagPart(ddx)};
  // The pixel's own constants, as the confirmation of a cycle reads them.
  const TComplex c = CAdd(orbit.C(), dc), d = CAdd(orbit.D(), dd);
  const int32_t maxCycle = p.MaxCycle;
  hRe.assign(static_cast<size_t>(maxCycle), HistoryStart);
  hIm.assign(static_cast<size_t>(maxCycle), HistoryStart);

  bool tiny = IsTiny(dz0);
  TComplexExp dzx = dz0;
  TComplex dz{RealPart(dz0), ImagPart(dz0)};
  int64_t index = 0;
  int64_t steps = 0;
  bool frozen = false;
  TComplex full = CAdd(orbit.Value(0), dz);
  if (tiny) {
    const TComplexExp value = Add(ToComplexExp(orbit.Value(0).re, orbit.Value(0).im), dzx);
    full = {RealPart(value), ImagPart(value)};
  }
  for (;;) {
    if (steps >= g.LastStep) {
      Finish(g, result, g.MaxDepth, 0);
      break;
    }
    if ((steps & (StopCheckInterval - 1)) == 0 && g.Stop &&
        g.Stop->load(std::memory_order_relaxed))
      return TOutcome::Stopped;
    if (F::FreezesOnAxes && full.re * full.im == 0) {
      // The step leaves the point where it is, now and at every step after.
      frozen = true;
      if (maxCycle == 0) {
        Finish(g, result, g.MaxDepth, 0);
        break;
      }
    }
    if (!frozen) {
      if (index + 1 >= orbit.Size()) {
        // The reference ended (it escaped or faulted) before this pixel.
        result.Steps = steps;
        return TOutcome::Untrusted;
      }
      if (tiny) {
        dzx = Add(Add(Mul(ToComplexExp(orbit.Dz(index).re, orbit.Dz(index).im), dzx),
                      Mul(ToComplexExp(orbit.Dc(index).re, orbit.Dc(index).im), dcx)),
                  Mul(ToComplexExp(orbit.Dd(index).re, orbit.Dd(index).im), ddx));
      } else {
        const TDeltaPoint<TScalarModel> point{orbit.Value(index), orbit.Aux(index), orbit.C(),
                                              orbit.D(), p.N, p.M};
        dz = F::template Delta<TScalarModel>(point, dz, dc, dd);
      }
      ++index;
      if (tiny) {
        const TComplexExp value =
            Add(ToComplexExp(orbit.Value(index).re, orbit.Value(index).im), dzx);
        full = {RealPart(value), ImagPart(value)};
        if (!IsTiny(dzx)) {
          tiny = false;
          dz = {RealPart(dzx), ImagPart(dzx)};
        }
      } else {
        full = CAdd(orbit.Value(index), dz);
      }
    }
    ++steps;
    // The double kernel's tests, in its order.
    const double r2 = full.im * full.im + full.re * full.re;
    const double depth = static_cast<double>(steps);
    if (!std::isfinite(full.re) || !std::isfinite(full.im) || !std::isfinite(r2)) {
      Finish(g, result, depth, 0);
      break;
    }
    if (r2 > g.Outer2) {
      double escaped = depth;
      if (g.Fractional) escaped = depth - g.EscapeK * std::log(r2) / g.LogOuter2;
      if (escaped < 0) escaped = 0.0001;
      Finish(g, result, escaped, 0);
      break;
    }
    int32_t period = 0;
    for (int32_t j = 0; j < maxCycle && period == 0; ++j) {
      const double di = hIm[static_cast<size_t>(j)] - full.im;
      const double dr = hRe[static_cast<size_t>(j)] - full.re;
      if (di * di + dr * dr < g.Inner2) period = j + 1;
    }
    if (period != 0 && !CycleRepels(g.Kernel, c, d, full, hRe.data(), hIm.data(), period)) {
      Finish(g, result, -depth, period);
      break;
    }
    if (maxCycle > 0) {
      std::rotate(hRe.rbegin(), hRe.rbegin() + 1, hRe.rend());
      std::rotate(hIm.rbegin(), hIm.rbegin() + 1, hIm.rend());
      hRe[0] = full.re;
      hIm[0] = full.im;
    }
    if (!tiny && !frozen) {
      // Near a critical point where the reference is not, the difference cannot be trusted.
      const TComplex mine = ScalarDerivative<F>(full, c, d, p.N, p.M);
      const TComplex theirs = orbit.Dz(index);
      const double mine2 = mine.im * mine.im + mine.re * mine.re;
      const double theirs2 = theirs.im * theirs.im + theirs.re * theirs.re;
      // Likewise near a pole, where the step's derivative grows instead.
      if (mine2 < GlitchRatio2 * theirs2 || (F::HasPoles && GlitchRatio2 * mine2 > theirs2)) {
        result.Steps = steps;
        return TOutcome::Untrusted;
      }
    }
  }
  result.Steps = steps;
  return TOutcome::Finished;
}

}  // namespace

bool ComputeGenericBandColumns(TDeepPlan& plan, TFractArray& array, TBand band,
                               const std::atomic<bool>* stop, TColumnSink& sink,
                               TDeepStats* stats) {
  const TDeepParams& p = plan.Params();
  ZASSERT(plan.Generic());
  ZASSERT(array.Width == p.XResolution && array.Height == p.YResolution);
  if (!plan.Prepare(stop)) return false;
  const TBand b = ClipBand(band, array);
  if (b.FirstColumn >= b.EndColumn) return true;

  TGenericContext g;
  g.Params = &p;
  g.Formula = &Formulas[static_cast<size_t>(p.Formula)];
  using TIterate = TOutcome (*)(const TGenericContext&, const TGenericOrbit&, TComplexExp,
                                TComplexExp, TComplexExp, std::vector<double>&,
                                std::vector<double>&, TPixelResult&);
  const TIterate iterate = WithFormula(p.Formula, []<class F>() -> TIterate {
    return &IteratePixel<F>;
  });
  g.Kernel.Formula = p.Formula;
  g.Kernel.MapField = p.MapField;
  g.Kernel.N = p.N;
  g.Kernel.M = p.M;
  g.LastStep = static_cast<int64_t>(p.MaxDepth) - 1;
  g.MaxDepth = p.MaxDepth;
  g.Outer2 = p.OuterCircle * p.OuterCircle;
  g.Inner2 = p.InnerDist * p.InnerDist;
  g.LogOuter2 = std::log(g.Outer2);
  g.Fractional = p.ColorMode == TKernelParams::ColorContinue && g.Formula->Fractional();
  g.EscapeK = g.Formula->Fractional() ? g.Formula->EscapeFactor(p.N) : 1.0;
  g.Stop = stop;

  struct TPending {
    int X, Y;
  };
  std::vector<TPending> pending;
  for (int x = b.FirstColumn; x < b.EndColumn; ++x)
    for (int y = b.FirstRow; y < b.EndRow; ++y) pending.push_back({x, y});
  std::vector<double> hRe, hIm;
  TDeepStats counts;
  const auto store = [&](const TPending& pixel, const TPixelResult& result) {
    array.SetDepth(pixel.X, pixel.Y, result.Depth);
    array.SetCycle(pixel.X, pixel.Y, result.Period);
    ++counts.Pixels;
    counts.Steps += result.Steps;
  };
  const auto addStats = [&] {
    if (!stats) return;
    std::atomic_ref<int64_t>(stats->Pixels).fetch_add(counts.Pixels);
    std::atomic_ref<int64_t>(stats->Steps).fetch_add(counts.Steps);
    std::atomic_ref<int64_t>(stats->Rebases).fetch_add(counts.Rebases);
  };

  // The centre's orbit first, then new references for the pixels it could not take, tile by
  // tile; what remains goes to MPFR.
  const TComplexExp zero{};
  // Iterates `pixels` around `orbit` started at pixel (rx, ry); false when stopped.
  const auto iterateAll = [&](const TGenericOrbit& orbit, int rx, int ry,
                              const std::vector<TPending>& pixels,
                              std::vector<TPending>& untrusted) {
    for (const TPending& pixel : pixels) {
      const TComplexExp offset = MakeComplex(plan.Area().ColumnOffset(pixel.X, rx),
                                             plan.Area().RowOffset(pixel.Y, ry));
      const TComplexExp dc = p.MapField == TKernelParams::MapC ? offset : zero;
      const TComplexExp dd = p.MapField == TKernelParams::MapD ? offset : zero;
      TPixelResult result;
      switch (iterate(g, orbit, offset, dc, dd, hRe, hIm, result)) {
        case TOutcome::Finished:
          store(pixel, result);
          break;
        case TOutcome::Untrusted:
          untrusted.push_back(pixel);
          break;
        case TOutcome::Stopped:
          return false;
      }
    }
    return true;
  };
  std::vector<TPending> untrusted;
  if (!iterateAll(plan.GenericOrbit(), p.XResolution / 2, p.YResolution / 2, pending,
                  untrusted)) {
    addStats();
    return false;
  }
  pending = std::move(untrusted);
  for (const int tile : ReferenceTiles) {
    if (pending.empty()) break;
    // The pixels of each tile, tiles in the order of their first pixel.
    std::map<std::pair<int, int>, std::vector<TPending>> tiles;
    for (const TPending& pixel : pending) tiles[{pixel.X / tile, pixel.Y / tile}].push_back(pixel);
    std::vector<TPending> left;
    for (const auto& [key, pixels] : tiles) {
      const int rx = std::min(key.first * tile + tile / 2, p.XResolution - 1);
      const int ry = std::min(key.second * tile + tile / 2, p.YResolution - 1);
      const TMpfrComplex point = plan.Area().PixelPoint(rx, ry, plan.Precision());
      TGenericOrbit orbit;
      ++counts.Rebases;
      if (!plan.ComputeGenericOrbit(point, orbit, stop) ||
          !iterateAll(orbit, rx, ry, pixels, left)) {
        addStats();
        return false;
      }
    }
    pending = std::move(left);
  }
  for (const TPending& pixel : pending) {
    const TMpfrPointResult exact =
        IterateDeepPointMpfr(p, plan.Area(), pixel.X, pixel.Y, plan.Precision() + 64, stop);
    if (stop && stop->load(std::memory_order_relaxed)) {
      addStats();
      return false;
    }
    store(pixel, {exact.Depth, exact.Period, exact.Steps});
  }
  addStats();
  for (int x = b.FirstColumn; x < b.EndColumn; ++x) sink.ColumnFinished(x);
  return true;
}
