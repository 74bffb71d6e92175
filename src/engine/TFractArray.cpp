#include "engine/TFractArray.h"

#include <new>
#include <unistd.h>

bool TFractArray::SizeAllowed(int width, int height) noexcept {
  if (width < 1 || height < 1) return false;
  const uint64_t cells = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  const uint64_t bytes = cells * (sizeof(float) + sizeof(int32_t));
  // Overcommitting memory would only postpone the failure to a kill while computing.
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  uint64_t limit = uint64_t(1) << 34;  // 16 GiB when the machine does not say
  if (pages > 0 && pageSize > 0) limit = static_cast<uint64_t>(pages) * pageSize / 2;
  return bytes / (sizeof(float) + sizeof(int32_t)) == cells && bytes <= limit;
}

TFractArray::TFractArray(int width, int height) : Width(width), Height(height) {
  if (!SizeAllowed(width, height)) throw std::bad_alloc();
  const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
  Depths.reset(new float[cells]);
  Cycles.reset(new int32_t[cells]);
}

std::unique_ptr<TFractArray> TFractArray::TryCreate(int width, int height) noexcept {
  try {
    return std::make_unique<TFractArray>(width, height);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
