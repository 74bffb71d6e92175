#pragma once
#include <functional>

/// Runs calls on the GUI thread. The GUI supplies one bound to its event loop; programs and
/// tests without an event loop use TCallQueue.
class TGuiDispatcher {
public:
  virtual ~TGuiDispatcher() = default;
  /// Queues `call` to run later on the GUI thread; returns at once; callable from any thread.
  virtual void Post(std::function<void()> call) = 0;
};
