#pragma once
#include <atomic>
#include <memory>

#include "engine/TKernelParams.h"

class TComputePool;
class TFractArray;
class TGuiDispatcher;
class TVolumeClient;

/// Computes a whole fractal in the background, in bands of BandWidth columns handed out to the
/// workers of a TComputePool. ColumnsDone is the count of finished columns contiguous from the
/// left. Progress reaches the client in one of two ways (TOptions::Progress):
/// - EachBand: one band at a time, left to right; after each band the worker has the GUI thread
///   run the client's PaintProgress and waits for it, so each call shows exactly one more band.
///   The worker is held while it waits: give such a computation a pool of its own.
/// - Coalesced: several bands at once; when ColumnsDone has risen, no progress call is queued
///   and the last was posted 10 ms ago or more (or the picture is complete), a worker posts one
///   after its band; the workers never wait for the GUI thread, and the client paints
///   ColumnsShown .. ColumnsDone when the call runs.
/// In both, the client's ComputationEnded runs on the GUI thread at the end, after the last
/// progress call, and every stored cell is exactly what ComputeBand stores.
///
/// Created suspended. Stop it from the GUI thread with Terminate() and then WaitFor(): the stop
/// never needs the GUI thread to make progress, waits only for the bands in progress (each
/// honours the stop within a pixel), and after Terminate the client gets no further call, even
/// from calls already queued. A column cut short is not counted in ColumnsDone.
class TThreadVolumeWriter {
public:
  static constexpr int BandWidth = 4;

  /// Which kernel computes the pixels; both store the same bits.
  enum class TKernel { Reference, Fast };
  /// How progress reaches the client (see the class comment).
  enum class TProgress { EachBand, Coalesced };

  struct TOptions {
    TKernel Kernel = TKernel::Reference;
    TProgress Progress = TProgress::EachBand;
    /// Coalesced only: the most bands of this computation computed at once; 0 = as many as
    /// the pool has workers. EachBand computes one band at a time.
    int Workers = 0;
    /// The pool to run on (not owned); null = TComputePool::Shared().
    TComputePool* Pool = nullptr;

    /// The fast kernel on every worker of the shared pool, with coalesced progress.
    static TOptions Fastest();
  };

  /// `view`, `array`, `gui` and the options' pool are not owned and must outlive this object;
  /// the array must have the parameters' resolution. The parameters are copied. Nothing runs
  /// until Resume().
  TThreadVolumeWriter(TVolumeClient& view, TFractArray& array, const TKernelParams& params,
                      TGuiDispatcher& gui, const TOptions& options);
  /// Terminates and waits if still running.
  ~TThreadVolumeWriter();
  TThreadVolumeWriter(const TThreadVolumeWriter&) = delete;
  TThreadVolumeWriter& operator=(const TThreadVolumeWriter&) = delete;

  /// Starts the computation; does nothing when it was started before or termination was
  /// requested.
  void Resume();
  /// Requests the end: no further band starts, the bands in progress stop at their next check
  /// (between pixels, or within a deep pixel), and at once when waiting for a progress call.
  /// Does not wait.
  void Terminate();
  /// Waits until the computation has ended; returns at once when it never started.
  void WaitFor();
  /// Whether the computation has run and ended.
  bool Finished() const;
  /// Whether Terminate() was called.
  bool Terminated() const { return TerminateRequested.load(); }

private:
  struct TShared;
  class TPoolJob;

  TComputePool& Pool;
  // Outlives this object while calls posted to the GUI thread still hold it.
  std::shared_ptr<TShared> Shared;
  std::shared_ptr<TPoolJob> Job;
  const int MaxParallel;
  std::atomic<bool> TerminateRequested{false};
  std::atomic<bool> Started{false};
};
