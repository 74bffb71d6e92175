#pragma once
#include <QDialog>
#include <QPoint>
#include <QSize>

class QPushButton;

/// The about box "About Zenolith 1.0": the program's icon, name and version, painted. One
/// instance lives for the whole run and is shown modally by the About command.
class TAboutBox : public QDialog {
  Q_OBJECT
public:
  explicit TAboutBox(QWidget* parent = nullptr);

  /// Outer size (frame included) the box is designed for; the painted layout is measured in it.
  static constexpr QSize DesignOuterSize{255, 224};
  /// Top-left corner of a box of outer size `box` on a screen of size `screen` (pixels): top =
  /// SH div 2 - H div 2, left = SW div 2 - W x 5/9 cut toward zero (a little left of centre).
  static QPoint Placement(QSize screen, QSize box);

  /// Texts of the two small lines under "Design & Programming by:".
  static const char* const CreditLine;
  static const char* const DatedLine;

  QPushButton* OKButton = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  void FormShow();
  /// The outer size used for placement and painting: the real frame when the window system
  /// reports one, else the designed size.
  QSize OuterSize() const;
};
