// The value parser: every value class takes the bytes as typed text, and an accepted value must
// be accepted again from its own text form (that is what a saved file holds).
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "core/TReadError.h"
#include "core/TXMLStringElement.h"
#include "core/numberformat.h"
#include "core/unitColor.h"
#include "core/unitFactorPosMore.h"
#include "core/unitFactorPosMore1.h"
#include "core/unitFactorPosMoreLess1.h"
#include "core/unitIntegerPos.h"
#include "core/unitIntegerPosMore.h"
#include "core/unitTimePos.h"
#include "core/unitTimePosMore.h"
#include "fuzzsupport.h"

namespace {

template <class T>
double NumberOf(const T& v) {
  if constexpr (std::is_base_of_v<unitInteger, T>)
    return v.GetInt();
  else
    return v.GetDouble();
}

template <class T>
void CheckValue(const std::string& text, const T& initial) {
  T value = initial;
  std::string error;
  if (!value.SetText(text, "X", error)) {
    FUZZ_CHECK(error.rfind("In X: ", 0) == 0 && error.size() > 6);
    FUZZ_CHECK(value.GetText() == initial.GetText());
    return;
  }
  FUZZ_CHECK(std::isfinite(NumberOf(value)));
  const std::string shown = value.GetText();
  FUZZ_CHECK(!shown.empty());
  T again = initial;
  FUZZ_CHECK(again.SetText(shown, "X", error));
  // Times are shown with 6 or 7 significant digits, everything else with 15.
  FUZZ_CHECK(SameNumber(NumberOf(again), NumberOf(value),
                        std::is_base_of_v<unitTime, T> ? 1e-5 : 1e-14));
  // A time typed as a note or a length is shown, and so stored, in seconds.
  if constexpr (!std::is_base_of_v<unitTime, T>) {
    FUZZ_CHECK(again.GetUnitKind() == value.GetUnitKind());
  }
  if constexpr (std::is_base_of_v<unitInteger, T>) FUZZ_CHECK(again.GetInt() == value.GetInt());
}

void CheckColour(const std::string& text) {
  const TXMLStringElement element("C", text);
  unitColor colour(0x123456);
  TReadError error;
  if (!colour.ReadXML(&element, error)) {
    FUZZ_CHECK(error.Text == "In C: Invalid Hexdecimal value: \"" + text + "\".");
    FUZZ_CHECK(colour.GetColor() == 0x123456u);
    return;
  }
  const TXMLStringElement shown("C", colour.GetText());
  unitColor again;
  FUZZ_CHECK(again.ReadXML(&shown, error));
  FUZZ_CHECK(again.GetColor() == colour.GetColor());
}

// The formatters with any double: never a crash, and the text reads back where it is a number.
void CheckFormatter(const std::string& bytes) {
  if (bytes.size() < sizeof(double) + 3) return;
  double x = 0;
  std::memcpy(&x, bytes.data(), sizeof x);
  const int before = 1 + static_cast<unsigned char>(bytes[8]) % 20;
  const int after = static_cast<unsigned char>(bytes[9]) % 20;
  const int most = after + static_cast<unsigned char>(bytes[10]) % 20;
  const std::string fixed = FormatFixed(x, before, after, most);
  FUZZ_CHECK(!fixed.empty());
  if (!std::isfinite(x)) return;
  unitFactor value;
  std::string error;
  FUZZ_CHECK(value.SetText(FormatPrecision(x, 99), "X", error));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  static TFuzzPresenter presenter;
  const std::string text = FuzzBytes(data, size);
  CheckValue(text, unitFactor(0.25));
  CheckValue(text, unitFactor(0.5, ukPercent));
  CheckValue(text, unitFactorPosMore(1.0));
  CheckValue(text, unitFactorPosMoreLess1(0.5));
  CheckValue(text, unitFactorPosMore1(2.0));
  CheckValue(text, unitInteger(7));
  CheckValue(text, unitIntegerPos(7));
  CheckValue(text, unitIntegerPosMore(7));
  CheckValue(text, unitTime(1.5));
  CheckValue(text, unitTimePos(1.5));
  CheckValue(text, unitTimePosMore(1.5));
  CheckColour(text);
  CheckFormatter(text);
  return 0;
}
