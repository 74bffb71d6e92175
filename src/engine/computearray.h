#pragma once
#include <atomic>
#include <functional>
#include <memory>

class TComputePool;
class TDeepPlan;
class TFractArray;
struct TKernelParams;

/// Called after each progress call with the finished and the total number of columns.
using TProgressReport = std::function<void(int done, int total)>;

/// Computes `params` into `array` (of the parameters' resolution, fresh) with the view's worker
/// while this thread plays the GUI thread and reports the progress. Returns false when the
/// worker ended before every column was computed. The bands run on `pool` with the fast
/// kernel; with `reference` the plain kernel computes them on a one-worker pool of their own,
/// band by band with a progress call after each. Both give the same array. With `deep` (a deep
/// view's plan, see DeepPlanFor) the deep kernel computes it instead, the same way. Setting
/// `*stop` (from any thread) ends the computation within about 10 ms plus the pixels in
/// flight; the array is then incomplete and false comes back.
bool ComputeArray(const TKernelParams& params, TFractArray& array, TComputePool& pool,
                  const TProgressReport& progress, bool reference = false,
                  std::shared_ptr<TDeepPlan> deep = nullptr,
                  const std::atomic<bool>* stop = nullptr);
