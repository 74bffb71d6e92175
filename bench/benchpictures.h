#pragma once
#include <cstdint>

#include "engine/TKernelParams.h"

/// The Mandelbrot image other programs are timed on: 1000 x 1000, 1000 iterations, radius 1000,
/// with a cycle history of `maxCycle` entries.
inline TKernelParams BenchMandelbrot(int32_t maxCycle) {
  TKernelParams p;
  p.XResolution = p.YResolution = 1000;
  p.MapField = TKernelParams::MapC;
  p.Left = -2;
  p.Right = 1;
  p.Top = 1.5;
  p.Bottom = -1.5;
  p.MaxDepth = 1000;
  p.MaxCycle = maxCycle;
  return p;
}
