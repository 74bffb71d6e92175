#pragma once
// Shared by the fuzz targets: a check that crashes (so that libFuzzer keeps the input) and a
// message presenter that accepts only the messages a reader may show on its own.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <sstream>
#include <string>

#include "core/TMessagePresenter.h"
#include "core/numberparse.h"

/// Ends the run with a report when a property of the reader does not hold.
[[noreturn]] inline void FuzzFailure(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
  std::abort();
}

#define FUZZ_CHECK(cond) ((cond) ? static_cast<void>(0) : FuzzFailure(#cond, __FILE__, __LINE__))

/// Swallows messages. The only message a reader may show by itself is the report of a wrong
/// version; any other means that the reader met a tree its grammar should have refused.
class TFuzzPresenter final : public TMessagePresenter {
public:
  TFuzzPresenter() { TMessagePresenter::Set(this); }
  TMsgResult Show(const std::string& text, const std::string&, TMsgIcon,
                  TMsgButtons) override {
    if (text.find("Condition \"version == \"1.0\"\"failed!") == std::string::npos) {
      std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
      std::abort();
    }
    return TMsgResult::Ok;
  }
};

/// The bytes libFuzzer hands over, as a string.
inline std::string FuzzBytes(const unsigned char* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

/// A stream over the bytes libFuzzer hands over, without a copy: the peak memory of a reader
/// is then its own (tools/fuzz.sh checks it on a large input). Nothing writes through it.
class TFuzzStream : public std::istream {
public:
  TFuzzStream(const unsigned char* data, size_t size) : std::istream(&Buffer), Buffer(data, size) {}

private:
  struct TBuffer : std::streambuf {
    TBuffer(const unsigned char* data, size_t size) {
      char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
      setg(begin, begin, begin + size);
    }
  } Buffer;
};

/// Whether two numbers agree to 14 significant digits. Texts keep 15 digits, truncated, so a
/// value that went through a file may come back one unit lower in the last digit.
inline bool SameNumber(double a, double b, double relative = 1e-14) {
  if (a == b) return true;
  return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

/// Whether two written files say the same, line by line, with numbers compared by SameNumber.
inline bool SameFileText(const std::string& a, const std::string& b) {
  std::istringstream left(a), right(b);
  std::string x, y;
  for (;;) {
    const bool more = static_cast<bool>(std::getline(left, x));
    if (more != static_cast<bool>(std::getline(right, y))) return false;
    if (!more) return true;
    if (x == y) continue;
    // "<Name>text</Name>": same name, texts that are the same number in the same unit.
    const size_t open = x.find('>'), close = x.find("</");
    if (open == std::string::npos || close == std::string::npos || close < open ||
        x.substr(0, open) != y.substr(0, y.find('>')))
      return false;
    const size_t openY = y.find('>'), closeY = y.find("</");
    if (closeY == std::string::npos || closeY < openY) return false;
    double u = 0, v = 0;
    uint8_t kindX = 0, kindY = 0;
    std::string message;
    if (!ParseNumberWithUnit(x.substr(open + 1, close - open - 1), u, kindX, message) ||
        !ParseNumberWithUnit(y.substr(openY + 1, closeY - openY - 1), v, kindY, message) ||
        kindX != kindY || !SameNumber(u, v))
      return false;
  }
}
