#include "gui/export/TDlgExportMovie.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/unitFactorPosMore.h"
#include "core/unitFactorPosMore1.h"
#include "core/unitIntegerPosMore.h"
#include "gui/dialogs/dialogwidgets.h"

namespace {

using K = TControlKind;
using D = TDlgExportMovie;

const TControlRow<D> Controls[] = {
    {K::Label, "lblWidth", nullptr, {20, 22, 0, 0}, "&Width:", &D::lblWidth},
    {K::Edit, "editWidth", nullptr, {150, 20, 90, 21}, nullptr, &D::editWidth},
    {K::Label, "lblHeight", nullptr, {20, 50, 0, 0}, "&Height:", &D::lblHeight},
    {K::Edit, "editHeight", nullptr, {150, 48, 90, 21}, nullptr, &D::editHeight},
    {K::Button, "btnWindowSize", nullptr, {252, 32, 80, 25}, "< Window", &D::btnWindowSize},
    {K::Label, "lblFramesPerSecond", nullptr, {20, 84, 0, 0}, "&Frames a second:",
     &D::lblFramesPerSecond},
    {K::Edit, "editFramesPerSecond", nullptr, {150, 82, 90, 21}, nullptr,
     &D::editFramesPerSecond},
    {K::Radio, "radSeconds", nullptr, {20, 112, 125, 20}, "&Length (s):", &D::radSeconds},
    {K::Edit, "editSeconds", nullptr, {150, 110, 90, 21}, nullptr, &D::editSeconds},
    {K::Radio, "radZoomPerSecond", nullptr, {20, 140, 125, 20}, "&Zoom a second:",
     &D::radZoomPerSecond},
    {K::Edit, "editZoomPerSecond", nullptr, {150, 138, 90, 21}, nullptr, &D::editZoomPerSecond},
    {K::Radio, "radZoomOut", nullptr, {20, 174, 310, 20}, "Zoom &out to the whole set",
     &D::radZoomOut},
    {K::Radio, "radZoomIn", nullptr, {20, 198, 310, 20}, "Zoom &in from the whole set",
     &D::radZoomIn},
    {K::Check, "chkFullFrames", nullptr, {20, 230, 310, 20},
     "Compute every frame in f&ull (slow)", &D::chkFullFrames},
};

QString Text(const unit& value) { return QString::fromStdString(value.GetText()); }

// Even sizes: an MP4 movie takes no others.
int Even(int pixels) { return std::max(2, pixels & ~1); }

}  // namespace

TDlgExportMovie::TDlgExportMovie(QWidget* parent, int viewWidth, int viewHeight)
    : TOKBottomDlg(parent), ViewWidth(Even(viewWidth)), ViewHeight(Even(viewHeight)) {
  setObjectName(QStringLiteral("DlgExportMovie"));
  setWindowTitle(QStringLiteral("Export Zoom Movie"));
  SetClientSize(353, 304);
  Bevel1->setGeometry(8, 8, 337, 251);
  BuildControls(*this, Controls);
  lblWidth->setBuddy(editWidth);
  lblHeight->setBuddy(editHeight);
  lblFramesPerSecond->setBuddy(editFramesPerSecond);
  // Two independent choices: how the length is given, and the direction.
  auto* length = new QButtonGroup(this);
  length->addButton(radSeconds);
  length->addButton(radZoomPerSecond);
  auto* direction = new QButtonGroup(this);
  direction->addButton(radZoomOut);
  direction->addButton(radZoomIn);
  OKBtn->move(99, 270);
  CancelBtn->move(179, 270);

  editWidth->setText(Text(unitIntegerPosMore(ViewWidth)));
  editHeight->setText(Text(unitIntegerPosMore(ViewHeight)));
  editFramesPerSecond->setText(Text(unitFactorPosMore(Settings.FramesPerSecond)));
  editSeconds->setText(Text(unitFactorPosMore(30.0)));
  editZoomPerSecond->setText(Text(unitFactorPosMore1(Settings.ZoomPerSecond)));
  radZoomPerSecond->setChecked(true);
  radZoomOut->setChecked(true);
  UpdateLengthEdits();
  connect(radSeconds, &QRadioButton::toggled, this, [this] { UpdateLengthEdits(); });
  connect(btnWindowSize, &QPushButton::clicked, this, [this] { btnWindowSizeClick(); });
  editWidth->selectAll();
  editWidth->setFocus();
  SetTabOrder({editWidth, editHeight, btnWindowSize, editFramesPerSecond, radSeconds,
               editSeconds, radZoomPerSecond, editZoomPerSecond, radZoomOut, radZoomIn,
               chkFullFrames, OKBtn, CancelBtn});
}

void TDlgExportMovie::btnWindowSizeClick() {
  editWidth->setText(Text(unitIntegerPosMore(ViewWidth)));
  editHeight->setText(Text(unitIntegerPosMore(ViewHeight)));
}

void TDlgExportMovie::UpdateLengthEdits() {
  editSeconds->setEnabled(radSeconds->isChecked());
  editZoomPerSecond->setEnabled(!radSeconds->isChecked());
}

bool TDlgExportMovie::ReadSettings() {
  bool ok = true;
  unitIntegerPosMore width, height;
  unitFactorPosMore fps, seconds;
  unitFactorPosMore1 zoom;
  const auto text = [](const QLineEdit* edit) { return edit->text().trimmed().toStdString(); };
  width.Check(ok, text(editWidth), "Width");
  height.Check(ok, text(editHeight), "Height");
  fps.Check(ok, text(editFramesPerSecond), "Frames a second");
  if (radSeconds->isChecked()) {
    seconds.Check(ok, text(editSeconds), "Length");
  } else {
    zoom.Check(ok, text(editZoomPerSecond), "Zoom a second");
  }
  if (!ok) return false;
  TMovieSettings read;
  read.Width = width.GetInt();
  read.Height = height.GetInt();
  read.FramesPerSecond = fps.GetDouble();
  read.Seconds = radSeconds->isChecked() ? seconds.GetDouble() : 0;
  read.ZoomPerSecond = radSeconds->isChecked() ? Settings.ZoomPerSecond : zoom.GetDouble();
  read.ZoomIn = radZoomIn->isChecked();
  read.FullFrames = chkFullFrames->isChecked();
  Settings = read;
  return true;
}

bool TDlgExportMovie::CanClose(int result) { return result != QDialog::Accepted || ReadSettings(); }
