#pragma once
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "gui/view/TViewState.h"

/// The undo and redo steps of one fractal view, and which state its document's file holds.
/// Every change pushes the state before it; Undo hands back the latest of those and keeps the
/// state it replaces for Redo; a new change forgets the redo steps. Whenever a state is handed
/// in while the document has no unsaved changes, that state is what was saved last, so after
/// an undo or redo IsSavedState tells whether the document is changed again.
class TUndoHistory {
public:
  /// Undo steps kept; the oldest go first.
  static constexpr size_t MaxSteps = 100;

  /// Notes a change made from `before`; forgets the redo steps.
  void Record(TViewState before);
  bool CanUndo() const { return !UndoSteps.empty(); }
  bool CanRedo() const { return !RedoSteps.empty(); }
  bool Empty() const { return !CanUndo() && !CanRedo(); }
  size_t UndoCount() const { return UndoSteps.size(); }
  size_t RedoCount() const { return RedoSteps.size(); }

  /// The state before the latest change; `current` becomes the next redo step. Requires
  /// CanUndo().
  TViewState Undo(TViewState current);
  /// The state the latest undo left; `current` becomes an undo step again. Requires
  /// CanRedo().
  TViewState Redo(TViewState current);
  /// Forgets every step (not which state was saved).
  void Clear();

  /// Whether `state` stores as the document's file holds it (or as a new document started).
  /// False while that is not known.
  bool IsSavedState(const TViewState& state) const;

private:
  void NoteSaved(const TViewState& state);

  std::deque<TViewState> UndoSteps;
  std::vector<TViewState> RedoSteps;
  std::optional<TViewState> Saved;
};
