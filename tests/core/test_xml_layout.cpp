// One description of a record's elements gives its writer, its grammar and its reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TDTDGrammar.h"
#include "core/TReadError.h"
#include "core/TXMLLayout.h"
#include "core/TXMLStringElement.h"
#include "support/TRecordingPresenter.h"
#include "support/files.h"
#include "support/xmltext.h"

namespace {

struct TSize {
  std::string Width = "1";
  std::string Height = "2";
};

struct TTag {
  std::string Text;
};

// A record with one element of every kind; the readers note the order they run in.
struct TSample {
  std::string Name = "n";
  bool Hidden = false;
  int Shape = 0;
  std::string Note;
  TSize Size;
  std::vector<TTag> Tags;
  std::string Last = "z";
  std::vector<std::string> Read;
};

using L = TXMLLayout<TSample>;

// A text element of the string `member`; the text "bad" is refused.
template <class R>
TXMLLayout<R> Text(const char* name, std::string R::*member,
                   std::vector<std::string> R::*read = nullptr) {
  return TXMLLayout<R>::Text(
      name, [member](const R& r) { return r.*member; },
      [=](R& r, const TXMLItem& element, TReadError& error) {
        if (read) (r.*read).push_back(name);
        if (element.GetText() == "bad") {
          error.Text = std::string("In ") + name + ": bad.";
          return false;
        }
        r.*member = element.GetText();
        return true;
      });
}

const L& SampleLayout() {
  using S = TSample;
  static const L layout = L::Compound(
      "Sample",
      {Text("Name", &S::Name, &S::Read), L::Flag("Hidden", &S::Hidden),
       L::Choice(
           "xmlShape", {L::Compound("Round", {}), L::Compound("Square", {})},
           [](const S& s) { return s.Shape; }, [](S& s, int shape) { s.Shape = shape; }),
       L::Optional(Text("Note", &S::Note, &S::Read), [](const S& s) { return !s.Note.empty(); }),
       L::Part(TXMLLayout<TSize>::Compound(
                   "Size", {Text("Width", &TSize::Width), Text("Height", &TSize::Height)}),
               &S::Size)
           .Later(),
       L::Repeat<TTag>(
           TXMLLayout<TTag>::Compound("Tag", {Text("Text", &TTag::Text)}),
           [](const S& s, const std::function<void(const TTag&)>& visit) {
             for (const TTag& tag : s.Tags) visit(tag);
           },
           [](const S&) { return TTag(); },
           [](S& s, TTag&& tag) { s.Tags.push_back(std::move(tag)); }),
       Text("Last", &S::Last, &S::Read)});
  return layout;
}

const TDTDCompound& SampleGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = SampleLayout().ElementGrammar(grammar);
  return *root;
}

TSample Full() {
  TSample s;
  s.Name = "full";
  s.Hidden = true;
  s.Shape = 1;
  s.Note = "a note";
  s.Size = {"10", "20"};
  s.Tags = {{"t1"}, {"t2"}};
  s.Last = "end";
  return s;
}

std::string Written(const TSample& s) { return ElementText(*SampleLayout().WriteElement(s)); }

// Parses `xml` against the sample's grammar and reads it into `into`.
bool ReadSample(const std::string& xml, TSample& into, TReadError& error,
                const L::TThen& then = {}) {
  TXMLReadResult parsed = ParseElement(SampleGrammar(), xml);
  EXPECT_EQ(parsed.Outcome, TXMLReadOutcome::Read) << parsed.ErrorText;
  if (!parsed.Root) return false;
  return SampleLayout().Read(into, parsed.Root->GetFirst(), error, TXMLStructureCheck::Fatal,
                             then);
}

}  // namespace

TEST(XmlLayout, WritesEachKindOfElementInItsOrder) {
  EXPECT_EQ(Written(Full()), WithCrLf("<Sample>\n"
                                      "  <Name>full</Name>\n"
                                      "  <Hidden />\n"
                                      "  <Square />\n"
                                      "  <Note>a note</Note>\n"
                                      "  <Size>\n"
                                      "    <Width>10</Width>\n"
                                      "    <Height>20</Height>\n"
                                      "  </Size>\n"
                                      "  <Tag>\n"
                                      "    <Text>t1</Text>\n"
                                      "  </Tag>\n"
                                      "  <Tag>\n"
                                      "    <Text>t2</Text>\n"
                                      "  </Tag>\n"
                                      "  <Last>end</Last>\n"
                                      "</Sample>\n"));
  // Absent flag and optional element, no repetitions.
  EXPECT_EQ(Written(TSample()), WithCrLf("<Sample>\n"
                                         "  <Name>n</Name>\n"
                                         "  <Round />\n"
                                         "  <Size>\n"
                                         "    <Width>1</Width>\n"
                                         "    <Height>2</Height>\n"
                                         "  </Size>\n"
                                         "  <Last>z</Last>\n"
                                         "</Sample>\n"));
}

TEST(XmlLayout, WhatIsWrittenReadsBackIntoEveryField) {
  for (const TSample& written : {Full(), TSample()}) {
    // The reader starts from values unlike both.
    TSample read;
    read.Hidden = !written.Hidden;
    read.Shape = 1 - written.Shape;
    read.Size = {"x", "y"};
    TReadError error;
    ASSERT_TRUE(ReadSample(Written(written), read, error)) << error.Text;
    EXPECT_EQ(Written(read), Written(written));
    EXPECT_EQ(read.Hidden, written.Hidden);
    EXPECT_EQ(read.Tags.size(), written.Tags.size());
  }
}

TEST(XmlLayout, GrammarRefusesWhatTheWriterWouldNotWrite) {
  const struct {
    std::string From, To, Message;
  } rows[] = {
      {"  <Name>full</Name>\r\n", "",
       "unexpected empty element \"Hidden\", expect begin of element \"Name\". at line 4, column "
       "12."},
      {"<Square />", "<Oval />",
       "unexpected empty element \"Oval\", expect begin of element \"Square\", at line 6, column "
       "10."},
      {"<Width>10</Width>", "<Width>10</Width><Depth>3</Depth>",
       "unexpected begin of element \"Depth\", expect begin of element \"Height\". at line 9, "
       "column 28."},
      {"  <Last>end</Last>\r\n", "",
       "unexpected end of element \"Sample\", expect begin of element \"Last\". at line 18, "
       "column 9."},
  };
  for (const auto& row : rows) {
    const TXMLReadResult r =
        ParseElement(SampleGrammar(), ReplaceFirst(Written(Full()), row.From, row.To));
    EXPECT_EQ(r.Outcome, TXMLReadOutcome::Failed) << row.To;
    EXPECT_EQ(r.ErrorText, row.Message);
  }
}

TEST(XmlLayout, LaterPartsAreReadAfterTheirFollowersAndAFailureKeepsWhatWasRead) {
  TSample read;
  TReadError error;
  ASSERT_TRUE(ReadSample(Written(Full()), read, error));
  // Size is read after Last; Tags are no read of the sample itself.
  EXPECT_EQ(read.Read, (std::vector<std::string>{"Name", "Note", "Last"}));

  // A refused text stops the reading there, with the element's position.
  TSample partial;
  ASSERT_FALSE(ReadSample(ReplaceFirst(Written(Full()), "<Last>end", "<Last>bad"), partial, error));
  EXPECT_EQ(error.Text, "In Last: bad.");
  EXPECT_EQ(error.WithPosition(0), "In Last: bad. At line 18, column 8.");
  EXPECT_EQ(partial.Name, "full");
  EXPECT_EQ(partial.Tags.size(), 2u);
  EXPECT_EQ(partial.Size.Width, "1") << "read after Last, so never reached";

  TSample early;
  ASSERT_FALSE(ReadSample(ReplaceFirst(Written(Full()), "<Width>10", "<Width>bad"), early, error));
  EXPECT_EQ(error.Text, "In Width: bad.");
  EXPECT_EQ(early.Last, "end") << "Last is read before Size";
}

TEST(XmlLayout, ThenRunsAfterEachElementBelowTheRootAndMayStopTheReading) {
  std::vector<std::string> seen;
  const L::TThen note = [&](const TXMLItem& element, TSample& s, TReadError& error) {
    seen.push_back(element.GetElement() + ":" + std::to_string(s.Tags.size()));
    if (element.GetElement() == "Tag" && s.Tags.back().Text == "t2") {
      error.Text = "stopped";
      return false;
    }
    return true;
  };
  TSample read;
  TReadError error;
  EXPECT_FALSE(ReadSample(Written(Full()), read, error, note));
  EXPECT_EQ(error.Text, "stopped");
  EXPECT_EQ(seen, (std::vector<std::string>{"Name:0", "Hidden:0", "Square:0", "Note:0", "Tag:1",
                                            "Tag:2"}));
  EXPECT_EQ(read.Last, "z") << "nothing is read after a stop";
}

TEST(XmlLayout, ATreeTheGrammarWouldRefuseFailsItsReportedCheck) {
  TRecordingPresenter presenter;
  TXMLComplexElement sample("Sample");
  sample.SetPosition(4, 8);
  sample.AddText("Name", "x");
  TSample read;
  TReadError error;
  EXPECT_FALSE(SampleLayout().Read(read, &sample, error, TXMLStructureCheck::Reported));
  EXPECT_EQ(error.Text, "The element \"Sample\" is incomplete.");
  EXPECT_EQ(error.Line, 4);
  EXPECT_EQ(error.Column, 8);
  ASSERT_EQ(presenter.Messages.size(), 1u);
  EXPECT_NE(presenter.Messages[0].Text.find("Condition \"xmlShape != NULL\"failed!"),
            std::string::npos)
      << presenter.Messages[0].Text;
  EXPECT_EQ(read.Name, "x");
}

TEST(XmlLayoutDeathTest, MisuseIsAProgrammingError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TXMLComplexElement sample("Sample");
  sample.AddText("Name", "x");
  sample.AddComplex("Round");
  TSample read;
  TReadError error;
  EXPECT_DEATH(SampleLayout().Read(read, &sample, error), "xmlSize != NULL");
  TSample unknown;
  unknown.Shape = 2;
  EXPECT_DEATH(Written(unknown), "xmlShape != NULL");
}
