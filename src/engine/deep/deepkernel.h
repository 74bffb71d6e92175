#pragma once
#include <atomic>

#include "engine/TColumnSink.h"
#include "engine/cpufeatures.h"
#include "engine/deep/TDeepPlan.h"
#include "engine/deep/deeplane.h"
#include "engine/kernels.h"

class TFractArray;

// The deep kernel: the formulas with a deep degree (z^2, z^3, z^4 + c) at any depth, by
// perturbation around reference orbits computed in MPFR (TDeepPlan), with skips by bilinear
// approximation, rebasing, and an exponent kept aside for tiny differences. Each pixel's depth
// value and cycle period mean what the double kernel's mean (escape test against OuterCircle on the full value, the continuous
// correction, cycle tests with MaxCycle and InnerDist on full values, faults ending the pixel).
// There is no bit-exact twin, but every run, thread count and instruction set gives the same
// cells.
//
// Plugging it into the band protocol: create one TDeepPlan per view (TDeepPlan::Create), then
// call ComputeDeepBandColumns for each band from any number of workers, with the same plan,
// array and stop flag; the first calls build the reference orbits (Prepare), the others wait for
// them. A view below NeedsDeepKernel's threshold whose formula DeepKernelSupports goes here,
// every other view to the double kernels.

/// Computes `band` (clipped to the array) of the plan's view: every cell of a column is stored
/// before `sink` hears of the column (in any order); only finished columns are reported.
/// Prepares the plan first when needed. Returns false when `stop` was seen first (within a
/// pixel's steps, promptly); the cells of unreported columns are then unspecified. The array
/// must have the plan's resolution. `stats`, when given, is added to (atomically).
/// Thread-safe for different bands of one plan and array.
bool ComputeDeepBandColumns(TDeepPlan& plan, TFractArray& array, TBand band,
                            const std::atomic<bool>* stop, TColumnSink& sink,
                            TKernelIsa isa = BestKernelIsa(), TDeepStats* stats = nullptr);

/// The same with the scalar lane code alone, pixel by pixel, columns reported left to right:
/// the cells the vector builds store, slowly. Also what views with MaxCycle above the vector
/// builds' history run.
bool ComputeDeepBandColumnsScalar(TDeepPlan& plan, TFractArray& array, TBand band,
                                  const std::atomic<bool>* stop, TColumnSink& sink,
                                  TDeepStats* stats = nullptr);
