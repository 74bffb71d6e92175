#pragma once
#include <string>

/// `x` in fixed notation, independent of the locale: at least `minDigBefore` (>= 1) integer
/// digits (leading zeros), at least `minDigAfter` and at most `maxDigAfter` decimals, trailing
/// zeros beyond `minDigAfter` dropped, at most 15 significant digits (lower integer places are
/// printed as zeros). The last place is not rounded: a tenth of it is added first.
/// Bad digit counts are fatal assertions. Non-finite values give "inf", "-inf" or "nan".
std::string FormatFixed(double x, int minDigBefore, int minDigAfter, int maxDigAfter);

/// `x` with `precisie` (>= 1) significant digits through FormatFixed; with `trimZeros` the
/// trailing zeros of the decimals are dropped.
std::string FormatPrecision(double x, int precisie, bool trimZeros = true);

/// The shortest plain decimal (no exponent, which the value parser does not know) that reads
/// back as exactly `x`; finite `x` only.
std::string FormatRoundTrip(double x);
