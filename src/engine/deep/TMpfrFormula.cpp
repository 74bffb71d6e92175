#include "engine/deep/TMpfrFormula.h"

#include "core/assertions.h"
#include "engine/TFormula.h"
#include "engine/deep/TMpfrNumber.h"
#include "engine/formulas.h"

namespace {

/// MPFR numbers as a number model (formulamath.h), at the thread's working precision.
struct TMpfrModel {
  using D = TMpfrNumber;
  using M = bool;
  static TMpfrNumber Set(double v) { return TMpfrNumber(v); }
  static TMpfrNumber Abs(TMpfrNumber a) {
    mpfr_abs(a.Get(), a.Get(), MPFR_RNDN);
    return a;
  }
  static TMpfrNumber Select(bool m, const TMpfrNumber& ifSet, const TMpfrNumber& otherwise) {
    return m ? ifSet : otherwise;
  }
  static bool GreaterEq(const TMpfrNumber& a, const TMpfrNumber& b) {
    return mpfr_greaterequal_p(a.Get(), b.Get()) != 0;
  }
  static bool Equal(const TMpfrNumber& a, const TMpfrNumber& b) {
    return mpfr_equal_p(a.Get(), b.Get()) != 0;
  }
  static TMpfrNumber Sqrt(TMpfrNumber a) {
    mpfr_sqrt(a.Get(), a.Get(), MPFR_RNDN);
    return a;
  }
  static TMpfrNumber Asin(TMpfrNumber a) {
    mpfr_asin(a.Get(), a.Get(), MPFR_RNDN);
    return a;
  }
  static TMpfrNumber Pow(TMpfrNumber a, const TMpfrNumber& b) {
    mpfr_pow(a.Get(), a.Get(), b.Get(), MPFR_RNDN);
    return a;
  }
  static void SinCos(const TMpfrNumber& a, TMpfrNumber& sin, TMpfrNumber& cos) {
    mpfr_sin_cos(sin.Get(), cos.Get(), a.Get(), MPFR_RNDN);
  }
  static TMpfrNumber Exp(TMpfrNumber a) {
    mpfr_exp(a.Get(), a.Get(), MPFR_RNDN);
    return a;
  }
  static TMpfrNumber Sinh(TMpfrNumber a) {
    mpfr_sinh(a.Get(), a.Get(), MPFR_RNDN);
    return a;
  }
  static TMpfrNumber Cosh(TMpfrNumber a) {
    mpfr_cosh(a.Get(), a.Get(), MPFR_RNDN);
    return a;
  }
};

using TMpfrModelComplex = TVComplex<TMpfrModel>;

TMpfrModelComplex Number(const TMpfrComplex& z) {
  return {TMpfrNumber(z.Re.Get()), TMpfrNumber(z.Im.Get())};
}

}  // namespace

template <class F>
void TMpfrFormula::StepWith(const TMpfrFormula& self, TMpfrComplex& z, const TMpfrComplex& c,
                            const TMpfrComplex& d) {
  const TMpfrNumber::TPrecision scope(z.Re.Precision());
  const TMpfrModelComplex w = Number(z);
  TMpfrNumber a, b;
  if constexpr (F::SquaresParts) {
    a = w.re * w.re;
    b = w.im * w.im;
  }
  // A formula whose step loses precision where its value has none to lose (z^n from the
  // angle's asin, near the imaginary axis) is computed in its smooth form, exactly.
  TMpfrModelComplex next;
  if constexpr (requires { F::template SmoothStep<TMpfrModel>(w, w, w, 1, 1); })
    next = F::template SmoothStep<TMpfrModel>(w, Number(c), Number(d), self.N, self.M);
  else
    next = F::template Step<TMpfrModel>(w, a, b, Number(c), Number(d), self.N, self.M);
  mpfr_set(z.Re.Get(), next.re.Get(), MPFR_RNDN);
  mpfr_set(z.Im.Get(), next.im.Get(), MPFR_RNDN);
}

template <class F>
void TMpfrFormula::AuxWith(const TMpfrFormula& self, const TMpfrComplex& z, const TMpfrComplex& c,
                           const TMpfrComplex& d, TComplex* aux) {
  if constexpr (F::DeltaAux > 0) {
    const TMpfrNumber::TPrecision scope(z.Re.Precision());
    TMpfrModelComplex values[F::DeltaAux];
    F::template Aux<TMpfrModel>(Number(z), Number(c), Number(d), self.N, self.M, values);
    for (int i = 0; i < F::DeltaAux; ++i)
      aux[i] = {mpfr_get_d(values[i].re.Get(), MPFR_RNDN),
                mpfr_get_d(values[i].im.Get(), MPFR_RNDN)};
  }
}

TMpfrFormula::TMpfrFormula(int formula, mpfr_prec_t precision, int32_t n, int32_t m)
    : Function(nullptr), AuxFunction(nullptr), Count(0), N(n), M(m), ZeroD(precision) {
  ZASSERT(formula >= 0 && formula < FormulaCount && n >= 1 && m >= 1);
  WithFormula(formula, [this]<class F>() {
    Function = &StepWith<F>;
    AuxFunction = &AuxWith<F>;
    Count = F::DeltaAux;
  });
}

void TMpfrFormula::Aux(const TMpfrComplex& z, const TMpfrComplex& c, const TMpfrComplex& d,
                       TComplex* aux) const {
  AuxFunction(*this, z, c, d, aux);
}

void TMpfrFormula::Step(TMpfrComplex& z, const TMpfrComplex& c, const TMpfrComplex& d) {
  Function(*this, z, c, d);
}
