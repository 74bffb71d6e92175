#include "gui/common/icons.h"

#include <cmath>
#include <map>

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Outline(40, 40, 40);
const QColor Paper(255, 255, 255);
const QColor FolderYellow(240, 200, 80);
const QColor FloppyBlue(50, 90, 170);
const QColor OrbitBack(25, 35, 80);

QPixmap Blank(int side) {
  QPixmap pm(side, side);
  pm.fill(Qt::transparent);
  return pm;
}

void Begin(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
}

void Page(QPainter& p, const QRectF& r) {
  const qreal fold = r.width() * 0.35;
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(Outline, 1));
  p.setBrush(Paper);
  p.drawPath(path);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  p.setBrush(QColor(215, 215, 215));
  p.drawPath(corner);
}

void Floppy(QPainter& p, const QRectF& r) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(FloppyBlue);
  p.drawRoundedRect(r, 1.5, 1.5);
  const qreal w = r.width(), h = r.height();
  p.setBrush(QColor(200, 205, 215));
  p.drawRect(QRectF(r.left() + w * 0.25, r.top(), w * 0.5, h * 0.33));
  p.setBrush(FloppyBlue);
  p.drawRect(QRectF(r.left() + w * 0.55, r.top() + h * 0.05, w * 0.1, h * 0.22));
  p.setBrush(Paper);
  p.drawRect(QRectF(r.left() + w * 0.18, r.top() + h * 0.5, w * 0.64, h * 0.42));
}

void Folder(QPainter& p, const QRectF& r, bool open) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(FolderYellow.darker(115));
  QPainterPath back;
  back.moveTo(r.left(), r.bottom());
  back.lineTo(r.left(), r.top() + r.height() * 0.12);
  back.lineTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.12);
  back.lineTo(r.left() + r.width() * 0.45, r.top() + r.height() * 0.28);
  back.lineTo(r.right(), r.top() + r.height() * 0.28);
  back.lineTo(r.right(), r.bottom());
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(FolderYellow);
  QPainterPath front;
  if (open) {
    front.moveTo(r.left(), r.bottom());
    front.lineTo(r.left() + r.width() * 0.2, r.top() + r.height() * 0.45);
    front.lineTo(r.right() + r.width() * 0.05, r.top() + r.height() * 0.45);
    front.lineTo(r.right() - r.width() * 0.15, r.bottom());
  } else {
    front.addRect(QRectF(r.left(), r.top() + r.height() * 0.4, r.width(), r.height() * 0.6));
  }
  front.closeSubpath();
  p.drawPath(front);
}

void Magnifier(QPainter& p, int sign) {
  p.setPen(QPen(QColor(90, 60, 30), 3.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(14.5, 14.5), QPointF(21.5, 21.5));
  p.setPen(QPen(Outline, 1.6));
  p.setBrush(QColor(200, 230, 255));
  p.drawEllipse(QPointF(9.5, 9.5), 7, 7);
  p.setPen(QPen(QColor(0, 90, 0), 2.2));
  p.drawLine(QPointF(6, 9.5), QPointF(13, 9.5));
  if (sign > 0) p.drawLine(QPointF(9.5, 6), QPointF(9.5, 13));
}

void OrbitBackground(QPainter& p) {
  p.setPen(QPen(Outline, 1));
  p.setBrush(OrbitBack);
  p.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 3, 3);
}

void Marker(QPainter& p, QPointF c) {
  p.setPen(QPen(Qt::white, 1.2));
  p.setBrush(Qt::black);
  p.drawEllipse(c, 2.4, 2.4);
}

void Orbit(QPainter& p, const std::vector<QPointF>& pts) {
  p.setPen(QPen(Qt::white, 1.2));
  for (size_t i = 1; i < pts.size(); ++i) p.drawLine(pts[i - 1], pts[i]);
  for (const QPointF& c : pts) Marker(p, c);
}

void Star(QPainter& p, QPointF c, qreal r) {
  QPainterPath path;
  for (int i = 0; i < 10; ++i) {
    const qreal a = -M_PI / 2 + i * M_PI / 5;
    const qreal rr = i % 2 == 0 ? r : r * 0.45;
    const QPointF q(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
    if (i == 0) path.moveTo(q);
    else path.lineTo(q);
  }
  path.closeSubpath();
  p.setPen(QPen(QColor(150, 100, 0), 0.8));
  p.setBrush(QColor(255, 215, 0));
  p.drawPath(path);
}

void RedCross(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(200, 20, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(r.topLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomLeft());
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, qreal width) {
  p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(from, to);
  const qreal a = std::atan2(to.y() - from.y(), to.x() - from.x());
  const qreal head = width * 2.2;
  p.setBrush(color);
  QPolygonF tip;
  tip << to + QPointF(std::cos(a) * head * 0.6, std::sin(a) * head * 0.6)
      << to + QPointF(std::cos(a + 2.3) * head, std::sin(a + 2.3) * head)
      << to + QPointF(std::cos(a - 2.3) * head, std::sin(a - 2.3) * head);
  p.setPen(Qt::NoPen);
  p.drawPolygon(tip);
}

void Pencil(QPainter& p, QPointF tip, qreal length) {
  p.save();
  p.translate(tip);
  p.rotate(-45);
  p.setPen(QPen(Outline, 0.8));
  p.setBrush(QColor(240, 180, 40));
  p.drawRect(QRectF(4, -2, length - 4, 4));
  p.setBrush(QColor(240, 210, 170));
  QPolygonF cone;
  cone << QPointF(0, 0) << QPointF(4, -2) << QPointF(4, 2);
  p.drawPolygon(cone);
  p.restore();
}

// Escape count of c under z^2 + c (0 = inside after `limit` steps).
int EscapeCount(double cr, double ci, int limit) {
  double zr = 0, zi = 0;
  for (int n = 1; n <= limit; ++n) {
    const double t = zr * zr - zi * zi + cr;
    zi = 2 * zr * zi + ci;
    zr = t;
    if (zr * zr + zi * zi > 16) return n;
  }
  return 0;
}

QPixmap MandelbrotImage(int side) {
  QImage img(side, side, QImage::Format_ARGB32);
  const int limit = 60;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const double cr = -2.15 + 2.75 * (x + 0.5) / side;
      const double ci = -1.375 + 2.75 * (y + 0.5) / side;
      const int n = EscapeCount(cr, ci, limit);
      QColor c;
      if (n == 0) {
        c = QColor(0, 0, 0);
      } else {
        const double t = std::sqrt(static_cast<double>(n) / limit);
        c = QColor(static_cast<int>(255 * std::min(1.0, t * 1.6)),
                   static_cast<int>(128 * t), static_cast<int>(80 + 150 * (1 - t)));
      }
      img.setPixelColor(x, y, c);
    }
  }
  QPixmap pm = QPixmap::fromImage(img);
  QPainter p(&pm);
  p.setPen(QColor(20, 20, 20));
  p.drawRect(0, 0, side - 1, side - 1);
  return pm;
}

// Two overlapping windows: a set of windows, the picture of a project.
void Windows(QPainter& p) {
  for (const QRectF& r : {QRectF(1.5, 1.5, 14, 11), QRectF(6.5, 6.5, 14, 11)}) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(Paper);
    p.drawRect(r);
    p.setBrush(QColor(40, 80, 180));
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 3));
  }
}

QPixmap Draw(int index) {
  QPixmap pm = Blank(ToolBarImageSize);
  QPainter p(&pm);
  Begin(p);
  switch (index) {
    case 0:  // Save As
      Floppy(p, QRectF(1.5, 3.5, 16, 16));
      Pencil(p, QPointF(11, 21), 15);
      break;
    case 1:  // New
      Page(p, QRectF(4.5, 2.5, 15, 19));
      Star(p, QPointF(7, 7), 5.5);
      break;
    case 2:  // Save
      Floppy(p, QRectF(3.5, 3.5, 17, 17));
      break;
    case 7:  // Zoom in
      Magnifier(p, +1);
      break;
    case 8:  // Zoom out
      Magnifier(p, -1);
      break;
    case 9:  // Draw points
      OrbitBackground(p);
      Orbit(p, {{5, 17}, {11, 8}, {18, 14}});
      break;
    case 10:  // Add next points
      OrbitBackground(p);
      Orbit(p, {{4, 18}, {9, 9}, {15, 15}});
      p.setPen(QPen(QColor(120, 255, 120), 1.2, Qt::DashLine));
      p.drawLine(QPointF(15, 15), QPointF(19, 6));
      p.setPen(QPen(QColor(120, 255, 120), 1.4));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(19, 6), 2.4, 2.4);
      break;
    case 11: {  // Group as polygon
      OrbitBackground(p);
      const QPolygonF ring({QPointF(6, 6), QPointF(18, 7), QPointF(17, 18), QPointF(7, 17)});
      p.setPen(QPen(QColor(255, 255, 0), 1.4));
      p.setBrush(Qt::NoBrush);
      p.drawPolygon(ring);
      for (const QPointF& c : ring) Marker(p, c);
      break;
    }
    case 12: {  // Julia from Mandelbrot
      p.drawPixmap(QRectF(0, 3, 13, 13), MandelbrotImage(26), QRectF(0, 0, 26, 26));
      Arrow(p, QPointF(10, 18), QPointF(15, 13), QColor(0, 120, 0), 1.6);
      QFont f(QStringLiteral("Serif"));
      f.setPixelSize(13);
      f.setBold(true);
      f.setItalic(true);
      p.setFont(f);
      p.setPen(QColor(130, 0, 130));
      p.drawText(QRectF(13, 9, 11, 14), Qt::AlignCenter, QStringLiteral("J"));
      break;
    }
    case 13:  // Remove points
      OrbitBackground(p);
      Orbit(p, {{5, 17}, {11, 8}, {18, 14}});
      RedCross(p, QRectF(12, 12, 9, 9));
      break;
    case 14: {  // Colouring of a fractal (palette)
      p.setPen(QPen(Outline, 1));
      p.setBrush(QColor(225, 190, 140));
      QPainterPath palette;
      palette.addEllipse(QRectF(1.5, 3.5, 21, 17));
      QPainterPath hole;
      hole.addEllipse(QRectF(14, 12, 4.5, 4.5));
      p.drawPath(palette.subtracted(hole));
      const QColor blobs[] = {QColor(220, 30, 30), QColor(30, 160, 40), QColor(40, 80, 220),
                              QColor(250, 200, 0)};
      const QPointF at[] = {{6.5, 9}, {11, 7}, {16, 8}, {7, 15}};
      p.setPen(Qt::NoPen);
      for (int i = 0; i < 4; ++i) {
        p.setBrush(blobs[i]);
        p.drawEllipse(at[i], 2.2, 2.2);
      }
      break;
    }
    case 15:  // Open
      Folder(p, QRectF(1.5, 4.5, 20, 15), true);
      break;
    case 16: {  // Fractal properties (formula)
      p.setPen(QPen(Outline, 1));
      p.setBrush(QColor(250, 250, 235));
      p.drawRoundedRect(QRectF(0.5, 3.5, 23, 17), 2, 2);
      QFont f(QStringLiteral("Serif"));
      f.setPixelSize(11);
      f.setItalic(true);
      p.setFont(f);
      p.setPen(QColor(0, 0, 140));
      p.drawText(QRectF(0, 3, 24, 18), Qt::AlignCenter, QString::fromUtf8("z\u00B2+c"));
      break;
    }
    case 17:  // Duplicate
      Page(p, QRectF(2.5, 1.5, 12, 15));
      Page(p, QRectF(9.5, 7.5, 12, 15));
      break;
    case 129:  // Open project
      Windows(p);
      Folder(p, QRectF(10.5, 12.5, 12, 10), true);
      break;
    case 130:  // Close project
      Windows(p);
      RedCross(p, QRectF(13, 13, 8, 8));
      break;
    case 131:  // New project
      Windows(p);
      Star(p, QPointF(17.5, 17.5), 5.5);
      break;
    case 132:  // Save project
      Windows(p);
      Floppy(p, QRectF(12.5, 12.5, 10, 10));
      break;
    case 134: {  // Revert
      Page(p, QRectF(3.5, 1.5, 15, 20));
      p.setPen(QPen(QColor(0, 100, 200), 2.0, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(6, 7, 10, 10), 90 * 16, 270 * 16);
      Arrow(p, QPointF(11, 7), QPointF(14, 7), QColor(0, 100, 200), 1.6);
      break;
    }
    case 135:  // Export project
      Windows(p);
      Arrow(p, QPointF(11, 18), QPointF(20, 18), QColor(0, 140, 0), 2.2);
      break;
    default:
      return QPixmap();
  }
  return pm;
}

}  // namespace

const std::vector<int>& ToolBarImageIndices() {
  static const std::vector<int> indices = {0,  1,  2,  7,  8,   9,   10,  11,  12,  13, 14,
                                           15, 16, 17, 129, 130, 131, 132, 134, 135};
  return indices;
}

QPixmap ToolBarImage(int index) {
  static std::map<int, QPixmap> cache;
  const auto it = cache.find(index);
  if (it != cache.end()) return it->second;
  QPixmap pm = Draw(index);
  cache.emplace(index, pm);
  return pm;
}

QIcon ToolBarIcon(int index) {
  const QPixmap pm = ToolBarImage(index);
  return pm.isNull() ? QIcon() : QIcon(pm);
}

QPixmap IconImage(int index) {
  if (index != 0) return QPixmap();
  static const QPixmap image = MandelbrotImage(IconImageSize);
  return image;
}

QIcon ApplicationIcon() {
  // Built once and shared: every window carrying an icon of its own would leave its scaled
  // copies in Qt's caches for the rest of the run.
  static const QIcon icon = [] {
    QIcon built;
    built.addPixmap(IconImage(0));
    built.addPixmap(MandelbrotImage(16));
    built.addPixmap(MandelbrotImage(64));
    return built;
  }();
  return icon;
}
