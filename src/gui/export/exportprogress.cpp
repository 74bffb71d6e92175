#include "gui/export/exportprogress.h"

#include <QProgressDialog>

void SetUpExportProgress(QProgressDialog& progress, const QString& name, const QString& title,
                         int maximum) {
  progress.setObjectName(name);
  progress.setWindowTitle(title);
  progress.setRange(0, maximum);
  progress.setWindowModality(Qt::WindowModal);
  // The export closes it itself: on the end of its work, or on Cancel.
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setMinimumDuration(0);
  progress.setValue(0);
}
