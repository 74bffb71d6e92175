#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "core/TDTDCompound.h"
#include "core/TDTDGrammar.h"
#include "core/TXMLComplexElement.h"
#include "render/TColorPalette1DItem.h"
#include "support/TRecordingPresenter.h"
#include "support/files.h"
#include "support/testdata.h"

namespace {

constexpr uint32_t Black = 0x000000;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Blue = 0xFF0000;

unitFactorPosMoreLess1 Percent(double fraction) { return unitFactorPosMoreLess1(fraction, ukPercent); }

// The stops as text: position@colourBefore[/colourAfter] separated by spaces.
std::string Stops(const TColorPalette1DItem& palette) {
  std::string s;
  for (const TColorPalette1DItem* p = &palette; p; p = p->GetNext()) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g@%06X", p->GetDPosition(), p->GetColorBefore());
    s += buffer;
    if (p->GetUseColorAfter()) {
      std::snprintf(buffer, sizeof buffer, "/%06X", p->GetColorAfter());
      s += buffer;
    }
    if (p->GetNext()) s += ' ';
  }
  return s;
}

// A palette file with the given lines between the fixed head and tail (LF ends).
std::string PaletteFile(const std::string& stops) {
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<!DOCTYPE UnitColorPalette1D SYSTEM \"UnitColorPalette1D.dtd\">\n"
         "\n"
         "<UnitColorPalette1D>\n"
         "  <Version>1.0</Version>\n"
         "  <ColorPalette1D>\n"
         "    <BeginColor>000000</BeginColor>\n" +
         stops +
         "    <EndColor>FFFFFF</EndColor>\n"
         "  </ColorPalette1D>\n"
         "</UnitColorPalette1D>\n";
}

std::string Item(const std::string& position, const std::string& before = "0000FF",
                 const std::string& after = "000000") {
  return "    <ColorPalette1DItem>\n      <Position>" + position +
         "</Position>\n      <ColorBefore>" + before + "</ColorBefore>\n      <ColorAfter>" +
         after + "</ColorAfter>\n    </ColorPalette1DItem>\n";
}

}  // namespace

TEST(Palette, NewPaletteInterpolatesAndTruncatesEachChannel) {
  const TColorPalette1DItem palette(Black, White);
  EXPECT_EQ(Stops(palette), "0@000000 1@FFFFFF");
  EXPECT_EQ(palette.GetColor(0.5), 0x7F7F7Fu);
  EXPECT_EQ(palette.GetColor(0), Black);
  EXPECT_EQ(palette.GetColor(-0.3), Black);
  EXPECT_EQ(palette.GetColor(1), White);
  // Outside the domain: no stop after the end, so the end colour; NaN counts as 0.
  EXPECT_EQ(palette.GetColor(1.5), White);
  EXPECT_EQ(palette.GetColor(std::nan("")), Black);
  // Channels separately: red 0x10 -> 0x30, green 0x20 -> 0x00, blue 0xF0 -> 0x0F.
  const TColorPalette1DItem mixed(0xF02010, 0x0F0030);
  EXPECT_EQ(mixed.GetColor(0.25), 0xB71818u);
}

TEST(Palette, AStopWithAnAfterColourMakesAHardEdge) {
  TColorPalette1DItem palette(Black, White);
  TColorPalette1DItem* stop = palette.AddItem(Percent(0.5), Red);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop->GetColorAfter(), Red) << "without the flag the after colour is ColorBefore";
  stop->SetUseColorAfter(true);
  stop->SetColorAfter(Blue);
  EXPECT_EQ(palette.GetColor(0.5), Red);
  EXPECT_EQ(palette.GetColor(0.25), 0x00007Fu);
  const uint32_t above = palette.GetColor(0.5 + 1e-9);
  EXPECT_EQ(above & 0xFF, 0u);
  EXPECT_GE(above >> 16, 0xFEu);
  EXPECT_EQ(palette.GetColor(0.75), 0xFF7F7Fu);
  stop->SetUseColorAfter(false);
  EXPECT_EQ(stop->GetColorAfter(), Red);
  EXPECT_EQ(palette.GetColor(0.75), 0x7F7FFFu);
}

TEST(Palette, SettingAnUnusedAfterColourIsReportedAndDone) {
  TRecordingPresenter presenter;
  TColorPalette1DItem palette(Black, White);
  TColorPalette1DItem* stop = palette.AddItem(Percent(0.5), Red);
  stop->SetColorAfter(Blue);
  ASSERT_EQ(presenter.Messages.size(), 1u);
  EXPECT_EQ(presenter.Messages[0].Title, "Assertion failed");
  EXPECT_NE(presenter.Messages[0].Text.find(": Condition \"UseColorAfter\"failed!"),
            std::string::npos);
  stop->SetUseColorAfter(true);
  EXPECT_EQ(stop->GetColorAfter(), Blue);
}

TEST(Palette, AddDeleteAndWalkKeepTheChainSorted) {
  TRecordingPresenter presenter;
  TColorPalette1DItem palette(Black, White);
  TColorPalette1DItem* half = palette.AddItem(Percent(0.5), 0x000001);
  TColorPalette1DItem* quarter = palette.AddItem(Percent(0.25), 0x000002);
  TColorPalette1DItem* threeQ = quarter->AddItem(Percent(0.75), 0x000003);
  EXPECT_EQ(Stops(palette), "0@000000 0.25@000002 0.5@000001 0.75@000003 1@FFFFFF");
  EXPECT_TRUE(presenter.Messages.empty());
  EXPECT_EQ(palette.GetNext(), quarter);
  EXPECT_EQ(palette.GetPrevious(half), quarter);
  EXPECT_EQ(palette.GetPrevious(&palette), nullptr);
  EXPECT_EQ(palette.GetLast()->GetDPosition(), 1.0);
  EXPECT_EQ(palette.GetLast()->GetColorBefore(), White);
  EXPECT_TRUE(palette.PositionExists(0.5, nullptr));
  EXPECT_FALSE(palette.PositionExists(0.5, half));
  EXPECT_TRUE(palette.PositionExists(1, half));
  EXPECT_FALSE(palette.PositionExists(0.6, nullptr));
  EXPECT_EQ(threeQ->Position().GetText(), "75 %");

  EXPECT_EQ(palette.DeleteItem(half), quarter);
  EXPECT_EQ(Stops(palette), "0@000000 0.25@000002 0.75@000003 1@FFFFFF");
  EXPECT_TRUE(presenter.Messages.empty());

  // A stop that is not in the chain is reported.
  TColorPalette1DItem other(Black, White);
  EXPECT_EQ(palette.GetPrevious(&other), nullptr);
  ASSERT_EQ(presenter.Messages.size(), 1u);
  EXPECT_NE(presenter.Messages[0].Text.find("\"NextColorPalette1DItem != NULL\"failed!"),
            std::string::npos);
}

TEST(Palette, InvalidAddsAndDeletesAreReportedAndLeaveThePaletteValid) {
  TRecordingPresenter presenter;
  TColorPalette1DItem palette(Black, White);
  TColorPalette1DItem* half = palette.AddItem(Percent(0.5), Red);
  presenter.Clear();

  EXPECT_EQ(palette.AddItem(Percent(0.5), Blue), nullptr) << "the position is taken";
  ASSERT_EQ(presenter.Texts().size(), 1u);
  EXPECT_NE(presenter.Texts()[0].find("\"position > Position\"failed!"), std::string::npos);
  presenter.Clear();
  EXPECT_EQ(half->AddItem(Percent(0.25), Blue), nullptr) << "below the stop it is called on";
  EXPECT_NE(presenter.Texts().at(0).find("\"position > Position\"failed!"), std::string::npos);
  presenter.Clear();
  EXPECT_EQ(palette.AddItem(unitFactorPosMoreLess1(1.5), Blue), nullptr) << "behind the end";
  EXPECT_EQ(presenter.Texts().size(), 1u);
  EXPECT_EQ(Stops(palette), "0@000000 0.5@0000FF 1@FFFFFF");

  presenter.Clear();
  EXPECT_EQ(palette.DeleteItem(palette.GetLast()), half);
  EXPECT_EQ(palette.DeleteItem(&palette), nullptr);
  EXPECT_EQ(Stops(palette), "0@000000 0.5@0000FF 1@FFFFFF");
  const auto texts = presenter.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_NE(texts[0].find("\"current->GetDPosition() > 0 && current->GetDPosition() < 1\""),
            std::string::npos);
  EXPECT_NE(texts[1].find("\"nextItem\"failed!"), std::string::npos);
  EXPECT_NE(texts[3].find("\"prevItem\"failed!"), std::string::npos);
}

TEST(Palette, ResortMovesAStopDownOrUp) {
  TColorPalette1DItem palette(Black, White);
  TColorPalette1DItem* a = palette.AddItem(Percent(0.2), 0x0A);
  TColorPalette1DItem* b = palette.AddItem(Percent(0.4), 0x0B);
  palette.AddItem(Percent(0.6), 0x0C);
  std::string error;
  ASSERT_TRUE(b->Position().SetText("0.9", "Position", error));
  palette.Resort(b, a);
  EXPECT_EQ(Stops(palette), "0@000000 0.2@00000A 0.6@00000C 0.9@00000B 1@FFFFFF");
  ASSERT_TRUE(b->Position().SetText("10 %", "Position", error));
  palette.Resort(b, palette.GetPrevious(b));
  EXPECT_EQ(Stops(palette), "0@000000 0.1@00000B 0.2@00000A 0.6@00000C 1@FFFFFF");
  palette.Resort(b, &palette);  // already in place
  EXPECT_EQ(Stops(palette), "0@000000 0.1@00000B 0.2@00000A 0.6@00000C 1@FFFFFF");
}

TEST(Palette, CopiesAreDeepAndIndependent) {
  TColorPalette1DItem palette(Black, White);
  TColorPalette1DItem* stop = palette.AddItem(Percent(0.5), Red);
  stop->SetUseColorAfter(true);
  stop->SetColorAfter(Blue);
  TColorPalette1DItem copy(palette);
  EXPECT_EQ(Stops(copy), Stops(palette));
  EXPECT_NE(copy.GetNext(), palette.GetNext());
  copy.GetNext()->SetColorBefore(0x123456);
  copy.DeleteItem(copy.GetNext());
  EXPECT_EQ(Stops(palette), "0@000000 0.5@0000FF/FF0000 1@FFFFFF");

  TColorPalette1DItem assigned(0x111111, 0x222222);
  assigned = palette;
  EXPECT_EQ(Stops(assigned), Stops(palette));
  EXPECT_EQ(assigned.GetNext()->Position().GetText(), "50 %");
  assigned = assigned;
  EXPECT_EQ(Stops(assigned), Stops(palette));
}

TEST(Palette, SavedFileMatchesTheFileLayoutByteForByte) {
  TScratchDir dir("palette-save");
  TColorPalette1DItem palette(Black, White);
  palette.AddItem(Percent(0.5), Red);
  ASSERT_TRUE(palette.SaveToFile(dir.File("p.cp1")));
  EXPECT_EQ(FileBytes(dir.File("p.cp1")), FileBytes(TestData("palette/half_red.cp1")));

  TColorPalette1DItem plain(0x102030, White);
  TXMLComplexElement element("ColorPalette1D");
  plain.WriteXML(element);
  ASSERT_NE(element.GetFirst(), nullptr);
  EXPECT_EQ(element.GetFirst()->GetElement(), "BeginColor");
  EXPECT_EQ(element.GetFirst()->GetText(), "102030");
  EXPECT_EQ(element.GetFirst()->GetNext()->GetElement(), "EndColor");
  EXPECT_EQ(element.GetFirst()->GetNext()->GetNext(), nullptr);
}

TEST(Palette, FilesWithCrLfOrLfAndEveryElementKindLoad) {
  TRecordingPresenter presenter;
  TColorPalette1DItem palette(0x111111, 0x222222);
  std::string error;
  ASSERT_TRUE(palette.LoadFromFile(TestData("palette/half_red.cp1"), error)) << error;
  EXPECT_EQ(Stops(palette), "0@000000 0.5@0000FF 1@FFFFFF");
  EXPECT_EQ(palette.GetNext()->Position().GetText(), "50 %");
  EXPECT_EQ(palette.GetNext()->GetUseColorAfter(), false);

  ASSERT_TRUE(palette.LoadFromFile(TestData("palette/hand_written_lf.cp1"), error)) << error;
  EXPECT_EQ(Stops(palette), "0@102030 0.25@00FF00/FF0000 0.75@0000FF 1@FFFFFF");
  EXPECT_EQ(palette.GetNext()->Position().GetText(), "0.25");
  EXPECT_EQ(palette.GetNext()->GetNext()->Position().GetText(), "75 %");
  EXPECT_TRUE(presenter.Messages.empty());

  // Round trip of the hand-written one through the writer.
  TScratchDir dir("palette-roundtrip");
  ASSERT_TRUE(palette.SaveToFile(dir.File("r.cp1")));
  TColorPalette1DItem back(Black, Black);
  ASSERT_TRUE(back.LoadFromFile(dir.File("r.cp1"), error)) << error;
  EXPECT_EQ(Stops(back), Stops(palette));
  EXPECT_EQ(back.GetNext()->GetColorAfter(), 0xFF0000u);
  EXPECT_EQ(back.GetNext()->GetNext()->Position().GetText(), "75 %");
}

TEST(Palette, BadFilesFailWithOneMessageAndKeepThePalette) {
  struct TCase {
    std::string Bytes;
    std::string Message;
  };
  const TCase cases[] = {
      // The broken files of tests/data/bad cover the other messages.
      {PaletteFile(Item("50 %", "XYZ")),
       "In ColorBefore: Invalid Hexdecimal value: \"XYZ\". At line 10, column 20."},
      {PaletteFile(Item("50 %") + Item("0.5")),  // equal to the stop before
       "In Position: Value must be more than the position of the stop before. At line 14, "
       "column 17."},
      {PaletteFile(Item("50 %", "0000FF", "-1")),
       "In ColorAfter: Invalid Hexdecimal value: \"-1\". At line 11, column 19."},
      {PaletteFile("    <Position>50 % </Position\n"), "unexpected '<' found in line 9, column 5."},
      {PaletteFile("    <Junk_>\n"), "unexpected '_' found in line 8, column 10."},
  };
  TScratchDir dir("palette-bad");
  for (const auto& c : cases) {
    TRecordingPresenter presenter;
    const std::string file = dir.File("bad.cp1");
    WriteFileBytes(file, c.Bytes);
    TColorPalette1DItem palette(Black, White);
    palette.AddItem(Percent(0.3), Red)->SetUseColorAfter(true);
    const std::string before = Stops(palette);
    std::string error;
    EXPECT_FALSE(palette.LoadFromFile(file, error));
    EXPECT_EQ(error, c.Message);
    EXPECT_EQ(Stops(palette), before);
    EXPECT_TRUE(presenter.Messages.empty());
  }
  TColorPalette1DItem palette(Black, White);
  std::string error = "untouched";
  EXPECT_FALSE(palette.LoadFromFile(dir.File("missing.cp1"), error));
  EXPECT_EQ(error, "untouched");
}

TEST(Palette, GrammarElementIsNewOnEveryBuildAndTheFileGrammarOnce) {
  TDTDGrammar grammar;
  TDTDCompound* a = TColorPalette1DItem::BuildDTD(grammar);
  TDTDCompound* b = TColorPalette1DItem::BuildDTD(grammar);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->GetName(), "ColorPalette1D");
  EXPECT_EQ(&TColorPalette1DItem::FileGrammar(), &TColorPalette1DItem::FileGrammar());
  EXPECT_EQ(TColorPalette1DItem::FileGrammar().GetName(), "UnitColorPalette1D");
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Sanitized builds are many times slower; half the stops still need a far deeper stack than a
// recursive reader or destructor would find.
constexpr int LargeStopCount = 100000;
#else
constexpr int LargeStopCount = 200000;
#endif

TEST(Palette, TwoHundredThousandStopsSaveLoadAndDie) {
  TScratchDir dir("palette-large");
  const int count = LargeStopCount;
  auto palette = std::make_unique<TColorPalette1DItem>(Black, White);
  TColorPalette1DItem* last = palette.get();
  for (int i = 1; i <= count; ++i) {
    last = last->AddItem(unitFactorPosMoreLess1(i / (count + 1.0)), static_cast<uint32_t>(i));
    ASSERT_NE(last, nullptr);
  }
  ASSERT_TRUE(palette->SaveToFile(dir.File("large.cp1")));
  TColorPalette1DItem loaded(Black, Black);
  std::string error;
  ASSERT_TRUE(loaded.LoadFromFile(dir.File("large.cp1"), error)) << error;
  int stops = 0;
  for (const TColorPalette1DItem* p = &loaded; p; p = p->GetNext()) ++stops;
  EXPECT_EQ(stops, count + 2);
  EXPECT_EQ(loaded.GetColor(1.0), White);
  EXPECT_EQ(loaded.GetColor(0.999999), palette->GetColor(0.999999));
  EXPECT_EQ(loaded.ToFileText(), palette->ToFileText());
  const TColorPalette1DItem copy(loaded);
  palette.reset();
  EXPECT_EQ(copy.GetColor(1.0), White);
}
