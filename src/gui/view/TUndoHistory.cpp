#include "gui/view/TUndoHistory.h"

#include <utility>

#include "core/assertions.h"

void TUndoHistory::NoteSaved(const TViewState& state) {
  if (state.Unchanged()) Saved = state;
}

void TUndoHistory::Record(TViewState before) {
  NoteSaved(before);
  UndoSteps.push_back(std::move(before));
  if (UndoSteps.size() > MaxSteps) UndoSteps.pop_front();
  RedoSteps.clear();
}

TViewState TUndoHistory::Undo(TViewState current) {
  ZASSERT_TEXT(CanUndo(), "CanUndo()");
  NoteSaved(current);
  TViewState back = std::move(UndoSteps.back());
  UndoSteps.pop_back();
  RedoSteps.push_back(std::move(current));
  return back;
}

TViewState TUndoHistory::Redo(TViewState current) {
  ZASSERT_TEXT(CanRedo(), "CanRedo()");
  NoteSaved(current);
  TViewState forward = std::move(RedoSteps.back());
  RedoSteps.pop_back();
  UndoSteps.push_back(std::move(current));
  return forward;
}

void TUndoHistory::Clear() {
  UndoSteps.clear();
  RedoSteps.clear();
}

bool TUndoHistory::IsSavedState(const TViewState& state) const {
  return Saved.has_value() && Saved->SameFile(state);
}
