#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include "gui/commands/TFileOpener.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class TAboutBox;
class TFractalCommands;
class TImageExportCommand;
class TMovieExportCommand;
class TMDIChildZenolith;
class TProjectCommands;
class TRecentFiles;
class TWorkspace;

/// A rectangle in screen pixels: right = left + width, bottom = top + height.
struct TScreenRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

/// The main window: a multiple-document frame (TWorkspace) with the menus, the tool bar
/// "Basic", the status bar and every action of the program. It owns the command groups
/// (fractal commands, project commands, recent files, image export) and connects its actions
/// to them; nothing below it calls it. Action states follow the events that change them: a
/// window activated or closed, the active window's StateChanged and StatusChanged, a project
/// opened or closed, and every command run.
class TMainForm : public QMainWindow {
  Q_OBJECT
public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

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
  /// Redoes the change the last Undo took back (Ctrl+Y).
  QAction* Redo = nullptr;
  /// Saves the active fractal as a PNG or JPEG picture.
  QAction* ExportImage = nullptr;
  QAction* ExportMovie = nullptr;
  /// The program-wide Auto Max Depth option (checkable).
  QAction* AutoMaxDepth = nullptr;

  /// Every action, in the order of the action table.
  const std::vector<QAction*>& ActionList1() const { return Actions; }

  // ---- Menus, tool bar, name field, status bar.
  QMenu* MenuFile = nullptr;
  QMenu* MenuProject = nullptr;
  QMenu* MenuFractal = nullptr;
  QMenu* MenuMode = nullptr;
  QMenu* MenuWindow = nullptr;
  QMenu* MenuHelp = nullptr;
  /// "&Edit": Undo, Redo, Delete Undo.
  QMenu* MenuEdit = nullptr;
  /// "Recent &Files" in "&File": the last opened or saved fractal and project files.
  QMenu* MenuRecentFiles = nullptr;
  QToolBar* ToolBarBasic = nullptr;
  /// Name of the active window; Enter renames it.
  QLineEdit* EditName = nullptr;
  /// Number of status panels.
  static constexpr int StatusPanelCount = 8;
  /// The panel of the plane point under the mouse.
  static constexpr int PointPanel = 1;
  /// Status panel 0..7; panel 0 shows the long hints.
  QLabel* StatusPanel(int index) const;
  /// Shows `text` in panel `index`. The point panel holds the whole text in its tooltip and
  /// keeps a deep view's width whole, the point before it elided in the middle to fit.
  void SetStatusText(int index, const QString& text);

  // ---- The parts (owned by this window).
  /// The area of child windows.
  TWorkspace* Workspace = nullptr;
  /// Recent Files.
  TRecentFiles* Recent = nullptr;
  /// New, open, save, revert, duplicate, Julia, properties, modes, orbits, undo.
  TFractalCommands* Fractal = nullptr;
  /// New, open, save, close and export a project.
  TProjectCommands* Project = nullptr;
  /// Export Image.
  TImageExportCommand* Export = nullptr;
  /// Export Zoom Movie.
  TMovieExportCommand* MovieExport = nullptr;
  /// The openers of the file kinds, for the command line, Recent Files and drops.
  TFileOpener Opener;

  // ---- State.
  /// Kind of the active child as last applied by UpdateActions (0 none, 1 fractal; 3 at start).
  int ActiveChildKind = 3;
  /// The name field is being edited: plain keys go to it, not to the shortcuts.
  bool NameEditing = false;
  /// A tool window asked for plain keyboard input: plain keys go to the focused widget.
  bool KeyCapture = false;
  /// The about box created at start (not owned); null = a temporary one is shown.
  TAboutBox* AboutBox = nullptr;
  /// The program's arguments without the program name, as the bytes the system gave (a file
  /// name need not be UTF-8); read once, on the first show.
  std::vector<std::string> CommandLine;

  // ---- Services.
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

  /// A child window became active (null: none is active any more): the name field shows its
  /// name, key capture ends, and the actions follow.
  void ChildActivated(TMDIChildZenolith* child);
  /// The action-state rules and the status panels of the active window; run on the events
  /// that change them and after every command.
  void UpdateActions();

  /// Opens `path` through the file kinds (TFileOpener::Open); `dropped` admits the kinds that
  /// open only when dropped. The actions follow.
  void OpenFileByExtension(const std::string& path, bool dropped);
  /// Opens the file named by the first argument, by its extension (".kvp" or ".zlf").
  void OpenCommandLine(const std::vector<std::string>& arguments);

  // ---- Commands of the shell.
  void RegisterExecute();
  void HelpAboutExecute();
  void HelpContentsExecute();
  void FileCloseExecute();
  void FileExitExecute();
  void keyDExecute();

  /// The close query: with a project open the project is saved and its windows close (or the
  /// user stays when it cannot be saved); without one each window is asked, last to first,
  /// and one refusal keeps everything open.
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
  void CreateParts();
  void ConnectShellActions();
  void ConnectCommands();
  /// Connects the signals of a child window being added.
  void ConnectChild(TMDIChildZenolith* child);
  /// The status panels 1 to 6 from `child`.
  void ShowStatus(const TMDIChildZenolith* child);
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
  void EditNameClick();
  void EvEditNameOnKeyPress();

  std::vector<QAction*> Actions;
  std::vector<QLabel*> StatusPanels;
  std::vector<QAction*> WindowListActions;
  /// Tool-bar buttons whose hints differ from their actions': short and long hint.
  std::map<QObject*, std::pair<QString, QString>> ButtonHints;
  bool Shown = false;
  // The control whose hint the first status panel shows, and that text.
  QPointer<QObject> HintSource;
  QString ShownHint;
};
