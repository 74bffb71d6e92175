#pragma once
#include <cstdint>

/// The few drawing operations the orbit points need. Coordinates are surface pixels, colours
/// 0x00BBGGRR. The GUI implements it over its painter; tests record the calls.
class TOrbitCanvas {
public:
  virtual ~TOrbitCanvas() = default;
  /// A solid one-pixel line from (x0, y0) to (x1, y1).
  virtual void Line(int x0, int y0, int x1, int y1, uint32_t colour) = 0;
  /// The outline of the ellipse bounded by (left, top)..(right, bottom); the inside is left as
  /// it is.
  virtual void Ellipse(int left, int top, int right, int bottom, uint32_t colour) = 0;
};
