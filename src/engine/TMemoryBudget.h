#pragma once
#include <cstdint>
#include <mutex>

/// The memory that the result arrays and surfaces of all open windows may take together: by
/// default a quarter of the machine's physical memory, so that no project, however small its
/// file, can exhaust the machine. Holders say how many bytes they hold; the budget only counts.
class TMemoryBudget {
public:
  /// The budget of the whole program.
  static TMemoryBudget& Shared();
  /// A quarter of the physical memory in bytes (4 GiB when the system does not say).
  static uint64_t QuarterOfPhysicalMemory();
  /// Bytes of a width x height area at `bytesPerCell` each; 0 for an empty area, UINT64_MAX
  /// when the product does not fit in 64 bits.
  static uint64_t AreaBytes(int64_t width, int64_t height, uint64_t bytesPerCell);

  explicit TMemoryBudget(uint64_t limit);
  /// Sets the limit in bytes; what is held already stays held (tests make it small).
  void SetLimit(uint64_t bytes);
  uint64_t Limit() const;
  /// Bytes held by all holders together.
  uint64_t Used() const;

  /// Replaces a holding of `heldBytes` by one of `wantedBytes` when the total then stays within
  /// the limit (a holding that shrinks always may). False, and nothing changes, otherwise.
  bool TryReplace(uint64_t heldBytes, uint64_t wantedBytes);
  /// Gives a holding back.
  void Release(uint64_t heldBytes);

private:
  mutable std::mutex Lock;
  uint64_t LimitBytes;
  uint64_t UsedBytes = 0;
};
