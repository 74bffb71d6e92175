#pragma once
#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/TColumnSink.h"
#include "engine/TKernelParams.h"
#include "engine/complexmath.h"

class TFractArray;

// The scalar iteration kernels: one formula step, one pixel, one band of columns. This is the
// reference that any faster kernel must reproduce exactly.

/// A rectangle of pixels: columns FirstColumn .. EndColumn - 1, rows FirstRow .. EndRow - 1.
struct TBand {
  int FirstColumn, FirstRow, EndColumn, EndRow;
};

/// Recent iterates for the cycle test, most recent first. Allocated once per band and reused
/// for every pixel; it grows only as deep as the pixels go.
struct TCycleHistory {
  std::vector<double> Re, Im;
};

/// The step of formula `formula` (an index into Formulas) applied to z with the constants c and
/// d and the exponents n and m (>= 1). A pure function; an overflow or invalid operation shows
/// as a non-finite part of the result (see IsFault), never as a signal or exception. An unknown
/// formula gives NaN parts.
TComplex FormulaStep(TComplex z, TComplex c, TComplex d, int32_t n, int32_t m, int formula);

/// Whether a step result is a floating-point fault (a part is infinite or NaN).
inline bool IsFault(TComplex z) { return !std::isfinite(z.re) || !std::isfinite(z.im); }

/// The plane point of pixel column x, row y: (Left, Top) for pixel (0, 0), the right and
/// bottom edges exclusive. `width` is the number of columns; the rows use params.YResolution.
TComplex PixelPoint(const TKernelParams& params, int x, int y, int width);

/// How a pixel's iteration ended: its depth value and cycle period as the array stores them,
/// the formula steps taken, and whether the stop flag cut it short (the rest is then
/// unspecified).
struct TPointOutcome {
  float Depth = 0.0f;
  int32_t Period = 0;
  int64_t Steps = 0;
  bool Stopped = false;
};

/// Iterates a pixel whose constants are c and d from its iterate `z`, number `steps` (the
/// pixel's point is iterate 0), with `history` holding its real entries (at most MaxCycle,
/// newest first), on to the end, exactly as IteratePoint does from there; `history` is
/// updated. IteratePoint is this from the pixel's point; faster kernels continue a pixel here.
TPointOutcome ContinuePoint(const TKernelParams& params, TComplex c, TComplex d, TComplex z,
                            int64_t steps, TCycleHistory& history,
                            const std::atomic<bool>* stop = nullptr);

/// Iterates pixel (x, y) and stores its depth value (a fraction of MaxDepth: > 0 escaped,
/// 0 limit reached, < 0 cycle) and cycle period in `array`. A cycle counts only where it does
/// not repel (cycletest.h). A floating-point fault ends only
/// this pixel. Returns the number of formula steps taken. When `stop` becomes true the pixel
/// is abandoned within a few tens of thousands of steps and its cells are left unspecified;
/// the caller must check `stop` afterwards.
int64_t IteratePoint(const TKernelParams& params, int x, int y, int width,
                     TCycleHistory& history, TFractArray& array,
                     const std::atomic<bool>* stop = nullptr);

/// Fatal assertion unless the parameters are in the ranges every band kernel needs, for a
/// picture `width` columns wide.
void CheckBandParams(const TKernelParams& params, int width);

/// `band` cut to the cells of `array`; the only place bands are clipped.
TBand ClipBand(TBand band, const TFractArray& array);

/// Computes `band` (clipped to the array) pixel by pixel, column by column from the left, and
/// reports each finished column x (picture coordinates) to `sink`. `width` is the number of
/// columns of the whole picture. Returns false when `stop` was seen before the band was
/// complete; the column in progress is then not reported. The parameters must be in their
/// ranges (fatal assertion otherwise).
bool ComputeBandColumnsReference(const TKernelParams& params, TFractArray& array, TBand band,
                                 int width, const std::atomic<bool>* stop, TColumnSink& sink);

/// The same, raising array.ColumnsDone to x + 1 (release) after each finished column x.
bool ComputeBand(const TKernelParams& params, TFractArray& array, TBand band, int width,
                 const std::atomic<bool>* stop = nullptr);
