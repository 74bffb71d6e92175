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

using K = TControlKind;
using TRow = TControlRow<TDlgFractal>;

// Every control, in the order it is made; the rows of a group follow the group.
const TRow Controls[] = {
    {K::Label, nullptr, nullptr, {16, 16, 0, 0}, "Formula"},
    {K::List, "lstFormulas", nullptr, {16, 34, 232, 234}, nullptr, &TDlgFractal::lstFormulas},
    {K::Group, "rgrCont", nullptr, {16, 278, 232, 84}, "Colors", &TDlgFractal::rgrCont},
    {K::Radio, nullptr, "rgrCont", {12, 24, 0, 0}, "Continue"},
    {K::Radio, nullptr, "rgrCont", {12, 50, 0, 0}, "Discontinue"},
    {K::Edit, "editCont", "rgrCont", {120, 49, 100, 21}, nullptr, &TDlgFractal::editCont},

    {K::Group, "grpSelection", nullptr, {256, 16, 395, 90}, "Map to Field",
     &TDlgFractal::grpSelection},
    {K::Label, nullptr, "grpSelection", {52, 18, 0, 0}, "Real"},
    {K::Label, nullptr, "grpSelection", {240, 18, 0, 0}, "Imaginair"},
    {K::Label, nullptr, "grpSelection", {10, 39, 0, 0}, "Left"},
    {K::Edit, "editSelLeft", "grpSelection", {52, 36, 130, 21}, nullptr,
     &TDlgFractal::editSelLeft},
    {K::Label, nullptr, "grpSelection", {10, 63, 0, 0}, "Right"},
    {K::Edit, "editSelRight", "grpSelection", {52, 60, 130, 21}, nullptr,
     &TDlgFractal::editSelRight},
    {K::Label, nullptr, "grpSelection", {190, 39, 0, 0}, "Top"},
    {K::Edit, "editSelTop", "grpSelection", {240, 36, 140, 21}, nullptr,
     &TDlgFractal::editSelTop},
    {K::Label, nullptr, "grpSelection", {190, 63, 0, 0}, "Bottom"},
    {K::Edit, "editSelBottom", "grpSelection", {240, 60, 140, 21}, nullptr,
     &TDlgFractal::editSelBottom},

    {K::Group, "grpResolution", nullptr, {256, 112, 395, 58}, "Resolution",
     &TDlgFractal::grpResolution},
    {K::Label, nullptr, "grpResolution", {10, 27, 0, 0}, "Horizontal"},
    {K::Edit, "editHorizontal", "grpResolution", {76, 24, 56, 21}, nullptr,
     &TDlgFractal::editHorizontal},
    {K::Button, "btnXResWindow", "grpResolution", {136, 22, 66, 25}, "< Window",
     &TDlgFractal::btnXResWindow},
    {K::Label, nullptr, "grpResolution", {212, 27, 0, 0}, "Vertical"},
    {K::Edit, "editVertical", "grpResolution", {262, 24, 56, 21}, nullptr,
     &TDlgFractal::editVertical},
    {K::Button, "btnYResWindow", "grpResolution", {322, 22, 66, 25}, "< Window",
     &TDlgFractal::btnYResWindow},

    {K::Group, "grpParameters", nullptr, {256, 176, 395, 146}, "Parameters",
     &TDlgFractal::grpParameters},
    {K::Label, nullptr, "grpParameters", {40, 18, 0, 0}, "Real"},
    {K::Label, nullptr, "grpParameters", {180, 18, 0, 0}, "Imaginair"},
    {K::Label, nullptr, "grpParameters", {318, 18, 0, 0}, "Map to Field"},
    {K::Label, nullptr, "grpParameters", {14, 39, 0, 0}, "Z"},
    {K::Edit, "editZR", "grpParameters", {40, 36, 130, 21}, nullptr, &TDlgFractal::editZR},
    {K::Edit, "editZI", "grpParameters", {180, 36, 130, 21}, nullptr, &TDlgFractal::editZI},
    {K::Radio, "optZ", "grpParameters", {342, 38, 0, 0}, nullptr, &TDlgFractal::optZ},
    {K::Label, nullptr, "grpParameters", {14, 65, 0, 0}, "C"},
    {K::Edit, "editCR", "grpParameters", {40, 62, 130, 21}, nullptr, &TDlgFractal::editCR},
    {K::Edit, "editCI", "grpParameters", {180, 62, 130, 21}, nullptr, &TDlgFractal::editCI},
    {K::Radio, "optC", "grpParameters", {342, 64, 0, 0}, nullptr, &TDlgFractal::optC},
    {K::Label, nullptr, "grpParameters", {14, 91, 0, 0}, "D"},
    {K::Edit, "editDR", "grpParameters", {40, 88, 130, 21}, nullptr, &TDlgFractal::editDR},
    {K::Edit, "editDI", "grpParameters", {180, 88, 130, 21}, nullptr, &TDlgFractal::editDI},
    {K::Radio, "optD", "grpParameters", {342, 90, 0, 0}, nullptr, &TDlgFractal::optD},
    {K::Label, nullptr, "grpParameters", {14, 119, 0, 0}, "N"},
    {K::Edit, "editN", "grpParameters", {40, 116, 60, 21}, nullptr, &TDlgFractal::editN},
    {K::Label, nullptr, "grpParameters", {120, 119, 0, 0}, "M"},
    {K::Edit, "editM", "grpParameters", {140, 116, 60, 21}, nullptr, &TDlgFractal::editM},

    {K::Label, nullptr, nullptr, {264, 335, 0, 0}, "Max Depth"},
    {K::Edit, "editMaxDepth", nullptr, {356, 332, 90, 21}, nullptr, &TDlgFractal::editMaxDepth},
    {K::Label, nullptr, nullptr, {458, 335, 0, 0}, "Outer Circle"},
    {K::Edit, "editOuterCircle", nullptr, {581, 332, 70, 21}, nullptr,
     &TDlgFractal::editOuterCircle},
    {K::Label, nullptr, nullptr, {264, 361, 0, 0}, "Inner Distance"},
    {K::Edit, "editInnerDist", nullptr, {356, 358, 90, 21}, nullptr,
     &TDlgFractal::editInnerDist},
    {K::Label, nullptr, nullptr, {458, 361, 0, 0}, "Max Cycle to Detect"},
    {K::Edit, "editMaxCycleDetect", nullptr, {581, 358, 70, 21}, nullptr,
     &TDlgFractal::editMaxCycleDetect},
    {K::Check, "chkDefault", nullptr, {264, 386, 0, 0}, "Use As Default",
     &TDlgFractal::chkDefault},
};

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

  BuildControls(*this, Controls);
  for (const TFormula& formula : Formulas)
    lstFormulas->addItem(QString::fromLatin1(formula.DisplayText));
  rgrContItems = new QButtonGroup(rgrCont);
  int id = 0;
  for (QRadioButton* item : rgrCont->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
    rgrContItems->addButton(item, id++);
  editHorizontal->setMaxLength(ResolutionMaxLength);
  editVertical->setMaxLength(ResolutionMaxLength);
  auto* mapGroup = new QButtonGroup(grpParameters);
  id = 0;
  for (QRadioButton* option : {optZ, optC, optD}) {
    mapGroup->addButton(option, id++);
    connect(option, &QRadioButton::toggled, this, [this] { ApplyEnabling(); });
  }

  connect(lstFormulas, &QListWidget::currentRowChanged, this, [this] { ApplyEnabling(); });
  connect(btnXResWindow, &QPushButton::clicked, this, [this] { btnXResWindowClick(); });
  connect(btnYResWindow, &QPushButton::clicked, this, [this] { btnYResWindowClick(); });

  SetTabOrder({lstFormulas, editSelLeft, editSelTop, editSelRight, editSelBottom, editHorizontal,
               btnXResWindow, editVertical, btnYResWindow, editZR, editZI, optZ, editCR, editCI,
               editDR, editDI, editN, editM, editMaxDepth, editOuterCircle, editInnerDist,
               editMaxCycleDetect, chkDefault});
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
  lstFormulas->setCurrentRow(FractProps.Formula < FormulaCount ? FractProps.Formula
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
}

void TDlgFractal::ApplyEnabling() {
  const int f = lstFormulas->currentRow();
  const bool usesD = f >= 0 && f < FormulaCount && Formulas[f].UsesD;
  const bool usesN = f >= 0 && f < FormulaCount && Formulas[f].UsesN;
  const bool usesM = f >= 0 && f < FormulaCount && Formulas[f].UsesM;
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
  bool ok = true;
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
  if (rgrContItems->checkedId() >= 0)
    FractProps.ColorMode = static_cast<uint8_t>(rgrContItems->checkedId());
  if (optC->isChecked()) {
    FractProps.MapField = TKernelParams::MapC;
  } else if (optD->isChecked()) {
    FractProps.MapField = TKernelParams::MapD;
  } else {
    // Also with none selected, so that the record always names a field the file can store.
    FractProps.MapField = TKernelParams::MapZ;
  }
  const int formula = lstFormulas->currentRow();
  if (formula >= 0 && formula < FormulaCount)
    FractProps.Formula = static_cast<uint8_t>(formula);

  FractProps.Cont.Check(ok, Text(editCont), "Discontinue");

  if (!ok) {
    RefuseCloseOnce();
  } else if (chkDefault->isChecked() && DefaultRecord) {
    *DefaultRecord = FractProps;
  }
}
