#include "engine/TColumnsDone.h"

#include <algorithm>

#include "core/assertions.h"
#include "engine/TFractArray.h"

TColumnsDone::TColumnsDone(TFractArray& array, int first, int end)
    : Array(array),
      First(first),
      End(std::max(first, end)),
      Finished(new std::atomic<bool>[static_cast<size_t>(End - First)]),
      Next(first) {
  for (int x = First; x < End; ++x) Finished[static_cast<size_t>(x - First)].store(false);
}

void TColumnsDone::ColumnFinished(int x) {
  ZASSERT(x >= First && x < End);
  Finished[static_cast<size_t>(x - First)].store(true);
  // Sequentially consistent: a thread that marks its column after another has looked at the
  // mark either sees the other's advance or advances over its own column itself.
  int next = Next.load();
  while (next < End && Finished[static_cast<size_t>(next - First)].load()) {
    if (!Next.compare_exchange_weak(next, next + 1)) continue;
    ++next;
    // Several threads may advance in turn; the count only ever rises.
    int done = Array.ColumnsDone.load();
    while (done < next && !Array.ColumnsDone.compare_exchange_weak(done, next)) {
    }
  }
}
