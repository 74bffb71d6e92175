#include "gui/dialogs/TColorBox.h"

#include <QPainter>
#include <QPixmap>

#include "gui/common/TPrompter.h"

namespace {

struct TNamedColor {
  const char* Name;
  uint32_t Color;
};

// The standard colours, then the extended ones, all 0x00BBGGRR.
constexpr TNamedColor NamedColors[TColorBox::NamedCount] = {
    {"Black", 0x000000},   {"Maroon", 0x000080},      {"Green", 0x008000},
    {"Olive", 0x008080},   {"Navy", 0x800000},        {"Purple", 0x800080},
    {"Teal", 0x808000},    {"Gray", 0x808080},        {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},     {"Lime", 0x00FF00},        {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},    {"Fuchsia", 0xFF00FF},     {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},   {"Money Green", 0xC0DCC0}, {"Sky Blue", 0xF0CAA6},
    {"Cream", 0xF0FBFF},   {"Medium Gray", 0xA4A0A0},
};

constexpr int SwatchSize = 14;

QIcon Swatch(uint32_t colour) {
  QPixmap pixmap(SwatchSize, SwatchSize);
  pixmap.fill(TColorBox::ToQColor(colour));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, SwatchSize - 1, SwatchSize - 1);
  return QIcon(pixmap);
}

QString HexText(uint32_t colour) {
  const QColor c = TColorBox::ToQColor(colour);
  return QStringLiteral("#%1%2%3")
      .arg(c.red(), 2, 16, QLatin1Char('0'))
      .arg(c.green(), 2, 16, QLatin1Char('0'))
      .arg(c.blue(), 2, 16, QLatin1Char('0'))
      .toUpper();
}

}  // namespace

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(SwatchSize, SwatchSize));
  setMaxVisibleItems(NamedCount + 2);
  for (const TNamedColor& named : NamedColors)
    addItem(Swatch(named.Color), QString::fromLatin1(named.Name), QVariant::fromValue(named.Color));
  addItem(QString::fromLatin1(CustomText));
  connect(this, &QComboBox::currentIndexChanged, this, &TColorBox::IndexChanged);
  SetSelected(0);
}

QColor TColorBox::ToQColor(uint32_t colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

uint32_t TColorBox::FromQColor(const QColor& colour) {
  return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
         static_cast<uint32_t>(colour.blue()) << 16;
}

int TColorBox::CustomIndex() const { return count() > NamedCount + 1 ? NamedCount : -1; }

void TColorBox::SetSelected(uint32_t colour) {
  colour &= 0xFFFFFF;
  Selected = colour;
  for (int i = 0; i < NamedCount; ++i) {
    if (NamedColors[i].Color == colour) {
      if (CustomIndex() >= 0) {
        Updating = true;
        removeItem(CustomIndex());
        Updating = false;
      }
      SelectIndex(i);
      return;
    }
  }
  ShowCustom(colour);
}

void TColorBox::ShowCustom(uint32_t colour) {
  Updating = true;
  if (CustomIndex() < 0) insertItem(NamedCount, QString());
  setItemIcon(NamedCount, Swatch(colour));
  setItemText(NamedCount, HexText(colour));
  setItemData(NamedCount, QVariant::fromValue(colour));
  Updating = false;
  SelectIndex(NamedCount);
}

void TColorBox::SelectIndex(int index) {
  Updating = true;
  setCurrentIndex(index);
  Updating = false;
  LastIndex = index;
}

void TColorBox::IndexChanged(int index) {
  if (Updating || index < 0) return;
  if (index == PickerIndex()) {
    const std::optional<uint32_t> picked =
        TPrompter::Current().PickColor(Selected, PickerTitle);
    if (!picked) {
      SelectIndex(LastIndex);
      return;
    }
    SetSelected(*picked);
  } else {
    Selected = itemData(index).value<uint32_t>();
    LastIndex = index;
  }
  emit Changed(Selected);
}
