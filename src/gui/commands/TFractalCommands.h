#pragma once
#include <memory>
#include <string>

#include <QObject>

#include "engine/TFractProps.h"
#include "render/TVoldViewProps.h"

class TMDIChildWave;
class TRecentFiles;
class TUnitFract;
class TWorkspace;

/// The fractal commands of the main window: new, open, save, revert, duplicate and Julia
/// windows, the two properties dialogs, the mouse modes, the orbit points, undo and redo. They
/// act on the workspace's active fractal window; their dialogs belong to the workspace's
/// window. The main window connects its actions to them.
class TFractalCommands : public QObject {
  Q_OBJECT
public:
  /// `workspace` and `recent` (not owned) must outlive the commands. The workspace takes the
  /// stored Auto Max Depth option.
  TFractalCommands(TWorkspace& workspace, TRecentFiles& recent, QObject* parent = nullptr);

  /// Parameters given to every new window; "Use As Default" of the fractal dialog replaces it.
  TFractProps DefaultFractal;
  /// Colouring given to every new window; "Use As Default" of the colour dialog replaces it.
  TVoldViewProps DefaultView;

  /// A fractal window for `document` (taken over) with copies of the two records; not yet
  /// added to the workspace (TWorkspace::AddChildWindow shows it).
  TMDIChildWave* CreateChildWindow(std::unique_ptr<TUnitFract> document,
                                   const TFractProps& params, const TVoldViewProps& viewProps);
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
  /// Save and Save As of the active window (TMDIChildWave::Save, SaveAs).
  void FileSaveExecute();
  void FileSaveAsExecute();
  /// Reads the active window's file again (TMDIChildWave::Revert); nothing without a file.
  void FileRevertExecute();
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
  /// The colour dialog on the active window's colouring with the palette file `path` as its
  /// outside palette. Without a fractal window, or when the file does not read, a message
  /// says so.
  void OpenPaletteFile(const std::string& path);
  // Mouse modes: each switches its mode on, or off when it is on.
  void ZoomInExecute();
  void ZoomOutExecute();
  void DrawPointsExecute();
  void CreateJuliaFromMandelbrotExecute();
  // Orbit points of the active window.
  void AddNextPointsExecute();
  void GroupAsPolynoomExecute();
  void RemovePointsExecute();
  /// Auto Max Depth, a program-wide option (TWorkspace::SetAutoMaxDepth): kept in the
  /// settings between runs, never in fractal or project files; off until switched on.
  bool AutoMaxDepth() const;
  /// Switches Auto Max Depth for every fractal window and stores it.
  void SetAutoMaxDepth(bool on);
  // Undo and redo of the active window (TFractalCommands_Undo.cpp).
  /// Takes back the latest change of the active fractal window; recomputes or repaints.
  void UndoExecute();
  void RedoExecute();
  /// Forgets the undo and redo steps of the active fractal window.
  void DeleteUndoExecute();

signals:
  /// A command opened a window whose name the main window's name field shows.
  void NameShown(const std::string& name);

private:
  /// Adds a new window with copies of the records and starts its computation.
  void OpenComputedWindow(const TFractProps& params, const TVoldViewProps& viewProps);
  /// The colour dialog on `props`; OK gives them to `child` as one undoable, modifying change.
  void EditColoring(TMDIChildWave* child, const TVoldViewProps& props);

  TWorkspace& Workspace;
  TRecentFiles& Recent;
};
