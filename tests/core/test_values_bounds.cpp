#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

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

// The number a text reads back as, through a fresh value of the same class.
template <class T>
double ReadBack(const T& value, bool& accepted) {
  T fresh;
  std::string error;
  accepted = fresh.SetText(value.GetText(), "X", error);
  return fresh.GetDouble();
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

  // Every power of ten and its neighbours read back to 15 digits.
  for (int exponent = -20; exponent <= 300; ++exponent) {
    const double power = std::pow(10.0, exponent);
    for (double x : {std::nextafter(power, 0.0), power, std::nextafter(power, HUGE_VAL)}) {
      unitFactor value(x);
      bool accepted = false;
      const double back = ReadBack(value, accepted);
      ASSERT_TRUE(accepted) << value.GetText();
      EXPECT_LE(std::fabs(back - x), 1e-14 * x) << value.GetText();
      if (x >= 1) {
        EXPECT_NE(value.GetText()[0], '0') << value.GetText();
      }
    }
  }
}

TEST(ValueBounds, ValuesJustInsideTheirRangeAreWrittenSoThatTheyReadBack) {
  // Fifteen truncated digits would write 1.0000000000000002 as 1, which "OuterCircle" refuses.
  const double aboveOne = std::nextafter(1.0, 2.0);
  const double belowOne = std::nextafter(1.0, 0.0);
  const double tiny = std::numeric_limits<double>::denorm_min();
  {
    unitFactorPosMore1 outer(aboveOne);
    bool accepted = false;
    EXPECT_EQ(ReadBack(outer, accepted), aboveOne) << outer.GetText();
    EXPECT_TRUE(accepted) << outer.GetText();
    unitFactorPosMore1 percent(aboveOne, ukPercent);
    EXPECT_GT(ReadBack(percent, accepted), 1.0) << percent.GetText();
    EXPECT_TRUE(accepted) << percent.GetText();
  }
  {
    unitFactorPosMoreLess1 inner(belowOne);
    bool accepted = false;
    EXPECT_LT(ReadBack(inner, accepted), 1.0);
    EXPECT_TRUE(accepted) << inner.GetText();
    unitFactorPosMoreLess1 least(tiny, ukPercent);
    EXPECT_GT(ReadBack(least, accepted), 0.0) << least.GetText();
    EXPECT_TRUE(accepted) << least.GetText();
  }
  {
    unitFactorPosMore positive(tiny);
    bool accepted = false;
    EXPECT_EQ(ReadBack(positive, accepted), tiny);
    EXPECT_TRUE(accepted) << positive.GetText();
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
  std::string error;
  int line = 0, column = 0;
  EXPECT_FALSE(c.ReadXML(&colour, error, line, column));
  EXPECT_EQ(error, "In C: Invalid Hexdecimal value: \"" + letters + "\".");
  EXPECT_EQ(c.GetColor(), 0x123456u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
