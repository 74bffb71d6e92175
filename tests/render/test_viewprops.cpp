#include <gtest/gtest.h>

#include <string>

#include "core/TDTDGrammar.h"
#include "core/TXMLComplexElement.h"
#include "render/TVoldViewProps.h"
#include "support/files.h"
#include "support/testdata.h"
#include "support/xmltext.h"

namespace {

const TDTDCompound& ViewGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = TVoldViewProps::BuildDTD(grammar);
  return *root;
}

// Reads `xml` (a "FractalView" element) into `props`.
TRecordRead Read(TVoldViewProps& props, const std::string& xml) {
  return ReadRecord(props, ViewGrammar(), xml);
}

// A record unlike the defaults in every field; the four flags from the bits of `flags`.
TVoldViewProps Unusual(int flags) {
  TVoldViewProps p;
  std::string error;
  p.SensOutside = SensVeryHigh;
  EXPECT_TRUE(p.StrengthOutside.SetText("12.5 %", "Strength", error));
  p.BackgroundColorOutside = 0x010203;
  p.ForegroundColorOutside = 0x040506;
  p.UsePalOutside = flags & 1;
  p.PalOutside = TColorPalette1DItem(0x0A0B0C, 0x0D0E0F);
  TColorPalette1DItem* stop = p.PalOutside.AddItem(unitFactorPosMoreLess1(0.5), 0x123456);
  stop->SetUseColorAfter(true);
  stop->SetColorAfter(0x654321);
  p.SensInside = SensLow;
  EXPECT_TRUE(p.StrengthInside.SetText("0.75", "Strength", error));
  p.UsePalDepthInside = flags & 2;
  p.PalDepthInside = TColorPalette1DItem(0x111111, 0x222222);
  p.UsePalDepthBackgroundInside = flags & 4;
  p.PalDepthBackgroundInside = TColorPalette1DItem(0x333333, 0x444444);
  p.PalDepthBackgroundInside.AddItem(unitFactorPosMoreLess1(0.2, ukPercent), 0x777777);
  p.ColorBackgroundInside = 0x070809;
  p.UsePalDepthForegroundInside = flags & 8;
  p.PalDepthForegroundInside = TColorPalette1DItem(0x555555, 0x666666);
  p.ColorForegroundInside = 0x0A0A0A;
  p.CursorColor = 0x00FF00;
  p.MaxDepthColor = 0xFFFFFF;
  return p;
}

}  // namespace

TEST(ViewProps, DefaultRecordWritesTheFractalViewOfTheDefaultFile) {
  const std::string file = FileBytes(TestData("zlf/default.zlf"));
  const size_t begin = file.find("  <FractalView>");
  const std::string close = "  </FractalView>\r\n";
  const size_t end = file.find(close) + close.size();
  ASSERT_NE(begin, std::string::npos);
  EXPECT_EQ(ElementText(*TVoldViewProps().WriteXML(), 1), file.substr(begin, end - begin));
}

TEST(ViewProps, CopiesOwnTheirPalettes) {
  const TVoldViewProps original = Unusual(15);
  const std::string before = Xml(original);
  TVoldViewProps copy(original);
  TVoldViewProps assigned;
  assigned = original;
  EXPECT_EQ(Xml(copy), before);
  EXPECT_EQ(Xml(assigned), before);
  for (TVoldViewProps* p : {&copy, &assigned}) {
    p->PalOutside.AddItem(unitFactorPosMoreLess1(0.75), 0x999999);
    p->PalDepthInside.SetColorBefore(0xABCDEF);
    p->PalDepthBackgroundInside.GetLast()->SetColorBefore(0xABCDEF);
    p->PalDepthForegroundInside.AddItem(unitFactorPosMoreLess1(0.5), 0x999999);
  }
  EXPECT_EQ(Xml(original), before);
  EXPECT_EQ(copy.StrengthOutside.GetText(), "12.5 %");
}

TEST(ViewProps, EveryFieldRoundTripsWithEachUsePaletteFlagInBothStates) {
  for (int flags = 0; flags < 16; ++flags) {
    const TVoldViewProps written = Unusual(flags);
    TVoldViewProps read = Unusual(15 - flags);
    read.SensOutside = SensLow;
    read.SensInside = SensVeryHigh;
    read.MaxDepthColor = 0x123123;
    const TRecordRead r = Read(read, Xml(written));
    ASSERT_TRUE(r.Ok) << r.ErrorText;
    EXPECT_EQ(read.UsePalOutside, (flags & 1) != 0) << flags;
    EXPECT_EQ(read.UsePalDepthInside, (flags & 2) != 0) << flags;
    EXPECT_EQ(read.UsePalDepthBackgroundInside, (flags & 4) != 0) << flags;
    EXPECT_EQ(read.UsePalDepthForegroundInside, (flags & 8) != 0) << flags;
    EXPECT_EQ(Xml(read), Xml(written)) << flags;
  }
  // The texts agree only if the fields do; spot-check that they are not all defaults.
  TVoldViewProps read;
  ASSERT_TRUE(Read(read, Xml(Unusual(5))).Ok);
  EXPECT_EQ(read.StrengthOutside.GetDouble(), 0.125);
  EXPECT_EQ(read.StrengthOutside.GetUnitKind(), ukPercent);
  EXPECT_EQ(read.ColorForegroundInside, 0x0A0A0Au);
  EXPECT_EQ(read.PalOutside.GetColor(0.5), 0x123456u);
  EXPECT_EQ(read.PalDepthBackgroundInside.GetNext()->Position().GetText(), "20 %");
}

TEST(ViewProps, EverySensitivityNameRoundTripsOnBothSides) {
  for (int s = SensLow; s <= SensVeryHigh; ++s) {
    TVoldViewProps written;
    written.SensOutside = static_cast<TSensitivity>(s);
    written.SensInside = static_cast<TSensitivity>(3 - s);
    const std::string xml = Xml(written);
    EXPECT_NE(xml.find(std::string("<") + SensitivityName(written.SensOutside) + " />"),
              std::string::npos);
    TVoldViewProps read;
    ASSERT_TRUE(Read(read, xml).Ok);
    EXPECT_EQ(read.SensOutside, s);
    EXPECT_EQ(read.SensInside, 3 - s);
  }
  EXPECT_EQ(SensitivityName(static_cast<TSensitivity>(4)), nullptr);
}

TEST(ViewProps, PercentStrengthIsReadAsAFractionAndWrittenBackInPercent) {
  TVoldViewProps p;
  const std::string xml =
      ReplaceFirst(Xml(TVoldViewProps()), "<Strength>2.5</Strength>", "<Strength>50%</Strength>");
  ASSERT_TRUE(Read(p, xml).Ok);
  EXPECT_EQ(p.StrengthOutside.GetDouble(), 0.5);
  EXPECT_NE(Xml(p).find("<Strength>50 %</Strength>"), std::string::npos);
}

TEST(ViewProps, BadValuesAreRefusedWithTheElementsMessageAndPosition) {
  // Line 3 is "<FractalView>"; Outside's Strength is line 6, Inside's line 16.
  const struct {
    std::string From, To, Message;
    int Line, Column;
  } rows[] = {
      {"<Strength>2.5</Strength>", "<Strength>0</Strength>",
       "In Strength: Value must be positive and more than 0.", 6, 14},
      {"<Strength>2.5</Strength>", "<Strength>-1</Strength>",
       "In Strength: Value must be positive and more than 0.", 6, 14},
      {"<Strength>3.5</Strength>", "<Strength>2 s</Strength>",
       "In Strength: Wrong unit used, use: '%' or no unit.", 16, 14},
      {"<Strength>3.5</Strength>", "<Strength>" + std::string(320, '7') + "</Strength>",
       "In Strength: Value is out of range.", 16, 14},
      {"<BackgroundColor>000000", "<BackgroundColor>00000G",
       "In BackgroundColor: Invalid Hexdecimal value: \"00000G\".", 11, 21},
      {"<Color>0080FF", "<Color>-1", "In Color: Invalid Hexdecimal value: \"-1\".", 34, 15},
      {"<EndColor>808080", "<EndColor>123456789",
       "In EndColor: Invalid Hexdecimal value: \"123456789\".", 25, 20},
      {"<MaxDepthColor>000000", "<MaxDepthColor>xyz",
       "In MaxDepthColor: Invalid Hexdecimal value: \"xyz\".", 38, 17},
  };
  for (const auto& row : rows) {
    TVoldViewProps p;
    const TRecordRead r = Read(p, ReplaceFirst(Xml(TVoldViewProps()), row.From, row.To));
    EXPECT_FALSE(r.Ok) << row.To;
    EXPECT_EQ(r.ErrorText, row.Message);
    EXPECT_EQ(r.Line, row.Line) << row.To;
    EXPECT_EQ(r.Column, row.Column) << row.To;
  }
}

TEST(ViewProps, ColoursAreReadFirstThenOutsideThenInside) {
  const TVoldViewProps file = Unusual(15);
  TVoldViewProps p;
  // A bad cursor colour: only the maximum-depth colour is taken.
  TRecordRead r = Read(p, ReplaceFirst(Xml(file), "<CursorColor>00FF00", "<CursorColor>GG"));
  ASSERT_FALSE(r.Ok);
  EXPECT_EQ(r.ErrorText, "In CursorColor: Invalid Hexdecimal value: \"GG\".");
  EXPECT_EQ(p.MaxDepthColor, 0xFFFFFFu);
  EXPECT_EQ(p.CursorColor, 0xFF00FFu);
  EXPECT_EQ(p.SensOutside, SensHigh);

  // A bad inside strength: the colours and all of Outside are taken, Inside is not.
  p = TVoldViewProps();
  r = Read(p, ReplaceFirst(Xml(file), "<Strength>0.75", "<Strength>0"));
  ASSERT_FALSE(r.Ok);
  EXPECT_EQ(p.CursorColor, 0x00FF00u);
  EXPECT_EQ(p.SensOutside, SensVeryHigh);
  EXPECT_TRUE(p.UsePalOutside);
  EXPECT_EQ(Xml(p.PalOutside), Xml(file.PalOutside));
  EXPECT_EQ(p.ForegroundColorOutside, 0x040506u);
  EXPECT_EQ(p.SensInside, SensLow);  // set from the element before the strength
  EXPECT_EQ(p.StrengthInside.GetDouble(), 3.5);
  EXPECT_FALSE(p.UsePalDepthInside);
}

TEST(ViewProps, FailedPaletteReadKeepsThatPalette) {
  TVoldViewProps file = Unusual(15);
  file.PalDepthInside.AddItem(unitFactorPosMoreLess1(0.375), 0x898989);
  const std::string xml =
      ReplaceFirst(Xml(file), "<Position>0.375</Position>", "<Position>1.5</Position>");
  TVoldViewProps p;
  const std::string before = Xml(p.PalDepthInside);
  const TRecordRead r = Read(p, xml);
  ASSERT_FALSE(r.Ok);
  EXPECT_EQ(r.ErrorText, "In Position: Value must be less than 1.");
  EXPECT_EQ(Xml(p.PalDepthInside), before);
  EXPECT_TRUE(p.UsePalDepthInside);  // the flag before it was taken
  EXPECT_EQ(Xml(p.PalOutside), Xml(file.PalOutside));
  EXPECT_EQ(Xml(p.PalDepthBackgroundInside), Xml(TVoldViewProps().PalDepthBackgroundInside));
}

TEST(ViewProps, GrammarRejectsMisplacedAndMissingElements) {
  const std::string good = Xml(TVoldViewProps());
  TVoldViewProps p;
  TRecordRead r = Read(p, ReplaceFirst(good, "    <SensHigh />\r\n", ""));
  EXPECT_EQ(r.ErrorText,
            "parse: unexpected begin of element \"Strength\", expect begin of element "
            "\"SensVeryHigh\", at line 5, column 14.");
  r = Read(p, ReplaceFirst(good, "<SensNormal />", "<SensMedium />"));
  EXPECT_EQ(r.ErrorText,
            "parse: unexpected empty element \"SensMedium\", expect begin of element "
            "\"SensVeryHigh\", at line 15, column 18.");
  // The flag belongs before the palette, not after it.
  r = Read(p, ReplaceFirst(good, "    <BackgroundColor>",
                      "    <UseColorPalette1D />\r\n    <BackgroundColor>"));
  EXPECT_EQ(r.ErrorText,
            "parse: unexpected empty element \"UseColorPalette1D\", expect begin of element "
            "\"BackgroundColor\". at line 11, column 25.");
}

TEST(ViewPropsDeathTest, UnknownSensitivityCannotBeWritten) {
  TVoldViewProps p;
  p.SensInside = static_cast<TSensitivity>(4);
  EXPECT_DEATH(p.WriteXML(), "xmlSensInsideKind != NULL");
}
