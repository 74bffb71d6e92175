#pragma once
#include "gui/dialogs/TOKRightDlg.h"

/// TOKRightDlg with a Help button at (300, 68) that shows the dialog's help topic.
class TOKHelpRightDlg : public TOKRightDlg {
  Q_OBJECT
public:
  explicit TOKHelpRightDlg(QWidget* parent = nullptr);
  QPushButton* HelpBtn = nullptr;
  /// Shows the help topic of the dialog.
  void HelpBtnClick() { FormHelp(); }
};
