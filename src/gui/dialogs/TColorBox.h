#pragma once
#include <cstdint>
#include <string>

#include <QColor>
#include <QComboBox>

/// A combo box of colours 0x00BBGGRR (red in the low byte): the 16 standard and 4 extended
/// named colours with a swatch each, one entry for a colour outside the list (swatch and
/// "#RRGGBB"), and "Custom..." which asks for a colour through TPrompter::PickColor.
class TColorBox : public QComboBox {
  Q_OBJECT
public:
  explicit TColorBox(QWidget* parent = nullptr);

  /// The selected colour.
  uint32_t GetSelected() const { return Selected; }
  /// Selects `colour`: its named entry, else the custom entry. Emits no Changed.
  void SetSelected(uint32_t colour);

  /// Number of named entries (standard and extended); they come first in the list.
  static constexpr int NamedCount = 20;
  /// Text of the entry that opens the colour picker.
  static constexpr const char* CustomText = "Custom...";
  /// Title of the colour picker.
  static constexpr const char* PickerTitle = "Color";

  /// Index of the custom entry, or -1 while the selected colour has a name.
  int CustomIndex() const;
  /// Index of "Custom...".
  int PickerIndex() const { return count() - 1; }

  /// 0x00BBGGRR to Qt and back (the top byte is dropped).
  static QColor ToQColor(uint32_t colour);
  static uint32_t FromQColor(const QColor& colour);

signals:
  /// The user chose `colour` (a named entry or one picked through "Custom...").
  void Changed(uint32_t colour);

private:
  void IndexChanged(int index);
  void ShowCustom(uint32_t colour);
  void SelectIndex(int index);

  uint32_t Selected = 0;
  int LastIndex = 0;
  bool Updating = false;
};
