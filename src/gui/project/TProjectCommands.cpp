// The project commands of the main window: new, open, save, close and export a project, the
// save of every window into it, and the close of its windows.
#include "gui/project/TProjectCommands.h"

#include <filesystem>
#include <system_error>

#include <QWidget>

#include "core/TErrorReport.h"
#include "core/assertions.h"
#include "core/unitInteger.h"
#include "document/TProjectHost.h"
#include "document/TProjectLock.h"
#include "document/TProjectRecord.h"
#include "document/TProjectSave.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "document/projectfile.h"
#include "gui/commands/TFractalCommands.h"
#include "gui/commands/TRecentFiles.h"
#include "gui/common/TPrompter.h"
#include "gui/common/busycursor.h"
#include "gui/common/filekinds.h"
#include "gui/help/helpcontexts.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TWorkspace.h"

namespace {

TFileDialogRequest ProjectDialog(const char* title, int helpContext, bool save) {
  TFileDialogRequest request = save ? SaveFileRequest(FileKind::Project, title)
                                    : OpenFileRequest(FileKind::Project, title);
  request.HelpContext = helpContext;
  return request;
}

// A project is found again through its path, and its copies through the path's folder: a
// relative path would depend on the folder the program was started in.
std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.string();
}

void ShowSaveError(const std::string& reason) {
  TPrompter::Current().Message("Cannot save Project File: " + reason,
                               TErrorReport::TitleSaveError, TMsgIcon::Information,
                               TMsgButtons::Ok);
}

// The frame, its windows and the fractal commands as the project reader sees them.
class TWorkspaceProjectHost final : public TProjectHost {
public:
  TWorkspaceProjectHost(TWorkspace& workspace, TFractalCommands& fractal,
                        TProjectCommands& project)
      : Workspace(workspace), Form(*workspace.window()), Fractal(fractal), Project(project) {}

  void SetNoNameCounter(int counter) override { Workspace.NoNameCounter = counter; }

  void SetFrame(const TProjectGeometry& frame) override {
    if (Form.isVisible() && (Form.isMaximized() || Form.isMinimized())) Form.showNormal();
    Form.setGeometry(frame.Left, frame.Top, frame.Width, frame.Height);
    Qt::WindowStates state = Qt::WindowNoState;
    if (frame.State == TProjectWindowState::Minimized) state = Qt::WindowMinimized;
    if (frame.State == TProjectWindowState::Maximized) state = Qt::WindowMaximized;
    if (!Form.isVisible()) {
      Form.setWindowState(state);
    } else if (state == Qt::WindowMinimized) {
      Form.showMinimized();
    } else if (state == Qt::WindowMaximized) {
      Form.showMaximized();
    }
  }

  TUnit* OpenFractalFile(const std::string& path) override {
    return Fractal.OpenFractalFile(path);
  }

  TUnit* FindWindowByName(const std::string& name) const override {
    return Workspace.FindWindowByName(name);
  }

  void ProjectNameExists(const std::string& file, const std::string& name) override {
    TErrorReport::ProjectNameExists(file, name);
  }

  void PlaceWindow(TUnit& unit, const std::string& name,
                   const TProjectGeometry& place) override {
    TMDIChildWave* child = Workspace.WaveWindowOf(&unit);
    ZASSERT_TEXT(child != nullptr, "childWave != NULL");
    child->SetProjectPlace(name, place);
  }

  void SetEditName(const std::string& name) override { emit Project.NameShown(name); }

private:
  TWorkspace& Workspace;
  // The main window, whose place the project stores.
  QWidget& Form;
  TFractalCommands& Fractal;
  TProjectCommands& Project;
};

}  // namespace

TProjectCommands::TProjectCommands(TWorkspace& workspace, TFractalCommands& fractal,
                                   TRecentFiles& recent, QObject* parent)
    : QObject(parent), Workspace(workspace), Fractal(fractal), Recent(recent) {
  // Built once, before the first project is read.
  ProjectGrammar();
}

TProjectCommands::~TProjectCommands() = default;

void TProjectCommands::SetProjectFile(const std::string& path) {
  // An open project is held, so that no other process saves into it meanwhile.
  if (path.empty()) {
    Lock.reset();
  } else if (!Lock || Lock->ProjectFile() != path) {
    Lock = std::make_unique<TProjectLock>(path);
  }
  if (path == Path) return;
  Path = path;
  emit ProjectChanged();
}

void TProjectCommands::ProjectOpenExecute() {
  const std::string path = TPrompter::Current().OpenFileName(
      ProjectDialog("Open Project", HelpContext::OpenProject, false));
  if (path.empty()) return;
  OpenProject(path);
}

void TProjectCommands::OpenProject(const std::string& path) {
  // Whichever way a project is opened, the one open before is saved and its windows close.
  if (SaveProject(Path, false) && CloseAllWindows()) OpenProjectFile(path);
}

void TProjectCommands::ProjectNewExecute() {
  const std::string path = TPrompter::Current().SaveFileName(
      ProjectDialog("New Project", HelpContext::NewProject, true));
  if (path.empty()) return;
  const std::string project = AbsolutePath(path);
  if (!CopiesFolderFree(project)) return;
  // Held from here on; another process with this project open keeps it.
  const TProjectLock lock(project);
  if (lock.State() == TProjectLock::TState::HeldElsewhere) {
    TPrompter::Current().Message(TProjectLock::InUseText(project, lock.Holder()),
                                 TErrorReport::TitleError, TMsgIcon::Information,
                                 TMsgButtons::Ok);
    return;
  }
  if (SaveProject(Path, false) && CloseAllWindows()) SetProjectFile(project);
}

void TProjectCommands::ProjectCloseExecute() {
  ZASSERT_TEXT(!Path.empty(), "ProjectFile != \"\"");
  if (SaveAndCloseProjectWindows()) SetProjectFile("");
}

void TProjectCommands::ProjectSaveExecute() {
  ZASSERT_TEXT(!Path.empty(), "ProjectFile != \"\"");
  SaveProject(Path, false);
}

void TProjectCommands::ProjectExportExecute() {
  const std::string path = TPrompter::Current().SaveFileName(
      ProjectDialog("Export Project", HelpContext::ExportProject, true));
  if (path.empty() || !CopiesFolderFree(AbsolutePath(path))) return;
  SaveProject(AbsolutePath(path), true);
}

bool TProjectCommands::CopiesFolderFree(const std::string& path) {
  std::string folder;
  if (IsDamagedProject(path, folder)) {
    // Its copies may be all that is left of its windows; a save here would delete them.
    TPrompter::Current().Message(
        "Cannot use \"" + path + "\" as a project: it is a damaged project, and its folder of "
        "copies \"" + folder + "\" may hold all that is left of its windows.",
        TErrorReport::TitleError, TMsgIcon::Information, TMsgButtons::Ok);
    return false;
  }
  const std::string owner = ProjectSharingCopies(path, Path, folder);
  if (owner.empty()) return true;
  // Two projects in one folder of copies would overwrite and delete each other's copies.
  TPrompter::Current().Message("Cannot use \"" + path + "\" as a project: its folder of copies \"" +
                                   folder + "\" belongs to the project \"" + owner + "\".",
                               TErrorReport::TitleError, TMsgIcon::Information, TMsgButtons::Ok);
  return false;
}

bool TProjectCommands::SaveProject(const std::string& path, bool exportProject) {
  std::string errorText;
  if (TrySaveProject(path, exportProject, errorText)) return true;
  ShowSaveError(errorText);
  return false;
}

bool TProjectCommands::TrySaveProject(const std::string& path, bool exportProject,
                               std::string& errorText) {
  errorText.clear();
  if (path.empty()) return true;
  BeginBusy();
  bool saved = false;
  {
    TProjectSave save(path);
    if (save.Begin(errorText) && SaveTempFiles(save, exportProject, errorText)) {
      std::string text;
      saved = ProjectFileText(BuildProjectRecord(exportProject), text, errorText) &&
              save.Commit(text, errorText);
    }
  }
  EndBusy();
  if (saved && !exportProject) Recent.AddRecentFile(path);
  return saved;
}

bool TProjectCommands::SaveTempFiles(TProjectSave& save, bool exportProject,
                                     std::string& errorText) {
  for (TMDIChildWave* child : Workspace.ProjectWindows()) {
    TUnitFract* unit = child->GetUnitFract();
    unit->TempFileNumber = -1;
    if (!exportProject && !unit->NeedsSave()) continue;
    std::string bytes;
    if (!FractalFileText(child->GetStoredFractal(), bytes, errorText)) {
      errorText = "In window \"" + child->windowTitle().toStdString() + "\": " + errorText;
      return false;
    }
    const int number = save.WriteCopy(bytes, errorText);
    if (number < 0) return false;
    unit->TempFileNumber = number;
  }
  return true;
}

bool TProjectCommands::SaveAndCloseProjectWindows() {
  std::string errorText;
  if (TrySaveProject(Path, false, errorText)) return CloseAllWindows();
  // A project that cannot be saved (read-only media, a full disk) must not keep the program
  // open for ever: the user may leave it as it is on disk.
  const std::string question = "Cannot save Project File: " + errorText +
                               "\nClose without saving the project \"" + Path +
                               "\"? Its files stay as they were.";
  if (TPrompter::Current().Message(question, TErrorReport::TitleSaveError, TMsgIcon::Warning,
                                   TMsgButtons::YesNo) != TMsgResult::Yes)
    return false;
  return Workspace.CloseWindowsAsking();
}

TProjectRecord TProjectCommands::BuildProjectRecord(bool exportProject) const {
  TProjectRecord project;
  project.NoNameCounter = Workspace.NoNameCounter;
  // A minimized or maximized main window is stored with the place it returns to.
  const QWidget& form = *Workspace.window();
  const QRect g = form.isMinimized() || form.isMaximized() ? form.normalGeometry()
                                                           : form.geometry();
  project.Frame = {g.x(), g.y(), g.width(), g.height(),
                   form.isMinimized()   ? TProjectWindowState::Minimized
                   : form.isMaximized() ? TProjectWindowState::Maximized
                                        : TProjectWindowState::Normal};
  for (TMDIChildWave* child : Workspace.ProjectWindows()) {
    const TUnitFract* unit = child->GetUnitFract();
    TProjectWindow window;
    // An export refers only to its own copies.
    if (!exportProject) window.File = unit->GetFileName();
    if (unit->TempFileNumber != -1) window.TempFile = std::to_string(unit->TempFileNumber);
    window.Name = unit->GetName();
    window.Place = child->GetProjectPlace();
    project.Windows.push_back(window);
  }
  return project;
}

void TProjectCommands::OpenProjectFile(const std::string& path) {
  const std::string project = AbsolutePath(path);
  // The project open before is given up first: it may be this one under another name.
  Lock.reset();
  Path.clear();
  auto lock = std::make_unique<TProjectLock>(project);
  bool readOnly = false;
  if (lock->State() == TProjectLock::TState::HeldElsewhere) {
    // Opened twice by accident (a double click, Recent Files in a second program): only the
    // holder saves, or each would delete the other's copies.
    const std::string question =
        TProjectLock::InUseText(project, lock->Holder()) +
        "\nOpen its windows read-only? They open as if no project were open: nothing is saved "
        "into the project, and each window asks about its changes when it closes.";
    if (TPrompter::Current().Message(question, TErrorReport::TitleFileError, TMsgIcon::Question,
                                     TMsgButtons::YesNo) != TMsgResult::Yes) {
      emit ProjectChanged();
      return;
    }
    readOnly = true;
    lock.reset();
  }
  // The caption names the project once it has been read.
  Path = project;
  BeginBusy();
  TWorkspaceProjectHost host(Workspace, Fractal, *this);
  std::string errorText;
  const TProjectReadOutcome outcome = ReadProjectFile(Path, host, errorText);
  EndBusy();
  if (outcome == TProjectReadOutcome::Failed) {
    TPrompter::Current().Message("Cannot read the file: \"" + Path + "\"" + errorText,
                                 TErrorReport::TitleFileError, TMsgIcon::Information,
                                 TMsgButtons::Ok);
    Path.clear();
  } else if (outcome == TProjectReadOutcome::NotOpened) {
    Path.clear();
  }
  Recent.AddRecentFile(readOnly && outcome == TProjectReadOutcome::Read ? project : Path);
  if (readOnly) Path.clear();
  if (!Path.empty()) Lock = std::move(lock);
  emit ProjectChanged();
}

bool TProjectCommands::CloseAllWindows() {
  if (Path.empty()) return Workspace.CloseWindowsAsking();
  // The project has just taken every change, so nothing is asked.
  const std::vector<TMDIChildZenolith*> children = Workspace.ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TUnit* unit = (*it)->GetDocument();
    if (unit && unit->TempFileNumber != -1) unit->ClearModified();
    (*it)->CloseWithoutQuery();
  }
  return true;
}
