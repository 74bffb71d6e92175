#include "gui/dialogs/TDlgFractal.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "core/unitInteger.h"
#include "gui/dialogs/dialogwidgets.h"
#include "gui/dialogs/guialg.h"
#include "gui/help/helpcontexts.h"

namespace {

QString Text(const unit& value) { return QString::fromStdString(value.GetText()); }

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

TDlgFractal::TDlgFractal(QWidget* parent, int viewHeight, int viewWidth,
                         TFractProps* defaultRecord, const TFractProps& current)
    : TOKHelpBottomDlg(parent),
      FractProps(current),
      DefaultRecord(defaultRecord),
      ViewHeight(viewHeight),
      ViewWidth(viewWidth) {
  setObjectName(QStringLiteral("DlgFractal"));
  setWindowTitle(QStringLiteral("Fractal"));
  HelpContext = HelpContext::Fractal;
  SetClientSize(667, 458);
  Bevel1->setGeometry(8, 8, 651, 404);
  OKBtn->move(14, 420);
  CancelBtn->move(94, 420);
  HelpBtn->move(174, 420);

  MakeLabel(this, nullptr, "Formula", 16, 16);
  lstFormulas = new QListWidget(this);
  lstFormulas->setObjectName(QStringLiteral("lstFormulas"));
  lstFormulas->setGeometry(16, 34, 232, 234);
  for (const TFormulaName& formula : TFractProps::FormulaNames)
    lstFormulas->addItem(QString::fromLatin1(formula.DisplayText));

  rgrCont = MakeGroup(this, "rgrCont", "Colors", QRect(16, 278, 232, 84));
  rgrContItems = new QButtonGroup(rgrCont);
  const char* const contItems[] = {"Continue", "Discontinue"};
  for (int i = 0; i < 2; ++i) {
    auto* item = new QRadioButton(QString::fromLatin1(contItems[i]), rgrCont);
    item->move(12, 24 + 26 * i);
    item->adjustSize();
    rgrContItems->addButton(item, i);
  }
  editCont = AddEdit(rgrCont, "editCont", QRect(120, 49, 100, 21));

  grpSelection = MakeGroup(this, "grpSelection", "Map to Field", QRect(256, 16, 395, 90));
  MakeLabel(grpSelection, nullptr, "Real", 52, 18);
  MakeLabel(grpSelection, nullptr, "Imaginair", 240, 18);
  MakeLabel(grpSelection, nullptr, "Left", 10, 39);
  editSelLeft = AddEdit(grpSelection, "editSelLeft", QRect(52, 36, 130, 21));
  MakeLabel(grpSelection, nullptr, "Right", 10, 63);
  editSelRight = AddEdit(grpSelection, "editSelRight", QRect(52, 60, 130, 21));
  MakeLabel(grpSelection, nullptr, "Top", 190, 39);
  editSelTop = AddEdit(grpSelection, "editSelTop", QRect(240, 36, 140, 21));
  MakeLabel(grpSelection, nullptr, "Bottom", 190, 63);
  editSelBottom = AddEdit(grpSelection, "editSelBottom", QRect(240, 60, 140, 21));

  grpResolution = MakeGroup(this, "grpResolution", "Resolution", QRect(256, 112, 395, 58));
  MakeLabel(grpResolution, nullptr, "Horizontal", 10, 27);
  editHorizontal = AddEdit(grpResolution, "editHorizontal", QRect(76, 24, 56, 21));
  editHorizontal->setMaxLength(ResolutionMaxLength);
  btnXResWindow = new QPushButton(QStringLiteral("< Window"), grpResolution);
  btnXResWindow->setObjectName(QStringLiteral("btnXResWindow"));
  btnXResWindow->setGeometry(136, 22, 66, 25);
  MakeLabel(grpResolution, nullptr, "Vertical", 212, 27);
  editVertical = AddEdit(grpResolution, "editVertical", QRect(262, 24, 56, 21));
  editVertical->setMaxLength(ResolutionMaxLength);
  btnYResWindow = new QPushButton(QStringLiteral("< Window"), grpResolution);
  btnYResWindow->setObjectName(QStringLiteral("btnYResWindow"));
  btnYResWindow->setGeometry(322, 22, 66, 25);

  grpParameters = MakeGroup(this, "grpParameters", "Parameters", QRect(256, 176, 395, 146));
  MakeLabel(grpParameters, nullptr, "Real", 40, 18);
  MakeLabel(grpParameters, nullptr, "Imaginair", 180, 18);
  MakeLabel(grpParameters, nullptr, "Map to Field", 318, 18);
  const char* const rows[] = {"Z", "C", "D"};
  QLineEdit** realEdits[] = {&editZR, &editCR, &editDR};
  QLineEdit** imagEdits[] = {&editZI, &editCI, &editDI};
  QRadioButton** options[] = {&optZ, &optC, &optD};
  const char* const realNames[] = {"editZR", "editCR", "editDR"};
  const char* const imagNames[] = {"editZI", "editCI", "editDI"};
  const char* const optionNames[] = {"optZ", "optC", "optD"};
  auto* mapGroup = new QButtonGroup(grpParameters);
  for (int i = 0; i < 3; ++i) {
    const int y = 36 + 26 * i;
    MakeLabel(grpParameters, nullptr, rows[i], 14, y + 3);
    *realEdits[i] = AddEdit(grpParameters, realNames[i], QRect(40, y, 130, 21));
    *imagEdits[i] = AddEdit(grpParameters, imagNames[i], QRect(180, y, 130, 21));
    auto* option = new QRadioButton(grpParameters);
    option->setObjectName(QString::fromLatin1(optionNames[i]));
    option->move(342, y + 2);
    option->adjustSize();
    mapGroup->addButton(option, i);
    *options[i] = option;
    connect(option, &QRadioButton::toggled, this, [this] { ApplyEnabling(); });
  }
  MakeLabel(grpParameters, nullptr, "N", 14, 119);
  editN = AddEdit(grpParameters, "editN", QRect(40, 116, 60, 21));
  MakeLabel(grpParameters, nullptr, "M", 120, 119);
  editM = AddEdit(grpParameters, "editM", QRect(140, 116, 60, 21));

  MakeLabel(this, nullptr, "Max Depth", 264, 335);
  editMaxDepth = AddEdit(this, "editMaxDepth", QRect(356, 332, 90, 21));
  MakeLabel(this, nullptr, "Outer Circle", 458, 335);
  editOuterCircle = AddEdit(this, "editOuterCircle", QRect(581, 332, 70, 21));
  MakeLabel(this, nullptr, "Inner Distance", 264, 361);
  editInnerDist = AddEdit(this, "editInnerDist", QRect(356, 358, 90, 21));
  MakeLabel(this, nullptr, "Max Cycle to Detect", 458, 361);
  editMaxCycleDetect = AddEdit(this, "editMaxCycleDetect", QRect(581, 358, 70, 21));

  chkDefault = new QCheckBox(QStringLiteral("Use As Default"), this);
  chkDefault->setObjectName(QStringLiteral("chkDefault"));
  chkDefault->move(264, 386);
  chkDefault->adjustSize();

  connect(lstFormulas, &QListWidget::currentRowChanged, this, [this] { ApplyEnabling(); });
  connect(btnXResWindow, &QPushButton::clicked, this, [this] { btnXResWindowClick(); });
  connect(btnYResWindow, &QPushButton::clicked, this, [this] { btnYResWindowClick(); });

  setTabOrder(lstFormulas, editSelLeft);
  setTabOrder(editSelLeft, editSelTop);
  setTabOrder(editSelTop, editSelRight);
  setTabOrder(editSelRight, editSelBottom);
  setTabOrder(editSelBottom, editHorizontal);
  setTabOrder(editHorizontal, btnXResWindow);
  setTabOrder(btnXResWindow, editVertical);
  setTabOrder(editVertical, btnYResWindow);
  setTabOrder(btnYResWindow, editZR);
  setTabOrder(editZR, editZI);
  setTabOrder(editZI, optZ);
  setTabOrder(optZ, editCR);
  setTabOrder(editCR, editCI);
  setTabOrder(editCI, editDR);
  setTabOrder(editDR, editDI);
  setTabOrder(editDI, editN);
  setTabOrder(editN, editM);
  setTabOrder(editM, editMaxDepth);
  setTabOrder(editMaxDepth, editOuterCircle);
  setTabOrder(editOuterCircle, editInnerDist);
  setTabOrder(editInnerDist, editMaxCycleDetect);
  setTabOrder(editMaxCycleDetect, chkDefault);
}

QLineEdit* TDlgFractal::AddEdit(QWidget* parent, const char* name, QRect at) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(at);
  return edit;
}

void TDlgFractal::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  TOKHelpBottomDlg::showEvent(event);
}

void TDlgFractal::FormShow() {
  editSelLeft->setText(Text(FractProps.Left));
  editSelRight->setText(Text(FractProps.Right));
  editSelTop->setText(Text(FractProps.Top));
  editSelBottom->setText(Text(FractProps.Bottom));
  editHorizontal->setText(Text(FractProps.XResolution));
  editVertical->setText(Text(FractProps.YResolution));
  editZR->setText(Text(FractProps.ZR));
  editZI->setText(Text(FractProps.ZI));
  editCR->setText(Text(FractProps.CR));
  editCI->setText(Text(FractProps.CI));
  editDR->setText(Text(FractProps.DR));
  editDI->setText(Text(FractProps.DI));
  editN->setText(Text(FractProps.N));
  editM->setText(Text(FractProps.M));
  editMaxDepth->setText(Text(FractProps.MaxDepth));
  editOuterCircle->setText(Text(FractProps.OuterCircle));
  editInnerDist->setText(Text(FractProps.InnerDist));
  editMaxCycleDetect->setText(Text(FractProps.MaxCycle));

  if (QAbstractButton* item = rgrContItems->button(FractProps.ColorMode)) item->setChecked(true);
  lstFormulas->setCurrentRow(FractProps.Formula < TFractProps::FormulaCount ? FractProps.Formula
                                                                            : -1);
  QRadioButton* const options[] = {optZ, optC, optD};
  if (FractProps.MapField < 3) {
    options[FractProps.MapField]->setChecked(true);
  } else {
    // No option fits: show none selected.
    QButtonGroup* group = optZ->group();
    group->setExclusive(false);
    for (QRadioButton* option : options) option->setChecked(false);
    group->setExclusive(true);
  }
  ApplyEnabling();
  editCont->setText(Text(FractProps.Cont));
  Accepted = true;
}

void TDlgFractal::ApplyEnabling() {
  const int f = lstFormulas->currentRow();
  const bool usesD = f >= 0 && f < TFractProps::FormulaCount && TFractProps::FormulaNames[f].UsesD;
  const bool usesN = f >= 0 && f < TFractProps::FormulaCount && TFractProps::FormulaNames[f].UsesN;
  const bool usesM = f >= 0 && f < TFractProps::FormulaCount && TFractProps::FormulaNames[f].UsesM;
  SetEditEnabled(editCR, !optC->isChecked(), false);
  SetEditEnabled(editCI, !optC->isChecked(), false);
  SetEditEnabled(editDR, !optD->isChecked() && usesD, false);
  SetEditEnabled(editDI, !optD->isChecked() && usesD, false);
  SetEditEnabled(editZR, !optZ->isChecked(), false);
  SetEditEnabled(editZI, !optZ->isChecked(), false);
  SetEditEnabled(editN, usesN, false);
  SetEditEnabled(editM, usesM, false);
}

void TDlgFractal::btnXResWindowClick() {
  editHorizontal->setText(Text(unitInteger(ViewWidth, ukNone)));
}

void TDlgFractal::btnYResWindowClick() {
  editVertical->setText(Text(unitInteger(ViewHeight, ukNone)));
}

void TDlgFractal::OKBtnClick() {
  bool& ok = Accepted;
  FractProps.Left.Check(ok, Text(editSelLeft), "Selection Left");
  FractProps.Right.Check(ok, Text(editSelRight), "Selection Right");
  FractProps.Top.Check(ok, Text(editSelTop), "Selection Top");
  FractProps.Bottom.Check(ok, Text(editSelBottom), "Selection Bottom");
  FractProps.XResolution.Check(ok, Text(editHorizontal), "Horizontal Resolution");
  FractProps.YResolution.Check(ok, Text(editVertical), "Vertical Resolution");
  FractProps.CR.Check(ok, Text(editCR), "C Real");
  FractProps.CI.Check(ok, Text(editCI), "C Imaginair");
  FractProps.DR.Check(ok, Text(editDR), "D Real");
  FractProps.DI.Check(ok, Text(editDI), "D Imaginair");
  FractProps.ZR.Check(ok, Text(editZR), "Z Real");
  FractProps.ZI.Check(ok, Text(editZI), "Z Imarigair");
  FractProps.N.Check(ok, Text(editN), "N");
  FractProps.M.Check(ok, Text(editM), "M");
  FractProps.MaxDepth.Check(ok, Text(editMaxDepth), "Max Depth");
  FractProps.OuterCircle.Check(ok, Text(editOuterCircle), "Outer Circle");
  FractProps.InnerDist.Check(ok, Text(editInnerDist), "Inner Distance");
  FractProps.MaxCycle.Check(ok, Text(editMaxCycleDetect), "Max Cycles to Detect");

  // These three cannot be wrong and are taken even after a bad field.
  if (rgrContItems->checkedId() >= 0) FractProps.ColorMode = static_cast<uint8_t>(rgrContItems->checkedId());
  if (optC->isChecked()) {
    FractProps.MapField = TFractProps::MapC;
  } else if (optD->isChecked()) {
    FractProps.MapField = TFractProps::MapD;
  } else {
    // Also with none selected, so that the record always names a field the file can store.
    FractProps.MapField = TFractProps::MapZ;
  }
  const int formula = lstFormulas->currentRow();
  if (formula >= 0 && formula < TFractProps::FormulaCount)
    FractProps.Formula = static_cast<uint8_t>(formula);

  FractProps.Cont.Check(ok, Text(editCont), "Discontinue");

  if (ok && chkDefault->isChecked() && DefaultRecord) *DefaultRecord = FractProps;
}

bool TDlgFractal::CanClose(int) {
  if (!Accepted) {
    Accepted = true;
    return false;
  }
  return true;
}
