#pragma once
#include <atomic>
#include <cstdint>

#include "engine/deep/TDeepArea.h"
#include "engine/deep/TDeepParams.h"

// The per-pixel iteration of a deep view entirely in MPFR: slow (microseconds a step) and
// independent of every shortcut of the deep kernel, so tests and benchmarks measure the deep
// kernel against it.

/// What the iteration of one pixel stores.
struct TMpfrPointResult {
  float Depth = 0.0f;  ///< depth value as the kernels store it (fraction of MaxDepth)
  int32_t Period = 0;  ///< cycle period, 0 without a cycle
  int64_t Steps = 0;   ///< formula steps taken
  int64_t CyclesPassed = 0;  ///< cycle detections dropped because the cycle repels
  /// Whether an escape test, cycle test or confirmation was decided by less than doubles
  /// resolve: |z|^2 within a few units in the last place of OuterCircle^2, a distance within a
  /// few of InnerDist, a multiplier at the threshold. Iterates rounded to doubles (as the
  /// kernels keep them) may then decide either way.
  bool TestUnresolved = false;
};

/// Iterates pixel (x, y) of the view (any formula, `area` read from `params`) at
/// `precision` bits with the tests of the double kernel: escape when |z|^2 > OuterCircle^2,
/// the continuous correction, cycle tests against the MaxCycle previous iterates within
/// InnerDist (a repelling cycle passed by, as cycletest.h decides on the iterates rounded to
/// doubles), a fault when a part or |z|^2 leaves the double range. Stops early (result
/// unspecified) when `stop` becomes true.
TMpfrPointResult IterateDeepPointMpfr(const TDeepParams& params, const TDeepArea& area, int x,
                                      int y, mpfr_prec_t precision,
                                      const std::atomic<bool>* stop = nullptr);

/// The same for the plane point `p` (read at `precision` bits), which need not be a pixel's.
TMpfrPointResult IteratePointMpfr(const TDeepParams& params, const TMpfrComplex& p,
                                  mpfr_prec_t precision, const std::atomic<bool>* stop = nullptr);

/// How many steps a computed result (`depth`, a fraction of MaxDepth as the result array holds
/// it, and `period`) is from `exact`; infinity when the cycle periods differ.
double StepsApart(const TDeepParams& params, float depth, int32_t period,
                  const TMpfrPointResult& exact);

/// Whether the exact result of pixel (x, y) is ill-conditioned at the scale of a computed result
/// `apart` steps from it (StepsApart): one of its tests is decided by less than doubles resolve
/// (TestUnresolved), or the exact result of a point 1e-9 of a pixel beside it, in any of four
/// directions, is min(apart, 1) steps or more from it or has another period. Such a pixel is
/// chaos, which no computation short of exact arithmetic reproduces, rather than an error.
bool IllConditionedPixel(const TDeepParams& params, const TDeepArea& area, int x, int y,
                         const TMpfrPointResult& exact, double apart, mpfr_prec_t precision);
