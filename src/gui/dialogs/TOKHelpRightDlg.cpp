#include "gui/dialogs/TOKHelpRightDlg.h"

#include <QPushButton>

TOKHelpRightDlg::TOKHelpRightDlg(QWidget* parent) : TOKRightDlg(parent) {
  HelpBtn = new QPushButton(QStringLiteral("&Help"), this);
  HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
  HelpBtn->setGeometry(300, 68, 75, 25);
  HelpBtn->setAutoDefault(false);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}
