#pragma once
#include <cstdint>
#include <string>

#include "engine/TKernelParams.h"

/// The inputs of one deep computation: those of TKernelParams that the deep formulas read, with
/// the area given as decimal texts of any length (no exponent, as the program's values have
/// none) instead of doubles. Defaults are those of TKernelParams.
struct TDeepParams {
  int XResolution = 250;  ///< columns, >= 1
  int YResolution = 250;  ///< rows, >= 1
  std::string Left = "-1.5";    ///< real part at the left edge
  std::string Right = "1.5";    ///< real part at the right edge (exclusive)
  std::string Top = "1.5";      ///< imaginary part at the top edge
  std::string Bottom = "-1.5";  ///< imaginary part at the bottom edge (exclusive)
  double OuterCircle = 1000.0;  ///< escape radius, > 1
  double InnerDist = 0.0001;    ///< distance under which two iterates count as equal, in (0, 1)
  double CR = -0.122561;        ///< c, real part (MapZ and MapD)
  double CI = -0.744862;        ///< c, imaginary part
  double DR = -0.3;             ///< d, real part (MapZ and MapC; read by some formulas)
  double DI = -0.3;             ///< d, imaginary part
  int32_t N = 5;                ///< first integer exponent, >= 1 (some formulas)
  int32_t M = 3;                ///< second integer exponent, >= 1
  int32_t MaxDepth = 200;       ///< iteration limit, >= 1
  int32_t MaxCycle = 3;         ///< longest detected cycle period; 0 switches detection off
  int Formula = 0;              ///< a formula with a deep degree (z^2 + c, z^3 + c, z^4 + c)
  int MapField = TKernelParams::MapZ;           ///< MapZ, MapC or MapD (for these formulas MapZ)
  int ColorMode = TKernelParams::ColorContinue;  ///< ColorContinue or ColorDiscontinue
};
