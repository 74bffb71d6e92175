#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "core/TReadError.h"
#include "core/TXMLStringElement.h"
#include "core/numberformat.h"
#include "core/unitColor.h"
#include "core/unitFactorPosMore.h"
#include "core/unitFactorPosMore1.h"
#include "core/unitFactorPosMoreLess1.h"
#include "core/unitIntegerPosMore.h"
#include "core/unitTimePosMore.h"

// A value the user could enter must survive its own text form (that is what a file holds), and
// texts of any length get an answer at once.

namespace {

// A value of class T, for a table of several classes.
template <class T>
std::unique_ptr<unitFactor> Make(double value, uint8_t kind) {
  return std::make_unique<T>(value, kind);
}

}  // namespace

TEST(ValueBounds, NumbersJustBelowAPowerOfTenKeepTheirDigits) {
  // log10 of these rounds up to the next whole number; the text must not gain a digit.
  const struct {
    double Value;
    const char* Text;
  } rows[] = {
      {999999999999998.0, "999999999999998"},
      {999999999999999.0, "999999999999999"},
      {99999999999999.9, "99999999999999.9"},
      {9999999999999998.0, "9999999999999990"},  // the sixteenth digit is not printed
      {-999999999999998.0, "-999999999999998"},
      {0.999999999999999, "0.999999999999999"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatPrecision(row.Value, 99), row.Text) << row.Value;
}

TEST(ValueBounds, ValuesJustInsideTheirRangeAreWrittenSoThatTheyReadBack) {
  // Fifteen truncated digits would write 1.0000000000000002 as 1, which "OuterCircle" refuses.
  const double aboveOne = std::nextafter(1.0, 2.0);
  const double belowOne = std::nextafter(1.0, 0.0);
  const double tiny = std::numeric_limits<double>::denorm_min();
  const double huge = std::numeric_limits<double>::max();
  const struct {
    const char* Case;
    std::unique_ptr<unitFactor> (*Make)(double, uint8_t);
    double Value;
    uint8_t Kind;
    double Low, High;  // where the number read back must lie
  } rows[] = {
      {"just above 1", &Make<unitFactorPosMore1>, aboveOne, ukNone, aboveOne, aboveOne},
      {"just above 1 %", &Make<unitFactorPosMore1>, aboveOne, ukPercent, aboveOne, huge},
      {"just below 1", &Make<unitFactorPosMoreLess1>, belowOne, ukNone, tiny, belowOne},
      {"least positive %", &Make<unitFactorPosMoreLess1>, tiny, ukPercent, tiny, belowOne},
      {"least positive", &Make<unitFactorPosMore>, tiny, ukNone, tiny, tiny},
  };
  for (const auto& row : rows) {
    const auto value = row.Make(row.Value, row.Kind);
    SCOPED_TRACE(std::string(row.Case) + ": " + value->GetText());
    const auto back = row.Make(0, ukNone);
    std::string error;
    EXPECT_TRUE(back->SetText(value->GetText(), "X", error)) << error;
    EXPECT_GE(back->GetDouble(), row.Low);
    EXPECT_LE(back->GetDouble(), row.High);
  }
  // Ordinary values keep their short text form.
  EXPECT_EQ(unitFactorPosMore1(1000.0).GetText(), "1000");
  EXPECT_EQ(unitFactorPosMoreLess1(0.25, ukPercent).GetText(), "25 %");
  EXPECT_EQ(unitFactorPosMore1(1.5).GetText(), "1.5");
}

TEST(ValueBounds, MegabyteTextsGetTheirAnswerAtOnce) {
  const std::string digits(1 << 20, '9');
  const std::string zeros(1 << 20, '0');
  const std::string blanks(1 << 20, ' ');
  const std::string letters(1 << 20, 'x');
  const struct {
    const char* Case;
    std::function<std::unique_ptr<unit>()> Make;
    std::string Text;
    std::string Message;  // empty: accepted
  } rows[] = {
      {"factor digits", [] { return std::make_unique<unitFactor>(); }, digits,
       "Value is out of range."},
      {"factor long fraction", [] { return std::make_unique<unitFactor>(); },
       "0." + zeros + "1", ""},
      {"positive long fraction", [] { return std::make_unique<unitFactorPosMore>(); },
       "0." + zeros + "1", "Value must be positive and more than 0."},
      {"factor fraction digits", [] { return std::make_unique<unitFactorPosMoreLess1>(); },
       "0." + digits, "Value must be less than 1."},
      {"factor blanks", [] { return std::make_unique<unitFactor>(); }, blanks,
       "Input has no value."},
      {"factor blanks before unit", [] { return std::make_unique<unitFactor>(); },
       "5" + blanks + "%", ""},
      {"factor letters", [] { return std::make_unique<unitFactor>(); }, "5" + letters,
       "This unit does not exist, use: '%' or no unit."},
      {"broke", [] { return std::make_unique<unitFactor>(); }, digits + "/" + digits,
       "Value is out of range."},
      {"broke of zeros", [] { return std::make_unique<unitFactor>(); }, "1/" + zeros,
       "Broke is invalid."},
      {"integer digits", [] { return std::make_unique<unitIntegerPosMore>(); }, digits,
       "Value must be between -2147483648 and 2147483647."},
      {"integer zeros", [] { return std::make_unique<unitIntegerPosMore>(); }, zeros + "7", ""},
      {"integer letters", [] { return std::make_unique<unitIntegerPosMore>(); }, letters,
       "Value must be positive and more than 0."},
      {"note octave", [] { return std::make_unique<unitTimePosMore>(); }, "A" + digits,
       "The maximum Octave number is 12."},
      {"time digits", [] { return std::make_unique<unitTimePosMore>(); }, digits + " ms",
       "Value is out of range."},
  };
  const auto start = std::chrono::steady_clock::now();
  for (const auto& row : rows) {
    auto value = row.Make();
    const std::string before = value->GetText();
    std::string error;
    const bool accepted = value->SetText(row.Text, "X", error);
    EXPECT_EQ(accepted, row.Message.empty()) << row.Case;
    if (!accepted) {
      EXPECT_EQ(error, "In X: " + row.Message) << row.Case;
      EXPECT_EQ(value->GetText(), before) << row.Case;
    }
  }
  // A colour is only ever read from a file.
  const TXMLStringElement colour("C", letters);
  unitColor c(0x123456);
  TReadError error;
  EXPECT_FALSE(c.ReadXML(&colour, error));
  EXPECT_EQ(error.Text, "In C: Invalid Hexdecimal value: \"" + letters + "\".");
  EXPECT_EQ(c.GetColor(), 0x123456u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
