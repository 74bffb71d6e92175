#include "gui/dialogs/dialogwidgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "gui/dialogs/TColorBox.h"

QWidget* MakeControl(QWidget* parent, TControlKind kind, const char* name, QRect at,
                     const char* caption) {
  const QString text = caption ? QString::fromLatin1(caption) : QString();
  QWidget* control = nullptr;
  switch (kind) {
    case TControlKind::Label: control = new QLabel(text, parent); break;
    case TControlKind::Group: control = new QGroupBox(text, parent); break;
    case TControlKind::Edit: control = new QLineEdit(parent); break;
    case TControlKind::Button: control = new QPushButton(text, parent); break;
    case TControlKind::Check: control = new QCheckBox(text, parent); break;
    case TControlKind::Radio: control = new QRadioButton(text, parent); break;
    case TControlKind::ColorBox: control = new TColorBox(parent); break;
    case TControlKind::List: control = new QListWidget(parent); break;
  }
  if (name) control->setObjectName(QString::fromLatin1(name));
  if (at.isEmpty()) {
    control->move(at.topLeft());
    control->adjustSize();
  } else {
    control->setGeometry(at);
  }
  return control;
}

void SetTabOrder(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}
