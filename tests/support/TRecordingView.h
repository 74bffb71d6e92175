#pragma once
#include <thread>
#include <vector>

#include "engine/TFractArray.h"
#include "engine/TVolumeClient.h"
#include "support/fractarrays.h"

/// A view for worker tests, called on the thread that creates it (which plays the GUI thread).
/// At each progress call it records ColumnsDone and marks those columns shown, as the painter
/// does; it checks that the count never falls and, given the expected array (not owned), that
/// every newly shown column already holds its final values.
class TRecordingView : public TVolumeClient {
public:
  explicit TRecordingView(TFractArray& array, const TFractArray* expected = nullptr)
      : Array(array), Expected(expected) {}

  void PaintProgress() override {
    const int done = Array.ColumnsDone.load(std::memory_order_acquire);
    Paints.push_back(done);
    Final = Final && done >= Array.ColumnsShown &&
            (!Expected || SameColumns(Array, *Expected, Array.ColumnsShown, done));
    Array.ColumnsShown = done;
    OffGuiThread |= std::this_thread::get_id() != Gui;
  }
  void ComputationEnded() override {
    ++Ended;
    PaintsAtEnd = static_cast<int>(Paints.size());
    ShownAtEnd = Array.ColumnsShown;
    OffGuiThread |= std::this_thread::get_id() != Gui;
  }
  /// Progress and end calls so far.
  int Calls() const { return static_cast<int>(Paints.size()) + Ended; }

  TFractArray& Array;
  const TFractArray* const Expected;
  std::vector<int> Paints;  ///< ColumnsDone at each progress call
  bool Final = true;
  bool OffGuiThread = false;
  int Ended = 0;
  int PaintsAtEnd = -1;  ///< progress calls before the end call
  int ShownAtEnd = -1;
  const std::thread::id Gui = std::this_thread::get_id();
};
