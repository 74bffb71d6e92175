#pragma once
#include <QCursor>

// The busy cursor over the whole application while a command works.

/// Shows `cursor` until the matching EndBusy. Calls nest; each EndBusy undoes one BeginBusy.
void BeginBusy(const QCursor& cursor = QCursor(Qt::WaitCursor));
/// Undoes the latest BeginBusy; without one it does nothing (the default cursor shows).
void EndBusy();
/// Number of BeginBusy calls not yet ended.
int BusyDepth();
