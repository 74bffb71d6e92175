#pragma once
#include <array>
#include <memory>
#include <string>

#include "engine/deep/TDeepParams.h"
#include "engine/deep/TMpfrComplex.h"

class TDeepPlan;
class TFractProps;

// The area of a deep view as the program shows, zooms and stores it: bounds as plain decimal
// texts, rounded to what the view's pixels need, and the arithmetic of a zoom in MPFR.

/// Bounds in the order the view hands them around: Left, Top, Right, Bottom.
using TBoundTexts = std::array<std::string, 4>;

/// The bounds of `params`, each with the fewest digits that keep it within 1/10000 of the
/// pixel spacing of its axis (the other axis's when one has no extent); ParseDecimal reads
/// them back. Empty texts when a bound is not a plain decimal.
TBoundTexts RoundedDeepBounds(const TDeepParams& params);

/// Whether `text` reads as bound `index` (0 .. 3 as in TBoundTexts) of `params` within 1/1000
/// of its axis's pixel spacing (the other axis's when one has no extent).
bool BoundTextPlacesBound(const TDeepParams& params, int index, const std::string& text);

/// The bounds after a zoom of a view of `width` x `height` client pixels (>= 1) into the
/// selection [left, right) x [top, bottom) of client pixels (zoomIn), or out of the view so that
/// the whole view shrinks onto the selection (zoomIn false): the map a click makes in doubles,
/// computed in MPFR with every bit the new view needs, rounded as RoundedDeepBounds. False when
/// the selection or the result has no extent, a bound is not a plain decimal, or the result
/// needs more than MaxDecimalDigits digits.
bool ZoomDeepBounds(const TDeepParams& params, int width, int height, int left, int top,
                    int right, int bottom, bool zoomIn, TBoundTexts& bounds);

/// The plane point of client pixel (x, y) of a view of `width` x `height` pixels over the
/// area of `params`, at `precision` bits. The area's bounds must be plain decimals.
TMpfrComplex DeepClientPoint(const TDeepParams& params, int x, int y, int width, int height,
                             mpfr_prec_t precision);

/// "re, im" of that point with enough digits to tell neighbouring client pixels apart.
std::string DeepPointText(const TDeepParams& params, int x, int y, int width, int height);

/// The width of the area in a fixed format: "width 3.2e-85" (two significant digits).
std::string DeepWidthText(const TDeepParams& params);

/// Whether `text` has no more than MaxDecimalDigits digits (what a bound may have).
bool BoundDigitsInRange(const std::string& text);

/// The deep kernel's plan for a view that UsesDeepKernel, or null for any other view (or when
/// the plan cannot be made; the double kernels then compute it).
std::shared_ptr<TDeepPlan> DeepPlanFor(const TFractProps& props);
