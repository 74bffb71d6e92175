// The fractal commands of the main window: new, open, save, revert, duplicate and Julia
// windows, the two properties dialogs, the mouse modes and the orbit points.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include "core/TErrorReport.h"
#include "core/assertions.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "gui/TDlgFractal.h"
#include "gui/TDlgVoldViewProps.h"
#include "gui/TMDIChildWave.h"
#include "gui/TMainForm.h"
#include "gui/TPrompter.h"
#include "gui/TViewWave.h"

namespace {

const char* const FractalExtension = "zlf";
const char* const FractalFilter = "Fractals (*.zlf)|*.zlf|All files (*.*)|*.*";

// A document that the window being set up cannot mark modified yet.
std::unique_ptr<TUnitFract> NewDocument(const std::string& name, const std::string& path) {
  auto document = std::make_unique<TUnitFract>(name, path);
  document->Loaded = false;
  return document;
}

void ToggleMode(TMainForm& form, TMouseMode mode) {
  if (TMDIChildWave* child = form.ActiveWaveWindow())
    child->SetMouseMode(child->GetMouseMode() == mode ? mmNone : mode);
  form.UpdateActions();
}

}  // namespace

void TMainForm::ConnectCommands() {
  connect(FileNewWave, &QAction::triggered, this, &TMainForm::FileNewWaveExecute);
  connect(FileOpenWave, &QAction::triggered, this, &TMainForm::FileOpenFractalExecute);
  connect(FileSave, &QAction::triggered, this, &TMainForm::FileSaveExecute);
  connect(FileSaveAs, &QAction::triggered, this, &TMainForm::FileSaveAsExecute);
  connect(FileRevert, &QAction::triggered, this, &TMainForm::FileRevertExecute);
  connect(DuplicateWave, &QAction::triggered, this, &TMainForm::DuplicateWaveExecute);
  // The "Properties" menu item (key F) and the tool-bar button open the same dialog.
  connect(FractProps, &QAction::triggered, this, &TMainForm::FractPropsExecute);
  connect(FileProperties, &QAction::triggered, this, &TMainForm::FractPropsExecute);
  connect(ViewVold, &QAction::triggered, this, &TMainForm::ViewVoldExecute);
  connect(ZoomIn, &QAction::triggered, this, &TMainForm::ZoomInExecute);
  connect(ZoomOut, &QAction::triggered, this, &TMainForm::ZoomOutExecute);
  connect(DrawPoints, &QAction::triggered, this, &TMainForm::DrawPointsExecute);
  connect(CreateJuliaFromMandelbrot, &QAction::triggered, this,
          &TMainForm::CreateJuliaFromMandelbrotExecute);
  connect(AddNextPoints, &QAction::triggered, this, &TMainForm::AddNextPointsExecute);
  connect(GroupAsPolynoom, &QAction::triggered, this, &TMainForm::GroupAsPolynoomExecute);
  connect(RemovePoints, &QAction::triggered, this, &TMainForm::RemovePointsExecute);
  OpenFractalFileHook = [this](const std::string& path) -> TUnit* {
    return OpenFractalFileAndRemember(path);
  };
}

TMDIChildWave* TMainForm::ActiveWaveWindow() const {
  return qobject_cast<TMDIChildWave*>(ActiveFractalWindow());
}

TMDIChildWave* TMainForm::CreateChildWindow(std::unique_ptr<TUnitFract> document,
                                            const TFractProps& params,
                                            const TVoldViewProps& viewProps) {
  return new TMDIChildWave(nullptr, params, viewProps, std::move(document));
}

std::string TMainForm::NextFreeNoName() {
  // A window the user named "NONAME3" must not get a twin: such numbers are skipped.
  std::string name;
  do {
    name = NextNoName();
  } while (FindWindowByName(name) != nullptr);
  return name;
}

void TMainForm::FileNewWaveExecute() {
  // Cancel gives the frame back as it was: the window active before, maximized if it was.
  const QPointer<QMdiSubWindow> previous = MdiArea->activeSubWindow();
  const bool previousMaximized = previous && previous->isMaximized();
  BeginBusy();
  const std::string name = NextFreeNoName();
  std::unique_ptr<TUnitFract> document = NewDocument(name, "");
  TUnitFract* unit = document.get();
  QPointer<TMDIChildWave> child = CreateChildWindow(std::move(document), DefaultFractal,
                                                    DefaultView);
  AddChildWindow(child);
  // The dialog is the user's turn: no hourglass over it.
  EndBusy();

  const TViewWave* view = child->GetView();
  TDlgFractal dialog(this, view->height(), view->width(), &DefaultFractal, child->GetParams());
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (!child) return;
  if (accepted) {
    child->SetParams(dialog.GetFractProps());
    SetEditName(name);
    unit->Loaded = true;
    child->StartComputation();
  } else {
    delete child;
    if (previous) {
      MdiArea->setActiveSubWindow(previous);
      if (previousMaximized && !previous->isMaximized()) previous->showMaximized();
    }
  }
  UpdateActions();
}

void TMainForm::FileOpenFractalExecute() {
  TFileDialogRequest request;
  request.Title = "Open Fractal";
  request.DefaultExt = FractalExtension;
  request.Filter = FractalFilter;
  request.AllowMultiSelect = true;
  request.MustExist = true;
  const std::vector<std::string> files = TPrompter::Current().OpenFileNames(request);
  // One file failing does not keep the others from opening.
  for (const std::string& file : files) OpenFractalFileAndRemember(file);
}

TUnitFract* TMainForm::OpenFractalFile(const std::string& path) {
  BeginBusy();
  std::unique_ptr<TUnitFract> document = NewDocument("", path);
  TUnitFract* unit = document.get();
  // Shown only once the file has been read, so that a bad file leaves nothing behind.
  std::unique_ptr<TMDIChildWave> child(
      CreateChildWindow(std::move(document), DefaultFractal, DefaultView));
  std::string errorText;
  TStoredFractal fractal = child->GetStoredFractal();
  if (!unit->Load(fractal, errorText)) {
    child.reset();
    EndBusy();
    TErrorReport::CannotRead(path, errorText);
    return nullptr;
  }
  child->SetStoredFractal(fractal);
  TMDIChildWave* window = child.release();
  AddChildWindow(window);
  SetEditName(unit->GetName());
  EndBusy();
  window->StartComputation();
  unit->Loaded = true;
  UpdateActions();
  return unit;
}

TUnitFract* TMainForm::OpenFractalFileAndRemember(const std::string& path) {
  TUnitFract* unit = OpenFractalFile(path);
  if (unit) AddRecentFile(path);
  return unit;
}

void TMainForm::FileSaveExecute() {
  if (TMDIChildWave* child = ActiveWaveWindow()) SaveUnit(child->GetUnitFract());
}

void TMainForm::FileSaveAsExecute() {
  if (TMDIChildWave* child = ActiveWaveWindow()) SaveUnitAs(child->GetUnitFract());
}

void TMainForm::FileRevertExecute() {
  TMDIChildWave* child = ActiveWaveWindow();
  if (child && !child->GetUnitFract()->HasNoFile()) RevertUnit(child->GetUnitFract());
}

bool TMainForm::SaveUnit(TUnitFract* unit) {
  ZASSERT_TEXT(unit != nullptr, "unitWave != NULL");
  ZASSERT_TEXT(unit->CanSaveFract(), "unitWave->CanSaveFract()");
  if (unit->HasNoFile()) return SaveUnitAs(unit);
  const TMDIChildWave* child = WaveWindowOf(unit);
  ZASSERT_TEXT(child != nullptr, "childWave != NULL");
  BeginBusy();
  const bool saved = unit->Save(child->GetStoredFractal());
  if (saved) {
    unit->ClearModified();
    AddRecentFile(unit->GetFileName());
  }
  EndBusy();
  UpdateActions();
  return saved;
}

bool TMainForm::SaveUnitAs(TUnitFract* unit) {
  ZASSERT_TEXT(unit != nullptr, "unitWave != NULL");
  ZASSERT_TEXT(unit->CanSaveFract(), "unitWave->CanSaveFract()");
  const TMDIChildWave* child = WaveWindowOf(unit);
  ZASSERT_TEXT(child != nullptr, "childWave != NULL");
  TFileDialogRequest request;
  request.Title = "Save Fractal";
  request.DefaultExt = FractalExtension;
  request.Filter = FractalFilter;
  request.MustExist = true;
  request.OverwritePrompt = true;
  request.FileName.clear();
  const std::string path = TPrompter::Current().SaveFileName(request);
  if (path.empty()) return false;
  BeginBusy();
  const bool saved = unit->SaveAs(path, child->GetStoredFractal());
  if (saved) {
    unit->SetFileName(path);
    unit->ClearModified();
    AddRecentFile(path);
  }
  EndBusy();
  UpdateActions();
  return saved;
}

bool TMainForm::RevertUnit(TUnitFract* unit) {
  ZASSERT_TEXT(unit != nullptr, "unitWave != NULL");
  const std::string waveFile = unit->GetFileName();
  ZASSERT_TEXT(!waveFile.empty(), "waveFile != \"\"");
  TMDIChildWave* child = WaveWindowOf(unit);
  ZASSERT_TEXT(child != nullptr, "childWave != NULL");
  BeginBusy();
  // Read beside the window: a file that fails leaves the window as it was.
  TStoredFractal stored = child->GetStoredFractal();
  std::string errorText;
  if (!unit->Load(stored, errorText)) {
    EndBusy();
    const std::string reason =
        errorText.empty() ? std::string(", the file cannot be opened.") : ", " + errorText;
    TPrompter::Current().Message("Cannot revert the file: \"" + waveFile + "\"" + reason,
                                 TErrorReport::TitleFileError, TMsgIcon::Information,
                                 TMsgButtons::Ok);
    return false;
  }
  const TViewState before = child->GetView()->CaptureState();
  child->SetStoredFractal(stored);
  unit->ClearModified();
  child->StartComputation();
  child->GetView()->CommitChange(before);
  EndBusy();
  UpdateActions();
  return true;
}

void TMainForm::DuplicateWaveExecute() {
  TMDIChildWave* active = ActiveWaveWindow();
  if (!active) return;
  BeginBusy();
  const TVoldViewProps viewProps = active->GetViewProps();
  const TFractProps params = active->GetParams();
  std::unique_ptr<TUnitFract> document = NewDocument(NextFreeNoName(), "");
  TUnitFract* unit = document.get();
  TMDIChildWave* child = CreateChildWindow(std::move(document), params, viewProps);
  AddChildWindow(child);
  EndBusy();
  child->StartComputation();
  unit->Loaded = true;
  UpdateActions();
}

void TMainForm::CreateJuliaWindow(const TFractProps& params, const TVoldViewProps& viewProps,
                                  double cr, double ci, double dr, double di) {
  if (!ActiveFractalWindow()) return;
  BeginBusy();
  TFractProps julia = params;
  julia.CR.SetDouble(cr);
  julia.CI.SetDouble(ci);
  julia.DR.SetDouble(dr);
  julia.DI.SetDouble(di);
  julia.Left.SetDouble(-1.4);
  julia.Right.SetDouble(1.4);
  julia.Top.SetDouble(-1.3);
  julia.Bottom.SetDouble(1.3);
  julia.MapField = TFractProps::MapZ;
  std::unique_ptr<TUnitFract> document = NewDocument(NextFreeNoName(), "");
  TUnitFract* unit = document.get();
  TMDIChildWave* child = CreateChildWindow(std::move(document), julia, viewProps);
  AddChildWindow(child);
  EndBusy();
  child->StartComputation();
  unit->Loaded = true;
  UpdateActions();
}

void TMainForm::FractPropsExecute() {
  QPointer<TMDIChildWave> child = ActiveWaveWindow();
  if (!child) return;
  const TViewWave* view = child->GetView();
  TDlgFractal dialog(this, view->height(), view->width(), &DefaultFractal, child->GetParams());
  if (dialog.exec() != QDialog::Accepted || !child) return;
  const TViewState before = child->GetView()->CaptureState();
  child->SetParams(dialog.GetFractProps());
  child->MarkModified();
  child->StartComputation();
  child->GetView()->CommitChange(before);
  UpdateActions();
}

void TMainForm::ViewVoldExecute() {
  TMDIChildWave* child = ActiveWaveWindow();
  if (child) EditColoring(child, child->GetViewProps());
}

void TMainForm::EditColoring(TMDIChildWave* target, const TVoldViewProps& props) {
  // The window may close while the dialog is open.
  QPointer<TMDIChildWave> child = target;
  TDlgVoldViewProps dialog(this, &DefaultView, props);
  if (dialog.exec() != QDialog::Accepted || !child) return;
  const TViewState before = child->GetView()->CaptureState();
  child->SetViewProps(dialog.GetViewProps());
  child->MarkModified();
  child->RequestRepaint();
  child->GetView()->CommitChange(before);
  UpdateActions();
}

void TMainForm::ZoomInExecute() { ToggleMode(*this, mmZoomIn); }

void TMainForm::ZoomOutExecute() { ToggleMode(*this, mmZoomOut); }

void TMainForm::DrawPointsExecute() { ToggleMode(*this, mmDrawPoints); }

void TMainForm::CreateJuliaFromMandelbrotExecute() { ToggleMode(*this, mmCreateJulia); }

void TMainForm::AddNextPointsExecute() {
  if (TMDIChildWave* child = ActiveWaveWindow()) child->GetView()->AddNextPoints();
}

void TMainForm::GroupAsPolynoomExecute() {
  if (TMDIChildWave* child = ActiveWaveWindow()) child->GetView()->ToggleGroupPoints();
  UpdateActions();
}

void TMainForm::RemovePointsExecute() {
  if (TMDIChildWave* child = ActiveWaveWindow()) child->GetView()->RemovePoints();
}
