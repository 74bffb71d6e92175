#include "gui/TDlgRegisterWave.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/assertions.h"
#include "document/TUnit.h"
#include "document/windowname.h"
#include "gui/TMainForm.h"
#include "gui/helpcontexts.h"

TDlgRegisterWave::TDlgRegisterWave(QWidget* parent, const std::string& currentName)
    : TOKHelpBottomDlg(parent), ResultName(currentName) {
  setObjectName(QStringLiteral("DlgRegisterWave"));
  setWindowTitle(QStringLiteral("Register"));
  HelpContext = HelpContext::Register;
  SetClientSize(315, 121);
  Bevel1->setGeometry(8, 8, 297, 65);
  lblName = new QLabel(QStringLiteral("Name:"), this);
  lblName->setObjectName(QStringLiteral("lblName"));
  lblName->move(16, 16);
  EditName = new QLineEdit(this);
  EditName->setObjectName(QStringLiteral("EditName"));
  EditName->setGeometry(16, 40, 281, 21);
  EditName->setMaxLength(NameMaxLength);
  lblName->setBuddy(EditName);
  OKBtn->move(70, 84);
  CancelBtn->move(150, 84);
  HelpBtn->move(230, 84);
  setTabOrder(EditName, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
  setTabOrder(CancelBtn, HelpBtn);
}

void TDlgRegisterWave::showEvent(QShowEvent* event) {
  EvOnShow();
  TOKHelpBottomDlg::showEvent(event);
}

void TDlgRegisterWave::EvOnShow() {
  EditName->setText(QString::fromStdString(ResultName));
  EditName->selectAll();
  EditName->setFocus();
  Accepted = true;
}

void TDlgRegisterWave::OKBtnClick() {
  TMainForm* form = TMainForm::Instance();
  TUnit* unit = form ? form->ActiveUnit() : nullptr;
  ZASSERT_TEXT(unit != nullptr, "unit != NULL");
  // The name field's rule: no blanks at either end; an empty name is no name.
  ResultName = WindowNameFromText(EditName->text().toStdString());
  if (!form->RegisterName(ResultName, unit)) Accepted = false;
}

bool TDlgRegisterWave::CanClose(int) {
  if (!Accepted) {
    Accepted = true;
    return false;
  }
  return true;
}
