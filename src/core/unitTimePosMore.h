#pragma once
#include "core/unitTime.h"

/// A time that must be above 0 seconds.
class unitTimePosMore : public unitTime {
public:
  unitTimePosMore(double seconds = 0, uint8_t unitKind = ukSecond)
      : unitTime(seconds, unitKind, urPositiveMore0) {}
};
