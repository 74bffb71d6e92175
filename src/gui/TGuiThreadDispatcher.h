#pragma once
#include <QObject>

#include "engine/TGuiDispatcher.h"

/// Runs posted calls on the GUI thread through Qt's event loop (queued calls on an object that
/// lives in the GUI thread). Create it on the GUI thread; it must outlive every thread that posts
/// to it. Calls still queued when it is destroyed are dropped.
class TGuiThreadDispatcher final : public QObject, public TGuiDispatcher {
  Q_OBJECT
public:
  explicit TGuiThreadDispatcher(QObject* parent = nullptr);
  /// Queues `call`; returns at once; callable from any thread.
  void Post(std::function<void()> call) override;
};
