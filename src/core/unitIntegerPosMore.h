#pragma once
#include "core/unitInteger.h"

/// A 32-bit integer that must be above 0.
class unitIntegerPosMore : public unitInteger {
public:
  unitIntegerPosMore(int32_t value = 0, uint8_t unitKind = ukNone)
      : unitInteger(value, unitKind, urPositiveMore0) {}
};
