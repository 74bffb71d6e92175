#pragma once
// The perturbed step of the formulas z^k + c (k is their DeepDegree, 2 to 4) on doubles or on
// vectors of doubles, written once so that the scalar lane code and every instruction-set build do the same operations in the same
// order: for a reference value Z, a difference dz and a difference in c dc,
//   dz' = (Z + dz)^k - Z^k + dc,
// factored so that no large terms cancel:
//   k = 2:  (2Z + dz) dz + dc
//   k = 3:  (3Z^2 + (3Z + dz) dz) dz + dc
//   k = 4:  (((4Z + dz) dz + 6Z^2) dz + 4Z^3) dz + dc
// Everything is in an unnamed namespace so that each instruction-set build keeps its own copy.

namespace {

/// Plain doubles as the number type `V::D` of the steps (the vector builds bring their own).
struct TScalarNumbers {
  using D = double;
  static double Set(double v) { return v; }
};

/// The constants of the steps, as numbers of the type stepped.
template <class V>
struct TStepConstants {
  explicit TStepConstants()
      : Three(V::Set(3.0)), Four(V::Set(4.0)), Six(V::Set(6.0)) {}
  typename V::D Three, Four, Six;
};

template <int Degree, class V, class T = typename V::D>
inline void DeltaStep(const TStepConstants<V>& k, T zr, T zi, T dr, T di, T cr, T ci, T& outRe,
                      T& outIm) {
  if constexpr (Degree == 2) {
    const T tr = zr + zr + dr;
    const T ti = zi + zi + di;
    outRe = tr * dr - ti * di + cr;
    outIm = tr * di + ti * dr + ci;
  } else if constexpr (Degree == 3) {
    const T z2r = zr * zr - zi * zi;
    const T z2i = (zr + zr) * zi;
    const T ur = k.Three * zr + dr;
    const T ui = k.Three * zi + di;
    const T sr = k.Three * z2r + (ur * dr - ui * di);
    const T si = k.Three * z2i + (ur * di + ui * dr);
    outRe = sr * dr - si * di + cr;
    outIm = sr * di + si * dr + ci;
  } else {
    static_assert(Degree == 4, "the deep kernel steps z^2, z^3 and z^4");
    const T z2r = zr * zr - zi * zi;
    const T z2i = (zr + zr) * zi;
    const T z3r = z2r * zr - z2i * zi;
    const T z3i = z2r * zi + z2i * zr;
    T pr = k.Four * zr + dr;
    T pi = k.Four * zi + di;
    T qr = pr * dr - pi * di + k.Six * z2r;
    T qi = pr * di + pi * dr + k.Six * z2i;
    pr = qr * dr - qi * di + k.Four * z3r;
    pi = qr * di + qi * dr + k.Four * z3i;
    outRe = pr * dr - pi * di + cr;
    outIm = pr * di + pi * dr + ci;
  }
}

}  // namespace
