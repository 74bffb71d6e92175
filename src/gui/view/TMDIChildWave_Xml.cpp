// The values that the fractal window hands to the fractal file and the project file, and takes
// from them.
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "gui/view/TMDIChildWave.h"

TStoredFractal TMDIChildWave::GetStoredFractal() const {
  return TStoredFractal(GetParams(), GetViewProps());
}

void TMDIChildWave::SetStoredFractal(const TStoredFractal& fractal) {
  SetViewProps(fractal.View);
  SetParams(fractal.Params);
}

TProjectGeometry TMDIChildWave::GetProjectPlace() const {
  // A minimized or maximized window is stored with the place it returns to.
  const QRect g = (isMinimized() || isMaximized()) && NormalGeometry.isValid() ? NormalGeometry
                                                                               : geometry();
  TProjectGeometry place{g.x(), g.y(), g.width(), g.height(), TProjectWindowState::Normal};
  if (isMinimized()) {
    place.State = TProjectWindowState::Minimized;
  } else if (isMaximized()) {
    place.State = TProjectWindowState::Maximized;
  }
  return place;
}

void TMDIChildWave::SetProjectPlace(const std::string& name, const TProjectGeometry& place) {
  UnitFract->SetName(name);
  // The place is that of the normal window: a window shown maximized (as the frame does with
  // new windows while the active one is maximized) would take it as its maximized geometry.
  if (isVisible() && (isMaximized() || isMinimized())) showNormal();
  // Applied together, once: two quick resizes leave the frame drawn at the old width.
  setGeometry(place.Left, place.Top, place.Width, place.Height);
  Qt::WindowStates state = Qt::WindowNoState;
  if (place.State == TProjectWindowState::Minimized) state = Qt::WindowMinimized;
  if (place.State == TProjectWindowState::Maximized) state = Qt::WindowMaximized;
  if (isVisible()) {
    if (state == Qt::WindowMinimized) {
      showMinimized();
    } else if (state == Qt::WindowMaximized) {
      showMaximized();
    } else {
      showNormal();
    }
  } else {
    // Applied when the window is shown.
    setWindowState(state);
  }
}
