#include "gui/dialogs/TAboutBox.h"

#include <cmath>

#include <QFont>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "gui/common/icons.h"

const char* const TAboutBox::CreditLine = "the Zenolith fractal explorer team";
const char* const TAboutBox::DatedLine = "Zenolith 1.0, 2025";

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About Zenolith 1.0"));
  setWindowIcon(ApplicationIcon());
  setFixedSize(249, 198);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(pal);
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  setFont(f);
  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(80, 154, 97, 33);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

QPoint TAboutBox::Placement(QSize screen, QSize box) {
  const int top = screen.height() / 2 - box.height() / 2;
  const int left = static_cast<int>(
      std::trunc(static_cast<double>(screen.width() / 2) - box.width() * 5.0 / 9.0));
  return {left, top};
}

QSize TAboutBox::OuterSize() const {
  const QSize frame = frameGeometry().size();
  return frame != size() ? frame : DesignOuterSize;
}

void TAboutBox::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TAboutBox::FormShow() {
  if (QScreen* s = screen()) {
    const QRect area = s->geometry();
    move(area.topLeft() + Placement(area.size(), OuterSize()));
  }
  OKButton->setFocus();
}

void TAboutBox::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  const QSize outer = OuterSize();
  const double X = (outer.width() / 100) * 1.1;
  const double Y = outer.height() / 100;
  const auto at = [&](double x, double y) {
    return QPoint(static_cast<int>(x * X), static_cast<int>(y * Y));
  };
  QPainter p(this);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.drawPixmap(at(7, 13), IconImage(0));

  // Positions are the top-left corners of the texts.
  const auto text = [&](QPoint topLeft, const QFont& font, const QColor& color,
                        const QString& s) {
    p.setFont(font);
    p.setPen(color);
    p.drawText(topLeft + QPoint(0, QFontMetrics(font).ascent()), s);
  };
  QFont name(QStringLiteral("Arial"), 12, QFont::Bold);
  name.setStyleHint(QFont::SansSerif);
  text(at(54.9, 16.1), name, QColor(150, 0, 0), QStringLiteral("Zenolith"));
  QFont version(QStringLiteral("Terminal"), 11);
  version.setStyleHint(QFont::Monospace);
  text(at(56, 27), version, Qt::black, QStringLiteral("version 1.0"));
  QFont by(QStringLiteral("Arial"), 10);
  by.setStyleHint(QFont::SansSerif);
  text(at(10, 41), by, Qt::black, QStringLiteral("Design & Programming by:"));
  QFont credit(QStringLiteral("Arial"), 8);
  credit.setStyleHint(QFont::SansSerif);
  text(at(20, 51), credit, Qt::black, QString::fromUtf8(CreditLine));
  QFont dated(QStringLiteral("Courier New"), 9);
  dated.setStyleHint(QFont::Monospace);
  text(at(10, 65), dated, Qt::black, QString::fromUtf8(DatedLine));
}
