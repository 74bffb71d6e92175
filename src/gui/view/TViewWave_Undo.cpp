// The undo side of the fractal view: states to record, and putting one back.
#include "document/TUnitFract.h"
#include "gui/view/TViewWave.h"

TViewState TViewWave::CaptureState() const {
  return TViewState(FractProps, ViewProps, OrbitJournal.Steps(), GroupPoints,
                    !Document.Modified());
}

void TViewWave::CommitChange(const TViewState& before) {
  // A dialog confirmed without edits, or a step that moved no orbit, is nothing to undo.
  if (CaptureState() == before) return;
  History.Record(before);
  emit StateChanged();
}

void TViewWave::RestoreState(const TViewState& state) {
  const TViewState now = CaptureState();
  const bool newParams = !now.SameParams(state);
  const bool newLook = !now.SameViewProps(state) || !now.SameOrbits(state);
  if (!now.SameOrbits(state)) OrbitJournal.Restore(DrawPoints, state.Orbits());
  GroupPoints = state.GroupPoints();
  ViewProps = state.ViewProps();
  if (newParams) {
    SetParams(state.Params());
    // The new columns cover the old picture and its orbits; the orbits follow at the end.
    StartComputation();
  } else if (newLook) {
    RequestRepaint();
  }
  emit StateChanged();
}

void TViewWave::ClearHistory() {
  History.Clear();
  emit StateChanged();
}
