#pragma once
#include <memory>
#include <string>

#include <QMdiSubWindow>

class TMainForm;
class TUnit;

/// A child window of the main window bound to its document (`TUnit`). The window owns the
/// document and retitles itself when the document's name or file name changes. Derived
/// windows add their view, their close question and their part of the main window's action
/// states.
class TMDIChildZenolith : public QMdiSubWindow {
  Q_OBJECT
public:
  explicit TMDIChildZenolith(QWidget* parent = nullptr);
  ~TMDIChildZenolith() override;

  /// Takes the document; the caption follows its name and file name from now on.
  void SetDocument(std::unique_ptr<TUnit> unit);
  /// The document (owned by this window), or null before SetDocument.
  TUnit* GetDocument() const { return Document.get(); }

  /// Shows the cursor with the id of cursors.h over the window's view.
  virtual void SetViewCursor(int cursor) = 0;
  /// The document's name changed; the caption follows.
  void NameChanged(const std::string& oldName);
  /// Kind of the document (1 = fractal window); 0 without a document.
  virtual int GetKind() const;
  /// Caption from the document's name N and file name F: "N - F", "F" or "N".
  void UpdateCaption();
  /// The caption rule on its own.
  static std::string CaptionFor(const std::string& name, const std::string& fileName);

  /// The part of the main window's action states that depends on this window's kind: save and
  /// revert, check marks of the mouse modes and the grouping flag, the status panels from the
  /// second on. Called by TMainForm::UpdateActions while this window is active; the base sets
  /// nothing.
  virtual void UpdateMainActions(TMainForm& form);

  /// The close question: true allows the close. The base allows it.
  virtual bool CloseQuery() { return true; }
  /// Runs when the window is about to close for good (after the close question): stop work
  /// here. The base does nothing.
  virtual void EvFormClose() {}
  /// Closes the window without the close question (a project has saved it already).
  void CloseWithoutQuery();
  /// True from the moment the window has agreed to close.
  bool IsClosing() const { return Closing; }

  /// Tells the main window that this window became active.
  void EvFormOnActivate();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  std::unique_ptr<TUnit> Document;
  bool SkipQuery = false;
  bool Closing = false;
};
