#include "gui/view/TWorkspace.h"

#include <algorithm>

#include <QMdiSubWindow>
#include <QStyle>

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "document/TUnit.h"
#include "document/windowname.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TMDIChildZenolith.h"
#include "gui/view/TMemoryNotices.h"

TWorkspace::TWorkspace(QWidget* parent)
    : QMdiArea(parent), Notices(new TMemoryNotices(this)) {
  setObjectName(QStringLiteral("MdiArea"));
  setBackground(QColor(96, 96, 96));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(this, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    if (auto* child = qobject_cast<TMDIChildZenolith*>(window)) {
      if (!child->IsClosing()) child->EvFormOnActivate();
    } else if (!ActiveChild()) {
      emit NoneActive();
    }
  });
}

TWorkspace::~TWorkspace() {
  // The windows go with the area; their going must not run the activation rules.
  disconnect(this, nullptr, this, nullptr);
  for (QMdiSubWindow* w : subWindowList()) disconnect(w, nullptr, this, nullptr);
}

TMDIChildZenolith* TWorkspace::ActiveChild() const {
  // The current window stays known while another top-level window (a dialog) has the focus.
  auto* child = qobject_cast<TMDIChildZenolith*>(currentSubWindow());
  return child && !child->IsClosing() ? child : nullptr;
}

TMDIChildZenolith* TWorkspace::ActiveFractalWindow() const {
  TMDIChildZenolith* child = ActiveChild();
  return child && child->GetKind() == TUnit::KindFractal ? child : nullptr;
}

TMDIChildWave* TWorkspace::ActiveWaveWindow() const {
  return qobject_cast<TMDIChildWave*>(ActiveFractalWindow());
}

TUnit* TWorkspace::ActiveUnit() const {
  TMDIChildZenolith* child = ActiveChild();
  return child ? child->GetDocument() : nullptr;
}

std::vector<TMDIChildZenolith*> TWorkspace::ChildWindows() const {
  std::vector<TMDIChildZenolith*> children;
  for (QMdiSubWindow* w : subWindowList(QMdiArea::CreationOrder)) {
    auto* child = qobject_cast<TMDIChildZenolith*>(w);
    if (child && !child->IsClosing()) children.push_back(child);
  }
  return children;
}

std::vector<TMDIChildWave*> TWorkspace::ProjectWindows() const {
  // Bottom of the stack first: opened again in this order, the windows stack as they did and
  // the active one is active again.
  std::vector<TMDIChildWave*> windows;
  for (QMdiSubWindow* w : subWindowList(QMdiArea::StackingOrder)) {
    auto* child = qobject_cast<TMDIChildWave*>(w);
    if (child && !child->IsClosing()) windows.push_back(child);
  }
  return windows;
}

TMDIChildWave* TWorkspace::WaveWindowOf(const TUnit* unit) const {
  for (QMdiSubWindow* w : subWindowList()) {
    auto* child = qobject_cast<TMDIChildWave*>(w);
    if (child && child->GetDocument() == unit) return child;
  }
  return nullptr;
}

void TWorkspace::AddChildWindow(TMDIChildZenolith* child) {
  if (auto* wave = qobject_cast<TMDIChildWave*>(child)) {
    wave->GetView()->SetAutoMaxDepth(AutoMaxDepth);
    connect(wave, &TMDIChildWave::MemoryRefused, Notices,
            [this, wave](const QString& what, bool surface) {
              Notices->Note(wave, what, surface);
            });
    connect(wave, &QObject::destroyed, Notices,
            [this](QObject* gone) { Notices->Forget(gone); });
  }
  emit ChildAdded(child);
  // A window deleted without closing (a cancelled New) activates nothing in its place.
  connect(child, &QObject::destroyed, this, [this] {
    if (!ActiveChild()) emit NoneActive();
  });
  addSubWindow(child);
  child->show();
  if (!child->isMaximized()) FitIntoArea(child);
  setActiveSubWindow(child);
}

void TWorkspace::SetAutoMaxDepth(bool on) {
  AutoMaxDepth = on;
  for (QMdiSubWindow* window : subWindowList()) {
    if (auto* wave = qobject_cast<TMDIChildWave*>(window)) wave->GetView()->SetAutoMaxDepth(on);
  }
}

void TWorkspace::FitIntoArea(QMdiSubWindow* window) const {
  const QRect area = viewport()->rect();
  if (area.isEmpty()) return;
  QRect frame = window->geometry();
  frame.setSize(frame.size().boundedTo(area.size()));
  frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() + 1 - frame.width()));
  frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
  window->setGeometry(frame);
}

bool TWorkspace::RoomForWindow() const {
  if (static_cast<int>(ChildWindows().size()) < WindowLimit) return true;
  ShowMessage("No more than " + std::to_string(WindowLimit) +
                  " windows can be open, as many as a project holds: close a window before "
                  "another opens.",
              TErrorReport::TitleError, TMsgIcon::Information);
  return false;
}

std::string TWorkspace::NextNoName() {
  ++NoNameCounter;
  return "NONAME" + std::to_string(NoNameCounter);
}

std::string TWorkspace::NextFreeNoName() {
  // A window the user named "NONAME3" must not get a twin: such numbers are skipped.
  std::string name;
  do {
    name = NextNoName();
  } while (FindWindowByName(name) != nullptr);
  return name;
}

bool TWorkspace::RegisterName(const std::string& name, const TUnit* unit) {
  return CheckUniqueName(name, unit);
}

bool TWorkspace::CheckUniqueName(const std::string& name, const TUnit* unit) {
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

TUnit* TWorkspace::FindWindowByName(const std::string& name) const {
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TUnit* unit = (*it)->GetDocument();
    if (unit && unit->GetName() == name) return unit;
  }
  return nullptr;
}

bool TWorkspace::CloseQueryAll() {
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(*it)->CloseQuery()) return false;
  }
  // Every window agreed: they close without being asked again.
  for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->CloseWithoutQuery();
  return true;
}

bool TWorkspace::CloseWindowsAsking() {
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(*it)->CloseQuery()) return false;
    (*it)->CloseWithoutQuery();
  }
  return true;
}

void TWorkspace::Cascade() {
  // Back to front, so that the active window ends up in front and last.
  std::vector<QMdiSubWindow*> windows;
  for (QMdiSubWindow* w : subWindowList(QMdiArea::StackingOrder)) {
    auto* child = qobject_cast<TMDIChildZenolith*>(w);
    if (child && !child->IsClosing() && child->isVisible() && !child->isMinimized())
      windows.push_back(w);
  }
  const QRect area = viewport()->rect().adjusted(0, 0, 0, -IconRowHeight());
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

std::vector<QMdiSubWindow*> TWorkspace::TileCandidates() const {
  std::vector<QMdiSubWindow*> windows;
  for (TMDIChildZenolith* child : ChildWindows()) {
    if (child->isVisible() && !child->isMinimized()) windows.push_back(child);
  }
  return windows;
}

int TWorkspace::IconRowHeight() const {
  int height = 0;
  for (TMDIChildZenolith* child : ChildWindows()) {
    if (child->isMinimized()) height = std::max(height, child->height());
  }
  return height;
}

void TWorkspace::Tile(bool horizontal) {
  const std::vector<QMdiSubWindow*> windows = TileCandidates();
  const QRect area = viewport()->rect().adjusted(0, 0, 0, -IconRowHeight());
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

void TWorkspace::MinimizeAll() {
  for (TMDIChildZenolith* child : ChildWindows()) child->showMinimized();
}

void TWorkspace::ArrangeAll() {
  const QRect area = viewport()->rect();
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
