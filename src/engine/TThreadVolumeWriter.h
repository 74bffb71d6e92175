#pragma once
#include <atomic>
#include <memory>
#include <thread>

#include "engine/TKernelParams.h"

class TFractArray;
class TGuiDispatcher;
class TVolumeClient;

/// Computes a whole fractal on a worker thread of its own, in bands of BandWidth columns from
/// left to right. After each band it has the GUI thread run the client's PaintProgress and waits
/// for it; at its end the client's ComputationEnded runs on the GUI thread.
///
/// Created suspended. Stop it from the GUI thread with Terminate() and then WaitFor(): the stop
/// never needs the GUI thread to make progress, is honoured within a pixel, and after Terminate
/// the client gets no further call, even from calls already queued. A column cut short is not
/// counted in ColumnsDone.
class TThreadVolumeWriter {
public:
  static constexpr int BandWidth = 4;

  /// `view`, `array` and `gui` are not owned and must outlive this object; the array must have
  /// the parameters' resolution. The parameters are copied. Nothing runs until Resume().
  TThreadVolumeWriter(TVolumeClient& view, TFractArray& array, const TKernelParams& params,
                      TGuiDispatcher& gui);
  /// Terminates and waits if still running.
  ~TThreadVolumeWriter();
  TThreadVolumeWriter(const TThreadVolumeWriter&) = delete;
  TThreadVolumeWriter& operator=(const TThreadVolumeWriter&) = delete;

  /// Starts the worker; does nothing when it was started before or termination was requested.
  void Resume();
  /// Requests the end: the worker stops at its next check (between pixels, or within a deep
  /// pixel) and at once when it is waiting for its progress call. Does not wait.
  void Terminate();
  /// Waits until the worker has ended; returns at once when it never started. Call Terminate()
  /// first when waiting on the GUI thread, or a pending progress call could never run.
  void WaitFor();
  /// Whether the worker has run and ended.
  bool Finished() const { return Ended.load(); }
  /// Whether Terminate() was called.
  bool Terminated() const { return TerminateRequested.load(); }

private:
  struct TShared;

  void Execute();
  bool RunProgressCall();

  TFractArray& FractArray;
  const TKernelParams Params;
  TGuiDispatcher& Gui;
  // Outlives this object while calls posted to the GUI thread still hold it.
  std::shared_ptr<TShared> Shared;
  std::atomic<bool> TerminateRequested{false};
  std::atomic<bool> Started{false};
  std::atomic<bool> Ended{false};
  std::thread Worker;
};
