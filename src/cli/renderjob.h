#pragma once
#include <functional>

class TFractArray;
class TPixelBuffer;
class TVoldViewProps;
struct TKernelParams;

/// Called after each progress paint with the finished and the total number of columns.
using TProgressReport = std::function<void(int done, int total)>;

/// Computes `params` into `array` (of the parameters' resolution, fresh) with the view's worker
/// while this thread plays the GUI thread, painting each finished band into `surface` (the
/// whole surface is the client area) as a fractal view does. Returns false when the worker
/// ended before every column was computed.
bool ComputeAndPaint(const TKernelParams& params, TFractArray& array, TPixelBuffer& surface,
                     const TVoldViewProps& view, const TProgressReport& progress);
