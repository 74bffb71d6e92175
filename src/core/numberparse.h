#pragma once
#include <cstdint>
#include <string>

/// Reads a number and a unit word from the start of `text`, independent of the locale:
/// [sign] [spaces] digits [("." | ",") digits | "/" digits] [spaces] [unit word, any case, rest
/// ignored]. Returns false with a message ("Input has no value.", "Broke is invalid.",
/// "Value is out of range." ...) when there is no number or it does not fit a double.
/// `unitKind` gets a TUnitKind code (ukNone without a word, ukUnknown for an unknown one).
bool ParseNumberWithUnit(const std::string& text, double& value, uint8_t& unitKind,
                         std::string& message);

/// Checks `x` against a TRestriction code; false with the message when it is violated.
bool CheckRestriction(uint8_t restriction, double x, std::string& message);

/// Metres per unit of a length unit code (ukMetre to ukInch), 0 for other codes.
double MetresPerUnit(uint8_t unitKind);
