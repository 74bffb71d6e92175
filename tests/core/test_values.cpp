#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/TReadError.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLStringElement.h"
#include "core/numberformat.h"
#include "core/unitColor.h"
#include "core/unitFactor.h"
#include "core/unitFactorPosMore.h"
#include "core/unitFactorPosMore1.h"
#include "core/unitFactorPosMoreLess1.h"
#include "core/unitInteger.h"
#include "core/unitIntegerPos.h"
#include "core/unitIntegerPosMore.h"
#include "core/unitTime.h"
#include "core/unitTimePos.h"
#include "core/unitTimePosMore.h"
#include "support/TRecordingPresenter.h"

namespace {

// The outcome of SetText: the value's text after it, or the message.
template <class T>
std::string Take(T& value, const std::string& text) {
  std::string error;
  if (!value.SetText(text, "X", error)) return "ERR " + error;
  return value.GetText();
}

}  // namespace

TEST(FormatFixed, DigitsBeforeAndAfterThePoint) {
  struct TCase {
    double X;
    int Before, MinAfter, MaxAfter;
    const char* Text;
  };
  const TCase cases[] = {
      {5, 2, 0, 0, "05"},
      {1.25, 1, 1, 3, "1.25"},
      {2, 1, 2, 4, "2.00"},
      {-0.5, 1, 0, 3, "-0.5"},
      {0, 1, 0, 5, "0"},
      {0, 3, 2, 2, "000.00"},
      {-0.0, 1, 0, 3, "0"},
      {0.05, 1, 0, 3, "0.05"},
      {0.001, 1, 0, 2, "0"},             // below the last place: no digits at all
      {0.0949, 1, 0, 2, "0.09"},         // the last place is cut, not rounded
      {0.0999, 1, 0, 2, "0.1"},          // a tenth of the last place is added first
      {9.99999999, 1, 0, 3, "10"},
      {9.99985, 1, 0, 3, "9.999"},
      {9.999999999999998, 1, 0, 15, "9.99999999999999"},
      {1.5, 1, 0, 0, "1"},
      {123.456, 1, 1, 1, "123.4"},
      {-7, 3, 0, 0, "-007"},
      {1.0 / 3, 1, 0, 20, "0.333333333333333"},  // at most 15 significant digits
      {123456789012345.0, 1, 2, 4, "123456789012345."},
      {0.1 + 0.2, 1, 0, 98, "0.3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFixed(c.X, c.Before, c.MinAfter, c.MaxAfter), c.Text)
        << c.X << " " << c.Before << " " << c.MinAfter << " " << c.MaxAfter;
}

TEST(FormatFixed, LargeNumbersKeepTheirMagnitude) {
  EXPECT_EQ(FormatFixed(1e20, 1, 0, 3), "100000000000000000000");
  EXPECT_EQ(FormatFixed(123456789012345678.0, 1, 0, 0), "123456789012345000");
  EXPECT_EQ(FormatFixed(-2e16, 1, 0, 0), "-20000000000000000");
  const std::string big = FormatFixed(1e308, 1, 0, 0);
  EXPECT_EQ(big, "1" + std::string(308, '0'));
  EXPECT_EQ(FormatFixed(DBL_MAX, 1, 0, 0).size(), 309u);
  EXPECT_EQ(FormatFixed(DBL_MAX, 1, 0, 0).substr(0, 15), "179769313486231");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 1, 0, 0), "inf");
  EXPECT_EQ(FormatFixed(std::nan(""), 1, 0, 0), "nan");
}

TEST(FormatPrecision, SignificantDigitsAndTrimming) {
  EXPECT_EQ(FormatPrecision(0.1 + 0.2, 99), "0.3");
  EXPECT_EQ(FormatPrecision(1.0 / 3, 99), "0.333333333333333");
  EXPECT_EQ(FormatPrecision(100.0 / 3, 99), "33.3333333333333");
  EXPECT_EQ(FormatPrecision(1.5, 7), "1.5");
  EXPECT_EQ(FormatPrecision(-123456789, 7), "-123456789");
  EXPECT_EQ(FormatPrecision(0, 7), "0");
  EXPECT_EQ(FormatPrecision(2, 4, false), "2.000");
  EXPECT_EQ(FormatPrecision(12.5, 4, false), "12.50");
  EXPECT_EQ(FormatPrecision(1e-20, 3), "0.00000000000000000001");
  EXPECT_EQ(FormatPrecision(1.23456789, 3), "1.23");
}

TEST(FormatFixedDeathTest, BadDigitCountsAreFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(FormatFixed(1, 1, 3, 2), "minDigAfter <= maxDigAfter");
  EXPECT_DEATH(FormatFixed(1, 0, 0, 2), "minDigBefore >= 1");
  EXPECT_DEATH(FormatFixed(1, 1, -1, 2), "minDigAfter >= 0");
  EXPECT_DEATH(FormatPrecision(1, 0), "precisie >= 1");
}

TEST(ValueFactor, NumberSyntaxUnitsAndMessages) {
  struct TCase {
    std::string Text;
    std::string Result;  // text afterwards, or ERR and the message
  };
  const TCase cases[] = {
      {"1,5", "1.5"},
      {"1.5", "1.5"},
      {"-.5", "-0.5"},
      {"+ 2", "2"},
      {"- \t3", "-3"},
      {".", "0"},
      {"1/4", "0.25"},
      {"-3/4 ", "-0.75"},
      {"25%", "25 %"},
      {"25 %", "25 %"},
      {"50 %abc", "50 %"},
      {"33.3333333333333 %", "33.3333333333333 %"},
      {"0.1", "0.1"},
      {"007", "7"},
      {"", "ERR In X: Input has no value."},
      {"abc", "ERR In X: Input has no value."},
      {" 5", "5"},
      {"/4", "ERR In X: Input has no value before '/'."},
      {"4/", "ERR In X: Input has no value after '/'."},
      {"4/0", "ERR In X: Broke is invalid."},
      {"4/000", "ERR In X: Broke is invalid."},
      {"5 cm", "ERR In X: Wrong unit used, use: '%' or no unit."},
      {"5 s", "ERR In X: Wrong unit used, use: '%' or no unit."},
      {"5 DB", "ERR In X: Wrong unit used, use: '%' or no unit."},
      {"5 x", "ERR In X: This unit does not exist, use: '%' or no unit."},
      {"1e3", "ERR In X: This unit does not exist, use: '%' or no unit."},
      {std::string(400, '9'), "ERR In X: Value is out of range."},
      {std::string(400, '9') + "/3", "ERR In X: Value is out of range."},
      {"0." + std::string(400, '0') + "1", "0"},
  };
  for (const auto& c : cases) {
    unitFactor v(7.0);
    EXPECT_EQ(Take(v, c.Text), c.Result) << '"' << c.Text << '"';
    if (c.Result.rfind("ERR", 0) == 0) {
      EXPECT_EQ(v.GetDouble(), 7.0) << "a failed text keeps the value";
      EXPECT_EQ(v.GetUnitKind(), ukNone);
    }
  }
  unitFactor percent;
  ASSERT_EQ(Take(percent, "25 %"), "25 %");
  EXPECT_EQ(percent.GetDouble(), 0.25);
  EXPECT_EQ(percent.GetUnitKind(), ukPercent);
  unitFactor big;
  EXPECT_EQ(Take(big, "123456789012345678901234567890"), "123456789012345000000000000000");
  EXPECT_EQ(big.GetDouble(), 1.2345678901234568e29);
}

TEST(ValueFactor, RestrictionsOfTheDerivedClasses) {
  unitFactorPosMoreLess1 position;
  EXPECT_EQ(Take(position, "1"), "ERR In X: Value must be less than 1.");
  EXPECT_EQ(Take(position, "100 %"), "ERR In X: Value must be less than 1.");
  EXPECT_EQ(Take(position, "0"), "ERR In X: Value must be positive and more than 0.");
  EXPECT_EQ(Take(position, "-0.2"), "ERR In X: Value must be positive and more than 0.");
  EXPECT_EQ(Take(position, "99.9 %"), "99.9 %");
  EXPECT_EQ(position.GetRestriction(), urBetweenZeroAndOne);

  unitFactorPosMore1 more1;
  EXPECT_EQ(Take(more1, "1"), "ERR In X: Value must be more than 1.");
  EXPECT_EQ(Take(more1, "1.0001"), "1.0001");
  unitFactorPosMore more;
  EXPECT_EQ(Take(more, "0"), "ERR In X: Value must be positive and more than 0.");
  EXPECT_EQ(Take(more, "-0"), "ERR In X: Value must be positive and more than 0.");
  EXPECT_EQ(Take(more, "1/1000"), "0.001");
  unitFactor any(1.0);
  EXPECT_EQ(Take(any, "-1e"), "ERR In X: This unit does not exist, use: '%' or no unit.");
  EXPECT_EQ(Take(any, "-1000000"), "-1000000");
}

TEST(ValueFactor, TextsReadBackToTheSameNumber) {
  std::vector<double> values = {0.1,   -2.5, 1.0 / 3, 2.0 / 3, 1e-7,  123456.789, 1e15,
                                1e20,  -1e300, 5e-324, 0.5,   1e308, 4.35e-5,    DBL_MAX};
  // Every power of ten and its neighbours: log10 of some rounds to the next whole number.
  for (int exponent = -20; exponent <= 300; ++exponent) {
    const double power = std::pow(10.0, exponent);
    values.insert(values.end(),
                  {std::nextafter(power, 0.0), power, std::nextafter(power, HUGE_VAL)});
  }
  for (double x : values) {
    for (uint8_t kind : {uint8_t(ukNone), uint8_t(ukPercent)}) {
      if (kind == ukPercent && std::fabs(x) > 1e300) continue;  // 100 x would overflow
      const unitFactor v(x, kind);
      unitFactor back;
      std::string error;
      ASSERT_TRUE(back.SetText(v.GetText(), "X", error)) << v.GetText() << " " << error;
      EXPECT_EQ(back.GetUnitKind(), kind);
      // 15 significant digits are written.
      EXPECT_NEAR(back.GetDouble(), x, std::fabs(x) * 1e-14) << v.GetText();
      if (kind == ukNone && x >= 1) {
        EXPECT_NE(v.GetText()[0], '0') << v.GetText();
      }
    }
  }
}

TEST(ValueInteger, DigitsSignsAndRange) {
  struct TCase {
    std::string Text;
    std::string Result;
  };
  const TCase cases[] = {
      {"12abc", "12"},
      {"abc", "0"},
      {"", "0"},
      {"+-5", "-5"},
      {"-+5", "0"},
      {"- 5", "0"},
      {"007", "7"},
      {"2147483647", "2147483647"},
      {"-2147483648", "-2147483648"},
      {"2147483648", "ERR In X: Value must be between -2147483648 and 2147483647."},
      {"-2147483649", "ERR In X: Value must be between -2147483648 and 2147483647."},
      {std::string(400, '9'), "ERR In X: Value must be between -2147483648 and 2147483647."},
  };
  for (const auto& c : cases) {
    unitInteger v(42);
    EXPECT_EQ(Take(v, c.Text), c.Result) << '"' << c.Text << '"';
    if (c.Result.rfind("ERR", 0) == 0) {
      EXPECT_EQ(v.GetInt(), 42);
    }
  }
  unitIntegerPosMore posMore(3);
  EXPECT_EQ(Take(posMore, ""), "ERR In X: Value must be positive and more than 0.");
  EXPECT_EQ(posMore.GetInt(), 3);
  EXPECT_EQ(Take(posMore, "2147483647"), "2147483647");
  unitIntegerPos pos(3);
  EXPECT_EQ(Take(pos, "0"), "0");
  EXPECT_EQ(Take(pos, "-1"), "ERR In X: Value must be positive.");
}

TEST(ValueTime, UnitsNotesAndMessages) {
  struct TCase {
    std::string Text;
    std::string Result;
    double Seconds;  // checked when the text is accepted
  };
  const char* units = "use: 's', 'ms', 'Hz', 'kHz', 'm', 'dm', 'cm', 'mm', 'km', 'mile', 'nmile'.";
  const TCase cases[] = {
      {"250 ms", "250 ms", 0.25},
      {"1.5 s", "1.5 s", 1.5},
      {"1,5S", "1.5 s", 1.5},
      {"10 Hz", "10 hz", 0.1},
      {"2 kHz", "2 khz", 0.0005},
      {"343 m", "1 s", 1},
      {"34300 cm", "1 s", 1},
      {"0.343 km", "1 s", 1},
      {"0 Hz", "ERR In X: You cannot use 0 with 'Hz'.", 0},
      {"0 khz", "ERR In X: You cannot use 0 with 'kHz'.", 0},
      {"2", std::string("ERR In X: Wrong unit used, ") + units, 0},
      {"2 %", std::string("ERR In X: Wrong unit used, ") + units, 0},
      {"2 m/s", std::string("ERR In X: Wrong unit used, ") + units, 0},
      {"2 parsec", std::string("ERR In X: This unit does not exist, ") + units, 0},
      {"0." + std::string(309, '0') + "1 Hz", "ERR In X: Value is out of range.", 0},
      {"0." + std::string(400, '0') + "1 Hz", "ERR In X: You cannot use 0 with 'Hz'.", 0},
      {"E#", "ERR In X: This note cannot have a \"#\".", 0},
      {"b#3", "ERR In X: This note cannot have a \"#\".", 0},
      {"C13", "ERR In X: The maximum Octave number is 12.", 0},
      {"C-3", "ERR In X: The minimum Octave number is -2.", 0},
      {"C99999999999", "ERR In X: The maximum Octave number is 12.", 0},
  };
  for (const auto& c : cases) {
    unitTime v(9.0);
    EXPECT_EQ(Take(v, c.Text), c.Result) << '"' << c.Text << '"';
    if (c.Result.rfind("ERR", 0) == 0)
      EXPECT_EQ(v.GetDouble(), 9.0);
    else
      EXPECT_DOUBLE_EQ(v.GetDouble(), c.Seconds) << c.Text;
  }
  unitTime metre;
  ASSERT_EQ(Take(metre, "343 m"), "1 s");
  EXPECT_EQ(metre.GetUnitKind(), ukMetre);

  unitTime note;
  std::string error;
  ASSERT_TRUE(note.SetText("A4", "X", error));
  EXPECT_EQ(note.GetUnitKind(), ukNote);
  EXPECT_NEAR(1 / note.GetDouble(), 440.007, 0.001);
  ASSERT_TRUE(note.SetText("c", "X", error));  // octave 5 when absent
  EXPECT_NEAR(1 / note.GetDouble(), 523.26, 1e-9);
  ASSERT_TRUE(note.SetText("F#-2", "X", error));
  EXPECT_NEAR(1 / note.GetDouble(), 523.26 * std::pow(2.0, -2 + 6 / 12.0 - 5), 1e-9);
  // Notes take no restriction.
  unitTimePosMore posMore(1);
  EXPECT_TRUE(posMore.SetText("G12", "X", error));

  unitTimePos pos(1);
  EXPECT_EQ(Take(pos, "-1 s"), "ERR In X: Value must be positive.");
  EXPECT_EQ(Take(pos, "0 s"), "0 s");
  EXPECT_EQ(Take(posMore, "0 ms"), "ERR In X: Value must be positive and more than 0.");
}

TEST(ValueColor, TextAndHexadecimalReading) {
  EXPECT_EQ(unitColor(0x0000FF).GetText(), "0000FF");
  EXPECT_EQ(unitColor(0x80FF00).GetText(), "80FF00");
  EXPECT_EQ(unitColor(0).GetText(), "000000");
  EXPECT_EQ(unitColor(0x12345678).GetText(), "12345678");

  struct TCase {
    std::string Text;
    bool Ok;
    uint32_t Colour;
  };
  const TCase cases[] = {
      {"FF00ff", true, 0xFF00FF}, {"0", true, 0},          {"abcdef12", true, 0xABCDEF12},
      {"FF00GG", false, 0},       {"123456789", false, 0}, {"-1", false, 0},
      {"0x12", false, 0},         {"12 34", false, 0},     {"", false, 0},
  };
  for (const auto& c : cases) {
    unitColor colour(0x111111);
    TXMLStringElement element("Name", c.Text);
    element.SetPosition(7, 9);
    TReadError error;
    EXPECT_EQ(colour.ReadXML(&element, error), c.Ok) << c.Text;
    EXPECT_EQ(error.Line, 7);
    EXPECT_EQ(error.Column, 9);
    if (c.Ok) {
      EXPECT_EQ(colour.GetColor(), c.Colour);
    } else {
      EXPECT_EQ(error.Text, "In Name: Invalid Hexdecimal value: \"" + c.Text + "\".");
      EXPECT_EQ(colour.GetColor(), 0x111111u);
    }
  }
}

TEST(ValueXml, WriteAndReadTextElementsWithPositions) {
  TXMLComplexElement parent("P");
  unitFactor(0.5, ukPercent).WriteXML(parent, "Position");
  unitInteger(-12).WriteXML(parent, "Count");
  unitTime(0.25, ukMilliSecond).WriteXML(parent, "Delay");
  unitColor(0xFF).WriteXML(parent, "Colour");
  std::string texts;
  for (const TXMLItem* i = parent.GetFirst(); i; i = i->GetNext())
    texts += i->GetElement() + "=" + i->GetText() + ";";
  EXPECT_EQ(texts, "Position=50 %;Count=-12;Delay=250 ms;Colour=0000FF;");

  TXMLStringElement bad("Position", "1.5");
  bad.SetPosition(9, 16);
  unitFactorPosMoreLess1 position(0.5, ukPercent);
  TReadError error;
  EXPECT_FALSE(position.ReadXML(&bad, error));
  EXPECT_EQ(error.Text, "In Position: Value must be less than 1.");
  EXPECT_EQ(error.Line, 9);
  EXPECT_EQ(error.Column, 16);
  // The palette and project files point one column further than the fractal file.
  EXPECT_EQ(error.WithPosition(0), "In Position: Value must be less than 1. At line 9, column 16.");
  EXPECT_EQ(error.WithPosition(1), "In Position: Value must be less than 1. At line 9, column 17.");
  EXPECT_EQ(position.GetText(), "50 %");

  TXMLStringElement good("Count", "17");
  unitIntegerPosMore count(1);
  EXPECT_TRUE(count.ReadXML(&good, error));
  EXPECT_EQ(count.GetInt(), 17);
}

TEST(ValueCheck, ShowsTheFirstBadFieldOnlyAsInputError) {
  TRecordingPresenter presenter;
  bool ok = true;
  unitFactor a(1);
  unitFactorPosMore b(1);
  unitInteger c(1);
  a.Check(ok, "2", "First");
  b.Check(ok, "-1", "Second");
  c.Check(ok, "5", "Third");
  EXPECT_FALSE(ok);
  EXPECT_EQ(a.GetDouble(), 2);
  EXPECT_EQ(b.GetDouble(), 1);
  EXPECT_EQ(c.GetInt(), 1) << "fields after the first bad one are not taken";
  ASSERT_EQ(presenter.Messages.size(), 1u);
  EXPECT_EQ(presenter.Messages[0].Text, "In Second: Value must be positive and more than 0.");
  EXPECT_EQ(presenter.Messages[0].Title, "Input Error");
  EXPECT_EQ(presenter.Messages[0].Icon, TMsgIcon::Information);
}

TEST(ValueColorDeathTest, AColourIsNeverTyped) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  unitColor colour;
  std::string error;
  EXPECT_DEATH(colour.SetText("FF", "C", error), "Assertion failed: false");
  TReadError readError;
  EXPECT_DEATH(colour.ReadXML(nullptr, readError), "xmlElement != NULL");
}
