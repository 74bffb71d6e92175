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

const char* const SensitivityItems[] = {"Low (Kwadratic)", "Normal (Linear)",
                                        "High (Square root)", "Very High (Fourth root)"};

QRadioButton* Option(QWidget* parent, QButtonGroup* pair, const char* name, const char* caption,
                     int x, int y) {
  auto* option = new QRadioButton(QString::fromLatin1(caption), parent);
  option->setObjectName(QString::fromLatin1(name));
  option->move(x, y);
  option->adjustSize();
  pair->addButton(option);
  return option;
}

QPushButton* EditPaletteButton(QWidget* parent, const char* name, int y) {
  auto* button = new QPushButton(QStringLiteral("Edit Palette..."), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  button->setGeometry(0, y, std::max(79, button->sizeHint().width()), 25);
  return button;
}

// The button right of its "Use Palette" option, as far left as the option's text allows.
void PlaceBeside(const QRadioButton* option, QPushButton* button, int right) {
  const int x = std::min(option->x() + option->width() + 4, right - button->width());
  button->move(x, button->y());
}

TColorBox* ColorBox(QWidget* parent, const char* name, QRect at) {
  auto* box = new TColorBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(at);
  return box;
}

// A radio group of the four sensitivity curves; the item id is the TSensitivity value.
QGroupBox* SensitivityGroup(QWidget* parent, const char* name, QRect at, QButtonGroup*& items) {
  QGroupBox* group = MakeGroup(parent, name, "Sensitivity", at);
  items = new QButtonGroup(group);
  for (int i = 0; i < 4; ++i) {
    auto* item = new QRadioButton(QString::fromLatin1(SensitivityItems[i]), group);
    item->move(10, 22 + 22 * i);
    item->adjustSize();
    items->addButton(item, i);
  }
  return group;
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
  Label2 = MakeLabel(this, "Label2", "Outside", 16, 14);
  rgrSensitivityOutside = SensitivityGroup(this, "rgrSensitivityOutside", QRect(16, 32, 176, 114),
                                           rgrSensitivityOutsideItems);
  lblStrengthOutside = MakeLabel(this, "lblStrengthOutside", "Strength", 16, 155);
  editStrengthOutside = new QLineEdit(this);
  editStrengthOutside->setObjectName(QStringLiteral("editStrengthOutside"));
  editStrengthOutside->setGeometry(72, 152, 100, 21);
  editStrengthOutside->setMaxLength(StrengthMaxLength);
  lblStrengthOutside->setBuddy(editStrengthOutside);
  auto* outsidePair = new QButtonGroup(this);
  optDepthPaletteOutside =
      Option(this, outsidePair, "optDepthPaletteOutside", "Use Palette", 204, 36);
  btnDepthColorPaletteOutside = EditPaletteButton(this, "btnDepthColorPaletteOutside", 32);
  PlaceBeside(optDepthPaletteOutside, btnDepthColorPaletteOutside, 389);
  optDepthMixOutside = Option(this, outsidePair, "optDepthMixOutside", "Mix Colors:", 204, 72);
  Label1 = MakeLabel(this, "Label1", "Background", 212, 103);
  colbBackgroundOutside = ColorBox(this, "colbBackgroundOutside", QRect(284, 100, 105, 22));
  Label3 = MakeLabel(this, "Label3", "Foreground", 212, 131);
  colbForegroundOutside = ColorBox(this, "colbForegroundOutside", QRect(284, 128, 105, 22));

  grpInside = MakeGroup(this, "grpInside", "Inside", QRect(8, 190, 389, 306));
  rgrSensitivityInside = SensitivityGroup(grpInside, "rgrSensitivityInside",
                                          QRect(8, 20, 168, 114), rgrSensitivityInsideItems);
  lblStrengthInside = MakeLabel(grpInside, "lblStrengthInside", "Strength", 8, 147);
  editStrengthInside = new QLineEdit(grpInside);
  editStrengthInside->setObjectName(QStringLiteral("editStrengthInside"));
  editStrengthInside->setGeometry(64, 144, 100, 21);
  editStrengthInside->setMaxLength(StrengthMaxLength);
  lblStrengthInside->setBuddy(editStrengthInside);

  grpDepthColor = MakeGroup(grpInside, "grpDepthColor", "Depth Color", QRect(182, 16, 199, 284));
  auto* depthPair = new QButtonGroup(grpDepthColor);
  optDepthPaletteInside =
      Option(grpDepthColor, depthPair, "optDepthPaletteInside", "Use Palette", 8, 24);
  btnDepthPaletteInside = EditPaletteButton(grpDepthColor, "btnDepthPaletteInside", 20);
  PlaceBeside(optDepthPaletteInside, btnDepthPaletteInside, 191);
  optDepthMixInside = Option(grpDepthColor, depthPair, "optDepthMixInside", "Mix Colors:", 8, 52);

  // The two inside mix colours: "Use Palette" with its button under it, then the plain colour.
  struct TMixColor {
    QGroupBox*& Group;
    const char* GroupName;
    const char* Caption;
    int Top;
    QRadioButton*& UsePalette;
    const char* UsePaletteName;
    QPushButton*& Button;
    const char* ButtonName;
    QRadioButton*& Plain;
    const char* PlainName;
    TColorBox*& Box;
    const char* BoxName;
  };
  const TMixColor mixColors[] = {
      {grpBackgroundInsideColor, "grpBackgroundInsideColor", "Background Color", 74,
       optBackgroundPaletteInside, "optBackgroundPaletteInside", btnBackgroundPaletteInside,
       "btnBackgroundPaletteInside", optBackgroundInside, "optBackgroundInside",
       colbBackgroundInside, "colbBackgroundInside"},
      {grpForegroundInsideColor, "grpForegroundInsideColor", "Foreground Color", 178,
       optForegroundPaletteInside, "optForegroundPaletteInside", btnForegroundPaletteInside,
       "btnForegroundPaletteInside", optForegroundInside, "optForegroundInside",
       colbForegroundInside, "colbForegroundInside"},
  };
  for (const TMixColor& m : mixColors) {
    m.Group = MakeGroup(grpDepthColor, m.GroupName, m.Caption, QRect(8, m.Top, 183, 100));
    auto* pair = new QButtonGroup(m.Group);
    m.UsePalette = Option(m.Group, pair, m.UsePaletteName, "Use Palette", 8, 22);
    m.Button = EditPaletteButton(m.Group, m.ButtonName, 44);
    m.Button->move(28, 44);
    m.Plain = Option(m.Group, pair, m.PlainName, "", 8, 75);
    m.Box = ColorBox(m.Group, m.BoxName, QRect(28, 72, 147, 22));
  }

  grpColors = MakeGroup(this, "grpColors", "Colors", QRect(8, 498, 180, 45));
  lblBackground = MakeLabel(grpColors, "lblBackground", "Max Depth", 8, 22);
  colbMaxDepth = ColorBox(grpColors, "colbMaxDepth", QRect(78, 18, 94, 22));
  lblCursor = MakeLabel(this, "lblCursor", "Cursor", 198, 519);
  colbCursor = ColorBox(this, "colbCursor", QRect(244, 516, 105, 22));
  chkDefault = new QCheckBox(QStringLiteral("Use As Default"), this);
  chkDefault->setObjectName(QStringLiteral("chkDefault"));
  chkDefault->move(362, 518);
  chkDefault->adjustSize();

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
  InputValid = true;
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
  ViewProps.StrengthOutside.Check(InputValid, editStrengthOutside->text().toStdString(),
                                  "Strength Outside");
  ViewProps.StrengthInside.Check(InputValid, editStrengthInside->text().toStdString(),
                                 "Strength Inside");

  ViewProps.PalOutside = PalOutside;
  ViewProps.UsePalOutside = optDepthPaletteOutside->isChecked();
  ViewProps.PalDepthInside = PalDepthInside;
  ViewProps.UsePalDepthInside = optDepthPaletteInside->isChecked();
  ViewProps.PalDepthBackgroundInside = PalBackgroundInside;
  ViewProps.UsePalDepthBackgroundInside = optBackgroundPaletteInside->isChecked();
  ViewProps.PalDepthForegroundInside = PalForegroundInside;
  ViewProps.UsePalDepthForegroundInside = optForegroundPaletteInside->isChecked();

  if (InputValid && chkDefault->isChecked() && DefaultRecord) *DefaultRecord = ViewProps;
}

bool TDlgVoldViewProps::CanClose(int) {
  if (!InputValid) {
    InputValid = true;
    return false;
  }
  return true;
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
