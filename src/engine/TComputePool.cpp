#include "engine/TComputePool.h"

#include <algorithm>
#include <string>

#include <pthread.h>

TComputePool& TComputePool::Shared() {
  static TComputePool pool;
  return pool;
}

int TComputePool::Resolve(int workers) {
  if (workers > 0) return workers;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

TComputePool::TComputePool(int workers) { SetWorkerCount(workers); }

TComputePool::~TComputePool() {
  std::vector<std::shared_ptr<TEntry>> abandoned;
  {
    std::lock_guard<std::mutex> lock(Lock);
    ShuttingDown = true;
    for (auto& entry : Entries) {
      entry->Stopped = true;
      if (entry->Running == 0) abandoned.push_back(entry);
    }
    for (auto& entry : abandoned) RetireLocked(entry);
  }
  Work.notify_all();
  for (auto& entry : abandoned) entry->Job->Finished(false);
  for (auto& worker : Workers) worker.join();
}

void TComputePool::SetWorkerCount(int workers) {
  std::lock_guard<std::mutex> resize(ResizeLock);
  const int target = Resolve(workers);
  std::vector<std::thread> surplus;
  {
    std::lock_guard<std::mutex> lock(Lock);
    Target = target;
    while (static_cast<int>(Workers.size()) > target) {
      surplus.push_back(std::move(Workers.back()));
      Workers.pop_back();
    }
    for (int index = static_cast<int>(Workers.size()); index < target; ++index)
      Workers.emplace_back([this, index] { WorkerLoop(index); });
  }
  Work.notify_all();
  for (auto& worker : surplus) worker.join();
}

int TComputePool::WorkerCount() const {
  std::lock_guard<std::mutex> lock(Lock);
  return Target;
}

void TComputePool::Submit(std::shared_ptr<TComputeJob> job, int bands, int maxParallel) {
  auto entry = std::make_shared<TEntry>();
  entry->Job = std::move(job);
  entry->Bands = std::max(bands, 0);
  entry->MaxParallel = std::max(maxParallel, 0);
  if (entry->Bands == 0) {
    entry->Job->Finished(true);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(Lock);
    Entries.push_back(entry);
  }
  Work.notify_all();
}

void TComputePool::Cancel(const TComputeJob& job) {
  std::shared_ptr<TEntry> finished;
  {
    std::lock_guard<std::mutex> lock(Lock);
    for (const auto& candidate : Entries)
      if (candidate->Job.get() == &job) {
        // A copy: retiring erases the element the loop refers to.
        const std::shared_ptr<TEntry> entry = candidate;
        entry->Stopped = true;
        if (RetireLocked(entry)) finished = entry;
        break;
      }
  }
  if (finished) finished->Job->Finished(false);
}

std::shared_ptr<TComputePool::TEntry> TComputePool::PickLocked(int& band) {
  const size_t count = Entries.size();
  for (size_t i = 0; i < count; ++i) {
    const size_t at = (Cursor + i) % count;
    const auto& entry = Entries[at];
    if (entry->Stopped || entry->Failed || entry->Next >= entry->Bands) continue;
    if (entry->MaxParallel > 0 && entry->Running >= entry->MaxParallel) continue;
    // The next request starts with the job after this one: round-robin, not first come.
    Cursor = at + 1;
    band = entry->Next++;
    ++entry->Running;
    return entry;
  }
  return nullptr;
}

bool TComputePool::RetireLocked(std::shared_ptr<TEntry> entry) {
  const bool handedOut = entry->Stopped || entry->Failed || entry->Next >= entry->Bands;
  if (!handedOut || entry->Running > 0) return false;
  const auto at = std::find(Entries.begin(), Entries.end(), entry);
  if (at == Entries.end()) return false;  // retired before
  const size_t index = static_cast<size_t>(at - Entries.begin());
  Entries.erase(at);
  if (index < Cursor) --Cursor;
  return true;
}

void TComputePool::WorkerLoop(int index) {
#if defined(__linux__)
  // The computation threads keep the name the computation thread always had (15 characters).
  pthread_setname_np(pthread_self(), std::string("TreadVolumeWriter").substr(0, 15).c_str());
#endif
  std::unique_lock<std::mutex> lock(Lock);
  for (;;) {
    if (ShuttingDown) return;
    if (index >= Target) {
      // A band slot this worker would have taken is free for the others.
      Work.notify_all();
      return;
    }
    int band = 0;
    const std::shared_ptr<TEntry> entry = PickLocked(band);
    if (!entry) {
      Work.wait(lock);
      continue;
    }
    lock.unlock();
    bool failed = false;
    try {
      entry->Job->RunBand(band);
    } catch (...) {
      failed = true;
    }
    lock.lock();
    --entry->Running;
    if (failed) entry->Failed = true;
    if (RetireLocked(entry)) {
      const bool complete = !entry->Stopped && !entry->Failed;
      lock.unlock();
      entry->Job->Finished(complete);
      lock.lock();
    }
  }
}
