#pragma once
#include <QDialog>

class QFrame;
class QPushButton;

/// What the OK/Cancel dialog bases share: the OK and Cancel buttons with their modal results,
/// the framed bevel, the help context with F1, the close check and the placement in the middle
/// of the screen. The layouts are in TOKRightDlg and TOKBottomDlg.
class TOKDialog : public QDialog {
  Q_OBJECT
public:
  explicit TOKDialog(QWidget* parent = nullptr);

  /// Help topic of the dialog (see helpcontexts.h); 0 = none.
  int HelpContext = 0;

  /// Shows the topic of `HelpContext` in the help window (F1); nothing without a context.
  virtual void FormHelp();

  QFrame* Bevel1 = nullptr;
  /// Default button; closes with QDialog::Accepted after OKBtnClick.
  QPushButton* OKBtn = nullptr;
  /// Escape key; closes with QDialog::Rejected.
  QPushButton* CancelBtn = nullptr;

  /// Closes with `result` unless CanClose refuses.
  void done(int result) override;

protected:
  /// Runs when OK is pressed, before the dialog tries to close with Accepted.
  virtual void OKBtnClick() {}
  /// Keeps the dialog open once: the close that comes next (the one OK starts after a field
  /// was refused) does not happen.
  void RefuseCloseOnce() { CloseRefused = true; }
  /// Whether the dialog may close now with `result`; false keeps it open. The base refuses
  /// once after RefuseCloseOnce.
  virtual bool CanClose(int result);
  /// Fixes the client area to `width` x `height` pixels (a dialog border cannot be resized).
  void SetClientSize(int width, int height);
  void showEvent(QShowEvent* event) override;

private:
  bool CloseRefused = false;
};
