// The window commands of the main window and the services it offers to other windows.
#include <algorithm>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include "core/TErrorReport.h"
#include "document/TUnit.h"
#include "document/windowname.h"
#include "gui/TAboutBox.h"
#include "gui/TDlgRegisterWave.h"
#include "gui/THelpViewer.h"
#include "gui/TMDIChildZenolith.h"
#include "gui/TMainForm.h"
#include "gui/helpcontexts.h"

TMDIChildZenolith* TMainForm::ActiveChild() const {
  // The current window stays known while another top-level window (a dialog) has the focus.
  auto* child = qobject_cast<TMDIChildZenolith*>(MdiArea->currentSubWindow());
  return child && !child->IsClosing() ? child : nullptr;
}

TMDIChildZenolith* TMainForm::ActiveFractalWindow() const {
  TMDIChildZenolith* child = ActiveChild();
  return child && child->GetKind() == TUnit::KindFractal ? child : nullptr;
}

TUnit* TMainForm::ActiveUnit() const {
  TMDIChildZenolith* child = ActiveChild();
  return child ? child->GetDocument() : nullptr;
}

std::vector<TMDIChildZenolith*> TMainForm::ChildWindows() const {
  std::vector<TMDIChildZenolith*> children;
  for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
    auto* child = qobject_cast<TMDIChildZenolith*>(w);
    if (child && !child->IsClosing()) children.push_back(child);
  }
  return children;
}

void TMainForm::AddChildWindow(TMDIChildZenolith* child) {
  MdiArea->addSubWindow(child);
  child->show();
  if (!child->isMaximized()) FitIntoArea(child);
  MdiArea->setActiveSubWindow(child);
}

void TMainForm::FitIntoArea(QMdiSubWindow* window) const {
  const QRect area = MdiArea->viewport()->rect();
  if (area.isEmpty()) return;
  QRect frame = window->geometry();
  frame.setSize(frame.size().boundedTo(area.size()));
  frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() + 1 - frame.width()));
  frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
  window->setGeometry(frame);
}

void TMainForm::ChildActivated(TMDIChildZenolith*) { UpdateActions(); }

bool TMainForm::RegisterName(const std::string& name, const TUnit* unit) {
  return CheckUniqueName(name, unit);
}

bool TMainForm::CheckUniqueName(const std::string& name, const TUnit* unit) {
  if (name.empty()) return true;
  // Names are stored as element text in project files, where angle brackets cannot stand.
  if (name.find_first_of("<>") != std::string::npos) {
    TErrorReport::InputError("A window name cannot contain \"<\" or \">\".");
    return false;
  }
  const TUnit* found = FindWindowByName(name);
  if (found && found != unit) {
    TErrorReport::NameExists(name);
    return false;
  }
  return true;
}

TUnit* TMainForm::FindWindowByName(const std::string& name) const {
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TUnit* unit = (*it)->GetDocument();
    if (unit && unit->GetName() == name) return unit;
  }
  return nullptr;
}

void TMainForm::SetEditName(const std::string& name) {
  EditName->setText(QString::fromStdString(name));
}

void TMainForm::EndNameEdit() {
  // The name field takes no busy cursor (the line edit shows its own I-beam), so a command's
  // busy cursor is left alone here.
  NameEditing = false;
}

void TMainForm::CommitEditName() {
  TUnit* unit = ActiveUnit();
  if (!unit) return;
  const std::string name = WindowNameFromText(EditName->text().toStdString());
  if (CheckUniqueName(name, unit)) {
    unit->SetName(name);
    SetEditName(name);
  }
}

TScreenRect TMainForm::MainFormRect() const {
  const QRect frame = frameGeometry();
  return {frame.left(), frame.top(), frame.left() + frame.width(),
          frame.top() + frame.height()};
}

void TMainForm::RegisterExecute() {
  TMDIChildZenolith* child = ActiveChild();
  TUnit* unit = child ? child->GetDocument() : nullptr;
  if (!unit) return;
  TDlgRegisterWave dialog(this, unit->GetName());
  if (dialog.exec() == QDialog::Accepted) {
    unit->SetName(dialog.GetResultName());
    SetEditName(dialog.GetResultName());
  }
}

void TMainForm::HelpAboutExecute() {
  if (AboutBox) {
    AboutBox->exec();
    return;
  }
  TAboutBox box(this);
  box.exec();
}

void TMainForm::HelpContentsExecute() { THelpViewer::ShowTopic(HelpContext::MainWindow); }

void TMainForm::FileCloseExecute() {
  if (TMDIChildZenolith* child = ActiveChild()) child->close();
}

void TMainForm::FileExitExecute() { close(); }

void TMainForm::keyDExecute() {
  if (ActiveFractalWindow() && DuplicateWave->isEnabled()) DuplicateWave->trigger();
}

bool TMainForm::CloseQuery() {
  if (!ProjectFile.empty() && ProjectCloseQueryHook) return ProjectCloseQueryHook();
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(*it)->CloseQuery()) return false;
  }
  // Every window agreed: they close without being asked again.
  for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->CloseWithoutQuery();
  return true;
}

void TMainForm::WindowCascadeExecute() {
  // Back to front, so that the active window ends up in front and last.
  std::vector<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::StackingOrder)) {
    auto* child = qobject_cast<TMDIChildZenolith*>(w);
    if (child && !child->IsClosing() && child->isVisible() && !child->isMinimized())
      windows.push_back(w);
  }
  const QRect area = MdiArea->viewport()->rect().adjusted(0, 0, 0, -IconRowHeight());
  if (windows.empty() || area.isEmpty()) return;
  for (QMdiSubWindow* w : windows) {
    if (w->isMaximized()) w->showNormal();
  }
  // Each window one title bar lower and further right than the one behind it; where too little
  // of the area would be left, the row starts again at the top left.
  const int step =
      style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.front()) +
      style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, windows.front());
  int offset = 0;
  for (QMdiSubWindow* w : windows) {
    if (offset > 0 && (area.width() - offset < area.width() / 4 ||
                       area.height() - offset < area.height() / 4)) {
      offset = 0;
    }
    const QSize size = w->size().boundedTo(QSize(area.width() - offset, area.height() - offset));
    w->setGeometry(area.left() + offset, area.top() + offset, size.width(), size.height());
    offset += step;
  }
}

std::vector<QMdiSubWindow*> TMainForm::TileCandidates() const {
  std::vector<QMdiSubWindow*> windows;
  for (TMDIChildZenolith* child : ChildWindows()) {
    if (child->isVisible() && !child->isMinimized()) windows.push_back(child);
  }
  return windows;
}

int TMainForm::IconRowHeight() const {
  int height = 0;
  for (TMDIChildZenolith* child : ChildWindows()) {
    if (child->isMinimized()) height = std::max(height, child->height());
  }
  return height;
}

void TMainForm::Tile(bool horizontal) {
  const std::vector<QMdiSubWindow*> windows = TileCandidates();
  const QRect area = MdiArea->viewport()->rect().adjusted(0, 0, 0, -IconRowHeight());
  if (windows.empty() || area.isEmpty()) return;
  for (QMdiSubWindow* w : windows) {
    if (w->isMaximized()) w->showNormal();
  }
  const int n = static_cast<int>(windows.size());
  for (int i = 0; i < n; ++i) {
    if (horizontal) {
      const int top = area.top() + area.height() * i / n;
      const int bottom = area.top() + area.height() * (i + 1) / n;
      windows[i]->setGeometry(area.left(), top, area.width(), bottom - top);
    } else {
      const int left = area.left() + area.width() * i / n;
      const int right = area.left() + area.width() * (i + 1) / n;
      windows[i]->setGeometry(left, area.top(), right - left, area.height());
    }
  }
}

void TMainForm::WindowTileHorizontalExecute() { Tile(true); }

void TMainForm::WindowTileVerticalExecute() { Tile(false); }

void TMainForm::WindowMinimizeAllExecute() {
  for (TMDIChildZenolith* child : ChildWindows()) child->showMinimized();
}

void TMainForm::WindowArrangeAllExecute() {
  const QRect area = MdiArea->viewport()->rect();
  int x = area.left();
  int rowBottom = area.bottom() + 1;
  for (TMDIChildZenolith* child : ChildWindows()) {
    if (!child->isMinimized()) continue;
    const QSize size = child->size();
    // A full row continues in a new row above it.
    if (x > area.left() && x + size.width() > area.right() + 1) {
      x = area.left();
      rowBottom -= size.height();
    }
    child->move(x, rowBottom - size.height());
    x += size.width();
  }
}
