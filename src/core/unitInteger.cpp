#include "core/unitInteger.h"

#include "core/numberformat.h"
#include "core/numberparse.h"

unitInteger::unitInteger(int32_t value, uint8_t unitKind)
    : unitInteger(value, unitKind, urNone) {}

unitInteger::unitInteger(int32_t value, uint8_t unitKind, uint8_t restriction)
    : unit(unitKind, restriction), Value(value) {}

std::string unitInteger::GetText() const { return FormatPrecision(Value, 7); }

bool unitInteger::SetText(const std::string& text, const std::string& name,
                          std::string& errorText) {
  size_t pos = 0;
  if (pos < text.size() && text[pos] == '+') ++pos;
  int64_t sign = 1;
  if (pos < text.size() && text[pos] == '-') {
    sign = -1;
    ++pos;
  }
  int64_t magnitude = 0;
  bool tooLarge = false;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    magnitude = magnitude * 10 + (text[pos] - '0');
    // Stop growing once past the range; the digits still all belong to the number.
    if (magnitude > 2147483648LL) {
      tooLarge = true;
      magnitude = 2147483648LL;
    }
  }
  const int64_t value = sign * magnitude;
  std::string message;
  bool ok = true;
  if (tooLarge || value > INT32_MAX || value < INT32_MIN) {
    message = "Value must be between -2147483648 and 2147483647.";
    ok = false;
  }
  if (ok) ok = CheckRestriction(Restriction, static_cast<double>(value), message);
  if (!ok) {
    errorText = "In " + name + ": " + message;
    return false;
  }
  Value = static_cast<int32_t>(value);
  UnitKind = ukNone;
  return true;
}
