#include "engine/formulasteps.h"

#include <numbers>

TComplex StepZ2(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  const double x = z.re;
  const double y = z.im;
  return {x * x - y * y + c.re, 2 * x * y + c.im};
}

TComplex StepZ3(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  const double x = z.re;
  const double y = z.im;
  const double a = x * x;
  const double b = y * y;
  return {a * x - 3 * x * b + c.re, -b * y + 3 * y * a + c.im};
}

TComplex StepZ4(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  const double x = z.re;
  const double y = z.im;
  const double a = x * x;
  const double b = y * y;
  return {a * a - 6 * a * b + b * b + c.re, 4 * (a * x * y - x * b * y) + c.im};
}

TComplex StepZN(TComplex z, TComplex c, TComplex, int32_t n, int32_t) {
  const double x = z.re;
  const double y = z.im;
  const double r = std::sqrt(x * x + y * y);
  double t = 0.0;
  if (r != 0.0) t = x >= 0 ? RealAsin(y / r) : std::numbers::pi - RealAsin(y / r);
  const double s = RealPow(r, static_cast<double>(n));
  const double u = n * t;
  const TSinCos angle = RealSinCos(u);
  return {s * angle.Cos + c.re, s * angle.Sin + c.im};
}

TComplex StepZ3D2Z(TComplex z, TComplex c, TComplex d, int32_t, int32_t) {
  // Adds 3 d^2 z although the formula's name subtracts it; stored images depend on it.
  const TComplex term = CScale(CMul(CMul(d, d), z), -3.0);
  return CAdd(CSub(CPowInt(z, 3), term), c);
}

TComplex StepZNDZM(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m) {
  return CAdd(CAdd(CPowInt(z, n), CMul(d, CPowInt(z, m))), c);
}

TComplex StepZTimesPoly(TComplex z, TComplex c, TComplex, int32_t n, int32_t) {
  // 1 - z, not the 1 - c of the formula's name, as stored images expect.
  return CMul(z, CAdd(c, CMul(CRealSub(1.0, z), CPowInt(z, n))));
}

TComplex StepZTimesQuotient(TComplex z, TComplex c, TComplex, int32_t n, int32_t) {
  // On either axis the point is left where it is (the product x * y decides, as before).
  if (z.re * z.im == 0) return z;
  return CMul(z, CAdd(c, CDiv(CRealSub(1.0, z), CPowInt(z, n))));
}

TComplex StepZRational(TComplex z, TComplex c, TComplex d, int32_t n, int32_t) {
  const TComplex zn = CPowInt(z, n);
  return CDiv(CMul(z, CAdd(c, CMul(d, zn))), CAddReal(zn, 1.0));
}

TComplex StepExp(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  return CSubReal(CAdd(CSub(CExp(z), z), c), 1.0);
}

TComplex StepSinPlusC(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  return CAdd(CSin(z), c);
}

TComplex StepCTimesSin(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  return CMul(c, CSin(z));
}

TComplex StepSinMinusZ(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  return CSubReal(CAdd(CSub(CSin(z), z), c), 1.0);
}

namespace {

/// k z^(k-1) for an exponent k >= 1 (1 for k = 1).
TComplex PowerDeriv(TComplex z, int32_t k) { return CScale(CPowInt(z, k - 1), k); }

/// cos z = (cos re * cosh im, -sin re * sinh im).
TComplex CCos(TComplex z) {
  const TSinCos angle = RealSinCos(z.re);
  return {angle.Cos * RealCosh(z.im), -(angle.Sin * RealSinh(z.im))};
}

}  // namespace

TComplex DerivZ2(TComplex z, TComplex, TComplex, int32_t, int32_t) { return CScale(z, 2.0); }

TComplex DerivZ3(TComplex z, TComplex, TComplex, int32_t, int32_t) { return PowerDeriv(z, 3); }

TComplex DerivZ4(TComplex z, TComplex, TComplex, int32_t, int32_t) { return PowerDeriv(z, 4); }

TComplex DerivZN(TComplex z, TComplex, TComplex, int32_t n, int32_t) {
  // The polar power is z^N wherever its angle is right.
  return PowerDeriv(z, n);
}

TComplex DerivZ3D2Z(TComplex z, TComplex, TComplex d, int32_t, int32_t) {
  // z^3 + 3 d^2 z + c, as the step computes it.
  return CAdd(PowerDeriv(z, 3), CScale(CMul(d, d), 3.0));
}

TComplex DerivZNDZM(TComplex z, TComplex, TComplex d, int32_t n, int32_t m) {
  return CAdd(PowerDeriv(z, n), CMul(d, PowerDeriv(z, m)));
}

TComplex DerivZTimesPoly(TComplex z, TComplex c, TComplex, int32_t n, int32_t) {
  // c z + z^(N+1) - z^(N+2)
  const TComplex zn = CPowInt(z, n);
  return CAdd(c, CSub(CScale(zn, n + 1.0), CScale(CMul(zn, z), n + 2.0)));
}

TComplex DerivZTimesQuotient(TComplex z, TComplex c, TComplex, int32_t n, int32_t) {
  if (z.re * z.im == 0) return {1.0, 0.0};
  // c z + z^(1-N) - z^(2-N)
  const TComplex inverse = CPowInt(z, -n);
  return CAdd(c, CSub(CScale(inverse, 1.0 - n), CScale(CMul(inverse, z), 2.0 - n)));
}

TComplex DerivZRational(TComplex z, TComplex c, TComplex d, int32_t n, int32_t) {
  // (g / h)' = (g' h - g h') / h^2 with g = c z + d z^(N+1), h = 1 + z^N.
  const TComplex zn = CPowInt(z, n);
  const TComplex h = CAddReal(zn, 1.0);
  const TComplex g = CMul(z, CAdd(c, CMul(d, zn)));
  const TComplex dg = CAdd(c, CScale(CMul(d, zn), n + 1.0));
  const TComplex dh = PowerDeriv(z, n);
  return CDiv(CSub(CMul(dg, h), CMul(g, dh)), CMul(h, h));
}

TComplex DerivExp(TComplex z, TComplex, TComplex, int32_t, int32_t) {
  return CSubReal(CExp(z), 1.0);
}

TComplex DerivSinPlusC(TComplex z, TComplex, TComplex, int32_t, int32_t) { return CCos(z); }

TComplex DerivCTimesSin(TComplex z, TComplex c, TComplex, int32_t, int32_t) {
  return CMul(c, CCos(z));
}

TComplex DerivSinMinusZ(TComplex z, TComplex, TComplex, int32_t, int32_t) {
  return CSubReal(CCos(z), 1.0);
}
