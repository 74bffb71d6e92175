#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class TFractProps;
class TViewWave;

// The status texts of a fractal view: where the mouse is in the plane and how far the
// computation has come.

/// "re, im" of the plane point under client pixel (x, y) of a view of `width` x `height`
/// pixels showing the area of `params`, with 6 significant digits; empty for an empty view.
/// A deep view shows the point with the digits that tell neighbouring pixels apart and the
/// width of its area: "re, im (width 3.2e-85)".
std::string PlanePointText(const TFractProps& params, int x, int y, int width, int height);
/// Where the width of a deep view's PlanePointText begins (at " (width"), or npos for a text
/// without one.
size_t PlanePointWidthStart(const std::string& text);
/// "<seconds> s" with two decimals, cut (1999 ms give "1.99 s"); negative times count as 0.
std::string DurationText(int64_t milliseconds);
/// The texts of the main window's status panels 2, 3 and 4 for `view`: the plane point under
/// the mouse (empty when the mouse is elsewhere), the finished percentage while it computes
/// ("42%", else empty), and the time the computation has taken so far or took in all (empty
/// before the first and after a stopped one).
std::array<std::string, 3> ViewStatusTexts(const TViewWave& view);
