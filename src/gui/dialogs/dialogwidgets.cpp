#include "gui/dialogs/dialogwidgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

void Name(QWidget* widget, const char* name) {
  if (name) widget->setObjectName(QString::fromLatin1(name));
}

}  // namespace

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int x, int y) {
  auto* label = new QLabel(QString::fromLatin1(caption), parent);
  Name(label, name);
  label->move(x, y);
  label->adjustSize();
  return label;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* caption, QRect at) {
  auto* group = new QGroupBox(QString::fromLatin1(caption), parent);
  Name(group, name);
  group->setGeometry(at);
  return group;
}

QPushButton* MakeTextButton(QWidget* parent, const char* name, const char* caption, QRect at) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  Name(button, name);
  button->setGeometry(at);
  return button;
}
