#pragma once
#include <atomic>

#include "engine/TColumnSink.h"
#include "engine/deep/TDeepPlan.h"
#include "engine/deep/deeplane.h"
#include "engine/kernels.h"

class TFractArray;

// Deep zoom's general path: any formula, by perturbation around reference orbits computed in
// MPFR (TGenericOrbit), each pixel stepping its difference from the reference with the
// formula's own perturbed step (formulas.h: Delta, in a form that does not cancel), or with the
// step's derivatives once the differences are too small for anything else. No approximation
// skips steps. A pixel that comes near a critical point of the formula where the reference
// does not (the derivative of the step at the pixel falls below 2^-10 of the reference's) cannot
// be trusted further, and neither can one whose reference ended before it: such pixels are
// computed again around a new reference at one of them, a few times, and the rest by MPFR
// alone. Escape, cycle and fault tests are the double kernel's, on full values rounded to
// doubles; a pixel on an axis that formula 7 leaves where it is stays there. Scalar code: every
// run gives the same cells.

/// Computes `band` (clipped to the array) of a plan whose formula has no deep degree, with
/// ComputeDeepBandColumns' contract: every cell of a column is stored before `sink` hears of
/// it; false when `stop` was seen first. Prepares the plan first when needed.
bool ComputeGenericBandColumns(TDeepPlan& plan, TFractArray& array, TBand band,
                               const std::atomic<bool>* stop, TColumnSink& sink,
                               TDeepStats* stats = nullptr);
