#include "gui/dialogs/TDlgColorPalette1D.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "core/assertions.h"
#include "gui/common/TPrompter.h"
#include "gui/common/filekinds.h"
#include "gui/common/icons.h"
#include "gui/dialogs/TColorBox.h"
#include "gui/dialogs/TPaintBox.h"
#include "gui/dialogs/dialogwidgets.h"
#include "gui/help/helpcontexts.h"

namespace {

constexpr int DesignWidth = 428;
constexpr int DesignHeight = 264;
constexpr int RulerHeight = 14;
// Longer than any position text; keeps pasted floods out of the box.
constexpr int PositionMaxLength = 99;

enum class TGlyph { First, Previous, Next, Last };

// A filled arrow, with a bar for the ends of the chain.
QIcon ArrowGlyph(TGlyph glyph) {
  constexpr int size = 16;
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0));
  const bool left = glyph == TGlyph::First || glyph == TGlyph::Previous;
  const bool bar = glyph == TGlyph::First || glyph == TGlyph::Last;
  QPainterPath arrow;
  if (left) {
    arrow.moveTo(5, 8);
    arrow.lineTo(12, 2);
    arrow.lineTo(12, 14);
  } else {
    arrow.moveTo(11, 8);
    arrow.lineTo(4, 2);
    arrow.lineTo(4, 14);
  }
  arrow.closeSubpath();
  painter.drawPath(arrow);
  if (bar) painter.drawRect(left ? QRectF(2, 2, 2, 12) : QRectF(12, 2, 2, 12));
  return QIcon(pixmap);
}

using K = TControlKind;
using TRow = TControlRow<TDlgColorPalette1D>;
using D = TDlgColorPalette1D;

// Every control but the colour strip and its ruler, in the order it is made. The buttons
// without a caption show pictures.
const TRow Controls[] = {
    {K::Label, "lblPosition", nullptr, {24, 16, 0, 0}, "Position", &D::lblPosition},
    {K::Edit, "editPosition", nullptr, {128, 16, 121, 21}, nullptr, &D::editPosition},
    {K::Label, "lblColor", nullptr, {24, 48, 0, 0}, "Color (Before)", &D::lblColor},
    {K::ColorBox, "cboColorBefore", nullptr, {128, 48, 121, 22}, nullptr, &D::cboColorBefore},
    {K::Button, "btnColorPrevious", nullptr, {256, 48, 65, 25}, "< Previous",
     &D::btnColorPrevious},
    {K::Check, "chkColorAfter", nullptr, {24, 80, 0, 0}, "Color After", &D::chkColorAfter},
    {K::ColorBox, "cboColorAfter", nullptr, {128, 80, 121, 22}, nullptr, &D::cboColorAfter},
    {K::Button, "btnColorNext", nullptr, {256, 80, 65, 25}, "< Next", &D::btnColorNext},
    {K::Button, "btnPalItemFirst", nullptr, {16, 120, 30, 30}, nullptr, &D::btnPalItemFirst},
    {K::Button, "btnPalItemPrevious", nullptr, {48, 120, 30, 30}, nullptr,
     &D::btnPalItemPrevious},
    {K::Button, "btnPalItemNext", nullptr, {80, 120, 30, 30}, nullptr, &D::btnPalItemNext},
    {K::Button, "btnPalItemLast", nullptr, {112, 120, 30, 30}, nullptr, &D::btnPalItemLast},
    {K::Button, "btnPalItemAdd", nullptr, {152, 124, 75, 25}, "Add", &D::btnPalItemAdd},
    {K::Button, "btnPalItemDelete", nullptr, {240, 124, 75, 25}, "Delete",
     &D::btnPalItemDelete},
    {K::Button, "btnOpen", nullptr, {336, 120, 30, 30}, nullptr, &D::btnOpen},
    {K::Button, "btnSave", nullptr, {368, 120, 30, 30}, nullptr, &D::btnSave},
};

}  // namespace

TDlgColorPalette1D::TDlgColorPalette1D(QWidget* parent, const TColorPalette1DItem& palette)
    : TOKHelpBottomDlg(parent), PaletteCopy(std::make_unique<TColorPalette1DItem>(palette)) {
  CurrentItem = PaletteCopy.get();
  setObjectName(QStringLiteral("DlgColorPalette1D"));
  setWindowTitle(QStringLiteral("Color Palette"));
  HelpContext = HelpContext::ColorPalette;
  // Sizeable: the strip grows with the window.
  setMinimumSize(DesignWidth, DesignHeight);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  resize(DesignWidth, DesignHeight);
  setSizeGripEnabled(true);
  Bevel1->setGeometry(8, 8, 321, 105);

  BuildControls(*this, Controls);
  editPosition->setMaxLength(PositionMaxLength);
  lblPosition->setBuddy(editPosition);
  const struct {
    QPushButton* Button;
    QIcon Icon;
    const char* Hint;
  } glyphs[] = {
      {btnPalItemFirst, ArrowGlyph(TGlyph::First), "First"},
      {btnPalItemPrevious, ArrowGlyph(TGlyph::Previous), "Previous"},
      {btnPalItemNext, ArrowGlyph(TGlyph::Next), "Next"},
      {btnPalItemLast, ArrowGlyph(TGlyph::Last), "Last"},
      // Tool-bar images 15 and 2 are the program's Open and Save pictures.
      {btnOpen, ToolBarIcon(15), "Open Color Palette"},
      {btnSave, ToolBarIcon(2), "Save Color Palette"},
  };
  for (const auto& glyph : glyphs) {
    glyph.Button->setIcon(glyph.Icon);
    glyph.Button->setIconSize(QSize(16, 16));
    glyph.Button->setToolTip(QString::fromLatin1(glyph.Hint));
    glyph.Button->setAccessibleName(QString::fromLatin1(glyph.Hint));
  }
  btnOpen->setIconSize(QSize(22, 22));
  btnSave->setIconSize(QSize(22, 22));

  pboLineal = new TPaintBox(this);
  pboLineal->setObjectName(QStringLiteral("pboLineal"));
  pboLineal->OnPaint = [this](QPainter& p, const QRect& r) { pboLinealPaint(p, r); };
  pboColor = new TPaintBox(this);
  pboColor->setObjectName(QStringLiteral("pboColor"));
  pboColor->OnPaint = [this](QPainter& p, const QRect& r) { pboColorPaint(p, r); };
  PlaceAnchored();

  SetTabOrder({editPosition, cboColorBefore, chkColorAfter, cboColorAfter, btnPalItemFirst,
               btnPalItemPrevious, btnPalItemNext, btnPalItemLast, btnPalItemAdd,
               btnPalItemDelete, OKBtn, CancelBtn, HelpBtn, btnColorPrevious, btnColorNext,
               btnOpen, btnSave});

  connect(editPosition, &QLineEdit::textChanged, this, [this] { editPositionChange(); });
  editPosition->installEventFilter(this);
  connect(cboColorBefore, &TColorBox::Changed, this, &TDlgColorPalette1D::cboColorBeforeChange);
  connect(cboColorAfter, &TColorBox::Changed, this, &TDlgColorPalette1D::cboColorAfterChange);
  connect(chkColorAfter, &QCheckBox::toggled, this, [this] { chkColorAfterClick(); });
  connect(btnColorPrevious, &QPushButton::clicked, this, [this] { btnColorPreviousClick(); });
  connect(btnColorNext, &QPushButton::clicked, this, [this] { btnColorNextClick(); });
  connect(btnPalItemFirst, &QPushButton::clicked, this, [this] { btnPalItemFirstClick(); });
  connect(btnPalItemPrevious, &QPushButton::clicked, this, [this] { btnPalItemPreviousClick(); });
  connect(btnPalItemNext, &QPushButton::clicked, this, [this] { btnPalItemNextClick(); });
  connect(btnPalItemLast, &QPushButton::clicked, this, [this] { btnPalItemLastClick(); });
  connect(btnPalItemAdd, &QPushButton::clicked, this, [this] { btnPalItemAddClick(); });
  connect(btnPalItemDelete, &QPushButton::clicked, this, [this] { btnPalItemDeleteClick(); });
  connect(btnOpen, &QPushButton::clicked, this, [this] { btnOpenClick(); });
  connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });

  RefreshButtons();
  RefreshControls();
}

TDlgColorPalette1D::~TDlgColorPalette1D() {
  // The box loses its focus while the widgets go; there is nothing left to take over then.
  editPosition->removeEventFilter(this);
}

std::unique_ptr<TColorPalette1DItem> TDlgColorPalette1D::GetPalette() const {
  return std::make_unique<TColorPalette1DItem>(*PaletteCopy);
}

int TDlgColorPalette1D::MarkColumn(double position, int stripWidth) {
  return 1 + static_cast<int>(position * (stripWidth - 2) + 0.5);
}

void TDlgColorPalette1D::PlaceAnchored() {
  const int w = width();
  const int h = height();
  OKBtn->setGeometry(w - (DesignWidth - 337), 12, 75, 25);
  CancelBtn->setGeometry(w - (DesignWidth - 337), 44, 75, 25);
  HelpBtn->setGeometry(w - (DesignWidth - 337), 76, 75, 25);
  // The strip keeps its designed margins; the ruler runs along its lower edge.
  const int stripWidth = w - (DesignWidth - 406);
  const int stripHeight = h - (DesignHeight - 62);
  pboColor->setGeometry(8, 160, stripWidth, stripHeight);
  pboLineal->setGeometry(8, 160 + stripHeight, stripWidth, RulerHeight);
}

void TDlgColorPalette1D::resizeEvent(QResizeEvent* event) {
  TOKHelpBottomDlg::resizeEvent(event);
  PlaceAnchored();
}

void TDlgColorPalette1D::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  TOKHelpBottomDlg::showEvent(event);
}

void TDlgColorPalette1D::FormShow() {
  RefreshButtons();
  RefreshControls();
}

bool TDlgColorPalette1D::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editPosition && event->type() == QEvent::FocusOut) {
    // A context menu or another application taking the focus does not leave the box.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
      editPositionExit();
  }
  return TOKHelpBottomDlg::eventFilter(watched, event);
}

void TDlgColorPalette1D::RefreshButtons() {
  const double p = CurrentItem->GetDPosition();
  btnPalItemFirst->setEnabled(p > 0);
  btnPalItemPrevious->setEnabled(p > 0);
  btnPalItemNext->setEnabled(p < 1);
  btnPalItemLast->setEnabled(p < 1);
  btnColorPrevious->setEnabled(p > 0);
  btnColorNext->setEnabled(p < 1);
  btnPalItemAdd->setEnabled(true);
  btnPalItemDelete->setEnabled(p > 0 && p < 1);
}

void TDlgColorPalette1D::RefreshControls() {
  TUpdating updating(Updating);
  const double p = CurrentItem->GetDPosition();
  const bool inner = p > 0 && p < 1;
  editPosition->setEnabled(inner);
  editPosition->setText(QString::fromStdString(CurrentItem->Position().GetText()));
  PositionEdited = false;
  cboColorBefore->SetSelected(CurrentItem->GetColorBefore());
  chkColorAfter->setChecked(CurrentItem->GetUseColorAfter());
  chkColorAfter->setEnabled(inner);
  cboColorAfter->SetSelected(CurrentItem->GetColorAfter());
  cboColorAfter->setEnabled(CurrentItem->GetUseColorAfter());
}

void TDlgColorPalette1D::Repaint() {
  pboColor->update();
  pboLineal->update();
}

void TDlgColorPalette1D::SetCurrent(TColorPalette1DItem* item) {
  CurrentItem = item ? item : PaletteCopy.get();
  RefreshButtons();
  RefreshControls();
  // The ruler highlights the current stop.
  pboLineal->update();
}

void TDlgColorPalette1D::btnPalItemFirstClick() { SetCurrent(PaletteCopy.get()); }

void TDlgColorPalette1D::btnPalItemPreviousClick() {
  if (CurrentItem == PaletteCopy.get()) return;
  SetCurrent(PaletteCopy->GetPrevious(CurrentItem));
}

void TDlgColorPalette1D::btnPalItemNextClick() {
  if (CurrentItem->GetNext()) SetCurrent(CurrentItem->GetNext());
}

void TDlgColorPalette1D::btnPalItemLastClick() { SetCurrent(PaletteCopy->GetLast()); }

void TDlgColorPalette1D::btnPalItemAddClick() {
  double low = 0;
  double high = 0;
  if (const TColorPalette1DItem* next = CurrentItem->GetNext()) {
    low = CurrentItem->GetDPosition();
    high = next->GetDPosition();
  } else {
    const TColorPalette1DItem* previous = PaletteCopy->GetPrevious(CurrentItem);
    if (!previous) return;
    low = previous->GetDPosition();
    high = CurrentItem->GetDPosition();
  }
  // A palette with more stops would not read back from its file.
  if (PaletteCopy->InnerStopCount() >= TColorPalette1DItem::MaxInnerStops) {
    TErrorReport::InputError(TColorPalette1DItem::TooManyStopsText() + ".");
    return;
  }
  const double mean = (low + high) / 2;
  // Two stops so close that no double lies between them leave no room for another.
  if (!(mean > low && mean < high)) return;
  const unitFactorPosMoreLess1 position(mean, ukPercent);
  TColorPalette1DItem* added = PaletteCopy->AddItem(position, PaletteCopy->GetColor(mean));
  if (!added) return;
  SetCurrent(added);
  Repaint();
}

void TDlgColorPalette1D::btnPalItemDeleteClick() {
  const double p = CurrentItem->GetDPosition();
  if (!(p > 0 && p < 1)) return;
  SetCurrent(PaletteCopy->DeleteItem(CurrentItem));
  Repaint();
}

void TDlgColorPalette1D::editPositionChange() {
  if (Updating == 0) PositionEdited = true;
}

bool TDlgColorPalette1D::editPositionExit() {
  if (Updating > 0 || !PositionEdited) return true;
  PositionEdited = false;
  const double p = CurrentItem->GetDPosition();
  if (!(p > 0 && p < 1)) return true;
  const unitFactorPosMoreLess1 kept = CurrentItem->Position();
  bool ok = true;
  CurrentItem->Position().Check(ok, editPosition->text().toStdString(), "Position");
  if (ok && PaletteCopy->PositionExists(CurrentItem->GetDPosition(), CurrentItem)) {
    ShowMessage(DuplicateText, TErrorReport::TitleInputError, TMsgIcon::Information);
    CurrentItem->Position() = kept;
    ok = false;
  }
  if (ok) {
    PaletteCopy->Resort(CurrentItem, PaletteCopy->GetPrevious(CurrentItem));
    RefreshButtons();
    RefreshControls();
    Repaint();
    return true;
  }
  {
    TUpdating updating(Updating);
    editPosition->setText(QString::fromStdString(kept.GetText()));
  }
  // Later: the focus is still on its way to the widget that took it.
  QTimer::singleShot(0, editPosition, [this] {
    editPosition->setFocus(Qt::OtherFocusReason);
    editPosition->selectAll();
  });
  return false;
}

void TDlgColorPalette1D::cboColorBeforeChange(uint32_t colour) {
  if (Updating > 0) return;
  CurrentItem->SetColorBefore(colour);
  {
    TUpdating updating(Updating);
    cboColorAfter->SetSelected(CurrentItem->GetColorAfter());
  }
  Repaint();
}

void TDlgColorPalette1D::cboColorAfterChange(uint32_t colour) {
  if (Updating > 0) return;
  CurrentItem->SetColorAfter(colour);
  Repaint();
}

void TDlgColorPalette1D::chkColorAfterClick() {
  if (Updating > 0) return;
  CurrentItem->SetUseColorAfter(chkColorAfter->isChecked());
  {
    TUpdating updating(Updating);
    cboColorAfter->setEnabled(CurrentItem->GetUseColorAfter());
    cboColorAfter->SetSelected(CurrentItem->GetColorAfter());
  }
  Repaint();
}

void TDlgColorPalette1D::btnColorPreviousClick() {
  if (!ZCHECK_TEXT(CurrentItem->GetDPosition() > 0, "position > 0")) return;
  const TColorPalette1DItem* previous = PaletteCopy->GetPrevious(CurrentItem);
  if (!previous) return;
  CurrentItem->SetColorBefore(previous->GetColorAfter());
  {
    TUpdating updating(Updating);
    cboColorBefore->SetSelected(CurrentItem->GetColorBefore());
    cboColorAfter->SetSelected(CurrentItem->GetColorAfter());
  }
  Repaint();
}

void TDlgColorPalette1D::btnColorNextClick() {
  if (!ZCHECK_TEXT(CurrentItem->GetDPosition() < 1, "position < 1")) return;
  const TColorPalette1DItem* next = CurrentItem->GetNext();
  if (!next) return;
  const uint32_t colour = next->GetColorBefore();
  {
    TUpdating updating(Updating);
    if (chkColorAfter->isChecked()) {
      CurrentItem->SetColorAfter(colour);
    } else {
      CurrentItem->SetColorBefore(colour);
      cboColorBefore->SetSelected(colour);
    }
    cboColorAfter->SetSelected(colour);
  }
  Repaint();
}

void TDlgColorPalette1D::btnOpenClick() {
  const std::string fileName =
      TPrompter::Current().OpenFileName(OpenFileRequest(FileKind::Palette, OpenTitle));
  if (fileName.empty()) return;
  std::string errorText;
  if (!PaletteCopy->LoadFromFile(fileName, errorText)) {
    // The palette reader says nothing when the file cannot be opened at all.
    if (errorText.empty()) errorText = "the file cannot be opened.";
    TErrorReport::CannotRead(fileName, errorText);
  }
  // Loading replaces the stops after the begin stop.
  SetCurrent(PaletteCopy.get());
  Repaint();
}

void TDlgColorPalette1D::btnSaveClick() {
  const std::string fileName =
      TPrompter::Current().SaveFileName(SaveFileRequest(FileKind::Palette, SaveTitle));
  if (fileName.empty()) return;
  PaletteCopy->SaveToFile(fileName);
}

void TDlgColorPalette1D::OKBtnClick() {
  // Enter in the position box presses OK without leaving the box.
  if (PositionEdited && !editPositionExit()) RefuseCloseOnce();
}

void TDlgColorPalette1D::pboColorPaint(QPainter& painter, const QRect& client) {
  // Edges as the exclusive right and bottom of the client rectangle.
  const int left = client.left();
  const int top = client.top();
  const int right = client.left() + client.width();
  const int bottom = client.top() + client.height();
  painter.setPen(TColorBox::ToQColor(PaletteCopy->GetColor(0)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(left, top, client.width() - 1, client.height() - 1);
  const double span = (right - 1) - (left + 1);
  if (span <= 0) return;
  for (int x = left + 1; x <= right - 2; ++x) {
    const double t = (x - (left + 1)) / span;
    painter.fillRect(x, top + 1, 1, (bottom - 2) - (top + 1) + 1,
                     TColorBox::ToQColor(PaletteCopy->GetColor(t)));
  }
}

void TDlgColorPalette1D::pboLinealPaint(QPainter& painter, const QRect& client) {
  // The active colours also while the dialog is inactive: the current mark must stand out.
  const QColor mark = palette().color(QPalette::Active, QPalette::Mid);
  const QColor current = palette().color(QPalette::Active, QPalette::Highlight);
  painter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
  for (const TColorPalette1DItem* p = PaletteCopy.get(); p; p = p->GetNext()) {
    const int x = client.left() + MarkColumn(p->GetDPosition(), pboColor->width());
    const QPoint triangle[3] = {{x, client.top() + 1}, {x - 5, client.top() + 10},
                                {x + 5, client.top() + 10}};
    painter.setBrush(p == CurrentItem ? current : mark);
    painter.drawPolygon(triangle, 3);
  }
}
