#include "engine/TFractArray.h"

#include <cstdlib>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// A block of `bytes`, not cleared. Big blocks start on a huge-page boundary and ask for huge
// pages: the kernel then maps them with a few faults instead of one per 4 KiB page, and reading
// the array across its columns misses the address cache less. Throws std::bad_alloc.
void* AllocateCells(size_t bytes) {
  constexpr size_t HugePage = size_t{2} << 20;
  void* block = nullptr;
  if (bytes >= HugePage) {
    const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    if (rounded < bytes || ::posix_memalign(&block, HugePage, rounded) != 0)
      throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the block works the same.
    ::madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return block;
  }
  block = std::malloc(bytes > 0 ? bytes : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void TFractArray::TFree::operator()(void* block) const noexcept { std::free(block); }

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
  Depths.reset(static_cast<float*>(AllocateCells(cells * sizeof(float))));
  Cycles.reset(static_cast<int32_t*>(AllocateCells(cells * sizeof(int32_t))));
}

std::unique_ptr<TFractArray> TFractArray::TryCreate(int width, int height) noexcept {
  try {
    return std::make_unique<TFractArray>(width, height);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
