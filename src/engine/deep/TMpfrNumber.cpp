#include "engine/deep/TMpfrNumber.h"

#include <utility>
#include <vector>

namespace {

thread_local mpfr_prec_t Working = 64;

// Numbers of the working precision that ended, kept for the next ones: a step makes and ends
// some dozen numbers, and their limbs need not go back to the allocator each time.
struct TSpares {
  mpfr_prec_t Precision = 0;
  std::vector<__mpfr_struct> Numbers;

  void Flush() {
    for (__mpfr_struct& n : Numbers) mpfr_clear(&n);
    Numbers.clear();
  }
  ~TSpares() { Flush(); }
};

thread_local TSpares Spares;

constexpr size_t MaxSpares = 64;

// Initialises `value` with `precision` bits, from the spares where they have it.
void Make(mpfr_ptr value, mpfr_prec_t precision) {
  if (Spares.Precision == precision && !Spares.Numbers.empty()) {
    *value = Spares.Numbers.back();
    Spares.Numbers.pop_back();
  } else {
    mpfr_init2(value, precision);
  }
}

}  // namespace

TMpfrNumber::TPrecision::TPrecision(mpfr_prec_t bits) : Previous(Working) {
  Working = bits < MPFR_PREC_MIN ? MPFR_PREC_MIN : bits;
}

TMpfrNumber::TPrecision::~TPrecision() { Working = Previous; }

mpfr_prec_t TMpfrNumber::WorkingPrecision() { return Working; }

TMpfrNumber::TMpfrNumber() {
  Make(Value, Working);
  mpfr_set_zero(Value, 1);
}

TMpfrNumber::TMpfrNumber(double value) {
  Make(Value, Working);
  mpfr_set_d(Value, value, MPFR_RNDN);
}

TMpfrNumber::TMpfrNumber(mpfr_srcptr value) {
  Make(Value, Working);
  mpfr_set(Value, value, MPFR_RNDN);
}

TMpfrNumber::TMpfrNumber(const TMpfrNumber& other) {
  Make(Value, mpfr_get_prec(other.Value));
  mpfr_set(Value, other.Value, MPFR_RNDN);
}

TMpfrNumber::TMpfrNumber(TMpfrNumber&& other) noexcept {
  // The limbs change hands; the other number owns nothing any more.
  *Value = *other.Value;
  other.Owned = false;
}

TMpfrNumber& TMpfrNumber::operator=(const TMpfrNumber& other) {
  if (this != &other) {
    if (!Owned) {
      mpfr_init2(Value, mpfr_get_prec(other.Value));
      Owned = true;
    }
    mpfr_set_prec(Value, mpfr_get_prec(other.Value));
    mpfr_set(Value, other.Value, MPFR_RNDN);
  }
  return *this;
}

TMpfrNumber& TMpfrNumber::operator=(TMpfrNumber&& other) noexcept {
  if (this != &other) {
    if (Owned) mpfr_clear(Value);
    *Value = *other.Value;
    Owned = other.Owned;
    other.Owned = false;
  }
  return *this;
}

TMpfrNumber::~TMpfrNumber() {
  if (!Owned) return;
  const mpfr_prec_t precision = mpfr_get_prec(Value);
  if (precision != Spares.Precision) {
    // A new working precision: the spares of the old one are of no more use.
    Spares.Flush();
    Spares.Precision = precision;
  }
  if (Spares.Numbers.size() < MaxSpares)
    Spares.Numbers.push_back(*Value);
  else
    mpfr_clear(Value);
}

TMpfrNumber operator+(TMpfrNumber a, const TMpfrNumber& b) {
  mpfr_add(a.Get(), a.Get(), b.Get(), MPFR_RNDN);
  return a;
}

TMpfrNumber operator-(TMpfrNumber a, const TMpfrNumber& b) {
  mpfr_sub(a.Get(), a.Get(), b.Get(), MPFR_RNDN);
  return a;
}

TMpfrNumber operator*(TMpfrNumber a, const TMpfrNumber& b) {
  mpfr_mul(a.Get(), a.Get(), b.Get(), MPFR_RNDN);
  return a;
}

TMpfrNumber operator/(TMpfrNumber a, const TMpfrNumber& b) {
  mpfr_div(a.Get(), a.Get(), b.Get(), MPFR_RNDN);
  return a;
}

TMpfrNumber operator-(TMpfrNumber a) {
  mpfr_neg(a.Get(), a.Get(), MPFR_RNDN);
  return a;
}
