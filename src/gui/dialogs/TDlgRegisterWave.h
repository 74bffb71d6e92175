#pragma once
#include <string>

#include "gui/dialogs/TOKHelpBottomDlg.h"

class QLabel;
class QLineEdit;

/// The "Register" dialog: gives the active window a name. OK checks the name with the main
/// window's RegisterName; a refused name keeps the dialog open after its message.
class TDlgRegisterWave : public TOKHelpBottomDlg {
  Q_OBJECT
public:
  /// `currentName` is the window's present name, shown when the dialog opens.
  explicit TDlgRegisterWave(QWidget* parent = nullptr, const std::string& currentName = "");

  /// Longest name the dialog and the main window's name field take, so that both always show
  /// a window's whole name.
  static constexpr int NameMaxLength = 99;

  /// The name to give the window; valid after the dialog closed with OK.
  const std::string& GetResultName() const { return ResultName; }

  QLabel* lblName = nullptr;
  QLineEdit* EditName = nullptr;

protected:
  /// Reads the name and asks the main window whether the active document may take it.
  void OKBtnClick() override;
  /// Refuses the close once after a refused name.
  bool CanClose(int result) override;
  void showEvent(QShowEvent* event) override;

private:
  void EvOnShow();

  bool Accepted = true;
  std::string ResultName;
};
