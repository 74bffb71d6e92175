#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

/// A computation that a TComputePool spreads over its workers, one band at a time.
class TComputeJob {
public:
  virtual ~TComputeJob() = default;
  /// Computes band `band` (0 .. the count given to Submit - 1) on a worker. Each band is run
  /// once, several at a time on different workers. An exception ends the job's hand-out.
  virtual void RunBand(int band) = 0;
  /// Once, on a worker or on the thread that calls Cancel, when no band runs and none will:
  /// every band has run, or the job was cancelled or failed. `complete` tells which.
  virtual void Finished(bool complete) = 0;
};

/// Worker threads shared by every computation of the process. Bands are handed out round-robin
/// over the running jobs (one band of each in turn), so several computations share the cores
/// evenly whatever their sizes, and a job's bands go to whichever worker is free first.
class TComputePool {
public:
  /// The process's pool, created with one worker per hardware thread on first use.
  static TComputePool& Shared();

  /// A pool of `workers` threads; 0 means std::thread::hardware_concurrency() (at least 1).
  explicit TComputePool(int workers = 0);
  /// Waits for the bands in progress; jobs still queued are cancelled first.
  ~TComputePool();
  TComputePool(const TComputePool&) = delete;
  TComputePool& operator=(const TComputePool&) = delete;

  /// Changes the number of workers (0 = one per hardware thread). Fewer workers take effect
  /// once the surplus ones have finished their current band, which this call waits for; so it
  /// must not be called from a job's band.
  void SetWorkerCount(int workers);
  /// The number of workers.
  int WorkerCount() const;

  /// Starts handing out the `bands` bands of `job`, at most `maxParallel` of them at once
  /// (0: no limit beyond the workers). A job without bands finishes at once, on this thread.
  void Submit(std::shared_ptr<TComputeJob> job, int bands, int maxParallel = 0);
  /// Hands out no further band of `job`. When none of its bands is running, its Finished runs
  /// on this thread before this returns; otherwise after the last running band, on that
  /// band's worker. Does nothing for a job that has finished.
  void Cancel(const TComputeJob& job);

private:
  struct TEntry {
    std::shared_ptr<TComputeJob> Job;
    int Bands = 0;
    int MaxParallel = 0;
    int Next = 0;
    int Running = 0;
    bool Stopped = false;
    bool Failed = false;
  };

  void WorkerLoop(int index);
  // Under Lock: the next band to run, round-robin over the jobs; null when none is ready.
  std::shared_ptr<TEntry> PickLocked(int& band);
  // Under Lock: takes `entry` out of the queue when it is done; returns whether it was. Takes
  // a copy, since the caller's may be the element erased.
  bool RetireLocked(std::shared_ptr<TEntry> entry);
  static int Resolve(int workers);

  mutable std::mutex Lock;
  std::condition_variable Work;
  std::vector<std::shared_ptr<TEntry>> Entries;
  size_t Cursor = 0;
  int Target = 0;
  bool ShuttingDown = false;
  std::vector<std::thread> Workers;
  std::mutex ResizeLock;  // one resize at a time
};
