#include "core/numberparse.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "core/unitkinds.h"

namespace {

constexpr const char* OutOfRange = "Value is out of range.";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Digits(const std::string& text, size_t& pos) {
  const size_t begin = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return text.substr(begin, pos - begin);
}

void SkipBlanks(const std::string& text, size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
}

bool AllZeros(const std::string& digits) {
  return digits.find_first_not_of('0') == std::string::npos;
}

// The nearest double to a decimal of digits; false when it is too large for a double.
bool DecimalValue(const std::string& intDigits, const std::string& fracDigits, double& value) {
  if (AllZeros(intDigits) && AllZeros(fracDigits)) {
    value = 0;
    return true;
  }
  const std::string number = (intDigits.empty() ? "0" : intDigits) + "." + fracDigits + "0";
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) {
    // Below one it can only be too small: that is zero.
    if (!AllZeros(intDigits)) return false;
    value = 0;
    return true;
  }
  return result.ec == std::errc() && std::isfinite(value);
}

uint8_t UnitOfWord(const std::string& rest) {
  static const struct {
    const char* Word;
    uint8_t Kind;
  } words[] = {{"NMILE", ukNauticalMile}, {"KNOTS", ukKnots},     {"MILE", ukMile},
               {"FEET", ukFeet},          {"INCH", ukInch},       {"KM/H", ukKiloMetrePerHour},
               {"MACH", ukMach},          {"KHZ", ukKiloHertz},   {"M/S", ukMetrePerSecond},
               {"MPH", ukMilesPerHour},   {"MS", ukMilliSecond},  {"HZ", ukHertz},
               {"DB", ukDecibel},         {"DM", ukDeciMetre},    {"CM", ukCentiMetre},
               {"MM", ukMilliMetre},      {"KM", ukKiloMetre},    {"%", ukPercent},
               {"$", ukDollar},           {"S", ukSecond},        {"'", ukQuote},
               {"M", ukMetre}};
  if (rest.empty()) return ukNone;
  std::string upper = rest;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const auto& w : words)
    if (upper.rfind(w.Word, 0) == 0) return w.Kind;
  return ukUnknown;
}

}  // namespace

bool ParseNumberWithUnit(const std::string& text, double& value, uint8_t& unitKind,
                         std::string& message) {
  size_t pos = 0;
  double sign = 1;
  if (pos < text.size() && text[pos] == '-') {
    sign = -1;
    ++pos;
  } else if (pos < text.size() && text[pos] == '+') {
    ++pos;
  }
  SkipBlanks(text, pos);
  const std::string intDigits = Digits(text, pos);
  double result = 0;
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    ++pos;
    const std::string fracDigits = Digits(text, pos);
    if (!DecimalValue(intDigits, fracDigits, result)) {
      message = OutOfRange;
      return false;
    }
  } else if (pos < text.size() && text[pos] == '/') {
    ++pos;
    const std::string denominator = Digits(text, pos);
    if (intDigits.empty()) {
      message = "Input has no value before '/'.";
      return false;
    }
    if (denominator.empty()) {
      message = "Input has no value after '/'.";
      return false;
    }
    if (AllZeros(denominator)) {
      message = "Broke is invalid.";
      return false;
    }
    double numerator = 0;
    double divisor = 0;
    if (!DecimalValue(intDigits, "", numerator) || !DecimalValue(denominator, "", divisor)) {
      message = OutOfRange;
      return false;
    }
    result = numerator / divisor;
  } else {
    if (intDigits.empty()) {
      message = "Input has no value.";
      return false;
    }
    if (!DecimalValue(intDigits, "", result)) {
      message = OutOfRange;
      return false;
    }
  }
  SkipBlanks(text, pos);
  value = sign * result;
  unitKind = UnitOfWord(text.substr(pos));
  return true;
}

bool CheckRestriction(uint8_t restriction, double x, std::string& message) {
  switch (restriction) {
    case urNotZero:
      if (x == 0) message = "Value must be not 0.";
      return x != 0;
    case urNotPositive:
      if (x > 0) message = "Value must be negative.";
      return !(x > 0);
    case urPositive:
      if (x < 0) message = "Value must be positive.";
      return !(x < 0);
    case urNegative:
      if (!(x < 0)) message = "Value must be negative and less than 0.";
      return x < 0;
    case urPositiveMore0:
      if (!(x > 0)) message = "Value must be positive and more than 0.";
      return x > 0;
    case urZeroToOne:
      if (x < 0) {
        message = "Value must be positive.";
        return false;
      }
      if (x > 1) {
        message = "Value must be no more than 1.";
        return false;
      }
      return true;
    case urBetweenZeroAndOne:
      if (!(x > 0)) {
        message = "Value must be positive and more than 0.";
        return false;
      }
      if (!(x < 1)) {
        message = "Value must be less than 1.";
        return false;
      }
      return true;
    case urMoreThanOne:
      if (!(x > 1)) message = "Value must be more than 1.";
      return x > 1;
    default:
      return true;
  }
}

double MetresPerUnit(uint8_t unitKind) {
  switch (unitKind) {
    case ukMetre: return 1;
    case ukDeciMetre: return 0.1;
    case ukCentiMetre: return 0.01;
    case ukMilliMetre: return 0.001;
    case ukKiloMetre: return 1000;
    case ukMile: return 1609;
    case ukNauticalMile: return 1852;
    case ukFeet: return 0.3048;
    case ukInch: return 0.0254;
    default: return 0;
  }
}
