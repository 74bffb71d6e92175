#pragma once
#include <string>
#include <vector>

#include <QMdiArea>

#include "document/projectfile.h"

class TMDIChildWave;
class TMDIChildZenolith;
class TMemoryNotices;
class TUnit;

/// The main window's area of child windows: which one is active, their names, adding them,
/// the window commands that arrange them and the close questions over all of them. The main
/// window connects to `ChildAdded` and from there to each child's own signals; the commands
/// reach the windows through this object, never through the main window.
class TWorkspace : public QMdiArea {
  Q_OBJECT
public:
  explicit TWorkspace(QWidget* parent = nullptr);
  ~TWorkspace() override;

  /// The active child window (of any kind), or null; a window that is closing does not count.
  TMDIChildZenolith* ActiveChild() const;
  /// The active child window when it shows a fractal (kind 1), else null.
  TMDIChildZenolith* ActiveFractalWindow() const;
  /// The active child window when it is a fractal window, else null.
  TMDIChildWave* ActiveWaveWindow() const;
  /// The document of the active child window, or null.
  TUnit* ActiveUnit() const;
  /// The child windows in creation order (first created first), closing ones left out.
  std::vector<TMDIChildZenolith*> ChildWindows() const;
  /// The fractal windows in the order a project stores them: the bottom of the stack first.
  std::vector<TMDIChildWave*> ProjectWindows() const;
  /// The fractal window that shows `unit`, or null.
  TMDIChildWave* WaveWindowOf(const TUnit* unit) const;
  /// The most windows open at once: MaxProjectWindows, what a project holds, so that every
  /// project the program saves opens again (tests make it small).
  int WindowLimit = MaxProjectWindows;
  /// Whether another window may open (fewer than WindowLimit are open). Shows a message when
  /// not.
  bool RoomForWindow() const;
  /// Adds a child window (ChildAdded), shows it inside the visible area and activates it.
  /// The workspace owns it from now on. A fractal window takes the Auto Max Depth option.
  void AddChildWindow(TMDIChildZenolith* child);

  /// Tells the user of the windows whose pictures did not fit in memory, one message per
  /// cause; every fractal window added reports to it.
  TMemoryNotices& MemoryNotices() const { return *Notices; }

  /// The program-wide Auto Max Depth option (TViewWave::SetAutoMaxDepth) of every fractal
  /// window, now and added later.
  bool GetAutoMaxDepth() const { return AutoMaxDepth; }
  void SetAutoMaxDepth(bool on);

  // ---- Names.
  /// Last number used in a "NONAME" window name; stored in projects.
  int NoNameCounter = 0;
  /// Increments NoNameCounter and returns "NONAME" followed by it.
  std::string NextNoName();
  /// "NONAME" with the next number of NoNameCounter that no open window is named.
  std::string NextFreeNoName();
  /// Whether `unit` may take `name` (shows the message when not); same as CheckUniqueName.
  bool RegisterName(const std::string& name, const TUnit* unit);
  /// Empty names pass. A name with "<" or ">" is refused with an "Input Error" message; a name
  /// another window's document has is refused with the NameExists message.
  bool CheckUniqueName(const std::string& name, const TUnit* unit);
  /// The document whose name equals `name` exactly, searching the windows last to first.
  TUnit* FindWindowByName(const std::string& name) const;

  // ---- Closing.
  /// Asks each window, last to first, its close question, and only when all agree closes
  /// them without asking again; false when one refuses (then nothing closes).
  bool CloseQueryAll();
  /// Asks each window, last to first, its close question and closes it; false when one
  /// refuses (the windows asked before it are closed).
  bool CloseWindowsAsking();

  // ---- Window commands.
  /// Overlaps the windows from the top left, each keeping its size as far as the area allows.
  void Cascade();
  /// Shares the area above the minimized windows among the others, in rows (`horizontal`:
  /// each the full width) or in columns.
  void Tile(bool horizontal);
  /// Minimizes every child window.
  void MinimizeAll();
  /// Lines the minimized windows up along the bottom edge, left to right.
  void ArrangeAll();

signals:
  /// A child window is being added; it is not shown yet. Connect to its signals here.
  void ChildAdded(TMDIChildZenolith* child);
  /// No child window is active any more (the last one closed or was deleted).
  void NoneActive();

private:
  /// Puts a new window inside the visible part of the area, cutting its size when needed.
  void FitIntoArea(QMdiSubWindow* window) const;
  /// Visible child windows that are not minimized, in creation order.
  std::vector<QMdiSubWindow*> TileCandidates() const;
  /// Height kept free at the bottom for the minimized windows.
  int IconRowHeight() const;

  bool AutoMaxDepth = false;
  TMemoryNotices* Notices;
};
