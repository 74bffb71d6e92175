#include "gui/TDlgExportImage.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/unitIntegerPosMore.h"

namespace {

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

  lblWidth = new QLabel(QStringLiteral("&Width:"), this);
  lblWidth->setObjectName(QStringLiteral("lblWidth"));
  lblWidth->setGeometry(20, 22, 60, 17);
  editWidth = new QLineEdit(this);
  editWidth->setObjectName(QStringLiteral("editWidth"));
  editWidth->setGeometry(84, 20, 90, 21);
  lblWidth->setBuddy(editWidth);

  lblHeight = new QLabel(QStringLiteral("&Height:"), this);
  lblHeight->setObjectName(QStringLiteral("lblHeight"));
  lblHeight->setGeometry(20, 50, 60, 17);
  editHeight = new QLineEdit(this);
  editHeight->setObjectName(QStringLiteral("editHeight"));
  editHeight->setGeometry(84, 48, 90, 21);
  lblHeight->setBuddy(editHeight);

  btnWindowSize = new QPushButton(QStringLiteral("< Window"), this);
  btnWindowSize->setObjectName(QStringLiteral("btnWindowSize"));
  btnWindowSize->setGeometry(186, 32, 80, 25);

  chkOrbitPoints = new QCheckBox(QStringLiteral("Include orbit points"), this);
  chkOrbitPoints->setObjectName(QStringLiteral("chkOrbitPoints"));
  chkOrbitPoints->setGeometry(20, 80, 270, 20);
  chkOrbitPoints->setChecked(hasOrbits);
  chkOrbitPoints->setEnabled(hasOrbits);

  OKBtn->move(79, 120);
  CancelBtn->move(159, 120);

  editWidth->setText(SizeText(viewWidth));
  editHeight->setText(SizeText(viewHeight));
  editWidth->selectAll();
  editWidth->setFocus();
  connect(btnWindowSize, &QPushButton::clicked, this, [this] { btnWindowSizeClick(); });
  setTabOrder(editWidth, editHeight);
  setTabOrder(editHeight, btnWindowSize);
  setTabOrder(btnWindowSize, chkOrbitPoints);
  setTabOrder(chkOrbitPoints, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
}

void TDlgExportImage::btnWindowSizeClick() {
  editWidth->setText(SizeText(ViewWidth));
  editHeight->setText(SizeText(ViewHeight));
}

void TDlgExportImage::OKBtnClick() {
  bool& ok = Accepted;
  unitIntegerPosMore width;
  unitIntegerPosMore height;
  width.Check(ok, editWidth->text().trimmed().toStdString(), "Width");
  height.Check(ok, editHeight->text().trimmed().toStdString(), "Height");
  if (!ok) return;
  ImageWidth = width.GetInt();
  ImageHeight = height.GetInt();
  IncludeOrbits = chkOrbitPoints->isChecked();
}

bool TDlgExportImage::CanClose(int) {
  if (!Accepted) {
    Accepted = true;
    return false;
  }
  return true;
}
