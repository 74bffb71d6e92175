#pragma once
#include <cstdint>

#include "render/TOrbitCanvas.h"

class QPainter;

/// Draws the orbit points with a QPainter: solid one-pixel lines and ellipse outlines, no
/// antialiasing, no fill. Lines reaching far outside the painter's device are cut first, so
/// that pinned far-away points cannot overflow the rasterizer.
class TQtOrbitCanvas : public TOrbitCanvas {
public:
  /// `painter` (not owned) must be active on the surface for as long as this object is used.
  explicit TQtOrbitCanvas(QPainter& painter);

  void Line(int x0, int y0, int x1, int y1, uint32_t colour) override;
  void Ellipse(int left, int top, int right, int bottom, uint32_t colour) override;

private:
  QPainter& Painter;
};
