#include "gui/dialogs/TOKHelpBottomDlg.h"

#include <QPushButton>

TOKHelpBottomDlg::TOKHelpBottomDlg(QWidget* parent) : TOKBottomDlg(parent) {
  OKBtn->move(70, 180);
  CancelBtn->move(150, 180);
  HelpBtn = new QPushButton(QStringLiteral("&Help"), this);
  HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
  HelpBtn->setGeometry(230, 180, 75, 25);
  HelpBtn->setAutoDefault(false);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { HelpBtnClick(); });
}
