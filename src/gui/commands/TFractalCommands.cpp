// The fractal commands of the main window: new, open, save, revert, duplicate and Julia
// windows, the two properties dialogs, the mouse modes and the orbit points.
#include "gui/commands/TFractalCommands.h"

#include <QMdiSubWindow>
#include <QPointer>

#include "core/TErrorReport.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "gui/commands/TRecentFiles.h"
#include "gui/commands/TSettingsFile.h"
#include "gui/common/TPrompter.h"
#include "gui/common/busycursor.h"
#include "gui/common/datafolders.h"
#include "gui/common/filekinds.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/dialogs/TDlgVoldViewProps.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TViewWave.h"
#include "gui/view/TWorkspace.h"
#include "render/TColorPalette1DItem.h"

namespace {

const char* const AutoMaxDepthKey = "AutoMaxDepth";

// A document that the window being set up cannot mark modified yet.
std::unique_ptr<TUnitFract> NewDocument(const std::string& name, const std::string& path) {
  auto document = std::make_unique<TUnitFract>(name, path);
  document->Loaded = false;
  return document;
}

void ToggleMode(TWorkspace& workspace, TMouseMode mode) {
  if (TMDIChildWave* child = workspace.ActiveWaveWindow())
    child->SetMouseMode(child->GetMouseMode() == mode ? mmNone : mode);
}

}  // namespace

TFractalCommands::TFractalCommands(TWorkspace& workspace, TRecentFiles& recent, QObject* parent)
    : QObject(parent), Workspace(workspace), Recent(recent) {
  Workspace.SetAutoMaxDepth(TRecentFiles::Settings().Flag(AutoMaxDepthKey, false));
}

bool TFractalCommands::AutoMaxDepth() const { return Workspace.GetAutoMaxDepth(); }

void TFractalCommands::SetAutoMaxDepth(bool on) {
  Workspace.SetAutoMaxDepth(on);
  TRecentFiles::Settings().SetFlag(AutoMaxDepthKey, on);
  TRecentFiles::StoreSettings();
}

TMDIChildWave* TFractalCommands::CreateChildWindow(std::unique_ptr<TUnitFract> document,
                                                   const TFractProps& params,
                                                   const TVoldViewProps& viewProps) {
  return new TMDIChildWave(nullptr, params, viewProps, std::move(document));
}

void TFractalCommands::FileNewWaveExecute() {
  // Cancel gives the frame back as it was: the window active before, maximized if it was.
  if (!Workspace.RoomForWindow()) return;
  const QPointer<QMdiSubWindow> previous = Workspace.activeSubWindow();
  const bool previousMaximized = previous && previous->isMaximized();
  BeginBusy();
  const std::string name = Workspace.NextFreeNoName();
  std::unique_ptr<TUnitFract> document = NewDocument(name, "");
  TUnitFract* unit = document.get();
  QPointer<TMDIChildWave> child = CreateChildWindow(std::move(document), DefaultFractal,
                                                    DefaultView);
  Workspace.AddChildWindow(child);
  // The dialog is the user's turn: no hourglass over it.
  EndBusy();

  const TViewWave* view = child->GetView();
  TDlgFractal dialog(Workspace.window(), view->height(), view->width(), &DefaultFractal,
                     child->GetParams());
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (!child) return;
  if (accepted) {
    child->SetParams(dialog.GetFractProps());
    emit NameShown(name);
    unit->Loaded = true;
    child->StartComputation();
  } else {
    delete child;
    if (previous) {
      Workspace.setActiveSubWindow(previous);
      if (previousMaximized && !previous->isMaximized()) previous->showMaximized();
    }
  }
}

void TFractalCommands::FileOpenFractalExecute() {
  TFileDialogRequest request = OpenFileRequest(FileKind::Fractal, "Open Fractal");
  request.AllowMultiSelect = true;
  // Until the user has files of their own, an installed program starts among its examples.
  if (Recent.Files().empty()) request.InitialDir = InstalledExamplesFolder();
  const std::vector<std::string> files = TPrompter::Current().OpenFileNames(request);
  // One file failing does not keep the others from opening.
  for (const std::string& file : files) OpenFractalFileAndRemember(file);
}

TUnitFract* TFractalCommands::OpenFractalFile(const std::string& path) {
  if (!Workspace.RoomForWindow()) return nullptr;
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
  Workspace.AddChildWindow(window);
  emit NameShown(unit->GetName());
  EndBusy();
  window->StartComputation();
  unit->Loaded = true;
  return unit;
}

TUnitFract* TFractalCommands::OpenFractalFileAndRemember(const std::string& path) {
  TUnitFract* unit = OpenFractalFile(path);
  if (unit) Recent.AddRecentFile(path);
  return unit;
}

void TFractalCommands::FileSaveExecute() {
  if (TMDIChildWave* child = Workspace.ActiveWaveWindow()) child->Save();
}

void TFractalCommands::FileSaveAsExecute() {
  if (TMDIChildWave* child = Workspace.ActiveWaveWindow()) child->SaveAs();
}

void TFractalCommands::FileRevertExecute() {
  TMDIChildWave* child = Workspace.ActiveWaveWindow();
  if (child && !child->GetUnitFract()->HasNoFile()) child->Revert();
}

void TFractalCommands::OpenComputedWindow(const TFractProps& params,
                                          const TVoldViewProps& viewProps) {
  if (!Workspace.RoomForWindow()) return;
  BeginBusy();
  std::unique_ptr<TUnitFract> document = NewDocument(Workspace.NextFreeNoName(), "");
  TUnitFract* unit = document.get();
  TMDIChildWave* child = CreateChildWindow(std::move(document), params, viewProps);
  Workspace.AddChildWindow(child);
  EndBusy();
  child->StartComputation();
  unit->Loaded = true;
}

void TFractalCommands::DuplicateWaveExecute() {
  TMDIChildWave* active = Workspace.ActiveWaveWindow();
  if (!active) return;
  OpenComputedWindow(active->GetParams(), active->GetViewProps());
}

void TFractalCommands::CreateJuliaWindow(const TFractProps& params,
                                         const TVoldViewProps& viewProps, double cr, double ci,
                                         double dr, double di) {
  if (!Workspace.ActiveFractalWindow()) return;
  TFractProps julia = params;
  julia.CR.SetDouble(cr);
  julia.CI.SetDouble(ci);
  julia.DR.SetDouble(dr);
  julia.DI.SetDouble(di);
  julia.ClearDeepArea();
  julia.Left.SetDouble(-1.4);
  julia.Right.SetDouble(1.4);
  julia.Top.SetDouble(-1.3);
  julia.Bottom.SetDouble(1.3);
  julia.MapField = TKernelParams::MapZ;
  OpenComputedWindow(julia, viewProps);
}

void TFractalCommands::FractPropsExecute() {
  QPointer<TMDIChildWave> child = Workspace.ActiveWaveWindow();
  if (!child) return;
  const TViewWave* view = child->GetView();
  TDlgFractal dialog(Workspace.window(), view->height(), view->width(), &DefaultFractal,
                     child->GetParams());
  if (dialog.exec() != QDialog::Accepted || !child) return;
  const TViewState before = child->GetView()->CaptureState();
  child->SetParams(dialog.GetFractProps());
  child->MarkModified();
  child->StartComputation();
  child->GetView()->CommitChange(before);
}

void TFractalCommands::ViewVoldExecute() {
  TMDIChildWave* child = Workspace.ActiveWaveWindow();
  if (child) EditColoring(child, child->GetViewProps());
}

void TFractalCommands::OpenPaletteFile(const std::string& path) {
  QPointer<TMDIChildWave> child = Workspace.ActiveWaveWindow();
  if (!child) {
    TPrompter::Current().Message(
        "Cannot use the palette \"" + path +
            "\": open a fractal window first, then drop the palette on it.",
        TErrorReport::TitleFileError, TMsgIcon::Information, TMsgButtons::Ok);
    return;
  }
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  std::string errorText;
  if (!palette.LoadFromFile(path, errorText)) {
    TErrorReport::CannotRead(path, errorText);
    return;
  }
  TVoldViewProps props = child->GetViewProps();
  props.PalOutside = palette;
  props.UsePalOutside = true;
  EditColoring(child, props);
}

void TFractalCommands::EditColoring(TMDIChildWave* target, const TVoldViewProps& props) {
  // The window may close while the dialog is open.
  QPointer<TMDIChildWave> child = target;
  TDlgVoldViewProps dialog(Workspace.window(), &DefaultView, props);
  if (dialog.exec() != QDialog::Accepted || !child) return;
  const TViewState before = child->GetView()->CaptureState();
  child->SetViewProps(dialog.GetViewProps());
  child->MarkModified();
  child->RequestRepaint();
  child->GetView()->CommitChange(before);
}

void TFractalCommands::ZoomInExecute() { ToggleMode(Workspace, mmZoomIn); }

void TFractalCommands::ZoomOutExecute() { ToggleMode(Workspace, mmZoomOut); }

void TFractalCommands::DrawPointsExecute() { ToggleMode(Workspace, mmDrawPoints); }

void TFractalCommands::CreateJuliaFromMandelbrotExecute() {
  ToggleMode(Workspace, mmCreateJulia);
}

void TFractalCommands::AddNextPointsExecute() {
  if (TMDIChildWave* child = Workspace.ActiveWaveWindow()) child->GetView()->AddNextPoints();
}

void TFractalCommands::GroupAsPolynoomExecute() {
  if (TMDIChildWave* child = Workspace.ActiveWaveWindow()) child->GetView()->ToggleGroupPoints();
}

void TFractalCommands::RemovePointsExecute() {
  if (TMDIChildWave* child = Workspace.ActiveWaveWindow()) child->GetView()->RemovePoints();
}
