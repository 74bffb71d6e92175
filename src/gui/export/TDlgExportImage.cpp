#include "gui/export/TDlgExportImage.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/unitIntegerPosMore.h"
#include "gui/dialogs/dialogwidgets.h"

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

  // A caption and the edit it names, in one row.
  auto sizeRow = [this](const char* label, const char* caption, const char* edit, int y,
                        QLabel*& lbl, QLineEdit*& field) {
    lbl = MakeLabel(this, label, caption, 20, y + 2);
    field = new QLineEdit(this);
    field->setObjectName(QLatin1String(edit));
    field->setGeometry(84, y, 90, 21);
    lbl->setBuddy(field);
  };
  sizeRow("lblWidth", "&Width:", "editWidth", 20, lblWidth, editWidth);
  sizeRow("lblHeight", "&Height:", "editHeight", 48, lblHeight, editHeight);
  btnWindowSize = MakeTextButton(this, "btnWindowSize", "< Window", QRect(186, 32, 80, 25));

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
