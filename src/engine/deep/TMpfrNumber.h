#pragma once
#include <mpfr.h>

/// An MPFR number with arithmetic operators, so that the formulas' steps, written once over a
/// number model (formulamath.h), also run in arbitrary precision. Every number made on a
/// thread (and every result of an operator) has that thread's working precision, which a
/// TMpfrNumber::TPrecision sets for a scope; results are rounded to nearest. Slower than
/// calling MPFR on numbers kept aside, as every operation makes a number: for the reference
/// orbits and single points of deep views, not for pixels.
class TMpfrNumber {
public:
  /// Sets the working precision of this thread for its lifetime (restoring the previous one).
  class TPrecision {
  public:
    explicit TPrecision(mpfr_prec_t bits);
    ~TPrecision();
    TPrecision(const TPrecision&) = delete;
    TPrecision& operator=(const TPrecision&) = delete;

  private:
    mpfr_prec_t Previous;
  };

  /// The working precision of this thread (bits).
  static mpfr_prec_t WorkingPrecision();

  /// 0, at the working precision.
  TMpfrNumber();
  /// `value` rounded to the working precision.
  explicit TMpfrNumber(double value);
  /// `value` rounded to the working precision.
  explicit TMpfrNumber(mpfr_srcptr value);
  TMpfrNumber(const TMpfrNumber& other);
  TMpfrNumber(TMpfrNumber&& other) noexcept;
  TMpfrNumber& operator=(const TMpfrNumber& other);
  TMpfrNumber& operator=(TMpfrNumber&& other) noexcept;
  ~TMpfrNumber();

  mpfr_ptr Get() { return Value; }
  mpfr_srcptr Get() const { return Value; }

private:
  mpfr_t Value;
  bool Owned = true;  // false once moved from
};

TMpfrNumber operator+(TMpfrNumber a, const TMpfrNumber& b);
TMpfrNumber operator-(TMpfrNumber a, const TMpfrNumber& b);
TMpfrNumber operator*(TMpfrNumber a, const TMpfrNumber& b);
TMpfrNumber operator/(TMpfrNumber a, const TMpfrNumber& b);
TMpfrNumber operator-(TMpfrNumber a);
