#pragma once
#include <cstdint>
#include <vector>

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

/// Which cell of an array each pixel of a whole surface shows: the array column for each pixel
/// column and the array row for each pixel row, -1 where no cell paints. Rows with the same
/// entry are the same pixels.
struct TCellMap {
  std::vector<int> Columns;
  std::vector<int> Rows;
};

/// The cells that PaintRect leaves on a surface of `width` x `height` pixels when it paints the
/// whole surface with `array` stretched over `client` (the same rules: nothing for a client
/// under 2 pixels wide or without height, no array or no finished column; only columns below
/// ColumnsDone, read now). Throws std::bad_alloc when the map does not fit in memory.
TCellMap MapCells(const TRect& client, int width, int height, const TFractArray* array);

/// Writes rows `top` to `bottom` - 1 of such a surface into `out` (row y at out + (y - top) *
/// width, width = map.Columns.size(), pixels 0xFFBBGGRR): each pixel the colour of its cell of
/// `array`, or `background` (0x00BBGGRR) where no cell paints, exactly what PaintRect leaves on
/// a surface filled with `background`. So stripes of a picture can be painted side by side
/// without the whole surface. `array` may be null only when the map has no cells; `top` and
/// `bottom` lie within the map's rows.
void PaintMappedRows(const TCellMap& map, int top, int bottom, const TFractArray* array,
                     const TVoldViewProps& props, int32_t maxCycle, uint32_t background,
                     uint32_t* out);
