#pragma once
#include <memory>
#include <string>

#include "engine/complexmath.h"
#include "engine/deep/TMpfrComplex.h"

/// The iteration of an orbit that starts at a point of a deep view, in MPFR: the start point
/// (the anchor, read from plain decimal texts), the current iterate and c. Each iterate is
/// handed out as a double (its plane point) and as its offset from the anchor, which stays
/// exact to double precision however deep the view, so the points can be drawn where they fall.
class TDeepOrbit {
public:
  /// The orbit of (re, im) with the constants c and d, of which the point itself takes the
  /// place of c or d as `mapField` (TKernelParams::MapC or MapD) says. Null when a text is not
  /// a plain decimal (ParseDecimal) or the point lies outside the double range.
  static std::unique_ptr<TDeepOrbit> Create(const std::string& re, const std::string& im,
                                            int mapField, TComplex c, TComplex d);

  /// One step of `formula` (an index into Formulas; others: false) with the exponents n and m.
  /// False, with nothing changed, when a part of the result or its offset leaves the double
  /// range.
  bool Step(int formula, int32_t n, int32_t m);

  /// The current iterate as doubles, and its offset from the anchor (plane units).
  double X() const { return PointX; }
  double Y() const { return PointY; }
  long double OffsetX() const { return OffX; }
  long double OffsetY() const { return OffY; }
  /// The start point.
  const TMpfrComplex& Anchor() const { return Start; }
  /// The texts it was made from.
  const std::string& Re() const { return TextRe; }
  const std::string& Im() const { return TextIm; }
  /// Which constant the start point is (TKernelParams::MapField).
  int MapField() const { return Map; }

private:
  TDeepOrbit(mpfr_prec_t precision);

  std::string TextRe, TextIm;
  int Map = 0;
  TMpfrComplex Start, Z, C, D;
  double PointX = 0.0, PointY = 0.0;
  long double OffX = 0.0L, OffY = 0.0L;
};
