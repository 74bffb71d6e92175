#pragma once
#include <bit>
#include <cmath>
#include <cstdint>

// Numbers with an exponent kept aside: a double mantissa and a 64-bit binary exponent, for the
// differences and coefficients of deep views that fall far below (or above) the double range.
// Only scalar code uses them (the reference orbit's tables, the skips, the first steps of a
// pixel whose difference is still tiny); the vector loop works on plain doubles.

/// 2^e as a double, exact, for -1022 <= e <= 1023 (built from the bits, no library call).
inline double Pow2(int64_t e) {
  return std::bit_cast<double>(static_cast<uint64_t>(e + 1023) << 52);
}

/// x * 2^e rounded once: 0 or a subnormal below the double range, infinite above it.
inline double ScaleByPow2(double x, int64_t e) {
  if (e >= -1022 && e <= 1023) return x * Pow2(e);
  // Two exact halves keep the single rounding of the final product.
  if (e < -2200 || e > 2200) return e < 0 ? x * 0.0 : x * HUGE_VAL;
  const int64_t half = e / 2;
  return x * Pow2(half) * Pow2(e - half);
}

/// A real number M * 2^E; M is 0 (with E = 0) or 1 <= |M| < 2.
struct TFloatExp {
  double M = 0.0;
  int64_t E = 0;
};

/// A complex number (Re + i Im) * 2^E; Re = Im = 0 (with E = 0) or 1 <= max(|Re|, |Im|) < 2.
struct TComplexExp {
  double Re = 0.0;
  double Im = 0.0;
  int64_t E = 0;
};

/// The exponent of x (x finite and not 0): 2^k <= |x| < 2^(k+1). From the bits: this runs
/// for every operation.
inline int64_t Exponent(double x) {
  const int64_t biased = static_cast<int64_t>((std::bit_cast<uint64_t>(x) >> 52) & 0x7ff);
  if (biased != 0) return biased - 1023;
  // A subnormal: scaled into the normal range first (exactly).
  const int64_t scaled = static_cast<int64_t>((std::bit_cast<uint64_t>(x * 0x1p64) >> 52) & 0x7ff);
  return scaled - 1023 - 64;
}

inline TFloatExp Normalized(double m, int64_t e) {
  if (m == 0.0 || !std::isfinite(m)) return {m == 0.0 ? 0.0 : m, 0};
  const int64_t k = Exponent(m);
  return {ScaleByPow2(m, -k), e + k};
}

inline TComplexExp Normalized(double re, double im, int64_t e) {
  const double a = std::fabs(re), b = std::fabs(im);
  const double big = a > b ? a : b;
  if (big == 0.0 || !std::isfinite(big)) return {big == 0.0 ? 0.0 : re, big == 0.0 ? 0.0 : im, 0};
  const int64_t k = Exponent(big);
  return {ScaleByPow2(re, -k), ScaleByPow2(im, -k), e + k};
}

inline TFloatExp ToFloatExp(double x) { return Normalized(x, 0); }
inline TComplexExp ToComplexExp(double re, double im) { return Normalized(re, im, 0); }

inline double ToDouble(TFloatExp x) { return ScaleByPow2(x.M, x.E); }
inline double RealPart(TComplexExp z) { return ScaleByPow2(z.Re, z.E); }
inline double ImagPart(TComplexExp z) { return ScaleByPow2(z.Im, z.E); }

inline bool IsZero(TComplexExp z) { return z.Re == 0.0 && z.Im == 0.0; }

/// The complex number with real part `re` and imaginary part `im`.
inline TComplexExp MakeComplex(TFloatExp re, TFloatExp im) {
  if (re.M == 0.0) return Normalized(0.0, im.M, im.E);
  if (im.M == 0.0) return Normalized(re.M, 0.0, re.E);
  const int64_t e = re.E > im.E ? re.E : im.E;
  return Normalized(ScaleByPow2(re.M, re.E - e), ScaleByPow2(im.M, im.E - e), e);
}

inline TComplexExp Mul(TComplexExp a, TComplexExp b) {
  return Normalized(a.Re * b.Re - a.Im * b.Im, a.Re * b.Im + a.Im * b.Re, a.E + b.E);
}

inline TComplexExp Mul(TComplexExp a, TFloatExp r) {
  return Normalized(a.Re * r.M, a.Im * r.M, a.E + r.E);
}

inline TComplexExp Add(TComplexExp a, TComplexExp b) {
  if (IsZero(a)) return b;
  if (IsZero(b)) return a;
  if (a.E >= b.E)
    return Normalized(a.Re + ScaleByPow2(b.Re, b.E - a.E), a.Im + ScaleByPow2(b.Im, b.E - a.E),
                      a.E);
  return Normalized(ScaleByPow2(a.Re, a.E - b.E) + b.Re, ScaleByPow2(a.Im, a.E - b.E) + b.Im,
                    b.E);
}

inline TComplexExp Neg(TComplexExp a) { return {-a.Re, -a.Im, a.E}; }
inline TComplexExp Sub(TComplexExp a, TComplexExp b) { return Add(a, Neg(b)); }

/// |a|^2 as a real number with exponent.
inline TFloatExp Norm2(TComplexExp a) { return Normalized(a.Im * a.Im + a.Re * a.Re, 2 * a.E); }

/// |a|.
inline TFloatExp Abs(TComplexExp a) {
  return Normalized(std::sqrt(a.Im * a.Im + a.Re * a.Re), a.E);
}

inline TFloatExp Mul(TFloatExp a, TFloatExp b) { return Normalized(a.M * b.M, a.E + b.E); }
inline TFloatExp Div(TFloatExp a, TFloatExp b) { return Normalized(a.M / b.M, a.E - b.E); }

inline TFloatExp Add(TFloatExp a, TFloatExp b) {
  if (a.M == 0.0) return b;
  if (b.M == 0.0) return a;
  if (a.E >= b.E) return Normalized(a.M + ScaleByPow2(b.M, b.E - a.E), a.E);
  return Normalized(ScaleByPow2(a.M, a.E - b.E) + b.M, b.E);
}

inline TFloatExp Sub(TFloatExp a, TFloatExp b) { return Add(a, TFloatExp{-b.M, b.E}); }

/// a < b for a, b >= 0.
inline bool Less(TFloatExp a, TFloatExp b) {
  if (a.M == 0.0) return b.M > 0.0;
  if (b.M == 0.0) return false;
  if (a.E != b.E) return a.E < b.E;
  return a.M < b.M;
}

inline TFloatExp Max(TFloatExp a, TFloatExp b) { return Less(a, b) ? b : a; }
inline TFloatExp Min(TFloatExp a, TFloatExp b) { return Less(a, b) ? a : b; }

/// log2 |x| (x not 0), accurate to a double's rounding.
inline double Log2Abs(TFloatExp x) { return static_cast<double>(x.E) + std::log2(std::fabs(x.M)); }
