#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/TComputePool.h"

namespace {

using namespace std::chrono_literals;

// Shared record of the bands run by several jobs, in the order they started.
struct TLog {
  std::mutex Lock;
  std::vector<std::string> Started;
  void Add(const std::string& entry) {
    std::lock_guard<std::mutex> lock(Lock);
    Started.push_back(entry);
  }
};

// A job whose bands log themselves; a band can be made to wait for a gate or to throw.
class TTestJob : public TComputeJob {
public:
  TTestJob(std::string name, TLog& log) : Name(std::move(name)), Log(log) {}

  void RunBand(int band) override {
    Log.Add(Name + std::to_string(band));
    {
      std::unique_lock<std::mutex> lock(GateLock);
      const int now = ++Running;
      for (int seen = MostRunning.load();
           now > seen && !MostRunning.compare_exchange_weak(seen, now);) {
      }
      GateWake.notify_all();  // for WaitRunning
      GateWake.wait_for(lock, 60s, [&] { return GateOpen || MostRunning.load() >= WaitForRunning; });
      GateWake.notify_all();
    }
    ++Runs[static_cast<size_t>(band)];
    --Running;
    if (band == ThrowAt) throw std::runtime_error("band failed");
  }
  void Finished(bool complete) override {
    std::lock_guard<std::mutex> lock(EndLock);
    ++FinishedCalls;
    Complete = complete;
    EndWake.notify_all();
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(GateLock);
      GateOpen = true;
    }
    GateWake.notify_all();
  }
  bool WaitFinished() {
    std::unique_lock<std::mutex> lock(EndLock);
    return EndWake.wait_for(lock, 60s, [&] { return FinishedCalls > 0; });
  }

  const std::string Name;
  TLog& Log;
  std::atomic<int> Running{0}, MostRunning{0};
  int WaitForRunning = 1;  // bands wait until this many have run at once (or the gate opens)
  int ThrowAt = -1;
  std::vector<std::atomic<int>> Runs = std::vector<std::atomic<int>>(64);

  std::mutex GateLock;
  std::condition_variable GateWake;
  bool GateOpen = true;

  std::mutex EndLock;
  std::condition_variable EndWake;
  int FinishedCalls = 0;
  bool Complete = false;
};

// A job whose bands all wait until it is opened.
std::shared_ptr<TTestJob> Gated(const std::string& name, TLog& log) {
  auto job = std::make_shared<TTestJob>(name, log);
  job->GateOpen = false;
  job->WaitForRunning = 1000;
  return job;
}

// Waits until `count` bands of `job` run at once.
void WaitRunning(TTestJob& job, int count) {
  std::unique_lock<std::mutex> lock(job.GateLock);
  job.GateWake.wait_for(lock, 60s, [&] { return job.Running.load() >= count; });
}

int Total(const std::vector<std::atomic<int>>& runs) {
  int total = 0;
  for (const auto& r : runs) total += r.load();
  return total;
}

TEST(ComputePool, HandsOutTheBandsOfRunningJobsInTurn) {
  TComputePool pool(1);
  TLog log;
  auto gate = Gated("G", log);
  auto a = std::make_shared<TTestJob>("A", log);
  auto b = std::make_shared<TTestJob>("B", log);
  pool.Submit(gate, 1);
  // The only worker is held by the gate while both jobs queue up, A with more bands.
  WaitRunning(*gate, 1);
  pool.Submit(a, 5);
  pool.Submit(b, 3);
  gate->Open();
  ASSERT_TRUE(a->WaitFinished());
  ASSERT_TRUE(b->WaitFinished());
  EXPECT_EQ(log.Started, (std::vector<std::string>{"G0", "A0", "B0", "A1", "B1", "A2", "B2", "A3",
                                                   "A4"}));
  EXPECT_TRUE(a->Complete);
  EXPECT_EQ(a->FinishedCalls, 1);
  EXPECT_EQ(b->FinishedCalls, 1);
}

TEST(ComputePool, RunsEveryBandOnceAndRespectsTheParallelLimit) {
  TComputePool pool(3);
  TLog log;
  // The unlimited job's first bands wait until three run at once: it ends only if the pool
  // really runs them side by side.
  auto wide = std::make_shared<TTestJob>("W", log);
  wide->GateOpen = false;
  wide->WaitForRunning = 3;
  auto narrow = std::make_shared<TTestJob>("N", log);
  pool.Submit(narrow, 40, 1);
  pool.Submit(wide, 30);
  ASSERT_TRUE(wide->WaitFinished());
  ASSERT_TRUE(narrow->WaitFinished());
  EXPECT_EQ(wide->MostRunning.load(), 3);
  EXPECT_EQ(narrow->MostRunning.load(), 1);
  for (int band = 0; band < 64; ++band) {
    EXPECT_EQ(wide->Runs[static_cast<size_t>(band)].load(), band < 30 ? 1 : 0) << band;
    EXPECT_EQ(narrow->Runs[static_cast<size_t>(band)].load(), band < 40 ? 1 : 0) << band;
  }
}

TEST(ComputePool, CancelStopsTheHandOutAndFinishesOnce) {
  TComputePool pool(2);
  TLog log;
  // Cancelled while two bands run: it finishes after them, on a worker.
  auto busy = Gated("B", log);
  pool.Submit(busy, 50);
  WaitRunning(*busy, 2);
  pool.Cancel(*busy);
  EXPECT_EQ(busy->FinishedCalls, 0);
  busy->Open();
  ASSERT_TRUE(busy->WaitFinished());
  EXPECT_FALSE(busy->Complete);
  EXPECT_EQ(Total(busy->Runs), 2);
  pool.Cancel(*busy);  // finished: nothing happens
  EXPECT_EQ(busy->FinishedCalls, 1);

  // Cancelled while none of its bands runs: it finishes at once, on this thread.
  auto blocker = Gated("X", log);
  auto queued = std::make_shared<TTestJob>("Q", log);
  auto later = std::make_shared<TTestJob>("L", log);
  pool.Submit(blocker, 2);
  WaitRunning(*blocker, 2);
  pool.Submit(queued, 10);
  pool.Submit(later, 10);
  pool.Cancel(*queued);  // between two others in the queue, which must stay untouched
  EXPECT_EQ(queued->FinishedCalls, 1);
  EXPECT_EQ(Total(queued->Runs), 0);
  EXPECT_EQ(later->FinishedCalls, 0);
  blocker->Open();
  EXPECT_TRUE(blocker->WaitFinished());
  EXPECT_TRUE(blocker->Complete);
  EXPECT_TRUE(later->WaitFinished());
  EXPECT_TRUE(later->Complete);
  EXPECT_EQ(Total(later->Runs), 10);
  EXPECT_EQ(queued->FinishedCalls, 1);

  // No bands at all: finished at once, complete.
  auto empty = std::make_shared<TTestJob>("E", log);
  pool.Submit(empty, 0);
  EXPECT_EQ(empty->FinishedCalls, 1);
  EXPECT_TRUE(empty->Complete);
}

TEST(ComputePool, AFailingBandEndsTheJobButNotThePool) {
  TComputePool pool(1);
  TLog log;
  auto failing = std::make_shared<TTestJob>("F", log);
  failing->ThrowAt = 2;
  pool.Submit(failing, 10);
  ASSERT_TRUE(failing->WaitFinished());
  EXPECT_FALSE(failing->Complete);
  EXPECT_EQ(Total(failing->Runs), 3);
  auto next = std::make_shared<TTestJob>("N", log);
  pool.Submit(next, 4);
  ASSERT_TRUE(next->WaitFinished());
  EXPECT_TRUE(next->Complete);
}

TEST(ComputePool, ChangingTheWorkerCountKeepsEveryBand) {
  TComputePool pool(1);
  TLog log;
  auto job = std::make_shared<TTestJob>("J", log);
  pool.Submit(job, 60);
  pool.SetWorkerCount(4);
  EXPECT_EQ(pool.WorkerCount(), 4);
  pool.SetWorkerCount(2);
  EXPECT_EQ(pool.WorkerCount(), 2);
  ASSERT_TRUE(job->WaitFinished());
  EXPECT_TRUE(job->Complete);
  for (int band = 0; band < 60; ++band) EXPECT_EQ(job->Runs[static_cast<size_t>(band)].load(), 1);
  pool.SetWorkerCount(0);
  EXPECT_EQ(pool.WorkerCount(),
            std::max(1, static_cast<int>(std::thread::hardware_concurrency())));
}

}  // namespace
