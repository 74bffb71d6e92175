#pragma once
#include "core/unitFactor.h"

/// A real number that must lie above 0.
class unitFactorPosMore : public unitFactor {
public:
  unitFactorPosMore() : unitFactor(0.0, ukNone, urPositiveMore0) {}
  unitFactorPosMore(double value, uint8_t unitKind = ukNone) : unitFactor(value, unitKind, urPositiveMore0) {}
};
