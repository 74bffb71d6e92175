#pragma once
#include <span>
#include <variant>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include "core/assertions.h"
#include "gui/dialogs/TColorBox.h"

// The controls of a dialog, described as one table that its constructor walks. Each control is
// owned by its parent; its name is the object name tests and the help find it by.

/// What a row of a dialog's table makes.
enum class TControlKind { Label, Group, Edit, Button, Check, Radio, ColorBox, List };

/// The member of `TDialog` that keeps a control of the table; std::monostate for none.
template <class TDialog>
using TControlSlot =
    std::variant<std::monostate, QLabel* TDialog::*, QGroupBox* TDialog::*,
                 QLineEdit* TDialog::*, QPushButton* TDialog::*, QCheckBox* TDialog::*,
                 QRadioButton* TDialog::*, TColorBox* TDialog::*, QListWidget* TDialog::*>;

/// One control of a dialog.
template <class TDialog>
struct TControlRow {
  TControlKind Kind;
  /// Object name; nullptr for none.
  const char* Name;
  /// Object name of the group (made by an earlier row) it lies in; nullptr for the dialog.
  const char* Parent;
  /// Place in its parent, pixels. Without a size: its top left corner, sized to its caption.
  QRect At;
  /// Caption (Latin-1); nullptr for none.
  const char* Caption;
  /// Where the dialog keeps the control.
  TControlSlot<TDialog> Slot = {};
};

/// A control of `kind` in `parent`, placed and captioned as a table row says.
QWidget* MakeControl(QWidget* parent, TControlKind kind, const char* name, QRect at,
                     const char* caption);

/// Makes the controls of `rows` in order, each in the dialog or in the group an earlier row
/// made, and stores them in their slots. A slot whose type does not fit the kind is a
/// programming error.
template <class TDialog>
void BuildControls(TDialog& dialog, std::span<const TControlRow<TDialog>> rows) {
  for (const TControlRow<TDialog>& row : rows) {
    QWidget* parent = &dialog;
    if (row.Parent != nullptr) {
      parent = dialog.template findChild<QWidget*>(QString::fromLatin1(row.Parent));
      ZASSERT_TEXT(parent != nullptr, "the parent row comes first");
    }
    QWidget* control = MakeControl(parent, row.Kind, row.Name, row.At, row.Caption);
    std::visit(
        [&](auto slot) {
          if constexpr (!std::is_same_v<decltype(slot), std::monostate>) {
            using TControl = std::remove_pointer_t<std::remove_reference_t<decltype(dialog.*slot)>>;
            auto* typed = qobject_cast<TControl*>(control);
            ZASSERT_TEXT(typed != nullptr, "the slot fits the kind");
            dialog.*slot = typed;
          }
        },
        row.Slot);
  }
}

/// BuildControls for a table of fixed size.
template <class TDialog, size_t N>
void BuildControls(TDialog& dialog, const TControlRow<TDialog> (&rows)[N]) {
  BuildControls(dialog, std::span<const TControlRow<TDialog>>(rows, N));
}

/// Chains the focus from each widget to the next, in the order given.
void SetTabOrder(std::initializer_list<QWidget*> widgets);
