#pragma once
#include <cstdint>

#include "engine/complexmath.h"

// The scalar step of each formula type (formulas.h) and its derivative with respect to z, as
// functions the formula table points to. They are pure; an overflow or invalid operation shows
// as a non-finite part of the result, never as a signal or exception. Defined out of line on
// purpose: the fast kernel's instruction-set builds see the table and must not compile copies
// of these.

/// Formula F applied once to z with the constants c and d and the exponents n and m (>= 1).
template <class F>
TComplex ScalarStep(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);

/// The derivative of that step with respect to z, quirks included (formula 7 leaves a point on
/// an axis where it is, so its derivative there is 1), found by computing the step with
/// numbers that carry their derivative along the real axis. A pole or an overflow shows as a
/// non-finite part.
template <class F>
TComplex ScalarDerivative(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);

/// The derivatives of formula F's step with respect to z, c and d at one point.
struct TFormulaPartials {
  TComplex Dz, Dc, Dd;
};

/// Those derivatives, found as ScalarDerivative finds the one with respect to z.
template <class F>
TFormulaPartials ScalarPartials(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m);
