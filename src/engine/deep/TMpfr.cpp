#include "engine/deep/TMpfr.h"

#include <utility>

TMpfr::TMpfr(mpfr_prec_t precision) {
  mpfr_init2(Value, precision < MPFR_PREC_MIN ? MPFR_PREC_MIN : precision);
  mpfr_set_zero(Value, 1);
}

TMpfr::TMpfr(const TMpfr& other) {
  mpfr_init2(Value, other.Precision());
  mpfr_set(Value, other.Value, MPFR_RNDN);
}

TMpfr::TMpfr(TMpfr&& other) noexcept : TMpfr(MPFR_PREC_MIN) { mpfr_swap(Value, other.Value); }

TMpfr& TMpfr::operator=(const TMpfr& other) {
  if (this != &other) {
    mpfr_set_prec(Value, other.Precision());
    mpfr_set(Value, other.Value, MPFR_RNDN);
  }
  return *this;
}

TMpfr& TMpfr::operator=(TMpfr&& other) noexcept {
  mpfr_swap(Value, other.Value);
  return *this;
}

TMpfr::~TMpfr() { mpfr_clear(Value); }

TFloatExp TMpfr::ToFloatExp() const {
  if (mpfr_zero_p(Value) || !mpfr_number_p(Value)) return Normalized(ToDouble(), 0);
  long exponent = 0;
  // A mantissa in [0.5, 1) times 2^exponent.
  const double mantissa = mpfr_get_d_2exp(&exponent, Value, MPFR_RNDN);
  return Normalized(mantissa, exponent);
}
