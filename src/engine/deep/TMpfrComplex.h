#pragma once
#include "engine/deep/TMpfr.h"

/// A complex number of two MPFR parts of the same precision.
struct TMpfrComplex {
  explicit TMpfrComplex(mpfr_prec_t precision) : Re(precision), Im(precision) {}
  TMpfr Re, Im;

  /// Both parts rounded to 53 bits, with a shared exponent: no range limit.
  TComplexExp ToComplexExp() const { return MakeComplex(Re.ToFloatExp(), Im.ToFloatExp()); }
};
