#pragma once
#include <cmath>
#include <cstdint>

#include "engine/realfunctions.h"

// Complex arithmetic on plain pairs of doubles, each operation written out so that its order of
// operations is fixed: a vectorised kernel can repeat it lane by lane and match bit for bit.
// std::complex is avoided on purpose: its operators may take library recovery paths for
// infinities and NaNs that a vector lane cannot follow.

/// A complex number (real part, imaginary part).
struct TComplex {
  double re, im;
};

inline TComplex CAdd(TComplex a, TComplex b) { return {a.re + b.re, a.im + b.im}; }
inline TComplex CSub(TComplex a, TComplex b) { return {a.re - b.re, a.im - b.im}; }
/// a + r for a real r (acts on the real part).
inline TComplex CAddReal(TComplex a, double r) { return {a.re + r, a.im}; }
/// a - r for a real r.
inline TComplex CSubReal(TComplex a, double r) { return {a.re - r, a.im}; }
/// r - a for a real r.
inline TComplex CRealSub(double r, TComplex a) { return {r - a.re, -a.im}; }
/// a * r for a real r (scales both parts).
inline TComplex CScale(TComplex a, double r) { return {a.re * r, a.im * r}; }

inline TComplex CMul(TComplex a, TComplex b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

/// a / b by Smith's method, which keeps the intermediate values in range where the plain
/// formula would overflow or underflow. A zero divisor gives NaN parts.
inline TComplex CDiv(TComplex a, TComplex b) {
  if (std::fabs(b.re) >= std::fabs(b.im)) {
    const double ratio = b.im / b.re;
    const double denom = b.re + b.im * ratio;
    return {(a.re + a.im * ratio) / denom, (a.im - a.re * ratio) / denom};
  }
  const double ratio = b.re / b.im;
  const double denom = b.im + b.re * ratio;
  return {(a.re * ratio + a.im) / denom, (a.im * ratio - a.re) / denom};
}

/// z^k by binary powering: a few dozen products even for k = 2147483647. Negative k gives
/// 1 / z^-k; k = 0 gives 1.
inline TComplex CPowInt(TComplex z, int32_t k) {
  uint32_t bits = k < 0 ? 0u - static_cast<uint32_t>(k) : static_cast<uint32_t>(k);
  TComplex result{1.0, 0.0};
  TComplex base = z;
  while (bits != 0) {
    if (bits & 1u) result = CMul(result, base);
    bits >>= 1;
    if (bits != 0) base = CMul(base, base);
  }
  return k < 0 ? CDiv({1.0, 0.0}, result) : result;
}

/// e^z = e^re * (cos im, sin im).
inline TComplex CExp(TComplex z) {
  const double scale = RealExp(z.re);
  const TSinCos angle = RealSinCos(z.im);
  return {scale * angle.Cos, scale * angle.Sin};
}

/// sin z = (sin re * cosh im, cos re * sinh im).
inline TComplex CSin(TComplex z) {
  const TSinCos angle = RealSinCos(z.re);
  return {angle.Sin * RealCosh(z.im), angle.Cos * RealSinh(z.im)};
}
