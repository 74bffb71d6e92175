#include "gui/common/busycursor.h"

#include <QApplication>

namespace {

// Only the GUI thread changes the cursor.
int BusyCount = 0;

}  // namespace

void BeginBusy(const QCursor& cursor) {
  QApplication::setOverrideCursor(cursor);
  ++BusyCount;
}

void EndBusy() {
  if (BusyCount == 0) return;
  QApplication::restoreOverrideCursor();
  --BusyCount;
}

int BusyDepth() { return BusyCount; }
