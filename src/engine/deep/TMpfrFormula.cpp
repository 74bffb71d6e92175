#include "engine/deep/TMpfrFormula.h"

#include "core/assertions.h"

TMpfrFormula::TMpfrFormula(int formula, mpfr_prec_t precision)
    : Formula(formula), A(precision), B(precision), T(precision), U(precision) {
  ZASSERT(formula >= 0 && formula <= 2);
}

void TMpfrFormula::Step(TMpfrComplex& z, const TMpfrComplex& c) {
  mpfr_ptr x = z.Re.Get();
  mpfr_ptr y = z.Im.Get();
  constexpr mpfr_rnd_t r = MPFR_RNDN;
  mpfr_sqr(A.Get(), x, r);  // a = x^2
  mpfr_sqr(B.Get(), y, r);  // b = y^2
  switch (Formula) {
    case 0:
      // (x^2 - y^2 + cr, 2xy + ci)
      mpfr_mul(T.Get(), x, y, r);
      mpfr_sub(x, A.Get(), B.Get(), r);
      mpfr_add(x, x, c.Re.Get(), r);
      mpfr_mul_2ui(y, T.Get(), 1, r);
      mpfr_add(y, y, c.Im.Get(), r);
      break;
    case 1:
      // (a x - 3 x b + cr, -b y + 3 y a + ci)
      mpfr_mul(T.Get(), A.Get(), x, r);
      mpfr_mul(U.Get(), x, B.Get(), r);
      mpfr_mul_ui(U.Get(), U.Get(), 3, r);
      mpfr_sub(T.Get(), T.Get(), U.Get(), r);
      mpfr_mul(U.Get(), y, A.Get(), r);
      mpfr_mul_ui(U.Get(), U.Get(), 3, r);
      mpfr_mul(A.Get(), B.Get(), y, r);
      mpfr_sub(y, U.Get(), A.Get(), r);
      mpfr_add(y, y, c.Im.Get(), r);
      mpfr_add(x, T.Get(), c.Re.Get(), r);
      break;
    default:
      // (a a - 6 a b + b b + cr, 4 (a x y - x b y) + ci)
      mpfr_mul(T.Get(), x, y, r);            // xy
      mpfr_sub(U.Get(), A.Get(), B.Get(), r);  // a - b
      mpfr_mul(U.Get(), U.Get(), T.Get(), r);  // xy (a - b)
      mpfr_mul_2ui(y, U.Get(), 2, r);
      mpfr_add(y, y, c.Im.Get(), r);
      mpfr_mul(T.Get(), A.Get(), B.Get(), r);  // ab
      mpfr_mul_ui(T.Get(), T.Get(), 6, r);
      mpfr_sqr(A.Get(), A.Get(), r);
      mpfr_sqr(B.Get(), B.Get(), r);
      mpfr_add(A.Get(), A.Get(), B.Get(), r);
      mpfr_sub(x, A.Get(), T.Get(), r);
      mpfr_add(x, x, c.Re.Get(), r);
      break;
  }
}
