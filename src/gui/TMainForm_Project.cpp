// The project commands of the main window: new, open, save, close and export a project, the
// save of every window into it, and the close query while one is open.
#include <filesystem>
#include <system_error>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "core/TErrorReport.h"
#include "core/assertions.h"
#include "document/TProjectHost.h"
#include "document/TProjectRecord.h"
#include "document/TProjectSave.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "document/projectfile.h"
#include "gui/TMDIChildWave.h"
#include "gui/TMainForm.h"
#include "gui/TPrompter.h"
#include "gui/helpcontexts.h"

namespace {

const char* const ProjectExtension = "kvp";
const char* const ProjectFilter =
    "Project Files (*.kvp)|*.kvp|XML Files (*.xml)|*.xml|All files (*.*)|*.*";

TFileDialogRequest ProjectDialog(const char* title, int helpContext, bool save) {
  TFileDialogRequest request;
  request.Title = title;
  request.DefaultExt = ProjectExtension;
  request.Filter = ProjectFilter;
  request.HelpContext = helpContext;
  request.MustExist = true;
  request.OverwritePrompt = save;
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

// The main window as the project reader sees it.
class TMainFormProjectHost final : public TProjectHost {
public:
  explicit TMainFormProjectHost(TMainForm& form) : Form(form) {}

  void SetNoNameCounter(int counter) override { Form.NoNameCounter = counter; }

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

  TUnit* OpenFractalFile(const std::string& path) override { return Form.OpenFractalFile(path); }

  TUnit* FindWindowByName(const std::string& name) const override {
    return Form.FindWindowByName(name);
  }

  void ProjectNameExists(const std::string& file, const std::string& name) override {
    TErrorReport::ProjectNameExists(file, name);
  }

  void PlaceWindow(TUnit& unit, const std::string& name,
                   const TProjectGeometry& place) override {
    TMDIChildWave* child = Form.WaveWindowOf(&unit);
    ZASSERT_TEXT(child != nullptr, "childWave != NULL");
    child->SetProjectPlace(name, place);
  }

  void SetEditName(const std::string& name) override { Form.SetEditName(name); }

private:
  TMainForm& Form;
};

}  // namespace

void TMainForm::ConnectProject() {
  ProjectGrammar();
  connect(ProjectOpen, &QAction::triggered, this, &TMainForm::ProjectOpenExecute);
  connect(ProjectNew, &QAction::triggered, this, &TMainForm::ProjectNewExecute);
  connect(ProjectClose, &QAction::triggered, this, &TMainForm::ProjectCloseExecute);
  connect(ProjectSave, &QAction::triggered, this, &TMainForm::ProjectSaveExecute);
  connect(ProjectExport, &QAction::triggered, this, &TMainForm::ProjectExportExecute);
  // Whichever way a project is opened, the one open before is saved and its windows close.
  OpenProjectFileHook = [this](const std::string& path) {
    if (SaveProject(ProjectFile, false) && CloseAllWindows()) OpenProjectFile(path);
  };
  // Everything goes into the project without asking; only then may the windows go.
  ProjectCloseQueryHook = [this] { return SaveAndCloseProjectWindows(); };
}

TMDIChildWave* TMainForm::WaveWindowOf(const TUnit* unit) const {
  for (QMdiSubWindow* w : MdiArea->subWindowList()) {
    auto* child = qobject_cast<TMDIChildWave*>(w);
    if (child && child->GetDocument() == unit) return child;
  }
  return nullptr;
}

std::vector<TMDIChildWave*> TMainForm::ProjectWindows() const {
  // Bottom of the stack first: opened again in this order, the windows stack as they did and
  // the active one is active again.
  std::vector<TMDIChildWave*> windows;
  for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::StackingOrder)) {
    auto* child = qobject_cast<TMDIChildWave*>(w);
    if (child && !child->IsClosing()) windows.push_back(child);
  }
  return windows;
}

void TMainForm::ProjectOpenExecute() {
  const std::string path = TPrompter::Current().OpenFileName(
      ProjectDialog("Open Project", HelpContext::OpenProject, false));
  if (path.empty()) return;
  OpenProjectFileHook(path);
  UpdateActions();
}

void TMainForm::ProjectNewExecute() {
  const std::string path = TPrompter::Current().SaveFileName(
      ProjectDialog("New Project", HelpContext::NewProject, true));
  if (path.empty() || !CopiesFolderFree(AbsolutePath(path))) return;
  if (SaveProject(ProjectFile, false) && CloseAllWindows()) {
    ProjectFile = AbsolutePath(path);
    SetProjectCaption(ProjectFile);
  }
  UpdateActions();
}

void TMainForm::ProjectCloseExecute() {
  ZASSERT_TEXT(!ProjectFile.empty(), "ProjectFile != \"\"");
  if (SaveAndCloseProjectWindows()) {
    ProjectFile.clear();
    SetProjectCaption("");
  }
  UpdateActions();
}

void TMainForm::ProjectSaveExecute() {
  ZASSERT_TEXT(!ProjectFile.empty(), "ProjectFile != \"\"");
  SaveProject(ProjectFile, false);
}

void TMainForm::ProjectExportExecute() {
  const std::string path = TPrompter::Current().SaveFileName(
      ProjectDialog("Export Project", HelpContext::ExportProject, true));
  if (path.empty() || !CopiesFolderFree(AbsolutePath(path))) return;
  SaveProject(AbsolutePath(path), true);
}

bool TMainForm::CopiesFolderFree(const std::string& path) {
  std::string folder;
  const std::string owner = ProjectSharingCopies(path, ProjectFile, folder);
  if (owner.empty()) return true;
  // Two projects in one folder of copies would overwrite and delete each other's copies.
  TPrompter::Current().Message("Cannot use \"" + path + "\" as a project: its folder of copies \"" +
                                   folder + "\" belongs to the project \"" + owner + "\".",
                               TErrorReport::TitleError, TMsgIcon::Information, TMsgButtons::Ok);
  return false;
}

bool TMainForm::SaveProject(const std::string& path, bool exportProject) {
  std::string errorText;
  if (TrySaveProject(path, exportProject, errorText)) return true;
  ShowSaveError(errorText);
  return false;
}

bool TMainForm::TrySaveProject(const std::string& path, bool exportProject,
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
  if (saved && !exportProject) AddRecentFile(path);
  UpdateActions();
  return saved;
}

bool TMainForm::SaveTempFiles(TProjectSave& save, bool exportProject, std::string& errorText) {
  for (TMDIChildWave* child : ProjectWindows()) {
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

bool TMainForm::SaveAndCloseProjectWindows() {
  std::string errorText;
  if (TrySaveProject(ProjectFile, false, errorText)) return CloseAllWindows();
  // A project that cannot be saved (read-only media, a full disk) must not keep the program
  // open for ever: the user may leave it as it is on disk.
  const std::string question = "Cannot save Project File: " + errorText +
                               "\nClose without saving the project \"" + ProjectFile +
                               "\"? Its files stay as they were.";
  if (TPrompter::Current().Message(question, TErrorReport::TitleSaveError, TMsgIcon::Warning,
                                   TMsgButtons::YesNo) != TMsgResult::Yes)
    return false;
  return CloseWindowsAsking();
}

TProjectRecord TMainForm::BuildProjectRecord(bool exportProject) const {
  TProjectRecord project;
  project.NoNameCounter = NoNameCounter;
  // A minimized or maximized main window is stored with the place it returns to.
  const QRect g = isMinimized() || isMaximized() ? normalGeometry() : geometry();
  project.Frame = {g.x(), g.y(), g.width(), g.height(),
                   isMinimized()   ? TProjectWindowState::Minimized
                   : isMaximized() ? TProjectWindowState::Maximized
                                   : TProjectWindowState::Normal};
  for (TMDIChildWave* child : ProjectWindows()) {
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

void TMainForm::OpenProjectFile(const std::string& path) {
  ProjectFile = AbsolutePath(path);
  BeginBusy();
  TMainFormProjectHost host(*this);
  std::string errorText;
  const TProjectReadOutcome outcome = ReadProjectFile(ProjectFile, host, errorText);
  EndBusy();
  if (outcome == TProjectReadOutcome::Failed) {
    TPrompter::Current().Message("Cannot read the file: \"" + ProjectFile + "\"" + errorText,
                                 TErrorReport::TitleFileError, TMsgIcon::Information,
                                 TMsgButtons::Ok);
    ProjectFile.clear();
  } else if (outcome == TProjectReadOutcome::NotOpened) {
    ProjectFile.clear();
  }
  AddRecentFile(ProjectFile);
  SetProjectCaption(ProjectFile);
  UpdateActions();
}

bool TMainForm::CloseAllWindows() {
  if (ProjectFile.empty()) return CloseWindowsAsking();
  // The project has just taken every change, so nothing is asked.
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    TUnit* unit = (*it)->GetDocument();
    if (unit && unit->TempFileNumber != -1) unit->ClearModified();
    (*it)->CloseWithoutQuery();
  }
  return true;
}

bool TMainForm::CloseWindowsAsking() {
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(*it)->CloseQuery()) return false;
    (*it)->CloseWithoutQuery();
  }
  return true;
}
