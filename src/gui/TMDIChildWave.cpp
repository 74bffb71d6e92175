#include "gui/TMDIChildWave.h"

#include <array>

#include <QMdiArea>
#include <QWheelEvent>

#include "core/assertions.h"
#include "document/TUnitFract.h"
#include "engine/TFractProps.h"
#include "gui/TMainForm.h"
#include "gui/TPrompter.h"
#include "gui/cursors.h"
#include "gui/icons.h"
#include "gui/viewstatus.h"
#include "render/TVoldViewProps.h"

TMDIChildWave::TMDIChildWave(QWidget* parent, const TFractProps& params,
                             const TVoldViewProps& viewProps,
                             std::unique_ptr<TUnitFract> document)
    : TMDIChildZenolith(parent) {
  setObjectName(QStringLiteral("MDIChildWave"));
  ZASSERT_TEXT(document != nullptr, "unitWave != NULL");
  UnitFract = document.get();
  SetDocument(std::move(document));
  MouseMode = mmNone;
  SelectionSize = 0.5;
  View = new TViewWave(*this, viewProps, params);
  setWidget(View);
  resize(DefaultWidth, DefaultHeight);
  setWindowIcon(ApplicationIcon());
}

TMDIChildWave::~TMDIChildWave() {
  // The worker must be gone before the document and the view are.
  if (View) View->StopComputation();
}

void TMDIChildWave::SetViewCursor(int cursor) { View->setCursor(CursorById(cursor)); }

int TMDIChildWave::CursorOfMode(TMouseMode mode) {
  switch (mode) {
    case mmZoomIn: return CURSOR_ZOOMIN;
    case mmZoomOut: return CURSOR_ZOOMOUT;
    case mmDrawPoints: return CURSOR_DRAW;
    case mmCreateJulia: return CURSOR_MAND2JUL;
    case mmNone: break;
  }
  return 0;
}

void TMDIChildWave::SetMouseMode(TMouseMode mode) {
  MouseMode = mode;
  SetViewCursor(CursorOfMode(mode));
}

TVoldViewProps TMDIChildWave::GetViewProps() const { return View->GetViewProps(); }

void TMDIChildWave::SetViewProps(const TVoldViewProps& props) { View->SetViewProps(props); }

TFractProps TMDIChildWave::GetParams() const { return View->GetParams(); }

void TMDIChildWave::SetParams(const TFractProps& params) { View->SetParams(params); }

void TMDIChildWave::StartComputation() { View->StartComputation(); }

void TMDIChildWave::RequestRepaint() { View->RequestRepaint(); }

void TMDIChildWave::MarkModified() { UnitFract->MarkModified(); }

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
    case TMsgResult::Yes: {
      TMainForm* form = TMainForm::Instance();
      return form != nullptr && form->SaveUnit(UnitFract);
    }
    case TMsgResult::No:
      return true;
    default:
      return false;
  }
}

void TMDIChildWave::EvFormClose() { View->StopComputation(); }

void TMDIChildWave::UpdateMainActions(TMainForm& form) {
  form.ZoomIn->setChecked(MouseMode == mmZoomIn);
  form.ZoomOut->setChecked(MouseMode == mmZoomOut);
  form.DrawPoints->setChecked(MouseMode == mmDrawPoints);
  form.CreateJuliaFromMandelbrot->setChecked(MouseMode == mmCreateJulia);
  form.GroupAsPolynoom->setChecked(View->GetGroupPoints());
  // Panel 2 shows the plane point under the mouse, 3 the progress of the computation and 4
  // its time; 5 and 6 stay empty. Panel 7 tells whether the fractal is new or changed.
  const std::array<std::string, 6> texts = UnitFract->StatusTexts();
  const std::array<std::string, 3> view = ViewStatusTexts(*View);
  for (int i = 1; i <= 3; ++i) form.SetStatusText(i, QString::fromStdString(view[i - 1]));
  for (int i = 4; i <= 5; ++i) form.SetStatusText(i, QString());
  form.SetStatusText(6, QString::fromStdString(texts[5]));
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
