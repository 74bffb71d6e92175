#pragma once
#include <string>

#include <QObject>

#include "movie/TMovieSettings.h"

class TWorkspace;

/// Export Zoom Movie: makes a zoom movie between the active fractal window's view and the
/// formula's whole view, with the window's parameters and colouring, under a progress dialog
/// with the time left. The keyframes go to a folder beside the movie (TKeyframeFolder), and
/// the finished ones of an earlier export with the same parameters are used again, so a
/// cancelled export goes on where it stopped.
class TMovieExportCommand : public QObject {
  Q_OBJECT
public:
  /// `workspace` (not owned) must outlive the command.
  explicit TMovieExportCommand(TWorkspace& workspace, QObject* parent = nullptr);

  /// Asks for the settings and the file, then exports the active fractal (ExportMovieFile).
  void ExportMovieExecute();
  /// Makes the movie of the active fractal window with `settings` at `path` (".mp4", or
  /// ".png" for numbered pictures) under a progress dialog whose Cancel stops at once. Shows
  /// the message of a failure; false when no movie was written (also after Cancel).
  bool ExportMovieFile(const std::string& path, const TMovieSettings& settings);

signals:
  /// The progress dialog has shown `done` of `total` keyframes (keyframes true) or frames.
  void ProgressShown(bool keyframes, int done, int total);

private:
  TWorkspace& Workspace;
};
