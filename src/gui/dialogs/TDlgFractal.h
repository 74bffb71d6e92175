#pragma once
#include "engine/TFractProps.h"
#include "gui/dialogs/TOKHelpBottomDlg.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

/// The dialog "Fractal": edits a copy of a fractal parameter record (formula, plane rectangle,
/// resolution, constants, exponents, limits, colour mode, what the pixel supplies) and can make
/// the result the default for new fractals. A bad field is reported and keeps the dialog open.
class TDlgFractal : public TOKHelpBottomDlg {
  Q_OBJECT
public:
  /// `viewHeight` and `viewWidth` (pixels) feed the two "< Window" buttons; `defaultRecord`
  /// (not owned, may be null) receives the result when "Use As Default" is ticked;
  /// `current` is copied into the working record.
  TDlgFractal(QWidget* parent, int viewHeight, int viewWidth, TFractProps* defaultRecord,
              const TFractProps& current);

  /// The working record; after OK it holds the user's entries.
  const TFractProps& GetFractProps() const { return FractProps; }

  QListWidget* lstFormulas = nullptr;
  QGroupBox* grpSelection = nullptr;
  QLineEdit* editSelLeft = nullptr;
  QLineEdit* editSelRight = nullptr;
  QLineEdit* editSelTop = nullptr;
  QLineEdit* editSelBottom = nullptr;
  /// Radio group "Colors": item 0 "Continue", item 1 "Discontinue".
  QGroupBox* rgrCont = nullptr;
  QButtonGroup* rgrContItems = nullptr;
  QLineEdit* editCont = nullptr;
  QGroupBox* grpResolution = nullptr;
  QLineEdit* editHorizontal = nullptr;
  QLineEdit* editVertical = nullptr;
  QPushButton* btnXResWindow = nullptr;
  QPushButton* btnYResWindow = nullptr;
  QGroupBox* grpParameters = nullptr;
  QLineEdit* editZR = nullptr;
  QLineEdit* editZI = nullptr;
  QLineEdit* editCR = nullptr;
  QLineEdit* editCI = nullptr;
  QLineEdit* editDR = nullptr;
  QLineEdit* editDI = nullptr;
  QRadioButton* optZ = nullptr;
  QRadioButton* optC = nullptr;
  QRadioButton* optD = nullptr;
  QLineEdit* editN = nullptr;
  QLineEdit* editM = nullptr;
  QLineEdit* editMaxDepth = nullptr;
  QLineEdit* editOuterCircle = nullptr;
  QLineEdit* editInnerDist = nullptr;
  QLineEdit* editMaxCycleDetect = nullptr;
  QCheckBox* chkDefault = nullptr;

  /// The resolution edits take at most this many characters.
  static constexpr int ResolutionMaxLength = 99;

  void btnXResWindowClick();
  void btnYResWindowClick();

protected:
  /// Reads the fields in order, stopping at the first bad one, which keeps the dialog open.
  void OKBtnClick() override;
  void showEvent(QShowEvent* event) override;

private:
  void FormShow();
  /// Enables the edits the selected formula and map mode use.
  void ApplyEnabling();

  TFractProps FractProps;
  TFractProps* DefaultRecord;
  int ViewHeight;
  int ViewWidth;
};
