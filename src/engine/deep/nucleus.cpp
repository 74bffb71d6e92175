#include "engine/deep/nucleus.h"

#include "engine/deep/TMpfrFormula.h"
#include "engine/deep/deepzoom.h"

namespace {

// a = a * b on complex MPFR numbers, with scratch t, u.
void MulInto(TMpfrComplex& a, const TMpfrComplex& b, TMpfr& t, TMpfr& u) {
  mpfr_mul(t.Get(), a.Re.Get(), b.Re.Get(), MPFR_RNDN);
  mpfr_mul(u.Get(), a.Im.Get(), b.Im.Get(), MPFR_RNDN);
  mpfr_sub(t.Get(), t.Get(), u.Get(), MPFR_RNDN);
  mpfr_mul(u.Get(), a.Re.Get(), b.Im.Get(), MPFR_RNDN);
  mpfr_mul(a.Im.Get(), a.Im.Get(), b.Re.Get(), MPFR_RNDN);
  mpfr_add(a.Im.Get(), a.Im.Get(), u.Get(), MPFR_RNDN);
  mpfr_set(a.Re.Get(), t.Get(), MPFR_RNDN);
}

}  // namespace

bool FindNucleus(TMpfrComplex& c, int formula, int64_t period, const std::atomic<bool>* stop) {
  const mpfr_prec_t precision = c.Re.Precision();
  const int k = DeepDegree(formula);
  TMpfrFormula step(formula, precision);
  TMpfrComplex z(precision), d(precision), power(precision);
  TMpfr t(precision), u(precision), n(precision);
  for (int newton = 0; newton < MaxNewtonSteps; ++newton) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    mpfr_set_zero(z.Re.Get(), 1);
    mpfr_set_zero(z.Im.Get(), 1);
    mpfr_set_zero(d.Re.Get(), 1);
    mpfr_set_zero(d.Im.Get(), 1);
    for (int64_t i = 0; i < period; ++i) {
      // d = k z^(k-1) d + 1, then z = z^k + c.
      mpfr_set(power.Re.Get(), z.Re.Get(), MPFR_RNDN);
      mpfr_set(power.Im.Get(), z.Im.Get(), MPFR_RNDN);
      for (int j = 2; j < k; ++j) MulInto(power, z, t, u);
      MulInto(d, power, t, u);
      mpfr_mul_ui(d.Re.Get(), d.Re.Get(), static_cast<unsigned long>(k), MPFR_RNDN);
      mpfr_mul_ui(d.Im.Get(), d.Im.Get(), static_cast<unsigned long>(k), MPFR_RNDN);
      mpfr_add_ui(d.Re.Get(), d.Re.Get(), 1, MPFR_RNDN);
      step.Step(z, c);
      if ((i & 1023) == 1023 && stop && stop->load(std::memory_order_relaxed)) return false;
    }
    // The correction z / d = z conj(d) / |d|^2.
    mpfr_sqr(n.Get(), d.Re.Get(), MPFR_RNDN);
    mpfr_sqr(t.Get(), d.Im.Get(), MPFR_RNDN);
    mpfr_add(n.Get(), n.Get(), t.Get(), MPFR_RNDN);
    if (mpfr_zero_p(n.Get()) || !mpfr_number_p(n.Get())) return false;
    mpfr_neg(d.Im.Get(), d.Im.Get(), MPFR_RNDN);
    MulInto(z, d, t, u);
    mpfr_div(z.Re.Get(), z.Re.Get(), n.Get(), MPFR_RNDN);
    mpfr_div(z.Im.Get(), z.Im.Get(), n.Get(), MPFR_RNDN);
    if (!mpfr_number_p(z.Re.Get()) || !mpfr_number_p(z.Im.Get())) return false;
    mpfr_sub(c.Re.Get(), c.Re.Get(), z.Re.Get(), MPFR_RNDN);
    mpfr_sub(c.Im.Get(), c.Im.Get(), z.Im.Get(), MPFR_RNDN);
    // Converged when the correction is below the last bits of c.
    const TFloatExp correction = Abs(z.ToComplexExp());
    const TFloatExp size = Abs(c.ToComplexExp());
    if (correction.M == 0.0 ||
        Less(correction, Mul(Max(size, ToFloatExp(0x1p-64)),
                             TFloatExp{1.0, -static_cast<int64_t>(precision) + 8})))
      return true;
  }
  return false;
}
