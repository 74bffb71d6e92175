#pragma once
#include <string>

#include "engine/TKernelParams.h"
#include "engine/deep/TDeepParams.h"
#include "engine/deep/TMpfr.h"
#include "engine/deep/floatexp.h"

// Where double precision ends and the deep kernel takes over, and the decimal texts of deep
// bounds.
//
// The measure is the view's relative resolution: the pixel spacing (the smaller one of the two
// axes, leaving out an axis of zero extent) divided by the largest magnitude of the four
// bounds. Below 2^-40 (about 9.1e-13) a pixel spans fewer than 2^12 units in the last place of
// its coordinates: its point is rounded by 1/8192 of a pixel, and the roundings of a double
// orbit, which grow like the pixel differences, reach a tenth of a pixel within typical depths.
// That is where double pictures start to turn to noise and blocks, so views below it go deep.
// With the pixel as z (a Julia set) the first step also counts: z0^k + c keeps only the
// differences 2^-40 above the rounding of |z0^k + c|, which fails near z0 = 0 long before the
// bounds run out of digits; the measure is then the smaller of the two.

/// Relative resolution below which double pictures turn to noise and blocks (log2): where
/// formulas without the deep kernel stop zooming in, and where short orbits go deep.
constexpr double DeepThresholdLog2 = -40.0;

/// Relative resolution (log2) below which double pictures of `formula` with the pixel as
/// `mapField` stop being right when orbits may run `maxDepth` steps, so that the view needs the
/// deep kernel. Long orbits near the boundary carry the roundings of their steps far: with the
/// pixel as c and a few thousand steps, double pixels differ from exact ones well above
/// DeepThresholdLog2 (bench/bench_deep's "Switch" sweep measures where). DeepThresholdLog2
/// for formulas without the deep kernel.
double DoubleLimitLog2(int formula, int mapField, int32_t maxDepth);

/// Longest decimal text (digits) a deep bound may have.
constexpr int MaxDecimalDigits = 10000;

/// Whether the deep kernel computes this formula (the formula table's DeepZoom): every one,
/// those with a DeepDegree (z^2 + c, z^3 + c and z^4 + c) with approximations that skip steps,
/// the others on the general path.
bool DeepKernelSupports(int formula);

/// The display texts of the formulas the deep kernel computes, separated by ", ".
std::string DeepZoomFormulaList();

/// The formula's deep degree k (its deep step is z^k + c), 0 without the deep kernel or for
/// an index out of range.
int DeepDegree(int formula);

/// log2 of the relative resolution described above, from the pixel spacings of the two axes
/// (either may be 0), the largest magnitude of the bounds, the map mode, the formula (one
/// without the deep kernel counts as z^2 + c) and |c|. +infinity when both spacings are 0.
double RelativeResolutionLog2(TFloatExp spacingX, TFloatExp spacingY, TFloatExp magnitude,
                              int mapField, int formula, double cAbs);

/// Whether a view of double bounds lies below DoubleLimitLog2. Only the area, resolution, map
/// mode, formula, MaxDepth and c are read.
bool NeedsDeepKernel(const TKernelParams& params);

/// The same for decimal bounds; false when a bound is not a plain decimal number.
bool NeedsDeepKernel(const TDeepParams& params);

/// Reads a plain decimal number ([blanks] [sign] [blanks] digits ["." or "," digits] [blanks],
/// no exponent) into `value`, whose precision is first set to hold every digit given (up to
/// MaxDecimalDigits). False with "Input has no value.", "Value is out of range." (too many
/// digits) or "Value is not a plain decimal number." otherwise; `value` is then unchanged.
bool ParseDecimal(const std::string& text, TMpfr& value, std::string& message);

/// The exact decimal text of a finite double, without exponent ("-0.1000000000000000055511...").
std::string ExactDecimal(double x);

/// The deep parameters of a double view: its bounds as exact decimal texts.
TDeepParams DeepParamsFrom(const TKernelParams& params);

/// The double view of deep parameters: each bound is its text rounded to the nearest double
/// (a text that is not a plain decimal reads as what strtod makes of it).
TKernelParams DoubleParamsFrom(const TDeepParams& params);

/// `value` as a plain decimal text (no exponent) rounded to `digits` significant digits,
/// trailing zeros of the decimals dropped ("0.000000000000000000000000123", "-1.5", "0").
std::string DecimalText(const TMpfr& value, int digits);

/// Sets the bounds of `params` to the view of width `width` centred on (centreRe, centreIm),
/// as tall as the resolution's aspect makes it (Top above Bottom); all four are decimal texts
/// read as ParseDecimal does, the bounds are written with enough digits to place every pixel
/// within 1/10000 of its spacing. False with the reason when a text is not a plain decimal
/// or the width is not positive; `params` is then unchanged.
bool SetDeepViewAround(TDeepParams& params, const std::string& centreRe,
                       const std::string& centreIm, const std::string& width,
                       std::string& errorText);
