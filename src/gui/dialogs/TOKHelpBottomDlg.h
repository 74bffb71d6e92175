#pragma once
#include "gui/dialogs/TOKBottomDlg.h"

/// TOKBottomDlg with OK moved to x 70, Cancel to x 150 and a Help button at (230, 180) that
/// shows the dialog's help topic.
class TOKHelpBottomDlg : public TOKBottomDlg {
  Q_OBJECT
public:
  explicit TOKHelpBottomDlg(QWidget* parent = nullptr);
  QPushButton* HelpBtn = nullptr;
  /// Shows the help topic of the dialog.
  void HelpBtnClick() { FormHelp(); }
};
