#pragma once
#include "gui/dialogs/TOKBottomDlg.h"

class QCheckBox;
class QLabel;
class QLineEdit;

/// The dialog "Export Image": the width and height in pixels of the picture to write (the
/// fractal is computed again at that size) and whether the orbit points are drawn on it. A
/// bad size is reported as an input error and keeps the dialog open.
class TDlgExportImage : public TOKBottomDlg {
  Q_OBJECT
public:
  /// `viewWidth` x `viewHeight` (pixels) is the default size and what "< Window" sets;
  /// without orbit points (`hasOrbits` false) the check box is off and disabled.
  TDlgExportImage(QWidget* parent, int viewWidth, int viewHeight, bool hasOrbits);

  /// The size and the choice; valid after the dialog closed with OK.
  int GetImageWidth() const { return ImageWidth; }
  int GetImageHeight() const { return ImageHeight; }
  bool GetIncludeOrbits() const { return IncludeOrbits; }

  QLabel* lblWidth = nullptr;
  QLineEdit* editWidth = nullptr;
  QLabel* lblHeight = nullptr;
  QLineEdit* editHeight = nullptr;
  /// Sets both edits to the window's size.
  QPushButton* btnWindowSize = nullptr;
  QCheckBox* chkOrbitPoints = nullptr;

  void btnWindowSizeClick();

protected:
  /// OK reads the size; a bad one keeps the dialog open.
  bool CanClose(int result) override;

private:
  /// Reads the width, then the height, stopping at the first bad one; false after a message.
  bool ReadSize();

  int ViewWidth;
  int ViewHeight;
  int ImageWidth;
  int ImageHeight;
  bool IncludeOrbits;
};
