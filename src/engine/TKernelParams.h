#pragma once
#include <cstdint>

#include "engine/TFormula.h"

/// The inputs of one computation, as plain numbers. The fractal parameter record fills one of
/// these; the kernels and the worker read nothing else. Defaults are those of a new record: the
/// Julia set of c = -0.122561 - 0.744862i over [-1.5, 1.5] x [-1.5, 1.5] at 250 x 250 pixels.
struct TKernelParams {
  /// Values of MapField: which of z, c, d the pixel's point also supplies (z always starts there).
  static constexpr int MapZ = 0;
  static constexpr int MapC = 1;
  static constexpr int MapD = 2;
  /// Values of ColorMode: fractional escape depths ("Continue") or whole counts ("Discontinue").
  static constexpr int ColorContinue = 0;
  static constexpr int ColorDiscontinue = 1;

  int XResolution = 250;  ///< columns, >= 1
  int YResolution = 250;  ///< rows, >= 1
  double Left = -1.5;     ///< real part at the left edge (plane units)
  double Right = 1.5;     ///< real part at the right edge (exclusive)
  double Top = 1.5;       ///< imaginary part at the top edge
  double Bottom = -1.5;   ///< imaginary part at the bottom edge (exclusive)
  double OuterCircle = 1000.0;  ///< escape radius, > 1
  double InnerDist = 0.0001;    ///< distance under which two iterates count as equal, in (0, 1)
  double CR = -0.122561;  ///< c, real part
  double CI = -0.744862;  ///< c, imaginary part
  double DR = -0.3;       ///< d, real part
  double DI = -0.3;       ///< d, imaginary part
  int32_t MaxDepth = 200;  ///< iteration limit, >= 1
  int32_t MaxCycle = 3;    ///< longest detected cycle period; 0 switches detection off
  int32_t N = 5;           ///< first integer exponent, >= 1
  int32_t M = 3;           ///< second integer exponent, >= 1
  int Formula = 0;         ///< index into Formulas, 0 .. FormulaCount - 1
  int MapField = MapZ;     ///< MapZ, MapC or MapD
  int ColorMode = ColorContinue;  ///< ColorContinue or ColorDiscontinue
};
