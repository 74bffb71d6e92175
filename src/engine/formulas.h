#pragma once
#include <cstdint>
#include <numbers>
#include <type_traits>
#include <utility>

#include "engine/formulamath.h"

// The thirteen formulas, each a type: what the program knows of it (traits) and its step,
// written once over a number model (formulamath.h). Every kernel computes a formula through
// these steps: the reference with plain doubles, the fast kernel with vectors, the cycle
// confirmation with numbers that carry their derivative, deep zoom with MPFR numbers. The
// formula table (TFormula.h) and every kernel's dispatch are generated from TAllFormulas, so
// nothing else names a formula by its number.
//
// A step takes z, the squares a = x * x and b = y * y of its parts (formulas that square the
// parts read them there, so that a kernel computing them once for the escape test as well
// gives the same bits; others ignore them), the constants c and d, and the exponents n and m
// (>= 1). An overflow or invalid operation shows as a non-finite part, never as a trap.

/// A rectangle of the plane (Left, Right at the edges; Top above Bottom).
struct TPlaneArea {
  double Left, Right, Top, Bottom;
};

/// The traits every formula type has, with the defaults of most.
struct TFormulaDefaults {
  static constexpr bool UsesD = false;  ///< reads the constant d
  static constexpr bool UsesN = false;  ///< reads the exponent N
  static constexpr bool UsesM = false;  ///< reads the exponent M
  /// Escapes get the fractional depth s - log(r2) / (EscapeDivisor log(OuterCircle^2));
  /// 0 keeps whole depths; DivideByN divides by N.
  static constexpr int32_t EscapeDivisor = 0;
  /// Whether the step reads the squares of z's parts (a and b).
  static constexpr bool SquaresParts = false;
  /// Whether the step calls transcendental functions (a vector kernel then keeps fewer
  /// chains of steps in flight).
  static constexpr bool Transcendental = false;
  /// c that makes z = 0 with d = 0 a fixed point (a vector lane without a pixel parks there).
  static constexpr double ParkedCR = 0.0;
  /// The degree k of the deep kernel's step z^k + c, or 0 when it does not zoom deep.
  static constexpr int DeepDegree = 0;
  /// The area that shows the whole of the formula's set with the pixel as c.
  static constexpr TPlaneArea DefaultArea{-2.0, 2.0, 2.0, -2.0};
  /// Whether the step leaves a point on an axis where it is (x y = 0).
  static constexpr bool FreezesOnAxes = false;
  /// Whether the step has poles (a quotient), near which a difference loses its precision.
  static constexpr bool HasPoles = false;
  /// How many values of the reference's iterate Z the perturbed step reads (TDeltaPoint::Aux),
  /// which Aux computes (in MPFR for the reference orbits).
  static constexpr int DeltaAux = 0;
  template <class N>
  static void Aux(TVComplex<N>, TVComplex<N>, TVComplex<N>, int32_t, int32_t, TVComplex<N>*) {}
};

/// A reference iterate Z of deep zoom's general perturbed step, with what the step reads of it:
/// the formula's values of Z (its Aux), the reference's constants C and D and the exponents.
template <class N>
struct TDeltaPoint {
  TVComplex<N> Z;
  const TVComplex<N>* Aux;
  TVComplex<N> C, D;
  int32_t n, m;
};

/// EscapeDivisor of the formulas whose escape factor is 1 / N.
constexpr int32_t DivideByN = -1;

struct TFormulaZ2 : TFormulaDefaults {
  static constexpr const char* Identifier = "z^2+c";
  static constexpr const char* DisplayText = "z^2 + c";
  static constexpr int32_t EscapeDivisor = 1;
  static constexpr bool SquaresParts = true;
  static constexpr int DeepDegree = 2;
  static constexpr TPlaneArea DefaultArea{-2.25, 0.75, 1.5, -1.5};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D a, D b, TVComplex<N> c, TVComplex<N>, int32_t,
                           int32_t) {
    return {a - b + c.re, N::Set(2.0) * z.re * z.im + c.im};
  }
  // Deep zoom's general perturbed step: f(Z + dz; C + dc, D + dd) - f(Z; C, D) in a form that
  // does not cancel, with Aux the values of Z it reads (see formulamath.h's differences).
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    return VAdd<N>(VPowDelta<N>(p.Z, p.Z, dz, 2), dc);
  }
};

struct TFormulaZ3 : TFormulaDefaults {
  static constexpr const char* Identifier = "z^3+c";
  static constexpr const char* DisplayText = "z^3 + c";
  static constexpr int32_t EscapeDivisor = 2;
  static constexpr bool SquaresParts = true;
  static constexpr int DeepDegree = 3;
  static constexpr TPlaneArea DefaultArea{-1.5, 1.5, 1.5, -1.5};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D a, D b, TVComplex<N> c, TVComplex<N>, int32_t,
                           int32_t) {
    const D x = z.re, y = z.im;
    return {a * x - N::Set(3.0) * x * b + c.re, -b * y + N::Set(3.0) * y * a + c.im};
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    return VAdd<N>(VPowDelta<N>(p.Z, p.Z, dz, 3), dc);
  }
};

struct TFormulaZ4 : TFormulaDefaults {
  static constexpr const char* Identifier = "z^4+c";
  static constexpr const char* DisplayText = "z^4 + c";
  static constexpr int32_t EscapeDivisor = 3;
  static constexpr bool SquaresParts = true;
  static constexpr int DeepDegree = 4;
  static constexpr TPlaneArea DefaultArea{-1.5, 1.5, 1.5, -1.5};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D a, D b, TVComplex<N> c, TVComplex<N>, int32_t,
                           int32_t) {
    const D x = z.re, y = z.im;
    return {a * a - N::Set(6.0) * a * b + b * b + c.re,
            N::Set(4.0) * (a * x * y - x * b * y) + c.im};
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    return VAdd<N>(VPowDelta<N>(p.Z, p.Z, dz, 4), dc);
  }
};

/// The polar power: z^N by its modulus and angle, with the real functions.
struct TFormulaZN : TFormulaDefaults {
  static constexpr const char* Identifier = "z^n+c";
  static constexpr const char* DisplayText = "z^n + c";
  static constexpr bool UsesN = true;
  static constexpr int32_t EscapeDivisor = DivideByN;
  static constexpr bool Transcendental = true;
  static constexpr TPlaneArea DefaultArea{-1.5, 1.5, 1.5, -1.5};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N>, int32_t n,
                           int32_t) {
    const D x = z.re, y = z.im;
    // The angle is 0 at the origin, where y / r is not a number; pi - asin on the left half.
    const D r = N::Sqrt(x * x + y * y);
    const D half = N::Asin(y / r);
    const D angle = N::Select(N::GreaterEq(x, N::Set(0.0)), half, N::Set(std::numbers::pi) - half);
    const D t = N::Select(N::Equal(r, N::Set(0.0)), N::Set(0.0), angle);
    const D power = N::Set(static_cast<double>(n));
    const D s = N::Pow(r, power);
    D sin, cos;
    N::SinCos(power * t, sin, cos);
    return {s * cos + c.re, s * sin + c.im};
  }
  /// The same values as Step in a form without its kinks: the angle from asin has an infinite
  /// derivative on the imaginary axis, where z^n has none, and keeps only half the precision
  /// of its argument there. Derivatives, and exact arithmetic, take this form.
  template <class N>
  static TVComplex<N> SmoothStep(TVComplex<N> z, TVComplex<N> c, TVComplex<N>, int32_t n,
                                 int32_t) {
    return VAdd<N>(VPowInt<N>(z, n), c);
  }
  static constexpr int DeltaAux = 1;  // Z^n
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t n, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VPowInt<N>(z, n);
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    return VAdd<N>(VPowDelta<N>(p.Z, p.Aux[0], dz, p.n), dc);
  }
};

/// Adds 3 d^2 z although the formula's name subtracts it; stored images depend on it.
struct TFormulaZ3D2Z : TFormulaDefaults {
  static constexpr const char* Identifier = "z^3-3d^2z+c";
  static constexpr const char* DisplayText = "z^3 - 3 d^2 z + c";
  static constexpr bool UsesD = true;
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N> d, int32_t,
                           int32_t) {
    const TVComplex<N> term = VScale<N>(VMul<N>(VMul<N>(d, d), z), N::Set(-3.0));
    return VAdd<N>(VSub<N>(VPowInt<N>(z, 3), term), c);
  }
  // 3 ((D + dd)^2 (Z + dz) - D^2 Z) = 3 (D^2 dz + (2 D dd + dd^2) (Z + dz)).
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N> dd) {
    const TVComplex<N> dSquared = VAdd<N>(VScale<N>(VMul<N>(p.D, dd), N::Set(2.0)),
                                          VMul<N>(dd, dd));
    const TVComplex<N> linear = VAdd<N>(VMul<N>(VMul<N>(p.D, p.D), dz),
                                        VMul<N>(dSquared, VAdd<N>(p.Z, dz)));
    return VAdd<N>(VAdd<N>(VPowDelta<N>(p.Z, p.Z, dz, 3), VScale<N>(linear, N::Set(3.0))), dc);
  }
};

struct TFormulaZNDZM : TFormulaDefaults {
  static constexpr const char* Identifier = "z^n+dz^m+c";
  static constexpr const char* DisplayText = "z^n + d z^m + c";
  static constexpr bool UsesD = true;
  static constexpr bool UsesN = true;
  static constexpr bool UsesM = true;
  static constexpr TPlaneArea DefaultArea{-1.6, 1.6, 1.6, -1.6};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N> d, int32_t n,
                           int32_t m) {
    return VAdd<N>(VAdd<N>(VPowInt<N>(z, n), VMul<N>(d, VPowInt<N>(z, m))), c);
  }
  static constexpr int DeltaAux = 2;  // Z^n, Z^m
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t n, int32_t m,
                  TVComplex<N>* aux) {
    aux[0] = VPowInt<N>(z, n);
    aux[1] = VPowInt<N>(z, m);
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N> dd) {
    const TVComplex<N> powM = VPowDelta<N>(p.Z, p.Aux[1], dz, p.m);
    const TVComplex<N> dTerm = VAdd<N>(VMul<N>(p.D, powM), VMul<N>(dd, VAdd<N>(p.Aux[1], powM)));
    return VAdd<N>(VAdd<N>(VPowDelta<N>(p.Z, p.Aux[0], dz, p.n), dTerm), dc);
  }
};

/// 1 - z, not the 1 - c of the formula's name, as stored images expect.
struct TFormulaZTimesPoly : TFormulaDefaults {
  static constexpr const char* Identifier = "z(c+(1-c)z^n)";
  static constexpr const char* DisplayText = "z ( c + ( 1 - c ) z^n)";
  static constexpr bool UsesN = true;
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N>, int32_t n,
                           int32_t) {
    return VMul<N>(z, VAdd<N>(c, VMul<N>(VRealSub<N>(N::Set(1.0), z), VPowInt<N>(z, n))));
  }
  // c z + g h with g = z^(n+1), h = 1 - z.
  static constexpr int DeltaAux = 1;  // Z^(n+1)
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t n, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VPowInt<N>(z, n + 1);
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    const TVComplex<N> linear = VAdd<N>(VMul<N>(p.C, dz), VMul<N>(dc, VAdd<N>(p.Z, dz)));
    const TVComplex<N> dg = VPowDelta<N>(p.Z, p.Aux[0], dz, p.n + 1);
    // d(g h) = dg H + (G + dg) dh with H = 1 - Z, dh = -dz.
    const TVComplex<N> product = VSub<N>(VMul<N>(dg, VRealSub<N>(N::Set(1.0), p.Z)),
                                         VMul<N>(VAdd<N>(p.Aux[0], dg), dz));
    return VAdd<N>(linear, product);
  }
};

/// On either axis the point is left where it is (the product x * y decides); 1 - z again.
struct TFormulaZTimesQuotient : TFormulaDefaults {
  static constexpr const char* Identifier = "z(c+(1-c)/z^n)";
  static constexpr const char* DisplayText = "z ( c + ( 1 - c ) / z^n)";
  static constexpr bool UsesN = true;
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N>, int32_t n,
                           int32_t) {
    const auto onAxis = N::Equal(z.re * z.im, N::Set(0.0));
    const TVComplex<N> moved =
        VMul<N>(z, VAdd<N>(c, VDiv<N>(VRealSub<N>(N::Set(1.0), z), VPowInt<N>(z, n))));
    return {N::Select(onAxis, z.re, moved.re), N::Select(onAxis, z.im, moved.im)};
  }
  static constexpr bool FreezesOnAxes = true;
  static constexpr bool HasPoles = true;
  // c z + g h with g = z^(1-n), h = 1 - z (off the axes).
  static constexpr int DeltaAux = 1;  // Z^(1-n)
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t n, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VPowInt<N>(z, 1 - n);
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    const TVComplex<N> linear = VAdd<N>(VMul<N>(p.C, dz), VMul<N>(dc, VAdd<N>(p.Z, dz)));
    const TVComplex<N> dg = VPowDelta<N>(p.Z, p.Aux[0], dz, 1 - p.n);
    const TVComplex<N> product = VSub<N>(VMul<N>(dg, VRealSub<N>(N::Set(1.0), p.Z)),
                                         VMul<N>(VAdd<N>(p.Aux[0], dg), dz));
    return VAdd<N>(linear, product);
  }
};

/// The identifier does not match the display text; files store the identifier.
struct TFormulaZRational : TFormulaDefaults {
  static constexpr const char* Identifier = "z(c+dz^n)/(1/z^n)";
  static constexpr const char* DisplayText = "z ( c + d z^n) / (1 + z^n)";
  static constexpr bool UsesD = true;
  static constexpr bool UsesN = true;
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N> d, int32_t n,
                           int32_t) {
    const TVComplex<N> zn = VPowInt<N>(z, n);
    return VDiv<N>(VMul<N>(z, VAdd<N>(c, VMul<N>(d, zn))), VAddReal<N>(zn, N::Set(1.0)));
  }
  // g / h with g = c z + d z^(n+1), h = 1 + z^n.
  static constexpr bool HasPoles = true;
  static constexpr int DeltaAux = 4;  // Z^n, Z^(n+1), G, H
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N> c, TVComplex<N> d, int32_t n, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VPowInt<N>(z, n);
    aux[1] = VMul<N>(aux[0], z);
    aux[2] = VAdd<N>(VMul<N>(c, z), VMul<N>(d, aux[1]));
    aux[3] = VAddReal<N>(aux[0], N::Set(1.0));
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N> dd) {
    const TVComplex<N> powN1 = VPowDelta<N>(p.Z, p.Aux[1], dz, p.n + 1);
    const TVComplex<N> dg = VAdd<N>(
        VAdd<N>(VMul<N>(p.C, dz), VMul<N>(dc, VAdd<N>(p.Z, dz))),
        VAdd<N>(VMul<N>(p.D, powN1), VMul<N>(dd, VAdd<N>(p.Aux[1], powN1))));
    const TVComplex<N> dh = VPowDelta<N>(p.Z, p.Aux[0], dz, p.n);
    // d(g / h) = (dg H - G dh) / (H (H + dh)); a pole gives a non-finite result.
    return VDiv<N>(VSub<N>(VMul<N>(dg, p.Aux[3]), VMul<N>(p.Aux[2], dh)),
                   VMul<N>(p.Aux[3], VAdd<N>(p.Aux[3], dh)));
  }
};

struct TFormulaExp : TFormulaDefaults {
  static constexpr const char* Identifier = "exp(z)-z-1+c";
  static constexpr const char* DisplayText = "exp(z) - z - 1 + c";
  static constexpr bool Transcendental = true;
  static constexpr TPlaneArea DefaultArea{-6.0, 3.0, 4.5, -4.5};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N>, int32_t,
                           int32_t) {
    return VSubReal<N>(VAdd<N>(VSub<N>(VExp<N>(z), z), c), N::Set(1.0));
  }
  static constexpr int DeltaAux = 1;  // e^Z
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VExp<N>(z);
  }
  // e^Z (e^dz - 1) - dz + dc.
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    return VAdd<N>(VSub<N>(VMul<N>(p.Aux[0], VExpm1<N>(dz)), dz), dc);
  }
};

struct TFormulaSinPlusC : TFormulaDefaults {
  static constexpr const char* Identifier = "sin(z)+c";
  static constexpr const char* DisplayText = "sin(z) + c";
  static constexpr bool Transcendental = true;
  static constexpr TPlaneArea DefaultArea{-4.0, 4.0, 3.0, -3.0};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N>, int32_t,
                           int32_t) {
    return VAdd<N>(VSin<N>(z), c);
  }
  static constexpr int DeltaAux = 2;  // sin Z, cos Z
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VSin<N>(z);
    aux[1] = VCos<N>(z);
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    return VAdd<N>(VSinDelta<N>(p.Aux[0], p.Aux[1], dz), dc);
  }
};

struct TFormulaCTimesSin : TFormulaDefaults {
  static constexpr const char* Identifier = "csin(z)";
  static constexpr const char* DisplayText = "c sin(z)";
  static constexpr bool Transcendental = true;
  static constexpr TPlaneArea DefaultArea{-4.0, 4.0, 3.0, -3.0};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N>, int32_t,
                           int32_t) {
    return VMul<N>(c, VSin<N>(z));
  }
  static constexpr int DeltaAux = 2;  // sin Z, cos Z
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VSin<N>(z);
    aux[1] = VCos<N>(z);
  }
  // (C + dc)(sin Z + ds) - C sin Z = C ds + dc (sin Z + ds).
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    const TVComplex<N> ds = VSinDelta<N>(p.Aux[0], p.Aux[1], dz);
    return VAdd<N>(VMul<N>(p.C, ds), VMul<N>(dc, VAdd<N>(p.Aux[0], ds)));
  }
};

struct TFormulaSinMinusZ : TFormulaDefaults {
  static constexpr const char* Identifier = "sin(z)-z-1+c";
  static constexpr const char* DisplayText = "sin(z) - z - 1 + c";
  static constexpr bool Transcendental = true;
  // sin(0) - 0 - 1 + 1 = 0.
  static constexpr double ParkedCR = 1.0;
  static constexpr TPlaneArea DefaultArea{-4.0, 4.0, 3.0, -3.0};
  template <class N, class D = typename N::D>
  static TVComplex<N> Step(TVComplex<N> z, D, D, TVComplex<N> c, TVComplex<N>, int32_t,
                           int32_t) {
    return VSubReal<N>(VAdd<N>(VSub<N>(VSin<N>(z), z), c), N::Set(1.0));
  }
  static constexpr int DeltaAux = 2;  // sin Z, cos Z
  template <class N>
  static void Aux(TVComplex<N> z, TVComplex<N>, TVComplex<N>, int32_t, int32_t,
                  TVComplex<N>* aux) {
    aux[0] = VSin<N>(z);
    aux[1] = VCos<N>(z);
  }
  template <class N>
  static TVComplex<N> Delta(const TDeltaPoint<N>& p, TVComplex<N> dz, TVComplex<N> dc,
                            TVComplex<N>) {
    return VAdd<N>(VSub<N>(VSinDelta<N>(p.Aux[0], p.Aux[1], dz), dz), dc);
  }
};

/// A list of formula types.
template <class... F>
struct TFormulaList {
  static constexpr int Count = sizeof...(F);
};

/// Every formula, in the order of the Formula field of the parameter records (files store
/// identifiers, so the order is the dialog's and nothing else's).
using TAllFormulas =
    TFormulaList<TFormulaZ2, TFormulaZ3, TFormulaZ4, TFormulaZN, TFormulaZ3D2Z, TFormulaZNDZM,
                 TFormulaZTimesPoly, TFormulaZTimesQuotient, TFormulaZRational, TFormulaExp,
                 TFormulaSinPlusC, TFormulaCTimesSin, TFormulaSinMinusZ>;

namespace formula_detail {
template <class F, class List>
struct TIndexOf;
template <class F, class... Rest>
struct TIndexOf<F, TFormulaList<F, Rest...>> : std::integral_constant<int, 0> {};
template <class F, class First, class... Rest>
struct TIndexOf<F, TFormulaList<First, Rest...>>
    : std::integral_constant<int, 1 + TIndexOf<F, TFormulaList<Rest...>>::value> {};

template <class... F, class Visitor>
decltype(auto) Visit(TFormulaList<F...>, int index, Visitor&& visitor) {
  using TResult = decltype(visitor.template operator()<TFormulaZ2>());
  int position = 0;
  if constexpr (std::is_void_v<TResult>) {
    (void)((position++ == index ? (visitor.template operator()<F>(), true) : false) || ...);
  } else {
    TResult result{};
    (void)((position++ == index ? (result = visitor.template operator()<F>(), true) : false) ||
           ...);
    return result;
  }
}
}  // namespace formula_detail

/// The index of formula type F in TAllFormulas (its Formula field).
template <class F>
constexpr int FormulaIndex = formula_detail::TIndexOf<F, TAllFormulas>::value;

/// Calls visitor.template operator()<F>() with the formula type of `index` (0 ..
/// TAllFormulas::Count - 1) and returns its result; with any other index it is not called and
/// the result is value-initialised.
template <class Visitor>
decltype(auto) WithFormula(int index, Visitor&& visitor) {
  return formula_detail::Visit(TAllFormulas{}, index, std::forward<Visitor>(visitor));
}
