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
  /// The orbit of (re, im); c is that point when `pointIsC`, else `c`. Null when a text is not
  /// a plain decimal (ParseDecimal) or the point lies outside the double range.
  static std::unique_ptr<TDeepOrbit> Create(const std::string& re, const std::string& im,
                                            bool pointIsC, TComplex c);

  /// One step of formula 0, 1 or 2 (z^2 + c, z^3 + c, z^4 + c; others: false). False, with
  /// nothing changed, when a part of the result or its offset leaves the double range.
  bool Step(int formula);

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
  bool PointIsC() const { return PointC; }

private:
  TDeepOrbit(mpfr_prec_t precision);

  std::string TextRe, TextIm;
  bool PointC = false;
  TMpfrComplex Start, Z, C;
  double PointX = 0.0, PointY = 0.0;
  long double OffX = 0.0L, OffY = 0.0L;
};
