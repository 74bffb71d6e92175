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
/// ended before every column was computed. `threads` > 0 sets the number of computation
/// threads (0: one per core); `reference` computes with the plain kernel on one thread, band by
/// band, as the fractal view did before it had the worker pool. Both give the same array.
bool ComputeAndPaint(const TKernelParams& params, TFractArray& array, TPixelBuffer& surface,
                     const TVoldViewProps& view, const TProgressReport& progress,
                     int threads = 0, bool reference = false);
