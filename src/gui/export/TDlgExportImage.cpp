#include "gui/export/TDlgExportImage.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/unitIntegerPosMore.h"
#include "gui/dialogs/dialogwidgets.h"

namespace {

using K = TControlKind;
using D = TDlgExportImage;

const TControlRow<D> Controls[] = {
    {K::Label, "lblWidth", nullptr, {20, 22, 0, 0}, "&Width:", &D::lblWidth},
    {K::Edit, "editWidth", nullptr, {84, 20, 90, 21}, nullptr, &D::editWidth},
    {K::Label, "lblHeight", nullptr, {20, 50, 0, 0}, "&Height:", &D::lblHeight},
    {K::Edit, "editHeight", nullptr, {84, 48, 90, 21}, nullptr, &D::editHeight},
    {K::Button, "btnWindowSize", nullptr, {186, 32, 80, 25}, "< Window", &D::btnWindowSize},
    {K::Check, "chkOrbitPoints", nullptr, {20, 80, 270, 20}, "Include orbit points",
     &D::chkOrbitPoints},
};

QString SizeText(int pixels) {
  return QString::fromStdString(unitIntegerPosMore(pixels).GetText());
}

}  // namespace

TDlgExportImage::TDlgExportImage(QWidget* parent, int viewWidth, int viewHeight,
                                 bool hasOrbits)
    : TOKBottomDlg(parent),
      ViewWidth(viewWidth),
      ViewHeight(viewHeight),
      ImageWidth(viewWidth),
      ImageHeight(viewHeight),
      IncludeOrbits(hasOrbits) {
  setObjectName(QStringLiteral("DlgExportImage"));
  setWindowTitle(QStringLiteral("Export Image"));
  SetClientSize(313, 154);
  Bevel1->setGeometry(8, 8, 297, 101);

  BuildControls(*this, Controls);
  lblWidth->setBuddy(editWidth);
  lblHeight->setBuddy(editHeight);
  chkOrbitPoints->setChecked(hasOrbits);
  chkOrbitPoints->setEnabled(hasOrbits);

  OKBtn->move(79, 120);
  CancelBtn->move(159, 120);

  editWidth->setText(SizeText(viewWidth));
  editHeight->setText(SizeText(viewHeight));
  editWidth->selectAll();
  editWidth->setFocus();
  connect(btnWindowSize, &QPushButton::clicked, this, [this] { btnWindowSizeClick(); });
  SetTabOrder({editWidth, editHeight, btnWindowSize, chkOrbitPoints, OKBtn, CancelBtn});
}

void TDlgExportImage::btnWindowSizeClick() {
  editWidth->setText(SizeText(ViewWidth));
  editHeight->setText(SizeText(ViewHeight));
}

bool TDlgExportImage::ReadSize() {
  bool ok = true;
  unitIntegerPosMore width;
  unitIntegerPosMore height;
  width.Check(ok, editWidth->text().trimmed().toStdString(), "Width");
  height.Check(ok, editHeight->text().trimmed().toStdString(), "Height");
  if (!ok) return false;
  ImageWidth = width.GetInt();
  ImageHeight = height.GetInt();
  IncludeOrbits = chkOrbitPoints->isChecked();
  return true;
}

bool TDlgExportImage::CanClose(int result) { return result != QDialog::Accepted || ReadSize(); }
