#pragma once
#include <cstdint>

// Complex arithmetic written once over a number model N, so that the formulas (formulas.h) are
// written once too and every kernel computes them with the same operations in the same order:
// plain doubles (complexmath.h), vectors of doubles (the fast kernel's instruction-set builds),
// numbers with a derivative (the cycle confirmation), MPFR numbers (deep zoom).
//
// A model N provides: D, the real numbers (with + - * / and unary -); M, the result of a
// comparison; Set(double); Abs; Select(mask, ifSet, otherwise); GreaterEq and Equal; and the
// real functions Sqrt, Asin, Pow, SinCos(x, sin, cos), Exp, Sinh, Cosh. Every operation is
// written out, so a vector lane repeats the scalar operations and gives the same bits.
//
// The templates have no state; each instruction-set build instantiates them with its own
// model, which lives in that build's unnamed namespace, so no wide instruction is shared with
// code compiled for the baseline.

/// A complex number of the model's reals.
template <class N>
struct TVComplex {
  typename N::D re, im;
};

template <class N>
inline TVComplex<N> VAdd(TVComplex<N> a, TVComplex<N> b) {
  return {a.re + b.re, a.im + b.im};
}
template <class N>
inline TVComplex<N> VSub(TVComplex<N> a, TVComplex<N> b) {
  return {a.re - b.re, a.im - b.im};
}
/// a + r for a real r (acts on the real part).
template <class N>
inline TVComplex<N> VAddReal(TVComplex<N> a, typename N::D r) {
  return {a.re + r, a.im};
}
/// a - r for a real r.
template <class N>
inline TVComplex<N> VSubReal(TVComplex<N> a, typename N::D r) {
  return {a.re - r, a.im};
}
/// r - a for a real r.
template <class N>
inline TVComplex<N> VRealSub(typename N::D r, TVComplex<N> a) {
  return {r - a.re, -a.im};
}
/// a * r for a real r (scales both parts).
template <class N>
inline TVComplex<N> VScale(TVComplex<N> a, typename N::D r) {
  return {a.re * r, a.im * r};
}
template <class N>
inline TVComplex<N> VMul(TVComplex<N> a, TVComplex<N> b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

/// a / b by Smith's method, which keeps the intermediate values in range where the plain
/// formula would overflow or underflow. Both of its branches are the same operations on swapped
/// operands, so the operands are chosen by selection and each lane performs exactly its
/// branch's operations. A zero divisor gives NaN parts.
template <class N>
inline TVComplex<N> VDiv(TVComplex<N> a, TVComplex<N> b) {
  const auto reWins = N::GreaterEq(N::Abs(b.re), N::Abs(b.im));
  const auto num = N::Select(reWins, b.im, b.re);
  const auto den = N::Select(reWins, b.re, b.im);
  const auto ratio = num / den;
  const auto denom = den + num * ratio;
  const auto reRatio = a.re * ratio;
  const auto imRatio = a.im * ratio;
  const auto re = N::Select(reWins, a.re, reRatio) + N::Select(reWins, imRatio, a.im);
  const auto im = N::Select(reWins, a.im, imRatio) - N::Select(reWins, reRatio, a.re);
  return {re / denom, im / denom};
}

/// z^k by binary powering: a few dozen products even for k = 2147483647. Negative k gives
/// 1 / z^-k; k = 0 gives 1.
template <class N>
inline TVComplex<N> VPowInt(TVComplex<N> z, int32_t k) {
  uint32_t bits = k < 0 ? 0u - static_cast<uint32_t>(k) : static_cast<uint32_t>(k);
  TVComplex<N> result{N::Set(1.0), N::Set(0.0)};
  TVComplex<N> base = z;
  while (bits != 0) {
    if (bits & 1u) result = VMul<N>(result, base);
    bits >>= 1;
    if (bits != 0) base = VMul<N>(base, base);
  }
  return k < 0 ? VDiv<N>({N::Set(1.0), N::Set(0.0)}, result) : result;
}

/// e^z = e^re * (cos im, sin im).
template <class N>
inline TVComplex<N> VExp(TVComplex<N> z) {
  const auto scale = N::Exp(z.re);
  typename N::D sin, cos;
  N::SinCos(z.im, sin, cos);
  return {scale * cos, scale * sin};
}

/// sin z = (sin re * cosh im, cos re * sinh im).
template <class N>
inline TVComplex<N> VSin(TVComplex<N> z) {
  typename N::D sin, cos;
  N::SinCos(z.re, sin, cos);
  return {sin * N::Cosh(z.im), cos * N::Sinh(z.im)};
}
