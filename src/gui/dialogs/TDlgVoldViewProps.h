#pragma once
#include "gui/dialogs/TOKHelpRightDlg.h"
#include "render/TVoldViewProps.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TColorBox;

/// The dialog "Color Fractal": edits a copy of a view's colouring record, its four palettes
/// through the palette editor, and can make the result the default for new windows. A bad
/// strength is reported and keeps the dialog open.
class TDlgVoldViewProps : public TOKHelpRightDlg {
  Q_OBJECT
public:
  /// `defaultRecord` (not owned, may be null) receives the result when "Use As Default" is
  /// ticked; `current` is copied, its palettes into the working palettes.
  TDlgVoldViewProps(QWidget* parent, TVoldViewProps* defaultRecord,
                    const TVoldViewProps& current);

  /// The edited record; after OK it holds the user's entries.
  const TVoldViewProps& GetViewProps() const { return ViewProps; }

  /// The strength edits take at most this many characters.
  static constexpr int StrengthMaxLength = 99;

  QLabel* Label2 = nullptr;
  QGroupBox* rgrSensitivityOutside = nullptr;
  QButtonGroup* rgrSensitivityOutsideItems = nullptr;
  QLabel* lblStrengthOutside = nullptr;
  QLineEdit* editStrengthOutside = nullptr;
  QRadioButton* optDepthPaletteOutside = nullptr;
  QPushButton* btnDepthColorPaletteOutside = nullptr;
  QRadioButton* optDepthMixOutside = nullptr;
  QLabel* Label1 = nullptr;
  TColorBox* colbBackgroundOutside = nullptr;
  QLabel* Label3 = nullptr;
  TColorBox* colbForegroundOutside = nullptr;
  QGroupBox* grpColors = nullptr;
  QLabel* lblBackground = nullptr;
  TColorBox* colbMaxDepth = nullptr;
  QGroupBox* grpInside = nullptr;
  QGroupBox* rgrSensitivityInside = nullptr;
  QButtonGroup* rgrSensitivityInsideItems = nullptr;
  QLabel* lblStrengthInside = nullptr;
  QLineEdit* editStrengthInside = nullptr;
  QGroupBox* grpDepthColor = nullptr;
  QRadioButton* optDepthPaletteInside = nullptr;
  QPushButton* btnDepthPaletteInside = nullptr;
  QRadioButton* optDepthMixInside = nullptr;
  QGroupBox* grpBackgroundInsideColor = nullptr;
  QRadioButton* optBackgroundPaletteInside = nullptr;
  QPushButton* btnBackgroundPaletteInside = nullptr;
  QRadioButton* optBackgroundInside = nullptr;
  TColorBox* colbBackgroundInside = nullptr;
  QGroupBox* grpForegroundInsideColor = nullptr;
  QRadioButton* optForegroundPaletteInside = nullptr;
  QPushButton* btnForegroundPaletteInside = nullptr;
  QRadioButton* optForegroundInside = nullptr;
  TColorBox* colbForegroundInside = nullptr;
  QLabel* lblCursor = nullptr;
  TColorBox* colbCursor = nullptr;
  QCheckBox* chkDefault = nullptr;

  /// The four "Edit Palette..." buttons: the palette editor on the working copy; OK takes its
  /// palette and selects "Use Palette".
  void btnDepthColorPaletteOutsideClick();
  void btnDepthPaletteInsideClick();
  void btnBackgroundPaletteInsideClick();
  void btnForegroundPaletteInsideClick();

  /// The working palettes, taken into the record on OK.
  const TColorPalette1DItem& WorkPalOutside() const { return PalOutside; }
  const TColorPalette1DItem& WorkPalDepthInside() const { return PalDepthInside; }
  const TColorPalette1DItem& WorkPalBackgroundInside() const { return PalBackgroundInside; }
  const TColorPalette1DItem& WorkPalForegroundInside() const { return PalForegroundInside; }

protected:
  /// Takes the controls into the record; a bad strength keeps the dialog open.
  void OKBtnClick() override;
  void showEvent(QShowEvent* event) override;

private:
  void EnOnShow();
  void EditPalette(TColorPalette1DItem& palette, QRadioButton* usePalette);

  TVoldViewProps ViewProps;
  TColorPalette1DItem PalOutside;
  TColorPalette1DItem PalDepthInside;
  TColorPalette1DItem PalBackgroundInside;
  TColorPalette1DItem PalForegroundInside;
  TVoldViewProps* DefaultRecord;
};
