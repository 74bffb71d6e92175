#include "render/TDeepOrbit.h"

#include <algorithm>
#include <cmath>

#include "engine/deep/TMpfrFormula.h"
#include "engine/deep/deepzoom.h"
#include "engine/kernels.h"

namespace {

// Bits kept beyond the start point's: the iterates of a chaotic orbit lose some each step.
constexpr mpfr_prec_t Margin = 128;

}  // namespace

TDeepOrbit::TDeepOrbit(mpfr_prec_t precision)
    : Start(precision), Z(precision), C(precision), D(precision) {}

std::unique_ptr<TDeepOrbit> TDeepOrbit::Create(const std::string& re, const std::string& im,
                                               int mapField, TComplex c, TComplex d) {
  TMpfr readRe(64), readIm(64);
  std::string message;
  if (!ParseDecimal(re, readRe, message) || !ParseDecimal(im, readIm, message)) return nullptr;
  const double x = readRe.ToDouble();
  const double y = readIm.ToDouble();
  if (!std::isfinite(x) || !std::isfinite(y)) return nullptr;
  const mpfr_prec_t precision = std::max(readRe.Precision(), readIm.Precision()) + Margin;
  std::unique_ptr<TDeepOrbit> orbit(new TDeepOrbit(precision));
  orbit->TextRe = re;
  orbit->TextIm = im;
  orbit->Map = mapField;
  mpfr_set(orbit->Start.Re.Get(), readRe.Get(), MPFR_RNDN);
  mpfr_set(orbit->Start.Im.Get(), readIm.Get(), MPFR_RNDN);
  mpfr_set(orbit->Z.Re.Get(), readRe.Get(), MPFR_RNDN);
  mpfr_set(orbit->Z.Im.Get(), readIm.Get(), MPFR_RNDN);
  mpfr_set_d(orbit->C.Re.Get(), c.re, MPFR_RNDN);
  mpfr_set_d(orbit->C.Im.Get(), c.im, MPFR_RNDN);
  mpfr_set_d(orbit->D.Re.Get(), d.re, MPFR_RNDN);
  mpfr_set_d(orbit->D.Im.Get(), d.im, MPFR_RNDN);
  if (mapField == TKernelParams::MapC) orbit->C = orbit->Start;
  if (mapField == TKernelParams::MapD) orbit->D = orbit->Start;
  orbit->PointX = x;
  orbit->PointY = y;
  return orbit;
}

bool TDeepOrbit::Step(int formula, int32_t n, int32_t m) {
  if (!DeepKernelSupports(formula) || n < 1 || m < 1) return false;
  const mpfr_prec_t precision = Z.Re.Precision();
  TMpfrComplex next = Z;
  TMpfrFormula(formula, precision, n, m).Step(next, C, D);
  TMpfr offset(precision);
  mpfr_sub(offset.Get(), next.Re.Get(), Start.Re.Get(), MPFR_RNDN);
  const long double offX = mpfr_get_ld(offset.Get(), MPFR_RNDN);
  mpfr_sub(offset.Get(), next.Im.Get(), Start.Im.Get(), MPFR_RNDN);
  const long double offY = mpfr_get_ld(offset.Get(), MPFR_RNDN);
  const double x = next.Re.ToDouble();
  const double y = next.Im.ToDouble();
  // The double kernel's fault: an iterate beyond the double range ends the orbit there.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(offX) || !std::isfinite(offY))
    return false;
  Z = std::move(next);
  PointX = x;
  PointY = y;
  OffX = offX;
  OffY = offY;
  return true;
}
