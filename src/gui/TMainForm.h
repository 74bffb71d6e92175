#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QCursor>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include "engine/TFractProps.h"
#include "render/TVoldViewProps.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class TAboutBox;
class TMDIChildWave;
class TMDIChildZenolith;
class TProjectRecord;
class TProjectSave;
class TUnit;
class TUnitFract;

/// A rectangle in screen pixels: right = left + width, bottom = top + height.
struct TScreenRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

/// The main window: a multiple-document frame with the menus, the tool bar "Basic", the status
/// bar and every action of the program. One instance exists for the whole run (Instance()); the
/// other windows reach its services through it. The fractal commands (TMainForm_Commands.cpp)
/// and the project commands (TMainForm_Project.cpp) connect their handlers to the actions here.
class TMainForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  /// The main window, or null when none exists.
  static TMainForm* Instance();

  // ---- Actions: object names are these names; the category is the property "category".
  QAction* FileNewWave = nullptr;
  QAction* FileOpenWave = nullptr;
  QAction* FileClose = nullptr;
  QAction* FileSave = nullptr;
  QAction* FileSaveAs = nullptr;
  QAction* FileExit = nullptr;
  QAction* WindowCascade = nullptr;
  QAction* WindowTileHorizontal = nullptr;
  QAction* WindowTileVertical = nullptr;
  QAction* WindowMinimizeAll = nullptr;
  QAction* WindowArrangeAll = nullptr;
  QAction* Undo = nullptr;
  QAction* FileProperties = nullptr;
  QAction* Register = nullptr;
  QAction* DeleteUndo = nullptr;
  QAction* Options = nullptr;
  QAction* DuplicateWave = nullptr;
  QAction* ViewVold = nullptr;
  QAction* ZoomIn = nullptr;
  QAction* HelpAbout = nullptr;
  QAction* keyD = nullptr;
  QAction* ProjectOpen = nullptr;
  QAction* ProjectNew = nullptr;
  QAction* ProjectClose = nullptr;
  QAction* ProjectSave = nullptr;
  QAction* FractProps = nullptr;
  QAction* FileRevert = nullptr;
  QAction* ProjectExport = nullptr;
  QAction* ZoomOut = nullptr;
  QAction* DrawPoints = nullptr;
  QAction* AddNextPoints = nullptr;
  QAction* GroupAsPolynoom = nullptr;
  QAction* CreateJuliaFromMandelbrot = nullptr;
  QAction* RemovePoints = nullptr;
  /// F1: the help topic of the main window.
  QAction* HelpContents = nullptr;

  /// Every action, in the order of the action table.
  const std::vector<QAction*>& ActionList1() const { return Actions; }
  /// The action with the object name, or null.
  QAction* FindAction(const QString& name) const;

  // ---- Menus, tool bar, name field, status bar.
  QMenu* MenuFile = nullptr;
  QMenu* MenuProject = nullptr;
  QMenu* MenuFractal = nullptr;
  QMenu* MenuMode = nullptr;
  QMenu* MenuWindow = nullptr;
  QMenu* MenuHelp = nullptr;
  QToolBar* ToolBarBasic = nullptr;
  /// Name of the active window; Enter renames it.
  QLineEdit* EditName = nullptr;
  QMdiArea* MdiArea = nullptr;
  /// Number of status panels.
  static constexpr int StatusPanelCount = 8;
  /// Status panel 0..7; panel 0 shows the long hints.
  QLabel* StatusPanel(int index) const;
  void SetStatusText(int index, const QString& text);

  // ---- State.
  /// Kind of the active child as last applied by UpdateActions (0 none, 1 fractal; 3 at start).
  int ActiveChildKind = 3;
  /// Last number used in a "NONAME" window name; stored in projects.
  int NoNameCounter = 0;
  /// Increments NoNameCounter and returns "NONAME" followed by it.
  std::string NextNoName();
  /// Path of the open project; "" = no project.
  std::string ProjectFile;
  /// The name field is being edited: plain keys go to it, not to the shortcuts.
  bool NameEditing = false;
  /// A tool window asked for plain keyboard input: plain keys go to the focused widget.
  bool KeyCapture = false;
  // ---- The fractal commands (TMainForm_Commands.cpp).
  /// Parameters given to every new window; "Use As Default" of the fractal dialog replaces it.
  TFractProps DefaultFractal;
  /// Colouring given to every new window; "Use As Default" of the colour dialog replaces it.
  TVoldViewProps DefaultView;

  /// The active child window when it shows a fractal, or null.
  TMDIChildWave* ActiveWaveWindow() const;
  /// A fractal window for `document` (taken over) with copies of the two records; not yet
  /// added to the frame (AddChildWindow shows it).
  TMDIChildWave* CreateChildWindow(std::unique_ptr<TUnitFract> document,
                                   const TFractProps& params, const TVoldViewProps& viewProps);
  /// "NONAME" with the next number of NoNameCounter that no open window is named.
  std::string NextFreeNoName();
  /// New window: the fractal dialog on DefaultFractal; Cancel removes the window again.
  void FileNewWaveExecute();
  /// The open dialog; each chosen file through OpenFractalFileAndRemember.
  void FileOpenFractalExecute();
  /// Opens one ".zlf" file in a new window and starts it; on failure shows "Cannot read the
  /// file" and leaves no window. Returns the document (owned by its window) or null.
  TUnitFract* OpenFractalFile(const std::string& path);
  /// OpenFractalFile for a file the user chose; a file that opens joins the recent files (a
  /// project's copies do not).
  TUnitFract* OpenFractalFileAndRemember(const std::string& path);
  void FileSaveExecute();
  void FileSaveAsExecute();
  void FileRevertExecute();
  /// Saves the document to its file (a new one through SaveUnitAs); false when not saved.
  bool SaveUnit(TUnitFract* unit);
  /// Asks for a file name and writes the document there; false when cancelled or not saved.
  bool SaveUnitAs(TUnitFract* unit);
  /// Reads the document's file again into its window and recomputes; on failure shows
  /// "Cannot revert the file" and changes nothing.
  bool RevertUnit(TUnitFract* unit);
  /// A new unnamed window with copies of the active window's records.
  void DuplicateWaveExecute();
  /// A new window showing the Julia set of c = cr + ci i and d = dr + di i over
  /// [-1.4, 1.4] x [-1.3, 1.3] with the other parameters and the colouring given; nothing
  /// happens without an active fractal window.
  void CreateJuliaWindow(const TFractProps& params, const TVoldViewProps& viewProps, double cr,
                         double ci, double dr, double di);
  /// The fractal dialog on the active window's parameters; OK recomputes.
  void FractPropsExecute();
  /// The colour dialog on the active window's colouring; OK repaints.
  void ViewVoldExecute();
  // Mouse modes: each switches its mode on, or off when it is on.
  void ZoomInExecute();
  void ZoomOutExecute();
  void DrawPointsExecute();
  void CreateJuliaFromMandelbrotExecute();
  // Orbit points of the active window.
  void AddNextPointsExecute();
  void GroupAsPolynoomExecute();
  void RemovePointsExecute();
  /// Connects the fractal commands to their actions and the command-line hook.
  void ConnectCommands();

  // ---- Image export, undo, recent files and dropped files (TMainForm_Extras.cpp).
  /// Redoes the change the last Undo took back (Ctrl+Y).
  QAction* Redo = nullptr;
  /// Saves the active fractal as a PNG or JPEG picture.
  QAction* ExportImage = nullptr;
  /// "&Edit": Undo, Redo, Delete Undo.
  QMenu* MenuEdit = nullptr;
  /// "Recent &Files" in "&File": the last opened or saved fractal and project files.
  QMenu* MenuRecentFiles = nullptr;
  /// Number of recent files kept.
  static constexpr int RecentFileCount = 10;
  /// Where the recent files are kept between runs: empty = the user's settings (organisation
  /// and application "Zenolith"); otherwise this INI file. Tests set their own file.
  static QString SettingsFile;
  /// Creates the actions and menus above and connects them; run once by the constructor.
  void CreateExtras();
  /// Takes back the latest change of the active fractal window; recomputes or repaints.
  void UndoExecute();
  void RedoExecute();
  /// Forgets the undo and redo steps of the active fractal window.
  void DeleteUndoExecute();
  /// Asks for the size and the file, then exports the active fractal (ExportImageFile).
  void ExportImageExecute();
  /// Computes the active fractal again at width x height pixels (same area and parameters),
  /// paints it with the view's colouring, draws its orbit points on it when `orbits`, and
  /// writes it to `path` (".png", ".jpg" or ".jpeg") in place of any file there, under a
  /// progress dialog whose Cancel stops at once. Shows the message of a failure (memory, an
  /// unknown extension, a file that cannot be written); false when nothing was written.
  bool ExportImageFile(const std::string& path, int width, int height, bool orbits);
  /// Puts `path` first in the recent files (without duplicates) and stores the list.
  void AddRecentFile(const std::string& path);
  /// Stores the recent files in the settings and updates their menu.
  void StoreRecentFiles();
  /// The recent files, newest first.
  const std::vector<std::string>& RecentFiles() const { return RecentFileList; }
  /// Opens a recent file by its extension; a missing one is reported with the CannotRead
  /// message and leaves the list.
  void OpenRecentFile(const std::string& path);
  /// Opens a file by its extension: ".zlf" a fractal window, ".kvp" a project, and with
  /// `palettes` ".cp1" the colour dialog of the active fractal window with the palette as its
  /// outside palette; anything else gets the "Invalid extension" message.
  void OpenFileByExtension(const std::string& path, bool palettes);
  /// The states of Undo, Redo, Delete Undo, Export Image and Recent Files; part of
  /// UpdateActions.
  void UpdateExtraActions();

  // ---- The project commands (TMainForm_Project.cpp).
  /// Connects the project commands to their actions and fills the project hooks.
  void ConnectProject();
  /// The open dialog; saves and closes the current project and its windows, then opens the
  /// chosen one.
  void ProjectOpenExecute();
  /// The new-project dialog; saves and closes the current project and its windows, then takes
  /// the chosen path as the project (nothing is written until it is saved). A path whose
  /// folder of copies another project uses is refused (CopiesFolderFree).
  void ProjectNewExecute();
  /// Saves the project and closes its windows; then no project is open. When the save fails,
  /// offers to close without saving (SaveAndCloseProjectWindows).
  void ProjectCloseExecute();
  void ProjectSaveExecute();
  /// The export dialog; saves every window as a copy into the chosen project. ProjectFile stays;
  /// a path whose folder of copies another project uses is refused (CopiesFolderFree).
  void ProjectExportExecute();
  /// Whether the project file `path` (absolute) has a folder of copies of its own: not the open
  /// project's, nor that of another project file beside it. Shows a message naming the folder
  /// when not.
  bool CopiesFolderFree(const std::string& path);
  /// Saves the windows into the project at `path` (every window as a copy when exporting):
  /// writes the copies, then puts the project file in place. True at once for an empty path.
  /// On failure shows "Cannot save Project File: <reason>"; the previous project file and its
  /// copies are then as they were.
  bool SaveProject(const std::string& path, bool exportProject);
  /// SaveProject without the message: false with the reason in `errorText`.
  bool TrySaveProject(const std::string& path, bool exportProject, std::string& errorText);
  /// Writes a copy of each window that needs saving (each window when exporting) through
  /// `save`, and sets the documents' TempFileNumber to their copies' numbers (-1 for none).
  /// False with the reason in `errorText`.
  bool SaveTempFiles(TProjectSave& save, bool exportProject, std::string& errorText);
  /// What the project file stores of the main window and its fractal windows (as
  /// ProjectWindows orders them), after SaveTempFiles; an export names no windows' own files.
  TProjectRecord BuildProjectRecord(bool exportProject) const;
  /// The close of the open project (Exit, Close Project): saves it and closes every window.
  /// When the save fails, asks whether to close without saving, naming what failed; on Yes
  /// each window with unsaved changes asks its own close question. False when the user
  /// stays (the windows not closed yet stay open).
  bool SaveAndCloseProjectWindows();
  /// Reads the project at `path` and opens its windows. A file that does not read is reported
  /// once, with its position, and leaves no project open (the windows opened stay); a file
  /// that cannot be opened leaves no project open without a message.
  void OpenProjectFile(const std::string& path);
  /// Without a project asks each window, last to first, and closes it; false when one refuses.
  /// With a project closes every window without asking.
  bool CloseAllWindows();
  /// Asks each window, last to first, its close question and closes it; false when one
  /// refuses (the windows asked before it are closed).
  bool CloseWindowsAsking();
  /// The fractal windows in the order a project stores them: the bottom of the stack first.
  std::vector<TMDIChildWave*> ProjectWindows() const;
  /// The fractal window that shows `unit`, or null.
  TMDIChildWave* WaveWindowOf(const TUnit* unit) const;

  /// The about box created at start (not owned); null = a temporary one is shown.
  TAboutBox* AboutBox = nullptr;
  /// The program's arguments without the program name; read once, on the first show.
  QStringList CommandLine;

  // ---- Hooks filled by the fractal and project commands. While unset, the shell does nothing
  // for them.
  /// Opens a ".zlf" file in a new window; returns its document or null.
  std::function<TUnit*(const std::string& path)> OpenFractalFileHook;
  /// Opens a ".kvp" project.
  std::function<void(const std::string& path)> OpenProjectFileHook;
  /// Close query while a project is open: saves it and closes every window; true lets the
  /// main window close.
  std::function<bool()> ProjectCloseQueryHook;

  // ---- Services.
  /// Shows `cursor` until the matching EndBusy. Calls nest; each EndBusy undoes one BeginBusy.
  void BeginBusy(const QCursor& cursor = QCursor(Qt::WaitCursor));
  /// Undoes the latest BeginBusy; without one it does nothing (the default cursor shows).
  void EndBusy();
  /// Number of BeginBusy calls not yet ended.
  int BusyDepth() const { return BusyCount; }

  /// The active child window (of any kind), or null; a window that is closing does not count.
  TMDIChildZenolith* ActiveChild() const;
  /// The active child window when it shows a fractal (kind 1), else null.
  TMDIChildZenolith* ActiveFractalWindow() const;
  /// The document of the active child window, or null.
  TUnit* ActiveUnit() const;
  /// The child windows in creation order (first created first), closing ones left out.
  std::vector<TMDIChildZenolith*> ChildWindows() const;
  /// Adds a child window to the frame and shows it; it becomes the active window.
  void AddChildWindow(TMDIChildZenolith* child);

  /// Whether `unit` may take `name` (shows the message when not); same as CheckUniqueName.
  bool RegisterName(const std::string& name, const TUnit* unit);
  /// Empty names pass. A name with "<" or ">" is refused with an "Input Error" message; a name
  /// another window's document has is refused with the NameExists message.
  bool CheckUniqueName(const std::string& name, const TUnit* unit);
  /// The document whose name equals `name` exactly, searching the windows last to first.
  TUnit* FindWindowByName(const std::string& name) const;
  /// Puts the name into the name field.
  void SetEditName(const std::string& name);
  /// Ends editing of the name field.
  void EndNameEdit();
  /// Renames the active document to the name field's text without surrounding spaces, when
  /// the name is accepted.
  void CommitEditName();
  void SetKeyCapture(bool capture) { KeyCapture = capture; }
  /// The main window's outer rectangle on the screen.
  TScreenRect MainFormRect() const;
  /// Caption "Zenolith 1.0", followed by " - " and the path when a project is open.
  void SetProjectCaption(const std::string& path);

  /// A child window became active (null: none is active any more).
  void ChildActivated(TMDIChildZenolith* child);
  /// The action-state rules; run after every command, on activation and on a timer.
  void UpdateActions();

  /// Opens the file named by the first argument, by its extension (".kvp" or ".zlf").
  void OpenCommandLine(const QStringList& arguments);

  // ---- Commands of the shell.
  void RegisterExecute();
  void HelpAboutExecute();
  void HelpContentsExecute();
  void FileCloseExecute();
  void FileExitExecute();
  void keyDExecute();
  /// Overlaps the windows from the top left, each keeping its size as far as the area allows.
  void WindowCascadeExecute();
  /// Stacks the windows one above the other, each the full width.
  void WindowTileHorizontalExecute();
  /// Puts the windows side by side, each the full height.
  void WindowTileVerticalExecute();
  /// Minimizes every child window.
  void WindowMinimizeAllExecute();
  /// Lines the minimized windows up along the bottom edge, left to right.
  void WindowArrangeAllExecute();

  /// The close query: without a project each window is asked, last to first, and one refusal
  /// keeps everything open; with a project ProjectCloseQueryHook decides.
  bool CloseQuery();

protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void CreateActions();
  void ConnectShellActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void FormCreate();
  void FormShow();
  /// A menu entry for `action` with its own caption and visibility; it runs `action`.
  QAction* AddMenuProxy(QMenu* menu, QAction* action, const QString& caption, bool visible);
  void RebuildWindowList();
  void SetEditNameEnabled(bool enabled);
  bool KeyFilter(QEvent* event);
  /// A key of a command goes to the command before the menu bar's mnemonics see it, even while
  /// the command is hidden or disabled (then it does nothing).
  bool ActionKeyFilter(QObject* watched, QEvent* event);
  /// The command whose key `event` is, or null.
  QAction* ActionForKey(const QKeyEvent& event) const;
  /// The first shown menu that Alt and its underlined letter (or F10) opens, or null.
  QAction* MenuForKey(const QKeyEvent& event) const;
  /// Notes where a hint of the first status panel comes from, and clears it when that control
  /// loses the mouse or a menu closes.
  void TrackAutoHint(QObject* watched, QEvent* event);
  void ClearAutoHint();
  /// Puts a new window inside the visible part of the frame, cutting its size when needed.
  void FitIntoArea(QMdiSubWindow* window) const;
  void EditNameClick();
  void EvEditNameOnKeyPress();
  /// Visible child windows that are not minimized, in creation order.
  std::vector<QMdiSubWindow*> TileCandidates() const;
  /// Height kept free at the bottom for the minimized windows.
  int IconRowHeight() const;
  /// Shares the area above the minimized windows among the tile candidates, in rows or columns.
  void Tile(bool horizontal);
  /// The colour dialog on `props`; OK gives them to `child` as one undoable, modifying change.
  void EditColoring(TMDIChildWave* child, const TVoldViewProps& props);

  std::vector<QAction*> Actions;
  std::vector<QLabel*> StatusPanels;
  std::vector<QAction*> WindowListActions;
  /// Tool-bar buttons whose hints differ from their actions': short and long hint.
  std::map<QObject*, std::pair<QString, QString>> ButtonHints;
  QTimer* UpdateTimer = nullptr;
  std::vector<std::string> RecentFileList;
  int BusyCount = 0;
  bool Shown = false;
  // The control whose hint the first status panel shows, and that text.
  QPointer<QObject> HintSource;
  QString ShownHint;
};
