// Files far beyond what the fuzzer tries: nesting and texts of megabytes.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "core/TReadError.h"
#include "core/TXMLComplexElement.h"
#include "core/xmlread.h"
#include "render/TColorPalette1DItem.h"
#include "support/TRecordingPresenter.h"

namespace {

std::string ValidFile() {
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  TColorPalette1DItem* a = palette.AddItem(unitFactorPosMoreLess1(0.25, ukPercent), 0x0000FF);
  a->SetUseColorAfter(true);
  a->SetColorAfter(0x00FF00);
  palette.AddItem(unitFactorPosMoreLess1(0.5), 0xFF0000);
  palette.AddItem(unitFactorPosMoreLess1(0.75, ukPercent), 0x808080);
  TXMLComplexElement root("UnitColorPalette1D");
  root.AddText("Version", "1.0");
  palette.WriteXML(*root.AddComplex("ColorPalette1D"));
  std::string bytes;
  std::string error;
  EXPECT_TRUE(root.ToFileText(bytes, error)) << error;
  return bytes;
}

// One message of the tokenizer or the parser, naming exactly one position.
bool IsOneReaderMessage(const std::string& m) {
  static const std::regex tail(R"((found in line|at line) \d+, column \d+\.$)");
  static const char* const starts[] = {"unexpected '",
                                       "unexpected end-of-file",
                                       "unexpected begin of element \"",
                                       "unexpected end of element \"",
                                       "unexpected empty element \"",
                                       "unexpected text \"",
                                       "end of element \"",
                                       "element \""};
  bool start = false;
  for (const char* s : starts) start = start || m.rfind(s, 0) == 0;
  const size_t line = m.rfind(" line ");
  if (!start || line == std::string::npos) return false;
  const size_t cut = m.rfind(m.find(" found in line ") != std::string::npos ? " found" : " at", line);
  if (cut == std::string::npos) return false;
  const size_t positions = [&] {
    size_t n = 0;
    for (size_t p = m.find(" line "); p != std::string::npos; p = m.find(" line ", p + 1)) ++n;
    return n;
  }();
  return std::regex_search(m.substr(cut + 1), tail) && positions == 1;
}

// Reads one input as LoadFromFile does and checks the outcome. Returns the outcome.
TXMLReadOutcome Check(const std::string& bytes, TRecordingPresenter& presenter) {
  std::istringstream in(bytes);
  TXMLReadResult r = ReadXMLStream(in, TColorPalette1DItem::FileGrammar());
  EXPECT_NE(r.Outcome, TXMLReadOutcome::NotOpened);
  if (r.Outcome == TXMLReadOutcome::Failed) {
    EXPECT_TRUE(IsOneReaderMessage(r.ErrorText)) << r.ErrorText.substr(0, 300);
    EXPECT_EQ(r.Root, nullptr);
    return r.Outcome;
  }
  EXPECT_TRUE(r.ErrorText.empty());
  const TXMLItem* xmlRoot = r.Root->GetFirst();
  EXPECT_EQ(xmlRoot->GetElement(), "UnitColorPalette1D");
  TColorPalette1DItem palette(0x123456, 0x654321);
  TReadError error;
  if (palette.ReadXML(xmlRoot->GetFirst()->GetNext(), error)) {
    // A palette read is valid: from 0 to 1 with rising positions.
    double previous = -1;
    int stops = 0;
    for (const TColorPalette1DItem* p = &palette; p; p = p->GetNext(), ++stops) {
      EXPECT_GT(p->GetDPosition(), previous);
      previous = p->GetDPosition();
    }
    EXPECT_GE(stops, 2);
    EXPECT_EQ(previous, 1.0);
    EXPECT_EQ(palette.GetColor(0.37) >> 24, 0u);
    EXPECT_EQ(palette.GetColor(1.0), palette.GetLast()->GetColorBefore());
  } else {
    EXPECT_EQ(error.Text.rfind("In ", 0), 0u) << error.Text;
    EXPECT_GT(error.Line, 0);
    EXPECT_EQ(palette.GetColorBefore(), 0x123456u) << "a failed read keeps the palette";
    EXPECT_EQ(palette.GetNext()->GetColorBefore(), 0x654321u);
  }
  // The grammar has matched: none of the reader's checks may fire.
  EXPECT_TRUE(presenter.Messages.empty());
  presenter.Clear();
  return r.Outcome;
}

}  // namespace

TEST(PaletteRobustness, DeepNestingAndHugeTextsFailCleanly) {
  TRecordingPresenter presenter;
  std::string deep = "a\nb\n";
  for (int i = 0; i < 200000; ++i) deep += "<UnitColorPalette1D>";
  EXPECT_EQ(Check(deep, presenter), TXMLReadOutcome::Failed);
  std::string deepNames = "a\nb\n<UnitColorPalette1D><Version>1.0</Version><ColorPalette1D>";
  for (int i = 0; i < 200000; ++i) deepNames += "<ColorPalette1DItem>";
  EXPECT_EQ(Check(deepNames, presenter), TXMLReadOutcome::Failed);

  std::string valid = ValidFile();
  const std::string huge(4000000, '7');
  std::string hugePosition = valid;
  hugePosition.replace(hugePosition.find("25 %"), 4, huge);
  EXPECT_EQ(Check(hugePosition, presenter), TXMLReadOutcome::Read);  // value out of range
  std::string hugeName = valid;
  hugeName.replace(hugeName.find("Version>1.0"), 7, std::string(3000000, 'V'));
  EXPECT_EQ(Check(hugeName, presenter), TXMLReadOutcome::Failed);
  std::string hugeUnclosed = "a\nb\n<UnitColorPalette1D><Version>" + huge;
  EXPECT_EQ(Check(hugeUnclosed, presenter), TXMLReadOutcome::Failed);
}

// A palette of as many stops as a palette may hold reads and writes; one stop more is refused
// where it starts, before the rest is kept in memory, and the palette read into stays as it was.
TEST(PaletteRobustness, StopsPastTheCapAreRefusedWhereTheyStart) {
  const auto file = [](int stops) {
    std::string text = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                       "<!DOCTYPE UnitColorPalette1D SYSTEM \"UnitColorPalette1D.dtd\">\n\n"
                       "<UnitColorPalette1D><Version>1.0</Version><ColorPalette1D>"
                       "<BeginColor>000000</BeginColor>\n";
    for (int i = 1; i <= stops; ++i)
      text += "<ColorPalette1DItem><Position>" + std::to_string(i) + "/" +
              std::to_string(stops + 1) +
              "</Position><ColorBefore>00FF00</ColorBefore><ColorAfter>000000</ColorAfter>"
              "</ColorPalette1DItem>\n";
    return text + "<EndColor>FFFFFF</EndColor></ColorPalette1D></UnitColorPalette1D>\n";
  };
  const int most = TColorPalette1DItem::MaxInnerStops;
  TRecordingPresenter presenter;
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  std::string errorText;
  {
    std::istringstream in(file(most));
    ASSERT_TRUE(palette.LoadFromStream(in, errorText)) << errorText;
    EXPECT_EQ(palette.InnerStopCount(), most);
    // What is written of it reads again.
    std::istringstream written(palette.ToFileText());
    TColorPalette1DItem again(0x000000, 0xFFFFFF);
    ASSERT_TRUE(again.LoadFromStream(written, errorText)) << errorText;
    EXPECT_EQ(again.InnerStopCount(), most);
  }
  TColorPalette1DItem kept(0x112233, 0x445566);
  std::istringstream in(file(most + 1));
  EXPECT_FALSE(kept.LoadFromStream(in, errorText));
  EXPECT_EQ(errorText, TColorPalette1DItem::TooManyStopsText() + " at line " +
                           std::to_string(most + 5) + ", column 20.");
  EXPECT_EQ(kept.InnerStopCount(), 0);
  EXPECT_EQ(kept.GetColorBefore(), 0x112233u);
  EXPECT_TRUE(presenter.Messages.empty());
}
