// Undo and redo of the active fractal window.
#include "document/TUnitFract.h"
#include "gui/commands/TFractalCommands.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TViewWave.h"
#include "gui/view/TWorkspace.h"

namespace {

// One step back (`undo`) or forward in the active window's history; the document's changed
// state follows whether the state shown is the one saved last.
void StepHistory(TWorkspace& workspace, bool undo) {
  TMDIChildWave* child = workspace.ActiveWaveWindow();
  if (child == nullptr) return;
  TViewWave* view = child->GetView();
  TUndoHistory& history = view->GetHistory();
  if (undo ? !history.CanUndo() : !history.CanRedo()) return;
  TViewState now = view->CaptureState();
  const TViewState target = undo ? history.Undo(std::move(now)) : history.Redo(std::move(now));
  view->RestoreState(target);
  if (history.IsSavedState(target)) {
    child->ClearModified();
  } else {
    child->MarkModified();
  }
}

}  // namespace

void TFractalCommands::UndoExecute() { StepHistory(Workspace, true); }

void TFractalCommands::RedoExecute() { StepHistory(Workspace, false); }

void TFractalCommands::DeleteUndoExecute() {
  if (TMDIChildWave* child = Workspace.ActiveWaveWindow()) child->GetView()->ClearHistory();
}
