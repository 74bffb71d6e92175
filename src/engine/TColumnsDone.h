#pragma once
#include <atomic>
#include <memory>

#include "engine/TColumnSink.h"

class TFractArray;

/// The one keeper of an array's ColumnsDone: told of the finished columns First .. End - 1 in
/// any order and from any number of threads, it raises ColumnsDone to x + 1 as soon as every
/// column First .. x is finished. Columns before First count as finished by the caller.
/// ColumnsDone never falls, and it is raised only after the column's cells are stored (the
/// caller stores them before ColumnFinished; the raise is a release).
class TColumnsDone : public TColumnSink {
public:
  /// `array` is not owned and must outlive this object.
  TColumnsDone(TFractArray& array, int first, int end);
  ~TColumnsDone() = default;
  TColumnsDone(const TColumnsDone&) = delete;
  TColumnsDone& operator=(const TColumnsDone&) = delete;

  /// Marks column x (First <= x < End) finished; thread-safe.
  void ColumnFinished(int x) override;

private:
  TFractArray& Array;
  const int First;
  const int End;
  std::unique_ptr<std::atomic<bool>[]> Finished;
  std::atomic<int> Next;  // the first column not yet counted
};
