#pragma once
#include "gui/dialogs/TOKDialog.h"

/// OK/Cancel dialog with the buttons at the bottom: client area 313 x 214, a framed bevel at
/// (8, 8) of 297 x 161, OK at (79, 180) and Cancel at (159, 180), each 75 x 25.
class TOKBottomDlg : public TOKDialog {
  Q_OBJECT
public:
  explicit TOKBottomDlg(QWidget* parent = nullptr);
};
