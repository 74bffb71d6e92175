#include "gui/dialogs/TDlgVoldViewProps.h"

#include <algorithm>
#include <memory>

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "gui/dialogs/TColorBox.h"
#include "gui/dialogs/TDlgColorPalette1D.h"
#include "gui/dialogs/dialogwidgets.h"
#include "gui/help/helpcontexts.h"

namespace {

using K = TControlKind;
using TRow = TControlRow<TDlgVoldViewProps>;

// Every control, in the order it is made; the rows of a group follow the group. The
// sensitivity items are the TSensitivity values in order.
const TRow Controls[] = {
    {K::Label, "Label2", nullptr, {16, 14, 0, 0}, "Outside", &TDlgVoldViewProps::Label2},
    {K::Group, "rgrSensitivityOutside", nullptr, {16, 32, 176, 114}, "Sensitivity",
     &TDlgVoldViewProps::rgrSensitivityOutside},
    {K::Radio, nullptr, "rgrSensitivityOutside", {10, 22, 0, 0}, "Low (Kwadratic)"},
    {K::Radio, nullptr, "rgrSensitivityOutside", {10, 44, 0, 0}, "Normal (Linear)"},
    {K::Radio, nullptr, "rgrSensitivityOutside", {10, 66, 0, 0}, "High (Square root)"},
    {K::Radio, nullptr, "rgrSensitivityOutside", {10, 88, 0, 0}, "Very High (Fourth root)"},
    {K::Label, "lblStrengthOutside", nullptr, {16, 155, 0, 0}, "Strength",
     &TDlgVoldViewProps::lblStrengthOutside},
    {K::Edit, "editStrengthOutside", nullptr, {72, 152, 100, 21}, nullptr,
     &TDlgVoldViewProps::editStrengthOutside},
    {K::Radio, "optDepthPaletteOutside", nullptr, {204, 36, 0, 0}, "Use Palette",
     &TDlgVoldViewProps::optDepthPaletteOutside},
    {K::Button, "btnDepthColorPaletteOutside", nullptr, {0, 32, 79, 25}, "Edit Palette...",
     &TDlgVoldViewProps::btnDepthColorPaletteOutside},
    {K::Radio, "optDepthMixOutside", nullptr, {204, 72, 0, 0}, "Mix Colors:",
     &TDlgVoldViewProps::optDepthMixOutside},
    {K::Label, "Label1", nullptr, {212, 103, 0, 0}, "Background", &TDlgVoldViewProps::Label1},
    {K::ColorBox, "colbBackgroundOutside", nullptr, {284, 100, 105, 22}, nullptr,
     &TDlgVoldViewProps::colbBackgroundOutside},
    {K::Label, "Label3", nullptr, {212, 131, 0, 0}, "Foreground", &TDlgVoldViewProps::Label3},
    {K::ColorBox, "colbForegroundOutside", nullptr, {284, 128, 105, 22}, nullptr,
     &TDlgVoldViewProps::colbForegroundOutside},

    {K::Group, "grpInside", nullptr, {8, 190, 389, 306}, "Inside", &TDlgVoldViewProps::grpInside},
    {K::Group, "rgrSensitivityInside", "grpInside", {8, 20, 168, 114}, "Sensitivity",
     &TDlgVoldViewProps::rgrSensitivityInside},
    {K::Radio, nullptr, "rgrSensitivityInside", {10, 22, 0, 0}, "Low (Kwadratic)"},
    {K::Radio, nullptr, "rgrSensitivityInside", {10, 44, 0, 0}, "Normal (Linear)"},
    {K::Radio, nullptr, "rgrSensitivityInside", {10, 66, 0, 0}, "High (Square root)"},
    {K::Radio, nullptr, "rgrSensitivityInside", {10, 88, 0, 0}, "Very High (Fourth root)"},
    {K::Label, "lblStrengthInside", "grpInside", {8, 147, 0, 0}, "Strength",
     &TDlgVoldViewProps::lblStrengthInside},
    {K::Edit, "editStrengthInside", "grpInside", {64, 144, 100, 21}, nullptr,
     &TDlgVoldViewProps::editStrengthInside},
    {K::Group, "grpDepthColor", "grpInside", {182, 16, 199, 284}, "Depth Color",
     &TDlgVoldViewProps::grpDepthColor},
    {K::Radio, "optDepthPaletteInside", "grpDepthColor", {8, 24, 0, 0}, "Use Palette",
     &TDlgVoldViewProps::optDepthPaletteInside},
    {K::Button, "btnDepthPaletteInside", "grpDepthColor", {0, 20, 79, 25}, "Edit Palette...",
     &TDlgVoldViewProps::btnDepthPaletteInside},
    {K::Radio, "optDepthMixInside", "grpDepthColor", {8, 52, 0, 0}, "Mix Colors:",
     &TDlgVoldViewProps::optDepthMixInside},
    {K::Group, "grpBackgroundInsideColor", "grpDepthColor", {8, 74, 183, 100}, "Background Color",
     &TDlgVoldViewProps::grpBackgroundInsideColor},
    {K::Radio, "optBackgroundPaletteInside", "grpBackgroundInsideColor",
     {8, 22, 0, 0}, "Use Palette", &TDlgVoldViewProps::optBackgroundPaletteInside},
    {K::Button, "btnBackgroundPaletteInside", "grpBackgroundInsideColor",
     {28, 44, 79, 25}, "Edit Palette...", &TDlgVoldViewProps::btnBackgroundPaletteInside},
    {K::Radio, "optBackgroundInside", "grpBackgroundInsideColor", {8, 75, 0, 0}, "",
     &TDlgVoldViewProps::optBackgroundInside},
    {K::ColorBox, "colbBackgroundInside", "grpBackgroundInsideColor", {28, 72, 147, 22}, nullptr,
     &TDlgVoldViewProps::colbBackgroundInside},
    {K::Group, "grpForegroundInsideColor", "grpDepthColor", {8, 178, 183, 100}, "Foreground Color",
     &TDlgVoldViewProps::grpForegroundInsideColor},
    {K::Radio, "optForegroundPaletteInside", "grpForegroundInsideColor",
     {8, 22, 0, 0}, "Use Palette", &TDlgVoldViewProps::optForegroundPaletteInside},
    {K::Button, "btnForegroundPaletteInside", "grpForegroundInsideColor",
     {28, 44, 79, 25}, "Edit Palette...", &TDlgVoldViewProps::btnForegroundPaletteInside},
    {K::Radio, "optForegroundInside", "grpForegroundInsideColor", {8, 75, 0, 0}, "",
     &TDlgVoldViewProps::optForegroundInside},
    {K::ColorBox, "colbForegroundInside", "grpForegroundInsideColor", {28, 72, 147, 22}, nullptr,
     &TDlgVoldViewProps::colbForegroundInside},

    {K::Group, "grpColors", nullptr, {8, 498, 180, 45}, "Colors", &TDlgVoldViewProps::grpColors},
    {K::Label, "lblBackground", "grpColors", {8, 22, 0, 0}, "Max Depth",
     &TDlgVoldViewProps::lblBackground},
    {K::ColorBox, "colbMaxDepth", "grpColors", {78, 18, 94, 22}, nullptr,
     &TDlgVoldViewProps::colbMaxDepth},
    {K::Label, "lblCursor", nullptr, {198, 519, 0, 0}, "Cursor", &TDlgVoldViewProps::lblCursor},
    {K::ColorBox, "colbCursor", nullptr, {244, 516, 105, 22}, nullptr,
     &TDlgVoldViewProps::colbCursor},
    {K::Check, "chkDefault", nullptr, {362, 518, 0, 0}, "Use As Default",
     &TDlgVoldViewProps::chkDefault},
};

// The "Edit Palette..." buttons do not press on Enter and grow with their caption.
void FitPaletteButton(QPushButton* button) {
  button->setAutoDefault(false);
  button->resize(std::max(button->width(), button->sizeHint().width()), button->height());
}

// The button right of its "Use Palette" option, as far left as the option's text allows.
void PlaceBeside(const QRadioButton* option, QPushButton* button, int right) {
  const int x = std::min(option->x() + option->width() + 4, right - button->width());
  button->move(x, button->y());
}

// The radio items of a group, numbered in order.
QButtonGroup* NumberedItems(QGroupBox* group) {
  auto* items = new QButtonGroup(group);
  int id = 0;
  for (QRadioButton* item : group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
    items->addButton(item, id++);
  return items;
}

// A pair of exclusive options.
void Pair(QObject* owner, QRadioButton* first, QRadioButton* second) {
  auto* pair = new QButtonGroup(owner);
  pair->addButton(first);
  pair->addButton(second);
}

void SelectItem(QButtonGroup* items, int id) {
  if (QAbstractButton* item = items->button(id)) item->setChecked(true);
}

void SelectPair(QRadioButton* usePalette, QRadioButton* partner, bool use) {
  (use ? usePalette : partner)->setChecked(true);
}

}  // namespace

TDlgVoldViewProps::TDlgVoldViewProps(QWidget* parent, TVoldViewProps* defaultRecord,
                                     const TVoldViewProps& current)
    : TOKHelpRightDlg(parent),
      ViewProps(current),
      PalOutside(current.PalOutside),
      PalDepthInside(current.PalDepthInside),
      PalBackgroundInside(current.PalDepthBackgroundInside),
      PalForegroundInside(current.PalDepthForegroundInside),
      DefaultRecord(defaultRecord) {
  setObjectName(QStringLiteral("DlgVoldViewProps"));
  setWindowTitle(QStringLiteral("Color Fractal"));
  HelpContext = HelpContext::ColorFractal;
  SetClientSize(489, 545);
  OKBtn->move(405, 8);
  CancelBtn->move(405, 38);
  HelpBtn->move(405, 68);
  // Outside: the base dialog's bevel frames it.
  Bevel1->setGeometry(8, 8, 389, 176);

  BuildControls(*this, Controls);
  rgrSensitivityOutsideItems = NumberedItems(rgrSensitivityOutside);
  rgrSensitivityInsideItems = NumberedItems(rgrSensitivityInside);
  for (QLineEdit* edit : {editStrengthOutside, editStrengthInside})
    edit->setMaxLength(StrengthMaxLength);
  lblStrengthOutside->setBuddy(editStrengthOutside);
  lblStrengthInside->setBuddy(editStrengthInside);
  for (QPushButton* button : {btnDepthColorPaletteOutside, btnDepthPaletteInside,
                              btnBackgroundPaletteInside, btnForegroundPaletteInside})
    FitPaletteButton(button);
  PlaceBeside(optDepthPaletteOutside, btnDepthColorPaletteOutside, 389);
  PlaceBeside(optDepthPaletteInside, btnDepthPaletteInside, 191);
  Pair(this, optDepthPaletteOutside, optDepthMixOutside);
  Pair(grpDepthColor, optDepthPaletteInside, optDepthMixInside);
  Pair(grpBackgroundInsideColor, optBackgroundPaletteInside, optBackgroundInside);
  Pair(grpForegroundInsideColor, optForegroundPaletteInside, optForegroundInside);

  connect(btnDepthColorPaletteOutside, &QPushButton::clicked, this,
          [this] { btnDepthColorPaletteOutsideClick(); });
  connect(btnDepthPaletteInside, &QPushButton::clicked, this,
          [this] { btnDepthPaletteInsideClick(); });
  connect(btnBackgroundPaletteInside, &QPushButton::clicked, this,
          [this] { btnBackgroundPaletteInsideClick(); });
  connect(btnForegroundPaletteInside, &QPushButton::clicked, this,
          [this] { btnForegroundPaletteInsideClick(); });
}

void TDlgVoldViewProps::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) EnOnShow();
  TOKHelpRightDlg::showEvent(event);
}

void TDlgVoldViewProps::EnOnShow() {
  colbBackgroundOutside->SetSelected(ViewProps.BackgroundColorOutside);
  colbBackgroundInside->SetSelected(ViewProps.ColorBackgroundInside);
  colbForegroundOutside->SetSelected(ViewProps.ForegroundColorOutside);
  colbForegroundInside->SetSelected(ViewProps.ColorForegroundInside);
  colbCursor->SetSelected(ViewProps.CursorColor);
  colbMaxDepth->SetSelected(ViewProps.MaxDepthColor);
  SelectPair(optDepthPaletteOutside, optDepthMixOutside, ViewProps.UsePalOutside);
  SelectPair(optDepthPaletteInside, optDepthMixInside, ViewProps.UsePalDepthInside);
  SelectPair(optForegroundPaletteInside, optForegroundInside,
             ViewProps.UsePalDepthForegroundInside);
  SelectPair(optBackgroundPaletteInside, optBackgroundInside,
             ViewProps.UsePalDepthBackgroundInside);
  editStrengthOutside->setText(QString::fromStdString(ViewProps.StrengthOutside.GetText()));
  editStrengthInside->setText(QString::fromStdString(ViewProps.StrengthInside.GetText()));
  SelectItem(rgrSensitivityOutsideItems, ViewProps.SensOutside);
  SelectItem(rgrSensitivityInsideItems, ViewProps.SensInside);
}

void TDlgVoldViewProps::OKBtnClick() {
  ViewProps.BackgroundColorOutside = colbBackgroundOutside->GetSelected();
  ViewProps.ColorBackgroundInside = colbBackgroundInside->GetSelected();
  ViewProps.ForegroundColorOutside = colbForegroundOutside->GetSelected();
  ViewProps.ColorForegroundInside = colbForegroundInside->GetSelected();
  ViewProps.CursorColor = colbCursor->GetSelected();
  ViewProps.MaxDepthColor = colbMaxDepth->GetSelected();

  if (const int id = rgrSensitivityOutsideItems->checkedId(); id >= 0)
    ViewProps.SensOutside = static_cast<TSensitivity>(id);
  if (const int id = rgrSensitivityInsideItems->checkedId(); id >= 0)
    ViewProps.SensInside = static_cast<TSensitivity>(id);

  // Check does nothing once the flag is clear: only the first bad strength is reported.
  bool ok = true;
  ViewProps.StrengthOutside.Check(ok, editStrengthOutside->text().toStdString(),
                                  "Strength Outside");
  ViewProps.StrengthInside.Check(ok, editStrengthInside->text().toStdString(),
                                 "Strength Inside");

  ViewProps.PalOutside = PalOutside;
  ViewProps.UsePalOutside = optDepthPaletteOutside->isChecked();
  ViewProps.PalDepthInside = PalDepthInside;
  ViewProps.UsePalDepthInside = optDepthPaletteInside->isChecked();
  ViewProps.PalDepthBackgroundInside = PalBackgroundInside;
  ViewProps.UsePalDepthBackgroundInside = optBackgroundPaletteInside->isChecked();
  ViewProps.PalDepthForegroundInside = PalForegroundInside;
  ViewProps.UsePalDepthForegroundInside = optForegroundPaletteInside->isChecked();

  if (!ok) {
    RefuseCloseOnce();
  } else if (chkDefault->isChecked() && DefaultRecord) {
    *DefaultRecord = ViewProps;
  }
}

void TDlgVoldViewProps::EditPalette(TColorPalette1DItem& palette, QRadioButton* usePalette) {
  // Deleted with this function, before the caller continues.
  auto editor = std::make_unique<TDlgColorPalette1D>(this, palette);
  if (editor->exec() != QDialog::Accepted) return;
  usePalette->setChecked(true);
  palette = *editor->GetPalette();
}

void TDlgVoldViewProps::btnDepthColorPaletteOutsideClick() {
  EditPalette(PalOutside, optDepthPaletteOutside);
}

void TDlgVoldViewProps::btnDepthPaletteInsideClick() {
  EditPalette(PalDepthInside, optDepthPaletteInside);
}

void TDlgVoldViewProps::btnBackgroundPaletteInsideClick() {
  EditPalette(PalBackgroundInside, optBackgroundPaletteInside);
}

void TDlgVoldViewProps::btnForegroundPaletteInsideClick() {
  EditPalette(PalForegroundInside, optForegroundPaletteInside);
}
