#include "gui/dialogs/TOKBottomDlg.h"

#include <QFrame>
#include <QPushButton>

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : TOKDialog(parent) {
  SetClientSize(313, 214);
  Bevel1->setGeometry(8, 8, 297, 161);
  OKBtn->setGeometry(79, 180, 75, 25);
  CancelBtn->setGeometry(159, 180, 75, 25);
}
