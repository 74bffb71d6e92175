#include "gui/common/cursors.h"

#include <functional>
#include <map>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

std::map<int, QCursor>& Table() {
  static std::map<int, QCursor> table;
  return table;
}

// Every stroke twice, wide in white and narrow in black, so the cursor shows on any colour.
void Stroke(QPainter& p, const std::function<void()>& shape, qreal width) {
  p.setPen(QPen(Qt::white, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  shape();
  p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  shape();
}

void Crosshair(QPainter& p, QPointF c, qreal arm) {
  Stroke(p, [&] {
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() - 2, c.y()));
    p.drawLine(QPointF(c.x() + 2, c.y()), QPointF(c.x() + arm, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() - 2));
    p.drawLine(QPointF(c.x(), c.y() + 2), QPointF(c.x(), c.y() + arm));
  }, 1);
}

void Lens(QPainter& p, int sign) {
  const QPointF c(12, 12);
  p.setBrush(Qt::NoBrush);
  Stroke(p, [&] {
    p.drawEllipse(c, 8, 8);
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
    p.drawLine(QPointF(8, 12), QPointF(16, 12));
    if (sign > 0) p.drawLine(QPointF(12, 8), QPointF(12, 16));
  }, 1.5);
}

QCursor Build(int id) {
  QPixmap pm(CursorImageSize, CursorImageSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  QPoint hot(16, 16);
  switch (id) {
    case CURSOR_DRAW: {
      // A pencil whose tip is the hot spot.
      QPolygonF body;
      body << QPointF(2, 29) << QPointF(5, 21) << QPointF(22, 4) << QPointF(27, 9)
           << QPointF(10, 26);
      p.setPen(QPen(Qt::white, 3));
      p.drawPolygon(body);
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(QColor(250, 200, 60));
      p.drawPolygon(body);
      p.drawLine(QPointF(5, 21), QPointF(10, 26));
      hot = QPoint(2, 29);
      break;
    }
    case CURSOR_DELETE:
      Crosshair(p, QPointF(16, 16), 8);
      Stroke(p, [&] {
        p.drawLine(QPointF(21, 21), QPointF(29, 29));
        p.drawLine(QPointF(29, 21), QPointF(21, 29));
      }, 1.5);
      break;
    case CURSOR_REJECT:
      p.setBrush(Qt::NoBrush);
      Stroke(p, [&] {
        p.drawEllipse(QPointF(16, 16), 10, 10);
        p.drawLine(QPointF(9, 9), QPointF(23, 23));
      }, 2);
      break;
    case CURSOR_ZOOMIN:
      Lens(p, +1);
      hot = QPoint(12, 12);
      break;
    case CURSOR_ZOOMOUT:
      Lens(p, -1);
      hot = QPoint(12, 12);
      break;
    case CURSOR_MAND2JUL: {
      Crosshair(p, QPointF(12, 12), 10);
      QFont f(QStringLiteral("Serif"));
      f.setPixelSize(14);
      f.setBold(true);
      f.setItalic(true);
      p.setFont(f);
      QPainterPath text;
      text.addText(QPointF(19, 30), f, QStringLiteral("J"));
      p.setPen(QPen(Qt::white, 2.5));
      p.setBrush(Qt::NoBrush);
      p.drawPath(text);
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::black);
      p.drawPath(text);
      hot = QPoint(12, 12);
      break;
    }
    default:
      return QCursor(Qt::ArrowCursor);
  }
  p.end();
  return QCursor(pm, hot.x(), hot.y());
}

}  // namespace

void LoadCursors() {
  std::map<int, QCursor>& table = Table();
  if (!table.empty()) return;
  for (int id = CURSOR_DRAW; id <= CURSOR_MAND2JUL; ++id) table.emplace(id, Build(id));
}

QCursor CursorById(int id) {
  LoadCursors();
  const auto it = Table().find(id);
  return it == Table().end() ? QCursor(Qt::ArrowCursor) : it->second;
}

const char* CursorResourceName(int id) {
  switch (id) {
    case CURSOR_DRAW: return "DRAW";
    case CURSOR_DELETE: return "DELETE";
    case CURSOR_REJECT: return "REJECT";
    case CURSOR_ZOOMIN: return "ZOOMIN";
    case CURSOR_ZOOMOUT: return "ZOOMOUT";
    case CURSOR_MAND2JUL: return "MAND2JUL";
    default: return "";
  }
}
