#include "core/unitTime.h"

#include <cmath>

#include "core/numberformat.h"
#include "core/numberparse.h"

namespace {

constexpr double SpeedOfSound = 343;  // metres per second
constexpr const char* TimeUnits =
    "use: 's', 'ms', 'Hz', 'kHz', 'm', 'dm', 'cm', 'mm', 'km', 'mile', 'nmile'.";

// A note name: letter A to G, optional '#', optional signed octave (5 when absent).
bool ParseNote(const std::string& text, double& seconds, std::string& message) {
  static const int semitones[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const char letter = static_cast<char>(text[0] >= 'a' ? text[0] - 'a' + 'A' : text[0]);
  int semitone = semitones[letter - 'A'];
  size_t pos = 1;
  if (pos < text.size() && text[pos] == '#') {
    if (letter == 'B' || letter == 'E') {
      message = "This note cannot have a \"#\".";
      return false;
    }
    ++semitone;
    ++pos;
  }
  int octave = 5;
  size_t digits = pos;
  if (digits < text.size() && (text[digits] == '-' || text[digits] == '+')) ++digits;
  if (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    const int sign = text[pos] == '-' ? -1 : 1;
    long long magnitude = 0;
    for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits)
      magnitude = std::min(magnitude * 10 + (text[digits] - '0'), 1000LL);
    octave = static_cast<int>(sign * magnitude);
  }
  if (octave < -2) {
    message = "The minimum Octave number is -2.";
    return false;
  }
  if (octave > 12) {
    message = "The maximum Octave number is 12.";
    return false;
  }
  const double frequency = 523.26 * std::pow(2.0, octave + semitone / 12.0 - 5);
  seconds = 1 / frequency;
  return true;
}

}  // namespace

unitTime::unitTime(double seconds, uint8_t unitKind) : unitTime(seconds, unitKind, urNone) {}

unitTime::unitTime(double seconds, uint8_t unitKind, uint8_t restriction)
    : unit(unitKind, restriction), Value(seconds) {}

std::string unitTime::GetText() const {
  switch (UnitKind) {
    case ukMilliSecond: return FormatPrecision(1000 * Value, 7) + " ms";
    case ukHertz: return FormatPrecision(1 / Value, 7) + " hz";
    case ukKiloHertz: return FormatPrecision(0.001 / Value, 7) + " khz";
    default: return FormatPrecision(Value, 7) + " s";
  }
}

bool unitTime::SetText(const std::string& text, const std::string& name, std::string& errorText) {
  std::string message;
  double seconds = 0;
  uint8_t kind = ukNone;
  bool ok = true;
  const char first = text.empty() ? '\0' : text[0];
  if ((first >= 'A' && first <= 'G') || (first >= 'a' && first <= 'g')) {
    // Notes take no restriction.
    if (!ParseNote(text, seconds, message)) {
      errorText = "In " + name + ": " + message;
      return false;
    }
    Value = seconds;
    UnitKind = ukNote;
    return true;
  }
  double value = 0;
  ok = ParseNumberWithUnit(text, value, kind, message);
  if (ok) {
    const long double v = value;
    if (kind == ukSecond) {
      seconds = value;
    } else if (kind == ukMilliSecond) {
      seconds = static_cast<double>(v * 0.001L);
    } else if (kind == ukHertz || kind == ukKiloHertz) {
      if (value == 0) {
        message = kind == ukHertz ? "You cannot use 0 with 'Hz'." : "You cannot use 0 with 'kHz'.";
        ok = false;
      } else {
        seconds = static_cast<double>((kind == ukHertz ? 1.0L : 0.001L) / v);
      }
    } else if (MetresPerUnit(kind) != 0) {
      seconds = static_cast<double>(v * MetresPerUnit(kind) / SpeedOfSound);
    } else if (kind == ukUnknown) {
      message = std::string("This unit does not exist, ") + TimeUnits;
      ok = false;
    } else {
      message = std::string("Wrong unit used, ") + TimeUnits;
      ok = false;
    }
  }
  if (ok && !std::isfinite(seconds)) {
    message = "Value is out of range.";
    ok = false;
  }
  if (ok) ok = CheckRestriction(Restriction, seconds, message);
  if (!ok) {
    errorText = "In " + name + ": " + message;
    return false;
  }
  Value = seconds;
  UnitKind = kind;
  return true;
}
