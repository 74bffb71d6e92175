#pragma once
#include <string>

#include "engine/deep/TDeepParams.h"
#include "engine/deep/TMpfr.h"
#include "engine/deep/TMpfrComplex.h"
#include "engine/deep/floatexp.h"

/// The area of a deep view in arbitrary precision: the four bounds read from their decimal
/// texts and the resolution, with the program's pixel map
///   re = Left + x / XResolution * (Right - Left),  im = Top + y / YResolution * (Bottom - Top).
class TDeepArea {
public:
  /// Reads the bounds of `params`. False with errorText ("In Left: " + the reason of
  /// ParseDecimal) when a text is not a plain decimal; `area` is then unchanged.
  static bool Parse(const TDeepParams& params, TDeepArea& area, std::string& errorText);

  TDeepArea();

  /// Pixel spacing along x and along y (|Right - Left| / XResolution ...), either may be 0.
  TFloatExp SpacingX() const;
  TFloatExp SpacingY() const;
  /// The largest magnitude of the four bounds.
  TFloatExp Magnitude() const;

  /// The plane point of pixel column x, row y, rounded to `precision` bits.
  TMpfrComplex PixelPoint(int x, int y, mpfr_prec_t precision) const;
  /// Real part of column x minus that of column `from`: (x - from) / XResolution * (Right -
  /// Left), rounded once to 53 bits, exponent kept aside.
  TFloatExp ColumnOffset(int x, int from) const;
  /// Imaginary part of row y minus that of row `from`.
  TFloatExp RowOffset(int y, int from) const;

  int XResolution = 1;
  int YResolution = 1;

private:
  TMpfr Left, Right, Top, Bottom;
};
