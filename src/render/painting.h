#pragma once
#include <cstdint>

class TFractArray;
class TPixelBuffer;
class TVoldViewProps;

/// A rectangle in pixels; Right and Bottom are exclusive.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  /// True when it holds no pixel.
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TRect&) const = default;
};

/// The colour (0x00BBGGRR) of one cell of a result array: `depth` is the stored fraction of
/// MaxDepth (0 limit reached, > 0 escaped, < 0 cycle; a cell's float converts exactly),
/// `cycle` the stored period and
/// `maxCycle` the parameters' MaxCycle. Never fails: a cycle period outside 1..maxCycle, which
/// the kernels never store, is coloured as the nearest valid cycle position.
uint32_t ColorOf(double depth, int32_t cycle, const TVoldViewProps& props, int32_t maxCycle);

/// Paints the cells of `array` that fall into `r` onto `surface`, the array stretched over the
/// view's client rectangle `client` (all in surface pixels). Paints nothing when the client is
/// less than 2 pixels wide or has no height, when `repaintPending` is set (a full repaint is on
/// its way), when `r` is empty or when there is no array. Only the columns below the array's
/// ColumnsDone are read, so it may run while a worker fills the array. Pixels outside the
/// surface are left alone.
void PaintRect(TPixelBuffer& surface, const TRect& client, const TRect& r,
               const TFractArray* array, const TVoldViewProps& props, int32_t maxCycle,
               bool repaintPending);

/// Paints the columns finished since the last call (ColumnsShown up to ColumnsDone) over the
/// full client height and moves ColumnsShown up to ColumnsDone, also when nothing is painted.
/// Returns the strip of the client that was painted (to be shown on screen), or an empty
/// rectangle. Does nothing without an array.
TRect PaintProgress(TPixelBuffer& surface, const TRect& client, TFractArray* array,
                    const TVoldViewProps& props, int32_t maxCycle, bool repaintPending);
