#include "engine/TCallQueue.h"

#include <algorithm>
#include <utility>

void TCallQueue::Post(std::function<void()> call) {
  {
    std::lock_guard<std::mutex> lock(Lock);
    Calls.push_back(std::move(call));
  }
  Arrived.notify_all();
}

int TCallQueue::ProcessPending() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> lock(Lock);
    batch.swap(Calls);
  }
  // Run outside the lock: a call may post again or wait for a thread that posts.
  for (auto& call : batch) call();
  return static_cast<int>(batch.size());
}

bool TCallQueue::ProcessUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  // The predicate may turn true without a post (a flag set by another thread): wake now and then.
  const auto slice = std::chrono::milliseconds(10);
  while (!done()) {
    if (ProcessPending() > 0) continue;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return done();
    std::unique_lock<std::mutex> lock(Lock);
    Arrived.wait_until(lock, std::min(deadline, now + slice), [this] { return !Calls.empty(); });
  }
  return true;
}

size_t TCallQueue::Pending() const {
  std::lock_guard<std::mutex> lock(Lock);
  return Calls.size();
}

bool TCallQueue::WaitForPending(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(Lock);
  return Arrived.wait_for(lock, timeout, [&] { return Calls.size() >= count; });
}
