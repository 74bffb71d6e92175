#pragma once
#include <array>
#include <memory>
#include <string>

#include <QMdiSubWindow>

class TUnit;

/// A child window of the main window bound to its document (`TUnit`). The window owns the
/// document. It never calls the main window: it tells what happens through its signals, which
/// the main window connects when it adds the window. Derived windows add their view and their
/// close question.
class TMDIChildZenolith : public QMdiSubWindow {
  Q_OBJECT
public:
  explicit TMDIChildZenolith(QWidget* parent = nullptr);
  ~TMDIChildZenolith() override;

  /// Number of status panels a window fills: the main window's panels 1 to 6.
  static constexpr int StatusTextCount = 6;

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
  /// The texts of the main window's status panels 1 to 6 while this window is active; the
  /// base leaves them empty.
  virtual std::array<std::string, StatusTextCount> StatusTexts() const;

  /// The close question: true allows the close. The base allows it.
  virtual bool CloseQuery() { return true; }
  /// Runs when the window is about to close for good (after the close question): stop work
  /// here. The base does nothing.
  virtual void EvFormClose() {}
  /// Closes the window without the close question (a project has saved it already).
  void CloseWithoutQuery();
  /// True from the moment the window has agreed to close.
  bool IsClosing() const { return Closing; }

  /// Announces that this window became the active one (Activated).
  void EvFormOnActivate();

signals:
  /// This window became the active one.
  void Activated(TMDIChildZenolith* child);
  /// Something the main window's actions show of this window changed: the document's name,
  /// file or changed state, the mouse mode, the orbit grouping or the undo history.
  void StateChanged(TMDIChildZenolith* child);
  /// The texts of StatusTexts changed (the mouse moved, the computation went on or ended).
  void StatusChanged(TMDIChildZenolith* child);
  /// The window agreed to close and is going.
  void CloseStarted(TMDIChildZenolith* child);

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  std::unique_ptr<TUnit> Document;
  bool SkipQuery = false;
  bool Closing = false;
};
