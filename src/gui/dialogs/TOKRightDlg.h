#pragma once
#include "gui/dialogs/TOKDialog.h"

/// OK/Cancel dialog with the buttons on the right: client area 384 x 179, a framed bevel at
/// (8, 8) of 281 x 161, OK at (300, 8) and Cancel at (300, 38), each 75 x 25.
class TOKRightDlg : public TOKDialog {
  Q_OBJECT
public:
  explicit TOKRightDlg(QWidget* parent = nullptr);
};
