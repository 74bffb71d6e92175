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

/// cos z = (cos re * cosh im, -sin re * sinh im).
template <class N>
inline TVComplex<N> VCos(TVComplex<N> z) {
  typename N::D sin, cos;
  N::SinCos(z.re, sin, cos);
  return {cos * N::Cosh(z.im), -(sin * N::Sinh(z.im))};
}

// The differences f(Z + w) - f(Z) that deep zoom's perturbed steps are made of, each in a form
// that does not cancel when w is small against Z. They need a model with Expm1, Log1p, Atan2
// and Less, and choose their way by comparing magnitudes, which only scalar models do.

/// e^w - 1: (expm1(x) cos y - 2 sin^2(y / 2)) + i e^x sin y.
template <class N>
inline TVComplex<N> VExpm1(TVComplex<N> w) {
  typename N::D sin, cos, sinHalf, cosHalf;
  N::SinCos(w.im, sin, cos);
  N::SinCos(w.im * N::Set(0.5), sinHalf, cosHalf);
  const auto m = N::Expm1(w.re);
  return {m * cos - N::Set(2.0) * sinHalf * sinHalf, (m + N::Set(1.0)) * sin};
}

/// log(1 + u): log |1 + u| from log1p(2x + x^2 + y^2) / 2, and the angle of 1 + u.
template <class N>
inline TVComplex<N> VLog1p(TVComplex<N> u) {
  return {N::Set(0.5) * N::Log1p(N::Set(2.0) * u.re + u.re * u.re + u.im * u.im),
          N::Atan2(u.im, N::Set(1.0) + u.re)};
}

/// sin(Z + w) - sin Z = sin Z (cos w - 1) + cos Z sin w, with cos w - 1 = -2 sin^2(w / 2);
/// `sinZ` and `cosZ` are sin Z and cos Z.
template <class N>
inline TVComplex<N> VSinDelta(TVComplex<N> sinZ, TVComplex<N> cosZ, TVComplex<N> w) {
  const TVComplex<N> half = VSin<N>(VScale<N>(w, N::Set(0.5)));
  const TVComplex<N> cosMinus1 = VScale<N>(VMul<N>(half, half), N::Set(-2.0));
  return VAdd<N>(VMul<N>(sinZ, cosMinus1), VMul<N>(cosZ, VSin<N>(w)));
}

/// (Z + w)^k - Z^k for any k, `zk` being Z^k: for small positive k the binomial sum in w (by
/// Horner), else Z^k (exp(k log(1 + w / Z)) - 1) while |w| < |Z| / 2, and the plain
/// difference where w is not small against Z (no cancellation to fear there).
template <class N>
inline TVComplex<N> VPowDelta(TVComplex<N> z, TVComplex<N> zk, TVComplex<N> w, int32_t k) {
  using D = typename N::D;
  constexpr int32_t MaxBinomial = 8;
  if (k == 0) return {N::Set(0.0), N::Set(0.0)};
  if (k > 0 && k <= MaxBinomial) {
    // sum over j = 1 .. k of C(k, j) Z^(k - j) w^j = w (... ((w + C(k, k-1) Z) w + C(k, k-2)
    // Z^2) ... + C(k, 1) Z^(k-1)).
    TVComplex<N> q{N::Set(1.0), N::Set(0.0)};
    TVComplex<N> power = z;
    double binomial = 1.0;  // C(k, j), from j = k down
    for (int32_t j = k - 1; j >= 1; --j) {
      binomial = binomial * (j + 1) / (k - j);
      q = VAdd<N>(VMul<N>(q, w), VScale<N>(power, N::Set(binomial)));
      power = VMul<N>(power, z);
    }
    return VMul<N>(q, w);
  }
  const D z2 = z.re * z.re + z.im * z.im;
  const D w2 = w.re * w.re + w.im * w.im;
  if (N::Less(w2 * N::Set(4.0), z2)) {
    const TVComplex<N> u = VDiv<N>(w, z);
    return VMul<N>(zk, VExpm1<N>(VScale<N>(VLog1p<N>(u), N::Set(static_cast<double>(k)))));
  }
  return VSub<N>(VPowInt<N>(VAdd<N>(z, w), k), zk);
}
