#pragma once
#include <cstdint>

#include "engine/TKernelParams.h"
#include "engine/complexmath.h"

// The confirmation of a detected cycle. Two iterates within InnerDist of each other are taken
// for a cycle; but an orbit that passes close to a repelling cycle lingers there for a while and
// would be reported as a cycle although it leaves it again (and often escapes). So a detection
// is dropped, and the pixel goes on, only when the cycle is shown to repel: the magnitude of its
// multiplier, the product of the step's derivatives at its points, clearly above 1. Every other
// detection stands (an attracting or neutral cycle, a multiplier that is not a number).
// Every kernel confirms with this one scalar code, so they all decide alike.

/// |multiplier|^2 above which a cycle counts as repelling. A detected cycle's points lie only
/// near the true cycle (within about InnerDist / |multiplier - 1|), which makes the measured
/// multiplier uncertain by a few parts in a thousand for usual InnerDist; the margin keeps
/// attracting cycles near the neutral ones standing.
constexpr double RepellingMultiplier2 = 1.21;

/// The multiplier of a cycle of `period` >= 1 whose newest point is `newest` and whose older
/// points are (olderRe[j], olderIm[j]) for j = 0 .. period - 2, newest first: the product of
/// the formula's derivatives at them, newest first. c and d are the pixel's constants.
TComplex CycleMultiplier(const TKernelParams& params, TComplex c, TComplex d, TComplex newest,
                         const double* olderRe, const double* olderIm, int32_t period);

/// Whether that cycle repels (|multiplier|^2 > RepellingMultiplier2; never when not a number).
bool CycleRepels(const TKernelParams& params, TComplex c, TComplex d, TComplex newest,
                 const double* olderRe, const double* olderIm, int32_t period);

/// The pixel's constants c and d at plane point `p` (the pixel's point) by the map mode.
TComplex PixelC(const TKernelParams& params, TComplex p);
TComplex PixelD(const TKernelParams& params, TComplex p);
