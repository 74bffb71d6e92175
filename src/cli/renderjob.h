#pragma once
#include <functional>

class TComputePool;
class TFractArray;
struct TKernelParams;

/// Called after each progress call with the finished and the total number of columns.
using TProgressReport = std::function<void(int done, int total)>;

/// Computes `params` into `array` (of the parameters' resolution, fresh) with the view's worker
/// while this thread plays the GUI thread and reports the progress. Returns false when the
/// worker ended before every column was computed. The bands run on `pool` with the fast
/// kernel; with `reference` the plain kernel computes them on a one-worker pool of their own,
/// band by band with a progress call after each. Both give the same array.
bool ComputeArray(const TKernelParams& params, TFractArray& array, TComputePool& pool,
                  const TProgressReport& progress, bool reference = false);
