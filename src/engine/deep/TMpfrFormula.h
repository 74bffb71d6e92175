#pragma once
#include <cstdint>

#include "engine/complexmath.h"
#include "engine/deep/TMpfr.h"
#include "engine/deep/TMpfrComplex.h"

/// One step of a formula in MPFR: the formula's own step (formulas.h), computed on MPFR numbers
/// at the precision of z, each operation rounded to it; at a precision well above the view's
/// the result is the exact step for every practical purpose.
class TMpfrFormula {
public:
  /// Formula `formula` (an index into Formulas; fatal assertion otherwise) at `precision` bits,
  /// with the exponents n and m (>= 1) and the constant d, which only some formulas read.
  TMpfrFormula(int formula, mpfr_prec_t precision, int32_t n = 1, int32_t m = 1,
               TComplex d = {0.0, 0.0});

  /// z = f(z) with the constant c, each part rounded to z's precision.
  void Step(TMpfrComplex& z, const TMpfrComplex& c);

private:
  using TStepFunction = void (*)(const TMpfrFormula& self, TMpfrComplex& z,
                                 const TMpfrComplex& c);
  TStepFunction Function;
  mpfr_prec_t Precision;
  int32_t N, M;
  TComplex D;

  template <class F>
  static void StepWith(const TMpfrFormula& self, TMpfrComplex& z, const TMpfrComplex& c);
};
