#pragma once
#include "gui/dialogs/TOKBottomDlg.h"
#include "movie/TMovieSettings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

/// The dialog "Export Zoom Movie": the frame size in pixels, the frames a second, the length in
/// seconds or the zoom factor a second, which way the movie zooms (out from the window's view
/// to the formula's whole view, or in), and whether every frame is computed in full. A bad
/// value is reported as an input error and keeps the dialog open.
class TDlgExportMovie : public TOKBottomDlg {
  Q_OBJECT
public:
  /// `viewWidth` x `viewHeight` (pixels) is what "< Window" sets, rounded down to even sizes.
  TDlgExportMovie(QWidget* parent, int viewWidth, int viewHeight);

  /// The movie's settings; valid after the dialog closed with OK.
  const TMovieSettings& GetSettings() const { return Settings; }

  QLabel* lblWidth = nullptr;
  QLineEdit* editWidth = nullptr;
  QLabel* lblHeight = nullptr;
  QLineEdit* editHeight = nullptr;
  QPushButton* btnWindowSize = nullptr;
  QLabel* lblFramesPerSecond = nullptr;
  QLineEdit* editFramesPerSecond = nullptr;
  QRadioButton* radSeconds = nullptr;
  QLineEdit* editSeconds = nullptr;
  QRadioButton* radZoomPerSecond = nullptr;
  QLineEdit* editZoomPerSecond = nullptr;
  QRadioButton* radZoomOut = nullptr;
  QRadioButton* radZoomIn = nullptr;
  QCheckBox* chkFullFrames = nullptr;

  void btnWindowSizeClick();

protected:
  /// OK reads the values; a bad one keeps the dialog open.
  bool CanClose(int result) override;

private:
  /// Reads every value, stopping at the first bad one; false after a message.
  bool ReadSettings();
  /// Enables the edit of the chosen way of giving the length.
  void UpdateLengthEdits();

  int ViewWidth;
  int ViewHeight;
  TMovieSettings Settings;
};
