#pragma once
#include <vector>

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

/// Tells the user which windows did not fit in the memory the windows may take, in one message
/// per cause: refusals that come together (a project opening, windows tiled) are gathered into
/// one message, shown once the events that caused them are done, never from inside a resize or
/// a paint and never while another such message is open. A window's surface refused again at
/// a size already told of is not told again, so that windows that fit and do not fit by turns
/// (activation, maximizing, a message box's own events) cannot make a storm of messages.
class TMemoryNotices : public QObject {
  Q_OBJECT
public:
  explicit TMemoryNotices(QObject* parent = nullptr);

  /// The window `window` could not take its picture: `what` says what did not fit and how
  /// large it is. `surface` marks a refusal by the window's size (told once per size), else one
  /// of a computation the user asked for (always told). The message names the window by its
  /// title when it is shown.
  void Note(QWidget* window, const QString& what, bool surface);
  /// Forgets `window` (it is closing).
  void Forget(const QObject* window);
  /// Refusals noted and not yet shown.
  bool Pending() const { return !Notes.empty(); }

private:
  struct TNote {
    QPointer<QWidget> Window;
    QString Title;  // as the window was titled when noted, for a window gone since
    QString What;
  };
  void ShowPending();

  // Per window, the sizes of its surface already told of.
  QHash<const QObject*, QSet<QString>> Told;
  std::vector<TNote> Notes;
  bool Scheduled = false;
  bool Showing = false;
};
