#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "engine/TGuiDispatcher.h"

/// A GUI dispatcher for programs and tests without an event loop: calls posted from any
/// thread wait in a queue until the thread that plays the GUI thread runs them.
class TCallQueue : public TGuiDispatcher {
public:
  /// Queues `call`; thread-safe, never blocks on a running call.
  void Post(std::function<void()> call) override;

  /// Runs, on the calling thread, every call queued before this call; calls they post wait
  /// for the next round. Returns the number of calls run.
  int ProcessPending();

  /// Runs calls as they arrive until `done()` is true or `timeout` has passed, sleeping while
  /// the queue is empty (`done` is checked after each call and at least every 10 ms).
  /// Returns the last value of `done()`.
  bool ProcessUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  /// Number of calls waiting.
  size_t Pending() const;
  /// Waits, running nothing, until at least `count` calls are waiting or `timeout` has passed;
  /// returns whether they are.
  bool WaitForPending(size_t count, std::chrono::milliseconds timeout) const;

private:
  mutable std::mutex Lock;
  mutable std::condition_variable Arrived;
  std::deque<std::function<void()>> Calls;
};
