#pragma once
#include "core/unitInteger.h"

/// A 32-bit integer that must be at least 0.
class unitIntegerPos : public unitInteger {
public:
  unitIntegerPos(int32_t value = 0, uint8_t unitKind = ukNone)
      : unitInteger(value, unitKind, urPositive) {}
};
