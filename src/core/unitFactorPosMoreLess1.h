#pragma once
#include "core/unitFactor.h"

/// A real number that must lie strictly between 0 and 1.
class unitFactorPosMoreLess1 : public unitFactor {
public:
  unitFactorPosMoreLess1() : unitFactor(0.0, ukNone, urBetweenZeroAndOne) {}
  unitFactorPosMoreLess1(double value, uint8_t unitKind = ukNone) : unitFactor(value, unitKind, urBetweenZeroAndOne) {}
};
