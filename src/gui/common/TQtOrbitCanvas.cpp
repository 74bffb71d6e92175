#include "gui/common/TQtOrbitCanvas.h"

#include <algorithm>

#include <QPaintDevice>
#include <QPainter>

namespace {

// Coordinates within this distance of the device are drawn as given; beyond it a line is cut
// to the band, which changes none of the pixels on the device.
constexpr double Margin = 16384.0;

QColor ColourOf(uint32_t colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// Cuts the line to the rectangle (Liang-Barsky); false when nothing of it is inside.
bool ClipLine(double& x0, double& y0, double& x1, double& y1, double left, double top,
              double right, double bottom) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  double t0 = 0.0;
  double t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const double sx = x0;
  const double sy = y0;
  x0 = sx + t0 * dx;
  y0 = sy + t0 * dy;
  x1 = sx + t1 * dx;
  y1 = sy + t1 * dy;
  return true;
}

}  // namespace

TQtOrbitCanvas::TQtOrbitCanvas(QPainter& painter) : Painter(painter) {
  Painter.setRenderHint(QPainter::Antialiasing, false);
  Painter.setBrush(Qt::NoBrush);
}

void TQtOrbitCanvas::Line(int x0, int y0, int x1, int y1, uint32_t colour) {
  Painter.setPen(QPen(ColourOf(colour), 1, Qt::SolidLine));
  const QPaintDevice* device = Painter.device();
  const double left = -Margin;
  const double top = -Margin;
  const double right = (device ? device->width() : 0) + Margin;
  const double bottom = (device ? device->height() : 0) + Margin;
  const auto inside = [&](int x, int y) {
    return x >= left && x <= right && y >= top && y <= bottom;
  };
  if (inside(x0, y0) && inside(x1, y1)) {
    Painter.drawLine(x0, y0, x1, y1);
    return;
  }
  double ax = x0, ay = y0, bx = x1, by = y1;
  if (!ClipLine(ax, ay, bx, by, left, top, right, bottom)) return;
  Painter.drawLine(QLineF(ax, ay, bx, by));
}

void TQtOrbitCanvas::Ellipse(int left, int top, int right, int bottom, uint32_t colour) {
  const QPaintDevice* device = Painter.device();
  // Markers of far-away points cannot reach the device.
  if (device && (right < 0 || bottom < 0 || left > device->width() || top > device->height()))
    return;
  Painter.setPen(QPen(ColourOf(colour), 1, Qt::SolidLine));
  Painter.setBrush(Qt::NoBrush);
  Painter.drawEllipse(QRect(left, top, right - left, bottom - top));
}
