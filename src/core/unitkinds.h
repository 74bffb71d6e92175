#pragma once
#include <cstdint>

/// Codes of the units a value may be entered in (stored in every value object).
enum TUnitKind : uint8_t {
  ukNone = 0,
  ukPercent = 1,
  ukDecibel = 2,
  ukSecond = 3,
  ukMilliSecond = 4,
  ukHertz = 5,
  ukKiloHertz = 6,
  ukDollar = 9,
  ukQuote = 10,
  ukNote = 11,
  ukUnknown = 12,  ///< a parse result only, never stored
  ukMetre = 13,
  ukDeciMetre = 14,
  ukCentiMetre = 15,
  ukMilliMetre = 16,
  ukKiloMetre = 17,
  ukMile = 18,
  ukNauticalMile = 19,
  ukFeet = 20,
  ukInch = 21,
  ukMetrePerSecond = 22,
  ukKiloMetrePerHour = 23,
  ukMilesPerHour = 24,
  ukMach = 25,
  ukKnots = 26
};

/// Restriction codes of the value classes.
enum TRestriction : uint8_t {
  urNone = 0,
  urNotZero = 1,
  urNotPositive = 2,
  urPositive = 3,          ///< at least 0
  urNegative = 4,          ///< below 0
  urPositiveMore0 = 5,     ///< above 0
  urZeroToOne = 6,         ///< 0 to 1 inclusive
  urBetweenZeroAndOne = 7, ///< strictly between 0 and 1
  urMoreThanOne = 8
};
