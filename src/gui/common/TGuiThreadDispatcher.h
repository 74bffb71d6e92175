#pragma once
#include <QObject>
#include <deque>
#include <mutex>

#include "engine/TGuiDispatcher.h"

/// Runs posted calls on the GUI thread through Qt's event loop. Create it on the GUI thread; it
/// must outlive every thread that posts to it. Calls still queued when it is destroyed are dropped.
class TGuiThreadDispatcher final : public QObject, public TGuiDispatcher {
  Q_OBJECT
public:
  explicit TGuiThreadDispatcher(QObject* parent = nullptr);
  /// Queues `call`; returns at once; callable from any thread.
  void Post(std::function<void()> call) override;

private:
  Q_INVOKABLE void Drain();
  /// Sends one wake-up unless one is on its way; called with Lock held.
  void WakeUp();

  // The calls travel through our own locked queue, not inside Qt's events: the hand-over then
  // happens in code every tool can see (Qt's own locking is invisible to ThreadSanitizer).
  std::mutex Lock;
  std::deque<std::function<void()>> Pending;
  bool WakePending = false;
};
