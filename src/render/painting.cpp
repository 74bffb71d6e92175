#include "render/painting.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/TFractArray.h"
#include "render/TPixelBuffer.h"
#include "render/TVoldViewProps.h"

namespace {

// The stretch maps pixels to cells and back with lin(v; a..b -> c..e) = c + (v - a) / (b - a) *
// (e - c) on integers, truncated toward zero. It is evaluated as one exact fraction: done in
// floating point, a result that should be a whole number can come out just below it, which
// leaves a pixel column unpainted (6 columns in 7 pixels) or moves a progress strip by one.
using TWide = __int128;

// trunc(numerator / denominator) for denominator > 0; C++ division already truncates toward 0.
int64_t TruncDiv(TWide numerator, TWide denominator) {
  return static_cast<int64_t>(numerator / denominator);
}

// One direction of the stretch: `Cells` cells over `Pixels` client pixels from `ClientLow` on.
struct TAxis {
  int64_t ClientLow, Pixels, Cells;

  // trunc(lin(pixel; client -> 0..cells)) and the same plus one before truncating: the cell
  // range covering the pixels from..to.
  int64_t FirstCell(int pixel) const {
    return TruncDiv(TWide{pixel - ClientLow} * Cells, Pixels);
  }
  int64_t EndCell(int pixel) const {
    return TruncDiv(TWide{pixel - ClientLow} * Cells + Pixels, Pixels);
  }
  // trunc(lin(cell; 0..cells -> client)): the pixel where a cell boundary falls.
  int64_t PixelOf(int64_t cell) const {
    return TruncDiv(TWide{ClientLow} * Cells + TWide{cell} * Pixels, Cells);
  }
  // The inclusive pixel span of cell i: from trunc(lin(i)) to trunc(lin(i + 1) - 1); empty when
  // Last < First.
  int64_t First(int64_t i) const { return PixelOf(i); }
  int64_t Last(int64_t i) const {
    return TruncDiv(TWide{ClientLow - 1} * Cells + TWide{i + 1} * Pixels, Cells);
  }

  // The cells of [begin, end) whose spans meet clipLow..clipHigh lie in the returned range:
  // both span ends grow with i, so the cells outside it are a prefix and a suffix. Skipping
  // them changes no pixel but keeps a rectangle reaching far outside the client cheap.
  std::pair<int64_t, int64_t> Meeting(int64_t begin, int64_t end, int64_t clipLow,
                                      int64_t clipHigh) const {
    int64_t lo = begin, hi = end;
    while (lo < hi) {  // first cell whose span reaches clipLow
      const int64_t mid = lo + (hi - lo) / 2;
      if (Last(mid) < clipLow) lo = mid + 1; else hi = mid;
    }
    const int64_t from = lo;
    hi = end;
    while (lo < hi) {  // first cell that starts beyond clipHigh
      const int64_t mid = lo + (hi - lo) / 2;
      if (First(mid) <= clipHigh) lo = mid + 1; else hi = mid;
    }
    return {from, lo};
  }
};

double Intensity(TSensitivity sensitivity, double depth, double strength) {
  double t;
  switch (sensitivity) {
    case SensLow: t = std::pow(depth, 2.0); break;
    case SensHigh: t = std::sqrt(depth); break;
    case SensVeryHigh: t = std::pow(depth, 0.25); break;
    case SensNormal:
    default: t = depth; break;
  }
  t = strength * t;
  if (t > 1) t = 1;
  // Only a NaN depth gets here unordered; it must not reach the integer conversion below.
  if (!(t >= 0)) t = 0;
  return t;
}

uint32_t Mix(uint32_t background, uint32_t foreground, double t) {
  uint32_t colour = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double b = (background >> shift) & 0xFF;
    const double f = (foreground >> shift) & 0xFF;
    colour |= static_cast<uint32_t>(static_cast<int>(b * (1 - t) + f * t)) << shift;
  }
  return colour;
}

// The colouring record read once for many cells.
class TCellColours {
public:
  TCellColours(const TVoldViewProps& props, int32_t maxCycle)
      : Props(props),
        StrengthOutside(props.StrengthOutside.GetDouble()),
        StrengthInside(props.StrengthInside.GetDouble()),
        CycleDivisor(static_cast<double>(std::max<int64_t>(int64_t{maxCycle} - 1, 1))) {}

  uint32_t operator()(double depth, int32_t cycle) const {
    if (depth == 0) return Props.MaxDepthColor;
    double d = depth;
    if (d < 0) {
      d = -d;
      const double t = Intensity(Props.SensInside, d, StrengthInside);
      if (Props.UsePalDepthInside) return Props.PalDepthInside.GetColor(t);
      // The kernels store periods 1..MaxCycle only; anything else is pinned to the nearest end
      // of the palettes rather than ending the program.
      const double p = std::clamp((static_cast<double>(cycle) - 1) / CycleDivisor, 0.0, 1.0);
      const uint32_t background = Props.UsePalDepthBackgroundInside
                                      ? Props.PalDepthBackgroundInside.GetColor(p)
                                      : Props.ColorBackgroundInside;
      const uint32_t foreground = Props.UsePalDepthForegroundInside
                                      ? Props.PalDepthForegroundInside.GetColor(p)
                                      : Props.ColorForegroundInside;
      return Mix(background, foreground, t);
    }
    const double t = Intensity(Props.SensOutside, d, StrengthOutside);
    if (Props.UsePalOutside) return Props.PalOutside.GetColor(t);
    return Mix(Props.BackgroundColorOutside, Props.ForegroundColorOutside, t);
  }

private:
  const TVoldViewProps& Props;
  const double StrengthOutside;
  const double StrengthInside;
  const double CycleDivisor;
};

uint32_t BitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

struct TRowSpan {
  int Row;  // array row, already clamped into the array
  int Top, Bottom;
};

// Paints unless one of the reasons to paint nothing holds; returns false in the cases where a
// caller must not expect its rectangle to be painted (repaint pending, unusable client).
bool PaintCells(TPixelBuffer& surface, const TRect& client, const TRect& r,
                const TFractArray* array, const TVoldViewProps& props, int32_t maxCycle,
                bool repaintPending) {
  if (int64_t{client.Right} - client.Left < 2) return false;
  // A client without height would divide by zero below.
  if (client.Bottom <= client.Top) return false;
  if (repaintPending) return false;
  if (r.Left == r.Right || r.Top == r.Bottom || array == nullptr) return true;

  const int done = array->ColumnsDone.load(std::memory_order_acquire);
  // Column indices left of the array read column 0, which is not finished before this.
  if (done <= 0) return true;

  // Inclusive clip: the rectangle, and nothing outside the surface.
  const int64_t clipLeft = std::max(r.Left, 0);
  const int64_t clipTop = std::max(r.Top, 0);
  const int64_t clipRight = std::min(int64_t{r.Right} - 1, int64_t{surface.Width()} - 1);
  const int64_t clipBottom = std::min(int64_t{r.Bottom} - 1, int64_t{surface.Height()} - 1);
  if (clipRight < clipLeft || clipBottom < clipTop) return true;

  const int columns = array->Width;
  const int rows = array->Height;
  const TAxis across{client.Left, int64_t{client.Right} - client.Left, columns};
  const TAxis down{client.Top, int64_t{client.Bottom} - client.Top, rows};

  // Row spans are the same in every column: work them out once.
  std::vector<TRowSpan> spans;
  const auto [rowBegin, rowEnd] =
      down.Meeting(down.FirstCell(r.Top), down.EndCell(r.Bottom), clipTop, clipBottom);
  for (int64_t j = rowBegin; j < rowEnd; ++j) {
    const int64_t top = std::max(down.First(j), clipTop);
    const int64_t bottom = std::min(down.Last(j), clipBottom);
    if (bottom < top) continue;
    spans.push_back({static_cast<int>(std::clamp<int64_t>(j, 0, rows - 1)),
                     static_cast<int>(top), static_cast<int>(bottom)});
  }
  if (spans.empty()) return true;

  const TCellColours colourOf(props, maxCycle);
  uint32_t* pixels = surface.Data();
  const int64_t stride = surface.Width();
  // Only finished columns.
  const int64_t columnEnd = std::min<int64_t>(across.EndCell(r.Right), done);
  const auto [columnBegin, columnStop] =
      across.Meeting(across.FirstCell(r.Left), columnEnd, clipLeft, clipRight);
  for (int64_t i = columnBegin; i < columnStop; ++i) {
    const int64_t left = std::max(across.First(i), clipLeft);
    const int64_t right = std::min(across.Last(i), clipRight);
    if (right < left) continue;
    const int column = static_cast<int>(std::clamp<int64_t>(i, 0, columns - 1));
    const float* depths = array->DepthColumn(column);
    const int32_t* cycles = array->CycleColumn(column);
    for (const TRowSpan& span : spans) {
      const uint32_t value = 0xFF000000u | colourOf(depths[span.Row], cycles[span.Row]);
      for (int64_t y = span.Top; y <= span.Bottom; ++y)
        std::fill(pixels + y * stride + left, pixels + y * stride + right + 1, value);
    }
  }
  return true;
}

}  // namespace

uint32_t ColorOf(double depth, int32_t cycle, const TVoldViewProps& props, int32_t maxCycle) {
  return TCellColours(props, maxCycle)(depth, cycle);
}

void PaintRect(TPixelBuffer& surface, const TRect& client, const TRect& r,
               const TFractArray* array, const TVoldViewProps& props, int32_t maxCycle,
               bool repaintPending) {
  PaintCells(surface, client, r, array, props, maxCycle, repaintPending);
}

TRect PaintProgress(TPixelBuffer& surface, const TRect& client, TFractArray* array,
                    const TVoldViewProps& props, int32_t maxCycle, bool repaintPending) {
  if (array == nullptr) return {};
  const int from = array->ColumnsShown;
  const int to = array->ColumnsDone.load(std::memory_order_acquire);
  const TAxis across{client.Left, int64_t{client.Right} - client.Left, array->Width};
  const int64_t x0 = across.PixelOf(from);
  const int64_t x1 = across.PixelOf(to);
  TRect painted;
  if (x0 < x1 && client.Left < x1 && x0 < client.Right) {
    const TRect strip{static_cast<int>(x0), client.Top, static_cast<int>(x1), client.Bottom};
    if (PaintCells(surface, client, strip, array, props, maxCycle, repaintPending))
      painted = strip;
  }
  array->ColumnsShown = to;
  return painted;
}

TCellMap MapCells(const TRect& client, int width, int height, const TFractArray* array) {
  TCellMap map;
  map.Columns.assign(static_cast<size_t>(std::max(width, 0)), -1);
  map.Rows.assign(static_cast<size_t>(std::max(height, 0)), -1);
  // The same early ends as PaintCells over the whole surface.
  if (int64_t{client.Right} - client.Left < 2 || client.Bottom <= client.Top) return map;
  if (array == nullptr || width <= 0 || height <= 0) return map;
  const int done = array->ColumnsDone.load(std::memory_order_acquire);
  if (done <= 0) return map;

  const int columns = array->Width;
  const int rows = array->Height;
  const TAxis across{client.Left, int64_t{client.Right} - client.Left, columns};
  const TAxis down{client.Top, int64_t{client.Bottom} - client.Top, rows};
  // Spans overlap only where cells are stretched below a pixel; as in PaintCells, the cell
  // painted last (the higher index) owns the pixel. Returns whether any cell has a pixel.
  const auto fill = [](const TAxis& axis, int64_t firstCell, int64_t endCell, int pixels,
                       int cells, std::vector<int>& out) {
    bool any = false;
    const auto [begin, end] = axis.Meeting(firstCell, endCell, 0, pixels - 1);
    for (int64_t i = begin; i < end; ++i) {
      const int64_t first = std::max<int64_t>(axis.First(i), 0);
      const int64_t last = std::min<int64_t>(axis.Last(i), pixels - 1);
      if (last < first) continue;
      any = true;
      std::fill(out.begin() + first, out.begin() + last + 1,
                static_cast<int>(std::clamp<int64_t>(i, 0, cells - 1)));
    }
    return any;
  };
  if (!fill(down, down.FirstCell(0), down.EndCell(height), height, rows, map.Rows)) return map;
  const int64_t columnEnd = std::min<int64_t>(across.EndCell(width), done);
  const bool anyColumn =
      fill(across, across.FirstCell(0), columnEnd, width, columns, map.Columns);
  // A row span with no column paints nothing.
  if (!anyColumn) std::fill(map.Rows.begin(), map.Rows.end(), -1);
  return map;
}

void PaintMappedRows(const TCellMap& map, int top, int bottom, const TFractArray* array,
                     const TVoldViewProps& props, int32_t maxCycle, uint32_t background,
                     uint32_t* out) {
  const size_t width = map.Columns.size();
  const uint32_t blank = 0xFF000000u | background;
  const auto line = [&](int y) { return out + static_cast<size_t>(y - top) * width; };
  // Rows that show the same cells as the row above are copies; the others are painted.
  std::vector<int> painted;
  for (int y = top; y < bottom; ++y) {
    const int row = map.Rows[static_cast<size_t>(y)];
    if (y > top && row == map.Rows[static_cast<size_t>(y - 1)]) continue;
    if (row < 0 || array == nullptr) {
      std::fill(line(y), line(y) + width, blank);
    } else {
      painted.push_back(y);
    }
  }
  if (!painted.empty()) {
    const TCellColours colourOf(props, maxCycle);
    // The array is stored by columns: a column's cells for these rows are read in one run
    // while the rows being painted stay in the cache. Neighbouring cells are mostly equal: the
    // colour is worked out again only when the stored bits change.
    bool haveCell = false;
    uint32_t lastDepthBits = 0;
    int32_t lastCycle = 0;
    uint32_t cellValue = blank;
    const auto colourAt = [&](float depth, int32_t cycle) {
      const uint32_t bits = BitsOf(depth);
      if (!haveCell || bits != lastDepthBits || cycle != lastCycle) {
        haveCell = true;
        lastDepthBits = bits;
        lastCycle = cycle;
        cellValue = 0xFF000000u | colourOf(depth, cycle);
      }
      return cellValue;
    };
    constexpr size_t Ahead = 4;
    const int64_t firstRow = map.Rows[static_cast<size_t>(painted.front())];
    const int64_t lastRow = map.Rows[static_cast<size_t>(painted.back())];
    const bool consecutive = lastRow - firstRow + 1 == static_cast<int64_t>(painted.size());
    std::vector<uint32_t*> lines;
    lines.reserve(painted.size());
    for (const int y : painted) lines.push_back(line(y));
    for (size_t x = 0; x < width; ++x) {
      const int column = map.Columns[x];
      if (x > 0 && column == map.Columns[x - 1]) {
        for (uint32_t* start : lines) start[x] = start[x - 1];
        continue;
      }
      if (column < 0) {
        for (uint32_t* start : lines) start[x] = blank;
        continue;
      }
      const float* depths = array->DepthColumn(column);
      const int32_t* cycles = array->CycleColumn(column);
      // The cells of a later column are asked for now: the hardware does not guess jumps from
      // column to column, and waiting for each line in turn would cost most of the time.
      if (x + Ahead < width && map.Columns[x + Ahead] >= 0) {
        const float* nextDepths = array->DepthColumn(map.Columns[x + Ahead]);
        const int32_t* nextCycles = array->CycleColumn(map.Columns[x + Ahead]);
        for (int64_t j = firstRow; j <= lastRow; j += 16) {
          __builtin_prefetch(nextDepths + j);
          __builtin_prefetch(nextCycles + j);
        }
        __builtin_prefetch(nextDepths + lastRow);
        __builtin_prefetch(nextCycles + lastRow);
      }
      // A column whose cells here are all equal (inside the set, a flat band) takes one
      // colour; the test reads the cells as they lie when the rows follow each other.
      if (consecutive) {
        const uint32_t firstBits = BitsOf(depths[firstRow]);
        const int32_t firstCycle = cycles[firstRow];
        bool same = true;
        for (int64_t j = firstRow + 1; j <= lastRow && same; ++j)
          same = BitsOf(depths[j]) == firstBits && cycles[j] == firstCycle;
        if (same) {
          const uint32_t value = colourAt(depths[firstRow], cycles[firstRow]);
          for (uint32_t* start : lines) start[x] = value;
          continue;
        }
      }
      for (size_t k = 0; k < painted.size(); ++k) {
        const int row = map.Rows[static_cast<size_t>(painted[k])];
        lines[k][x] = colourAt(depths[row], cycles[row]);
      }
    }
  }
  for (int y = top + 1; y < bottom; ++y) {
    if (map.Rows[static_cast<size_t>(y)] == map.Rows[static_cast<size_t>(y - 1)])
      std::memcpy(line(y), line(y - 1), width * sizeof(uint32_t));
  }
}
