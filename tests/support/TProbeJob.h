#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/TComputePool.h"

/// A job whose bands run `work`, and that tells when it has ended. On a pool it shows where the
/// workers are: its bands cannot run while bands of other jobs hold the workers, and the
/// workers it held go on to other jobs once it has ended.
class TProbeJob : public TComputeJob {
public:
  explicit TProbeJob(std::function<void()> work) : Work(std::move(work)) {}
  TProbeJob(const TProbeJob&) = delete;
  TProbeJob& operator=(const TProbeJob&) = delete;
  void RunBand(int) override { Work(); }
  void Finished(bool) override {
    {
      std::lock_guard<std::mutex> lock(Lock);
      Ended = true;
    }
    Wake.notify_all();
  }
  bool HasEnded() {
    std::lock_guard<std::mutex> lock(Lock);
    return Ended;
  }
  bool WaitEnded() {
    std::unique_lock<std::mutex> lock(Lock);
    return Wake.wait_for(lock, std::chrono::seconds(60), [&] { return Ended; });
  }

private:
  std::function<void()> Work;
  std::mutex Lock;
  std::condition_variable Wake;
  bool Ended = false;
};


/// Holds `workers` workers of a pool from the moment it is made until Open: the jobs submitted
/// meanwhile wait behind it, and start once it has let the workers go.
class TWorkerGate {
public:
  TWorkerGate(TComputePool& pool, int workers)
      : Job(std::make_shared<TProbeJob>([this] { Hold(); })) {
    pool.Submit(Job, workers);
  }
  TWorkerGate(const TWorkerGate&) = delete;
  TWorkerGate& operator=(const TWorkerGate&) = delete;
  ~TWorkerGate() { Open(); }

  /// Lets the workers go and waits until the gate's job has ended; false when it did not.
  bool Open() {
    {
      std::lock_guard<std::mutex> lock(Lock);
      IsOpen = true;
    }
    Wake.notify_all();
    return Job->WaitEnded();
  }

private:
  void Hold() {
    std::unique_lock<std::mutex> lock(Lock);
    Wake.wait_for(lock, std::chrono::seconds(60), [&] { return IsOpen; });
  }

  std::mutex Lock;
  std::condition_variable Wake;
  bool IsOpen = false;
  std::shared_ptr<TProbeJob> Job;
};
