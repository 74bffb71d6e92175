#pragma once
#include <memory>

#include "gui/dialogs/TOKHelpBottomDlg.h"
#include "render/TColorPalette1DItem.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPainter;
class TColorBox;
class TPaintBox;

/// The palette editor "Color Palette": walks the stops of a copy of a palette, adds and deletes
/// stops, changes their positions and colours, shows the colour strip, and opens and saves
/// palette files (".cp1"). The caller takes the copy with GetPalette() after OK.
class TDlgColorPalette1D : public TOKHelpBottomDlg {
  Q_OBJECT
public:
  /// Edits a deep copy of `palette` (a begin stop); the begin stop is current.
  TDlgColorPalette1D(QWidget* parent, const TColorPalette1DItem& palette);
  ~TDlgColorPalette1D() override;

  /// A new deep copy of the edited palette; the caller owns it.
  std::unique_ptr<TColorPalette1DItem> GetPalette() const;
  /// The palette being edited (owned by the dialog).
  const TColorPalette1DItem& Palette() const { return *PaletteCopy; }
  /// The current stop, a stop of Palette().
  const TColorPalette1DItem* Current() const { return CurrentItem; }

  /// Titles of the file dialogs (of the palette file kind, common/filekinds.h).
  static constexpr const char* OpenTitle = "Open Color Palette 1D";
  static constexpr const char* SaveTitle = "Save Color Palette 1D";
  static constexpr const char* DuplicateText = "This Position already exists in the pallette.";

  QLabel* lblPosition = nullptr;
  QLineEdit* editPosition = nullptr;
  QLabel* lblColor = nullptr;
  TColorBox* cboColorBefore = nullptr;
  QPushButton* btnColorPrevious = nullptr;
  QCheckBox* chkColorAfter = nullptr;
  TColorBox* cboColorAfter = nullptr;
  QPushButton* btnColorNext = nullptr;
  QPushButton* btnPalItemFirst = nullptr;
  QPushButton* btnPalItemPrevious = nullptr;
  QPushButton* btnPalItemNext = nullptr;
  QPushButton* btnPalItemLast = nullptr;
  QPushButton* btnPalItemAdd = nullptr;
  QPushButton* btnPalItemDelete = nullptr;
  QPushButton* btnOpen = nullptr;
  QPushButton* btnSave = nullptr;
  /// The ruler under the strip: a mark per stop, the current one highlighted.
  TPaintBox* pboLineal = nullptr;
  /// The colour strip.
  TPaintBox* pboColor = nullptr;

  // Handlers, also called by tests.
  void btnPalItemFirstClick();
  void btnPalItemPreviousClick();
  void btnPalItemNextClick();
  void btnPalItemLastClick();
  void btnPalItemAddClick();
  void btnPalItemDeleteClick();
  /// Takes over a typed position when the box is left; false when the text was refused.
  bool editPositionExit();
  void btnColorPreviousClick();
  void btnColorNextClick();
  void btnOpenClick();
  void btnSaveClick();

  /// Where the ruler marks stop `position` (0 to 1): the strip's pixel column of it.
  static int MarkColumn(double position, int stripWidth);

protected:
  /// Takes a typed position first; a refused one keeps the dialog open.
  void OKBtnClick() override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // Counts the handlers that set controls from the model; change events wait meanwhile.
  struct TUpdating {
    explicit TUpdating(int& counter) : Counter(counter) { ++Counter; }
    ~TUpdating() { --Counter; }
    int& Counter;
  };

  void FormShow();
  void RefreshButtons();
  void RefreshControls();
  void Repaint();
  void SetCurrent(TColorPalette1DItem* item);
  void editPositionChange();
  void cboColorBeforeChange(uint32_t colour);
  void cboColorAfterChange(uint32_t colour);
  void chkColorAfterClick();
  void pboColorPaint(QPainter& painter, const QRect& client);
  void pboLinealPaint(QPainter& painter, const QRect& client);
  void PlaceAnchored();

  std::unique_ptr<TColorPalette1DItem> PaletteCopy;
  TColorPalette1DItem* CurrentItem = nullptr;
  int Updating = 0;
  bool PositionEdited = false;
};
