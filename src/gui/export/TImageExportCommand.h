#pragma once
#include <string>

#include <QObject>

class TWorkspace;

/// Export Image: saves the active fractal window's fractal as a PNG or JPEG picture of any
/// size, computed again at that size, under a progress dialog of the workspace's window.
class TImageExportCommand : public QObject {
  Q_OBJECT
public:
  /// `workspace` (not owned) must outlive the command.
  explicit TImageExportCommand(TWorkspace& workspace, QObject* parent = nullptr);

  /// Asks for the size and the file, then exports the active fractal (ExportImageFile).
  void ExportImageExecute();
  /// Computes the active fractal again at width x height pixels (same area and parameters),
  /// paints it with the view's colouring, draws its orbit points on it when `orbits`, and
  /// writes it to `path` (".png", ".jpg" or ".jpeg") in place of any file there, under a
  /// progress dialog whose Cancel stops at once. Shows the message of a failure (memory, an
  /// unknown extension, a file that cannot be written); false when nothing was written.
  bool ExportImageFile(const std::string& path, int width, int height, bool orbits);

private:
  TWorkspace& Workspace;
};
