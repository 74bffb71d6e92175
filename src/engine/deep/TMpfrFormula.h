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
  /// Formula `formula` (an index into Formulas; fatal assertion otherwise) with the exponents
  /// n and m (>= 1), which only some formulas read; `precision` is that of the constant d of
  /// the two-argument Step (0).
  TMpfrFormula(int formula, mpfr_prec_t precision, int32_t n = 1, int32_t m = 1);

  /// z = f(z) with the constants c and d, each part rounded to z's precision.
  void Step(TMpfrComplex& z, const TMpfrComplex& c, const TMpfrComplex& d);
  /// The same with d = 0 (for formulas that do not read it).
  void Step(TMpfrComplex& z, const TMpfrComplex& c) { Step(z, c, ZeroD); }

  /// How many values of z deep zoom's general perturbed step reads (the formula's DeltaAux).
  int AuxCount() const { return Count; }
  /// Those values at z with the constants c and d, computed at z's precision and rounded to
  /// doubles, into aux[0 .. AuxCount() - 1].
  void Aux(const TMpfrComplex& z, const TMpfrComplex& c, const TMpfrComplex& d,
           TComplex* aux) const;

private:
  using TStepFunction = void (*)(const TMpfrFormula& self, TMpfrComplex& z,
                                 const TMpfrComplex& c, const TMpfrComplex& d);
  TStepFunction Function;
  using TAuxFunction = void (*)(const TMpfrFormula& self, const TMpfrComplex& z,
                                const TMpfrComplex& c, const TMpfrComplex& d, TComplex* aux);
  TAuxFunction AuxFunction;
  int Count;
  int32_t N, M;
  TMpfrComplex ZeroD;

  template <class F>
  static void AuxWith(const TMpfrFormula& self, const TMpfrComplex& z, const TMpfrComplex& c,
                      const TMpfrComplex& d, TComplex* aux);
  template <class F>
  static void StepWith(const TMpfrFormula& self, TMpfrComplex& z, const TMpfrComplex& c,
                       const TMpfrComplex& d);
};
