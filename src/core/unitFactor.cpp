#include "core/unitFactor.h"

#include "core/numberformat.h"
#include "core/numberparse.h"

unitFactor::unitFactor() : unitFactor(0.0, ukNone) {}

unitFactor::unitFactor(double value, uint8_t unitKind) : unitFactor(value, unitKind, urNone) {}

unitFactor::unitFactor(double value, uint8_t unitKind, uint8_t restriction)
    : unit(unitKind, restriction), Value(value) {}

unitFactor::~unitFactor() = default;

std::string unitFactor::GetText() const {
  if (UnitKind == ukPercent) return FormatPrecision(100 * Value, 99) + " %";
  return FormatPrecision(Value, 99);
}

bool unitFactor::SetText(const std::string& text, const std::string& name,
                         std::string& errorText) {
  double value = 0;
  uint8_t kind = ukNone;
  std::string message;
  bool ok = ParseNumberWithUnit(text, value, kind, message);
  if (ok) {
    if (kind == ukPercent) {
      value = static_cast<double>(static_cast<long double>(value) * 0.01L);
    } else if (kind == ukUnknown) {
      message = "This unit does not exist, use: '%' or no unit.";
      ok = false;
    } else if (kind != ukNone) {
      message = "Wrong unit used, use: '%' or no unit.";
      ok = false;
    }
  }
  if (ok) ok = CheckRestriction(Restriction, value, message);
  if (!ok) {
    errorText = "In " + name + ": " + message;
    return false;
  }
  Value = value;
  UnitKind = kind;
  return true;
}

std::string unitFactor::GetTextDigits(int minDigBefore, int minDigAfter, int maxDigAfter) const {
  return FormatFixed(Value, minDigBefore, minDigAfter, maxDigAfter);
}
