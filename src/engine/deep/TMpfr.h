#pragma once
#include <mpfr.h>

#include "engine/deep/floatexp.h"

/// One MPFR number with its own precision, owned: the arbitrary-precision arithmetic of deep
/// views (GNU MPFR). A new number is 0. Copies take the source's precision and value.
class TMpfr {
public:
  /// A number of `precision` bits (at least MPFR_PREC_MIN), set to 0.
  explicit TMpfr(mpfr_prec_t precision);
  TMpfr(const TMpfr& other);
  TMpfr(TMpfr&& other) noexcept;
  TMpfr& operator=(const TMpfr& other);
  TMpfr& operator=(TMpfr&& other) noexcept;
  ~TMpfr();

  mpfr_ptr Get() { return Value; }
  mpfr_srcptr Get() const { return Value; }
  mpfr_prec_t Precision() const { return mpfr_get_prec(Value); }

  /// The nearest double (0 or a subnormal below the double range, infinite above it).
  double ToDouble() const { return mpfr_get_d(Value, MPFR_RNDN); }
  /// The value rounded to 53 bits, with its exponent kept aside: no range limit.
  TFloatExp ToFloatExp() const;

private:
  mpfr_t Value;
};
