#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

/// The per-pixel results of one computation: a depth value (float; > 0 escaped, 0 limit
/// reached, < 0 cycle) and a cycle period per pixel, column-major (pixel (x, y) at
/// x * Height + y), with the progress counters ColumnsDone and ColumnsShown.
/// The worker writes cells and raises ColumnsDone (release); the GUI thread reads only columns
/// below the ColumnsDone it loaded (acquire) and keeps ColumnsShown.
class TFractArray {
public:
  /// Allocates both blocks (not cleared). Throws std::bad_alloc when the size overflows or
  /// cannot be allocated; see TryCreate for the non-throwing form.
  TFractArray(int width, int height);

  /// A new array, or null when width or height is below 1, the size overflows, or the blocks
  /// would not fit in memory.
  static std::unique_ptr<TFractArray> TryCreate(int width, int height) noexcept;

  /// Whether an array of this size may be allocated: both sides at least 1 and the blocks
  /// (8 bytes a cell) within half of the machine's physical memory.
  static bool SizeAllowed(int width, int height) noexcept;

  /// Bytes of one cell: a depth and a cycle period.
  static constexpr unsigned BytesPerCell = sizeof(float) + sizeof(int32_t);

  const int Width;
  const int Height;
  /// Columns 0 .. ColumnsDone - 1 are completely computed.
  std::atomic<int> ColumnsDone{0};
  /// Columns 0 .. ColumnsShown - 1 have been handed to the view for painting (GUI thread only).
  int ColumnsShown = 0;

  // Element access; the coordinates are clamped into the array first, so these never fail.
  void SetDepth(int x, int y, float value) { Depths[Index(x, y)] = value; }
  void SetCycle(int x, int y, int32_t period) { Cycles[Index(x, y)] = period; }
  float GetDepth(int x, int y) const { return Depths[Index(x, y)]; }
  int32_t GetCycle(int x, int y) const { return Cycles[Index(x, y)]; }

  /// First cell of column x (unclamped; 0 <= x < Width). A column holds Height cells.
  float* DepthColumn(int x) { return Depths.get() + static_cast<int64_t>(x) * Height; }
  int32_t* CycleColumn(int x) { return Cycles.get() + static_cast<int64_t>(x) * Height; }
  const float* DepthColumn(int x) const { return Depths.get() + static_cast<int64_t>(x) * Height; }
  const int32_t* CycleColumn(int x) const {
    return Cycles.get() + static_cast<int64_t>(x) * Height;
  }

private:
  int64_t Index(int x, int y) const {
    if (x < 0) x = 0;
    if (x >= Width) x = Width - 1;
    if (y < 0) y = 0;
    if (y >= Height) y = Height - 1;
    return static_cast<int64_t>(x) * Height + y;
  }

  // The blocks come from AllocateCells (malloc family).
  struct TFree {
    void operator()(void* block) const noexcept;
  };
  std::unique_ptr<float[], TFree> Depths;
  std::unique_ptr<int32_t[], TFree> Cycles;
};
