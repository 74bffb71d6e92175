#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/TXMLComplexElement.h"
#include "core/xmlread.h"
#include "render/TColorPalette1DItem.h"
#include "support/TRecordingPresenter.h"

namespace {

// Deterministic on every platform (the standard distributions are not).
class TRandom {
public:
  explicit TRandom(uint64_t seed) : State(seed) {}
  uint64_t Next() {
    State ^= State << 13;
    State ^= State >> 7;
    State ^= State << 17;
    return State;
  }
  size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }

private:
  uint64_t State;
};

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

const std::vector<std::string> Pieces = {
    "<",      ">",       "</",         "/>",        " ",          "\t",   "\r",
    "\n",     "\r\n",    std::string(1, '\0'),      "\xFF",       "_",    "<A>",
    "</A>",   "<A/>",    "x",          "1.0",       "50 %",       "-",    "<Version>",
    "</ColorPalette1DItem>",           "<ColorPalette1DItem>",    "<UseColorAfter/>",
    "<Position>0.5</Position>",        "<EndColor>FFFFFF</EndColor>", "GG", "99999999999"};

std::string Mutate(const std::string& base, TRandom& random) {
  std::string s = base;
  const size_t steps = 1 + random.Below(4);
  for (size_t i = 0; i < steps; ++i) {
    const size_t at = random.Below(s.size() + 1);
    switch (random.Below(6)) {
      case 0: s.resize(at); break;
      case 1:
        if (!s.empty()) s[random.Below(s.size())] = static_cast<char>(random.Below(256));
        break;
      case 2: s.insert(at, Pieces[random.Below(Pieces.size())]); break;
      case 3: s.erase(at, random.Below(40)); break;
      case 4: {
        const size_t from = random.Below(s.size() + 1);
        s.insert(at, s.substr(from, random.Below(200)));
        break;
      }
      default:
        if (!s.empty()) s[random.Below(s.size())] ^= static_cast<char>(1 << random.Below(8));
        break;
    }
  }
  return s;
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
  std::string error;
  int line = 0;
  int column = 0;
  if (palette.ReadXML(xmlRoot->GetFirst()->GetNext(), error, line, column)) {
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
    EXPECT_EQ(error.rfind("In ", 0), 0u) << error;
    EXPECT_GT(line, 0);
    EXPECT_EQ(palette.GetColorBefore(), 0x123456u) << "a failed read keeps the palette";
    EXPECT_EQ(palette.GetNext()->GetColorBefore(), 0x654321u);
  }
  // The grammar has matched: none of the reader's checks may fire.
  EXPECT_TRUE(presenter.Messages.empty());
  presenter.Clear();
  return r.Outcome;
}

}  // namespace

TEST(PaletteRobustness, MutatedAndRandomFilesGiveExactlyOneMessageOrAValidPalette) {
  TRecordingPresenter presenter;
  const std::string valid = ValidFile();
  ASSERT_EQ(Check(valid, presenter), TXMLReadOutcome::Read);
  std::string lf;
  for (char c : valid)
    if (c != '\r') lf += c;
  ASSERT_EQ(Check(lf, presenter), TXMLReadOutcome::Read);

  TRandom random(0x5EED2024ULL);
  int read = 0;
  int failed = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string input = Mutate(i % 2 ? valid : lf, random);
    (Check(input, presenter) == TXMLReadOutcome::Read ? read : failed)++;
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "input " << i << ":\n" << input;
      return;
    }
  }
  // Both outcomes must occur, or the mutations test nothing.
  EXPECT_GT(read, 100);
  EXPECT_GT(failed, 10000);

  const std::string alphabet = "<>/ \t\r\nAVersion1.0ColorPalette1DItemPosition%FE";
  for (int i = 0; i < 5000; ++i) {
    std::string input;
    const size_t length = random.Below(300);
    for (size_t k = 0; k < length; ++k) input += alphabet[random.Below(alphabet.size())];
    Check(input, presenter);
    if (::testing::Test::HasFailure()) {
      ADD_FAILURE() << "random input " << i << ":\n" << input;
      return;
    }
  }
}

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
