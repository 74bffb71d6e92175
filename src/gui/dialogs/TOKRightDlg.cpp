#include "gui/dialogs/TOKRightDlg.h"

#include <QFrame>
#include <QPushButton>

TOKRightDlg::TOKRightDlg(QWidget* parent) : TOKDialog(parent) {
  SetClientSize(384, 179);
  Bevel1->setGeometry(8, 8, 281, 161);
  OKBtn->setGeometry(300, 8, 75, 25);
  CancelBtn->setGeometry(300, 38, 75, 25);
}
