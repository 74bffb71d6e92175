#pragma once
#include "core/unitTime.h"

/// A time that must be at least 0 seconds.
class unitTimePos : public unitTime {
public:
  unitTimePos(double seconds = 0, uint8_t unitKind = ukSecond)
      : unitTime(seconds, unitKind, urPositive) {}
};
