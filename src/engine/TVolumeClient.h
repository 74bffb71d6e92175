#pragma once

/// The view side of a computation: receives the calls of a TThreadVolumeWriter, always on the
/// GUI thread, and never after the writer was asked to terminate.
class TVolumeClient {
public:
  virtual ~TVolumeClient() = default;
  /// After each finished band; the worker waits until this returns. Paints the columns
  /// between the array's ColumnsShown and ColumnsDone.
  virtual void PaintProgress() = 0;
  /// Once, after the last band (or after a failure ended the worker early).
  virtual void ComputationEnded() = 0;
};
