#include "gui/view/TMDIChildWave.h"

#include <QWheelEvent>

#include "core/TErrorReport.h"
#include "core/assertions.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "engine/TFractProps.h"
#include "gui/common/TPrompter.h"
#include "gui/common/busycursor.h"
#include "gui/common/cursors.h"
#include "gui/common/filekinds.h"
#include "gui/common/icons.h"
#include "gui/view/viewstatus.h"
#include "render/TVoldViewProps.h"

TMDIChildWave::TMDIChildWave(QWidget* parent, const TFractProps& params,
                             const TVoldViewProps& viewProps,
                             std::unique_ptr<TUnitFract> document)
    : TMDIChildZenolith(parent) {
  setObjectName(QStringLiteral("MDIChildWave"));
  ZASSERT_TEXT(document != nullptr, "unitWave != NULL");
  UnitFract = document.get();
  SetDocument(std::move(document));
  View = new TViewWave(*UnitFract, viewProps, params);
  setWidget(View);
  resize(DefaultWidth, DefaultHeight);
  setWindowIcon(ApplicationIcon());
  connect(View, &TViewWave::StatusChanged, this, [this] { emit StatusChanged(this); });
  connect(View, &TViewWave::StateChanged, this, [this] { emit StateChanged(this); });
  connect(View, &TViewWave::MouseModeRequested, this, &TMDIChildWave::SetMouseMode);
  connect(View, &TViewWave::JuliaRequested, this, &TMDIChildWave::JuliaRequested);
  connect(View, &TViewWave::StatusHint, this, &TMDIChildWave::StatusHint);
  connect(View, &TViewWave::MemoryRefused, this, &TMDIChildWave::MemoryRefused);
}

TMDIChildWave::~TMDIChildWave() {
  // Nobody listens to a window that is going.
  blockSignals(true);
  // The worker must be gone before the document and the view are.
  if (View) View->StopComputation();
}

void TMDIChildWave::SetViewCursor(int cursor) { View->setCursor(CursorById(cursor)); }

void TMDIChildWave::SetMouseMode(TMouseMode mode) {
  View->SetMouseMode(mode);
  SetViewCursor(TViewWave::CursorOfMode(mode));
  emit StateChanged(this);
}

TVoldViewProps TMDIChildWave::GetViewProps() const { return View->GetViewProps(); }

void TMDIChildWave::SetViewProps(const TVoldViewProps& props) { View->SetViewProps(props); }

TFractProps TMDIChildWave::GetParams() const { return View->GetParams(); }

void TMDIChildWave::SetParams(const TFractProps& params) { View->SetParams(params); }

void TMDIChildWave::StartComputation() { View->StartComputation(); }

void TMDIChildWave::RequestRepaint() { View->RequestRepaint(); }

void TMDIChildWave::MarkModified() {
  UnitFract->MarkModified();
  emit StateChanged(this);
}

void TMDIChildWave::ClearModified() {
  UnitFract->ClearModified();
  emit StateChanged(this);
}

bool TMDIChildWave::Save() {
  ZASSERT_TEXT(UnitFract->CanSaveFract(), "unitWave->CanSaveFract()");
  if (UnitFract->HasNoFile()) return SaveAs();
  BeginBusy();
  const bool saved = UnitFract->Save(GetStoredFractal());
  if (saved) ClearModified();
  EndBusy();
  if (saved) emit FileSaved(UnitFract->GetFileName());
  return saved;
}

bool TMDIChildWave::SaveAs() {
  ZASSERT_TEXT(UnitFract->CanSaveFract(), "unitWave->CanSaveFract()");
  const std::string path =
      TPrompter::Current().SaveFileName(SaveFileRequest(FileKind::Fractal, "Save Fractal"));
  if (path.empty()) return false;
  BeginBusy();
  const bool saved = UnitFract->SaveAs(path, GetStoredFractal());
  if (saved) {
    UnitFract->SetFileName(path);
    ClearModified();
  }
  EndBusy();
  if (saved) emit FileSaved(path);
  return saved;
}

bool TMDIChildWave::Revert() {
  const std::string waveFile = UnitFract->GetFileName();
  ZASSERT_TEXT(!waveFile.empty(), "waveFile != \"\"");
  BeginBusy();
  // Read beside the window: a file that fails leaves the window as it was.
  TStoredFractal stored = GetStoredFractal();
  std::string errorText;
  if (!UnitFract->Load(stored, errorText)) {
    EndBusy();
    const std::string reason =
        errorText.empty() ? std::string(", the file cannot be opened.") : ", " + errorText;
    TPrompter::Current().Message("Cannot revert the file: \"" + waveFile + "\"" + reason,
                                 TErrorReport::TitleFileError, TMsgIcon::Information,
                                 TMsgButtons::Ok);
    return false;
  }
  const TViewState before = View->CaptureState();
  SetStoredFractal(stored);
  ClearModified();
  StartComputation();
  View->CommitChange(before);
  EndBusy();
  return true;
}

std::string TMDIChildWave::SaveQuestion() const {
  const std::string& name = UnitFract->GetName();
  const std::string& file = UnitFract->GetFileName();
  std::string question = "Do you want to save the Wave";
  question += name.empty() ? std::string(" without name") : " with name \"" + name + "\"";
  question += file.empty() ? std::string(" to a new file") : " to current file \"" + file + "\"";
  return question + "?";
}

bool TMDIChildWave::CloseQuery() {
  if (!UnitFract->NeedsSave()) return true;
  const TMsgResult answer = TPrompter::Current().Message(
      SaveQuestion(), "You have unsaved changes", TMsgIcon::Question, TMsgButtons::YesNoCancel);
  switch (answer) {
    case TMsgResult::Yes:
      return Save();
    case TMsgResult::No:
      return true;
    default:
      return false;
  }
}

void TMDIChildWave::EvFormClose() { View->StopComputation(); }

std::array<std::string, TMDIChildZenolith::StatusTextCount> TMDIChildWave::StatusTexts() const {
  // Panel 1 shows the plane point under the mouse, 2 the progress of the computation and 3
  // its time; 4 and 5 stay empty. Panel 6 tells whether the fractal is new or changed.
  const std::array<std::string, 3> view = ViewStatusTexts(*View);
  return {view[0], view[1], view[2], std::string(), std::string(),
          UnitFract->StatusTexts()[5]};
}

void TMDIChildWave::wheelEvent(QWheelEvent* event) {
  // Over the frame: the view handles the wheel as if the mouse were over it.
  const QPoint at = View->mapFrom(this, event->position().toPoint());
  View->Wheel(event->angleDelta().y(), at.x(), at.y());
  event->accept();
}

void TMDIChildWave::RememberNormalGeometry() {
  if (!isMinimized() && !isMaximized()) NormalGeometry = geometry();
}

void TMDIChildWave::moveEvent(QMoveEvent* event) {
  TMDIChildZenolith::moveEvent(event);
  RememberNormalGeometry();
}

void TMDIChildWave::resizeEvent(QResizeEvent* event) {
  TMDIChildZenolith::resizeEvent(event);
  RememberNormalGeometry();
}
