#include "gui/dialogs/TDlgRegisterWave.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/assertions.h"
#include "document/TUnit.h"
#include "document/windowname.h"
#include "gui/dialogs/dialogwidgets.h"
#include "gui/help/helpcontexts.h"

namespace {

using K = TControlKind;
using D = TDlgRegisterWave;

const TControlRow<D> Controls[] = {
    {K::Label, "lblName", nullptr, {16, 16, 0, 0}, "Name:", &D::lblName},
    {K::Edit, "EditName", nullptr, {16, 40, 281, 21}, nullptr, &D::EditName},
};

}  // namespace

TDlgRegisterWave::TDlgRegisterWave(QWidget* parent, const std::string& currentName,
                                   TNameCheck nameCheck)
    : TOKHelpBottomDlg(parent), NameCheck(std::move(nameCheck)), ResultName(currentName) {
  setObjectName(QStringLiteral("DlgRegisterWave"));
  setWindowTitle(QStringLiteral("Register"));
  HelpContext = HelpContext::Register;
  SetClientSize(315, 121);
  Bevel1->setGeometry(8, 8, 297, 65);
  BuildControls(*this, Controls);
  EditName->setMaxLength(NameMaxLength);
  lblName->setBuddy(EditName);
  OKBtn->move(70, 84);
  CancelBtn->move(150, 84);
  HelpBtn->move(230, 84);
  SetTabOrder({EditName, OKBtn, CancelBtn, HelpBtn});
}

void TDlgRegisterWave::showEvent(QShowEvent* event) {
  EvOnShow();
  TOKHelpBottomDlg::showEvent(event);
}

void TDlgRegisterWave::EvOnShow() {
  EditName->setText(QString::fromStdString(ResultName));
  EditName->selectAll();
  EditName->setFocus();
}

void TDlgRegisterWave::OKBtnClick() {
  // The name field's rule: no blanks at either end; an empty name is no name.
  ResultName = WindowNameFromText(EditName->text().toStdString());
  if (NameCheck && !NameCheck(ResultName)) RefuseCloseOnce();
}
