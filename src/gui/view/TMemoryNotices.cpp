#include "gui/view/TMemoryNotices.h"

#include <QTimer>

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "engine/TMemoryBudget.h"

TMemoryNotices::TMemoryNotices(QObject* parent) : QObject(parent) {}

void TMemoryNotices::Note(QWidget* window, const QString& what, bool surface) {
  if (surface) {
    QSet<QString>& told = Told[window];
    if (told.contains(what)) return;
    told.insert(what);
  }
  for (const TNote& note : Notes)
    if (note.Window == window && note.What == what) return;
  Notes.push_back({window, window->windowTitle(), what});
  // Shown once the events at hand are done: a message box opened inside a resize would run
  // the events that cause the next refusal.
  if (!Scheduled && !Showing) {
    Scheduled = true;
    QTimer::singleShot(0, this, [this] { ShowPending(); });
  }
}

void TMemoryNotices::Forget(const QObject* window) { Told.remove(window); }

void TMemoryNotices::ShowPending() {
  Scheduled = false;
  if (Notes.empty()) return;
  QString text = QString::fromLatin1(TErrorReport::NotEnoughMemoryText);
  for (const TNote& note : Notes) {
    // Named as it is now: a project names its windows after their pictures are refused.
    const QString title = note.Window ? note.Window->windowTitle() : note.Title;
    text += QStringLiteral("\nWindow \"%1\" %2.").arg(title, note.What);
  }
  Notes.clear();
  text += QStringLiteral("\nThe windows may take %1 MB together.")
              .arg(TMemoryBudget::Shared().Limit() >> 20);
  Showing = true;
  ShowMessage(text.toStdString(), TErrorReport::TitleSystemError, TMsgIcon::Error);
  Showing = false;
  // What the open message's own events refused comes in one more message.
  if (!Notes.empty()) {
    Scheduled = true;
    QTimer::singleShot(0, this, [this] { ShowPending(); });
  }
}
