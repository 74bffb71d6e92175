#include "core/unitFactor.h"

#include <cmath>

#include "core/numberformat.h"
#include "core/numberparse.h"

namespace {

// A percentage as a factor, rounded once.
double FromPercent(double percent) {
  return static_cast<double>(static_cast<long double>(percent) * 0.01L);
}

}  // namespace

unitFactor::unitFactor() : unitFactor(0.0, ukNone) {}

unitFactor::unitFactor(double value, uint8_t unitKind) : unitFactor(value, unitKind, urNone) {}

unitFactor::unitFactor(double value, uint8_t unitKind, uint8_t restriction)
    : unit(unitKind, restriction), Value(value) {}

unitFactor::~unitFactor() = default;

std::string unitFactor::GetText() const {
  const bool percent = UnitKind == ukPercent;
  const double shown = percent ? 100 * Value : Value;
  std::string text = FormatPrecision(shown, 99);
  // Fifteen truncated digits can turn a value just inside its range into the bound itself
  // (1.0000000000000002 becomes 1): a file holding that text could not be read back.
  std::string message;
  if (std::isfinite(shown) && CheckRestriction(Restriction, Value, message)) {
    double read = 0;
    uint8_t kind = ukNone;
    if (!ParseNumberWithUnit(text, read, kind, message) ||
        !CheckRestriction(Restriction, percent ? FromPercent(read) : read, message))
      text = FormatRoundTrip(shown);
  }
  return percent ? text + " %" : text;
}

bool unitFactor::SetText(const std::string& text, const std::string& name,
                         std::string& errorText) {
  double value = 0;
  uint8_t kind = ukNone;
  std::string message;
  bool ok = ParseNumberWithUnit(text, value, kind, message);
  if (ok) {
    if (kind == ukPercent) {
      value = FromPercent(value);
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
