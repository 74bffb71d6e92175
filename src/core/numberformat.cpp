#include "core/numberformat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/assertions.h"

namespace {

long double PowerOfTen(int exponent) {
  // Exact for the positive powers that long double holds exactly; one rounding for the others.
  long double p = 1.0L;
  for (int i = 0; i < std::abs(exponent); ++i) p *= 10.0L;
  return exponent < 0 ? 1.0L / p : p;
}

}  // namespace

std::string FormatFixed(double x, int minDigBefore, int minDigAfter, int maxDigAfter) {
  ZASSERT(minDigAfter <= maxDigAfter);
  ZASSERT(minDigBefore >= 1);
  ZASSERT(minDigAfter >= 0);
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";

  const double a = std::fabs(x);
  int b = 1;
  if (a != 0) {
    int l = static_cast<int>(std::trunc(std::log10(a)));
    if (a >= 1) {
      // log10 rounds up just below a power of ten (999999999999998 gives 15): a digit more
      // than the number has would shift every printed digit by one place.
      while (l > 0 && static_cast<long double>(a) < PowerOfTen(l)) --l;
      while (static_cast<long double>(a) >= PowerOfTen(l + 1)) ++l;
      b = l + 1;
    } else {
      b = l;
    }
  }
  const int n = std::max(b, minDigBefore);
  maxDigAfter = std::min(maxDigAfter, 15 - b);
  // Places below the 15th significant digit of a large number are printed as zeros.
  const int lastDigitPlace = -maxDigAfter;
  const int lastPlace = std::min(lastDigitPlace, 0);

  long double value = (static_cast<long double>(a) + PowerOfTen(-(maxDigAfter + 1))) /
                      PowerOfTen(n);

  std::string out;
  if (x < 0) out += '-';
  bool started = false;
  bool pointWritten = false;
  int heldZeros = 0;
  for (int place = n; place >= lastPlace; --place) {
    int digit = 0;
    if (place >= lastDigitPlace) {
      const long double whole = std::trunc(value);
      digit = static_cast<int>(whole);
      value = (value - whole) * 10.0L;
      if (place != n) digit = std::min(digit, 9);
    }
    if (place >= 0) {
      if (!started && (digit != 0 || place == n - 1)) started = true;
      if (started) out += digit > 9 ? std::to_string(digit) : std::string(1, char('0' + digit));
      if (place == 0 && minDigAfter > 0) {
        out += '.';
        pointWritten = true;
      }
    } else if (-place <= minDigAfter) {
      out += static_cast<char>('0' + digit);
    } else if (digit == 0) {
      ++heldZeros;
    } else {
      if (!pointWritten) {
        out += '.';
        pointWritten = true;
      }
      out.append(static_cast<size_t>(heldZeros), '0');
      heldZeros = 0;
      out += static_cast<char>('0' + digit);
    }
  }
  return out;
}

std::string FormatPrecision(double x, int precisie, bool trimZeros) {
  ZASSERT(precisie >= 1);
  int d = 1;
  if (std::isfinite(x) && x != 0) d = static_cast<int>(std::trunc(std::log10(std::fabs(x))));
  const int digitsAfter = d < precisie ? precisie - d - 1 : 0;
  return FormatFixed(x, std::max(d, 1), trimZeros ? 0 : digitsAfter, digitsAfter);
}

std::string FormatRoundTrip(double x) {
  // Room for any double: at most 309 integer digits, or some 330 characters below one.
  char buffer[1100];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed);
  ZASSERT(result.ec == std::errc());
  return std::string(buffer, result.ptr);
}
