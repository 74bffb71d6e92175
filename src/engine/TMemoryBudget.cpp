#include "engine/TMemoryBudget.h"

#include <unistd.h>

TMemoryBudget& TMemoryBudget::Shared() {
  static TMemoryBudget budget(QuarterOfPhysicalMemory());
  return budget;
}

uint64_t TMemoryBudget::QuarterOfPhysicalMemory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return uint64_t(1) << 32;
  return static_cast<uint64_t>(pages) / 4 * static_cast<uint64_t>(pageSize);
}

uint64_t TMemoryBudget::AreaBytes(int64_t width, int64_t height, uint64_t bytesPerCell) {
  if (width <= 0 || height <= 0 || bytesPerCell == 0) return 0;
  const uint64_t w = static_cast<uint64_t>(width);
  const uint64_t h = static_cast<uint64_t>(height);
  if (w > UINT64_MAX / h) return UINT64_MAX;
  const uint64_t cells = w * h;
  if (cells > UINT64_MAX / bytesPerCell) return UINT64_MAX;
  return cells * bytesPerCell;
}

TMemoryBudget::TMemoryBudget(uint64_t limit) : LimitBytes(limit) {}

void TMemoryBudget::SetLimit(uint64_t bytes) {
  std::lock_guard<std::mutex> hold(Lock);
  LimitBytes = bytes;
}

uint64_t TMemoryBudget::Limit() const {
  std::lock_guard<std::mutex> hold(Lock);
  return LimitBytes;
}

uint64_t TMemoryBudget::Used() const {
  std::lock_guard<std::mutex> hold(Lock);
  return UsedBytes;
}

bool TMemoryBudget::TryReplace(uint64_t heldBytes, uint64_t wantedBytes) {
  std::lock_guard<std::mutex> hold(Lock);
  const uint64_t others = UsedBytes >= heldBytes ? UsedBytes - heldBytes : 0;
  if (wantedBytes > heldBytes && (wantedBytes > LimitBytes || others > LimitBytes - wantedBytes))
    return false;
  UsedBytes = others + wantedBytes;
  return true;
}

void TMemoryBudget::Release(uint64_t heldBytes) {
  std::lock_guard<std::mutex> hold(Lock);
  UsedBytes = UsedBytes >= heldBytes ? UsedBytes - heldBytes : 0;
}
