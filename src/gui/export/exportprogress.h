#pragma once

class QProgressDialog;
class QString;

/// Sets up `progress` as the exports show it: window-modal, titled `title`, named `name` (for
/// tests), from 0 to `maximum`, shown at once and left open until the export closes it.
void SetUpExportProgress(QProgressDialog& progress, const QString& name, const QString& title,
                         int maximum);
