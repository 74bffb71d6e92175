#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/TCallQueue.h"

namespace {

using namespace std::chrono_literals;

TEST(CallQueue, RunsCallsFromOtherThreadsInOrderOnTheProcessingThread) {
  TCallQueue queue;
  std::vector<int> order;
  std::atomic<int> offThread{0};
  const auto self = std::this_thread::get_id();
  std::thread poster([&] {
    for (int i = 0; i < 200; ++i)
      queue.Post([&, i] {
        order.push_back(i);
        if (std::this_thread::get_id() != self) ++offThread;
      });
  });
  EXPECT_TRUE(queue.ProcessUntil([&] { return order.size() == 200; }, 60s));
  poster.join();
  EXPECT_EQ(offThread.load(), 0);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(order[i], i);

  // A call posted by a call waits for the next round.
  queue.Post([&] { queue.Post([] {}); });
  EXPECT_EQ(queue.ProcessPending(), 1);
  EXPECT_EQ(queue.Pending(), 1u);
  EXPECT_EQ(queue.ProcessPending(), 1);
}

TEST(CallQueue, ProcessUntilGivesUpOrNoticesAConditionWithoutCalls) {
  TCallQueue queue;
  EXPECT_FALSE(queue.ProcessUntil([] { return false; }, 30ms));
  std::atomic<bool> flag{false};
  std::thread setter([&] {
    std::this_thread::sleep_for(5ms);
    flag = true;
  });
  EXPECT_TRUE(queue.ProcessUntil([&] { return flag.load(); }, 60s));
  setter.join();
}

}  // namespace
