#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QObject>

class TFractalCommands;
class TProjectLock;
class TProjectRecord;
class TProjectSave;
class TRecentFiles;
class TWorkspace;

/// The project commands of the main window: new, open, save, close and export a project, the
/// save of every window into it, and the close of its windows. The frame a project stores is
/// the workspace's window. Changes of the open project are told by ProjectChanged.
class TProjectCommands : public QObject {
  Q_OBJECT
public:
  /// `workspace`, `fractal` and `recent` (not owned) must outlive the commands.
  TProjectCommands(TWorkspace& workspace, TFractalCommands& fractal, TRecentFiles& recent,
                   QObject* parent = nullptr);
  /// Gives up the hold on the open project.
  ~TProjectCommands() override;

  /// Path of the open project (absolute); "" = no project.
  const std::string& ProjectFile() const { return Path; }
  /// Takes `path` as the open project ("" = none) and holds it (TProjectLock) while it is open;
  /// ProjectChanged when it differs. A project that another process holds can be named here
  /// but not saved.
  void SetProjectFile(const std::string& path);
  /// Whether a project is open.
  bool IsOpen() const { return !Path.empty(); }

  /// The open dialog; saves and closes the current project and its windows, then opens the
  /// chosen one (OpenProject).
  void ProjectOpenExecute();
  /// The new-project dialog; saves and closes the current project and its windows, then takes
  /// the chosen path as the project (nothing is written until it is saved). A path whose
  /// folder of copies another project uses (CopiesFolderFree), or a project that another
  /// process holds, is refused.
  void ProjectNewExecute();
  /// Saves the project and closes its windows; then no project is open. When the save fails,
  /// offers to close without saving (SaveAndCloseProjectWindows).
  void ProjectCloseExecute();
  void ProjectSaveExecute();
  /// The export dialog; saves every window as a copy into the chosen project. The open
  /// project stays; a path whose folder of copies another project uses is refused
  /// (CopiesFolderFree).
  void ProjectExportExecute();
  /// However a project is opened: the open one is saved and its windows close, then the
  /// project at `path` opens (OpenProjectFile).
  void OpenProject(const std::string& path);
  /// Whether the project file `path` (absolute) has a folder of copies of its own: not the open
  /// project's, nor that of another project file beside it, nor that of a damaged project at
  /// `path` itself. Shows a message naming the folder when not.
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
  /// What the project file stores of the frame and its fractal windows (as ProjectWindows
  /// orders them), after SaveTempFiles; an export names no windows' own files.
  TProjectRecord BuildProjectRecord(bool exportProject) const;
  /// The close of the open project (Exit, Close Project): saves it and closes every window.
  /// When the save fails, asks whether to close without saving, naming what failed; on Yes
  /// each window with unsaved changes asks its own close question. False when the user
  /// stays (the windows not closed yet stay open).
  bool SaveAndCloseProjectWindows();
  /// Reads the project at `path` and opens its windows. A file that does not read is reported
  /// once, with its position, and leaves no project open (the windows opened stay); a file
  /// that cannot be opened leaves no project open without a message. A project that another
  /// process holds is named with that process, and the user chooses between nothing and its
  /// windows without the project (read-only: no project is open, nothing is saved into it,
  /// and each window asks about its changes when it closes).
  void OpenProjectFile(const std::string& path);
  /// Without a project asks each window, last to first, and closes it; false when one refuses.
  /// With a project closes every window without asking.
  bool CloseAllWindows();

signals:
  /// The open project changed (its path is ProjectFile()).
  void ProjectChanged();
  /// A project opened; the main window's name field shows `name`.
  void NameShown(const std::string& name);

private:
  TWorkspace& Workspace;
  TFractalCommands& Fractal;
  TRecentFiles& Recent;
  std::string Path;
  // The hold on the open project.
  std::unique_ptr<TProjectLock> Lock;
};
