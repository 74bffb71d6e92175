#pragma once

/// Receives the columns of a band as they are finished: every cell of column x (picture
/// coordinates) is stored before ColumnFinished(x) is called. Called on the computing thread,
/// possibly out of column order.
class TColumnSink {
public:
  virtual void ColumnFinished(int x) = 0;

protected:
  ~TColumnSink() = default;
};
