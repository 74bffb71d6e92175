#pragma once
#include <cmath>
#include <cstdint>

#include "engine/formulamath.h"
#include "engine/realfunctions.h"

// Complex arithmetic on plain pairs of doubles: the scalar model of formulamath.h, so that every
// operation is the one a vector lane performs, in its order, and a vectorised kernel matches the
// scalar one bit for bit. std::complex is avoided on purpose: its operators may take library
// recovery paths for infinities and NaNs that a vector lane cannot follow.
//
// Only code compiled for the baseline uses this model (the fast kernel's instruction-set builds
// bring their own): its functions are inline and must not be compiled with wider instructions.

/// Plain doubles as a number model (see formulamath.h).
struct TScalarModel {
  using D = double;
  using M = bool;
  static double Set(double v) { return v; }
  static double Abs(double a) { return std::fabs(a); }
  static double Select(bool m, double ifSet, double otherwise) { return m ? ifSet : otherwise; }
  static bool GreaterEq(double a, double b) { return a >= b; }
  static bool Equal(double a, double b) { return a == b; }
  static bool Less(double a, double b) { return a < b; }
  static double Sqrt(double a) { return std::sqrt(a); }
  static double Asin(double a) { return RealAsin(a); }
  static double Pow(double a, double b) { return RealPow(a, b); }
  static void SinCos(double a, double& sin, double& cos) {
    const TSinCos both = RealSinCos(a);
    sin = both.Sin;
    cos = both.Cos;
  }
  static double Exp(double a) { return RealExp(a); }
  static double Sinh(double a) { return RealSinh(a); }
  static double Cosh(double a) { return RealCosh(a); }
  static double Expm1(double a) { return RealExpm1(a); }
  static double Log1p(double a) { return RealLog1p(a); }
  static double Atan2(double y, double x) { return RealAtan2(y, x); }
};

/// A complex number (real part, imaginary part).
using TComplex = TVComplex<TScalarModel>;

inline TComplex CAdd(TComplex a, TComplex b) { return VAdd<TScalarModel>(a, b); }
inline TComplex CSub(TComplex a, TComplex b) { return VSub<TScalarModel>(a, b); }
/// a + r for a real r (acts on the real part).
inline TComplex CAddReal(TComplex a, double r) { return VAddReal<TScalarModel>(a, r); }
/// a - r for a real r.
inline TComplex CSubReal(TComplex a, double r) { return VSubReal<TScalarModel>(a, r); }
/// r - a for a real r.
inline TComplex CRealSub(double r, TComplex a) { return VRealSub<TScalarModel>(r, a); }
/// a * r for a real r (scales both parts).
inline TComplex CScale(TComplex a, double r) { return VScale<TScalarModel>(a, r); }
inline TComplex CMul(TComplex a, TComplex b) { return VMul<TScalarModel>(a, b); }
/// a / b by Smith's method (see VDiv). A zero divisor gives NaN parts.
inline TComplex CDiv(TComplex a, TComplex b) { return VDiv<TScalarModel>(a, b); }
/// z^k by binary powering. Negative k gives 1 / z^-k; k = 0 gives 1.
inline TComplex CPowInt(TComplex z, int32_t k) { return VPowInt<TScalarModel>(z, k); }
/// e^z = e^re * (cos im, sin im).
inline TComplex CExp(TComplex z) { return VExp<TScalarModel>(z); }
/// sin z = (sin re * cosh im, cos re * sinh im).
inline TComplex CSin(TComplex z) { return VSin<TScalarModel>(z); }
