#pragma once
#include <functional>
#include <string>

#include "gui/dialogs/TOKHelpBottomDlg.h"

class QLabel;
class QLineEdit;

/// The "Register" dialog: gives the active window a name. OK checks the name; a refused name
/// keeps the dialog open after its message.
class TDlgRegisterWave : public TOKHelpBottomDlg {
  Q_OBJECT
public:
  /// Whether a name may be taken; it shows its own message when not.
  using TNameCheck = std::function<bool(const std::string& name)>;

  /// `currentName` is the window's present name, shown when the dialog opens; `nameCheck`
  /// decides on OK (none takes every name).
  explicit TDlgRegisterWave(QWidget* parent = nullptr, const std::string& currentName = "",
                            TNameCheck nameCheck = {});

  /// Longest name the dialog and the main window's name field take, so that both always show
  /// a window's whole name.
  static constexpr int NameMaxLength = 99;

  /// The name to give the window; valid after the dialog closed with OK.
  const std::string& GetResultName() const { return ResultName; }

  QLabel* lblName = nullptr;
  QLineEdit* EditName = nullptr;

protected:
  /// Reads the name and asks the name check whether it may be taken; a refused name keeps
  /// the dialog open.
  void OKBtnClick() override;
  void showEvent(QShowEvent* event) override;

private:
  void EvOnShow();

  TNameCheck NameCheck;
  std::string ResultName;
};
