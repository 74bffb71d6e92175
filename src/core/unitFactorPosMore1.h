#pragma once
#include "core/unitFactor.h"

/// A real number that must lie above 1.
class unitFactorPosMore1 : public unitFactor {
public:
  unitFactorPosMore1() : unitFactor(0.0, ukNone, urMoreThanOne) {}
  unitFactorPosMore1(double value, uint8_t unitKind = ukNone) : unitFactor(value, unitKind, urMoreThanOne) {}
};
