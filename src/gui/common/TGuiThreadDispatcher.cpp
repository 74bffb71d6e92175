#include "gui/common/TGuiThreadDispatcher.h"

TGuiThreadDispatcher::TGuiThreadDispatcher(QObject* parent) : QObject(parent) {}

void TGuiThreadDispatcher::Post(std::function<void()> call) {
  std::lock_guard<std::mutex> guard(Lock);
  Pending.push_back(std::move(call));
  WakeUp();
}

void TGuiThreadDispatcher::WakeUp() {
  if (WakePending)
    return;
  WakePending = true;
  QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void TGuiThreadDispatcher::Drain() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    WakePending = false;
  }
  for (;;) {
    std::function<void()> call;
    {
      std::lock_guard<std::mutex> guard(Lock);
      if (Pending.empty())
        return;
      call = std::move(Pending.front());
      Pending.pop_front();
      // A call that opens a modal dialog lets the calls behind it run, in order, from the
      // dialog's event loop.
      if (!Pending.empty())
        WakeUp();
    }
    call();
  }
}
