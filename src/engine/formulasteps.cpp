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
