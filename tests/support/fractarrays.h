#pragma once
#include <cstring>
#include <memory>

#include "engine/TFractArray.h"
#include "engine/kernels.h"

/// The whole picture of `p`, computed by the reference kernel on this thread.
inline std::unique_ptr<TFractArray> ComputeWhole(const TKernelParams& p) {
  auto array = std::make_unique<TFractArray>(p.XResolution, p.YResolution);
  ComputeBand(p, *array, {0, 0, p.XResolution, p.YResolution}, p.XResolution);
  return array;
}

/// Whether columns from .. to - 1 of two arrays of the same height hold the same bits.
inline bool SameColumns(const TFractArray& a, const TFractArray& b, int from, int to) {
  if (to <= from) return true;
  const size_t cells = static_cast<size_t>(to - from) * a.Height;
  return std::memcmp(a.DepthColumn(from), b.DepthColumn(from), cells * sizeof(float)) == 0 &&
         std::memcmp(a.CycleColumn(from), b.CycleColumn(from), cells * sizeof(int32_t)) == 0;
}

/// Whether two arrays have the same size and hold the same bits in every cell.
inline bool SameCells(const TFractArray& a, const TFractArray& b) {
  return a.Width == b.Width && a.Height == b.Height && SameColumns(a, b, 0, a.Width);
}

/// A width x height picture whose every pixel sits on a fixed point of `formula` (4 or 9) at
/// the deepest limit with no cycle test: each pixel takes hours, so only a stop ends it.
inline TKernelParams EndlessPicture(int formula, int width, int height) {
  TKernelParams p;
  p.Formula = formula;
  p.XResolution = width;
  p.YResolution = height;
  p.CR = p.CI = p.DR = p.DI = p.Left = p.Right = p.Top = p.Bottom = 0;
  p.MaxCycle = 0;
  p.MaxDepth = 2147483647;
  return p;
}

/// A width x height picture whose orbits on the real axis of the Mandelbrot set at c = -1.9 are
/// chaotic: they neither escape nor settle, and with InnerDist 1e-300 (its square is 0) no cycle
/// is ever seen, so at the deepest limit only a stop ends a pixel.
inline TKernelParams EndlessChaos(int width, int height, int maxCycle) {
  TKernelParams p;
  p.XResolution = width;
  p.YResolution = height;
  p.MapField = TKernelParams::MapC;
  p.Left = p.Right = -1.9;
  p.Top = p.Bottom = 0;
  p.InnerDist = 1e-300;
  p.MaxCycle = maxCycle;
  p.MaxDepth = 2147483647;
  return p;
}

/// A width x height picture of `formula` with the pixel as `map` (a TKernelParams::Map*) and
/// the iteration limit `maxDepth`; the plane of c is moved left to hold the whole set. Odd
/// default sizes make every vector width end a band with parked lanes.
inline TKernelParams Picture(int formula, int map, int width = 37, int height = 23,
                             int maxDepth = 100) {
  TKernelParams p;
  p.Formula = formula;
  p.MapField = map;
  p.XResolution = width;
  p.YResolution = height;
  p.MaxDepth = maxDepth;
  if (map == TKernelParams::MapC) {
    p.Left = -2.2;
    p.Right = 1.1;
  }
  return p;
}

/// A width x height picture with the kernels' default parameters.
inline TKernelParams PictureOfSize(int width, int height) {
  TKernelParams p;
  p.XResolution = width;
  p.YResolution = height;
  return p;
}
