#include "gui/dialogs/guialg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

namespace {

// The field background in every colour group, so that the disabled state shows it too.
void SetFieldBackground(QWidget* control, QPalette::ColorRole source) {
  const QPalette standard = QApplication::palette(control);
  const QColor colour = standard.color(QPalette::Active, source);
  QPalette palette = control->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    palette.setColor(group, QPalette::Base, colour);
  control->setPalette(palette);
}

}  // namespace

void EnableEdit(QWidget* control) {
  if (!control) return;
  control->setEnabled(true);
  SetFieldBackground(control, QPalette::Base);
}

void DisableEdit(QWidget* control, bool clearText) {
  if (!control) return;
  if (clearText) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->clear();
  }
  SetFieldBackground(control, QPalette::Button);
  control->setEnabled(false);
}

void SetEditEnabled(QWidget* edit, bool enabled, bool clearText) {
  if (enabled) {
    EnableEdit(edit);
  } else {
    DisableEdit(edit, clearText);
  }
}
