#pragma once
#include "gui/dialogs/TOKHelpRightDlg.h"

/// A selection dialog that the program creates at start and never shows.
class TDlgSelZoom : public TOKHelpRightDlg {
  Q_OBJECT
public:
  explicit TDlgSelZoom(QWidget* parent = nullptr);
};
