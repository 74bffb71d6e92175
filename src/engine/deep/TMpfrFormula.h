#pragma once
#include "engine/deep/TMpfr.h"
#include "engine/deep/TMpfrComplex.h"

/// One step of formula 0, 1 or 2 (z^2 + c, z^3 + c, z^4 + c) in MPFR, written out on the real
/// and imaginary parts as the double kernel writes it; each operation is rounded to the
/// precision of the scratch numbers, so at a precision well above the view's the result is
/// the exact step for every practical purpose. Holds its scratch numbers: one per thread.
class TMpfrFormula {
public:
  /// `formula` 0 .. 2 (fatal assertion otherwise); scratch of `precision` bits.
  TMpfrFormula(int formula, mpfr_prec_t precision);

  /// z = z^k + c, each part rounded to z's precision.
  void Step(TMpfrComplex& z, const TMpfrComplex& c);

private:
  int Formula;
  TMpfr A, B, T, U;
};
