#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "core/TDTDAttribute.h"
#include "core/TDTDChoice.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TDTDOptional.h"
#include "core/TDTDRepeatMin0.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLToken.h"
#include "core/xmlread.h"
#include "support/files.h"
#include "support/testdata.h"

namespace {

// Every input starts with two lines that the tokenizer skips.
const std::string Head = "<?xml?>\n<!DOCTYPE x>\n";

struct TTok {
  TXMLTokenKind Kind;
  std::string Content;
  int Line;
  int Column;
  bool operator==(const TTok&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TTok& t) {
  return os << int(t.Kind) << " '" << t.Content << "' " << t.Line << ":" << t.Column;
}

std::vector<TTok> Tokens(const TXMLToken& head) {
  std::vector<TTok> out;
  for (const TXMLToken* t = head.GetNext(); t; t = t->GetNext()) {
    std::string content;
    if (t->TokenKind == xmlTokenAttr) content = t->GetText();
    if (t->TokenKind == xmlTokenBegin || t->TokenKind == xmlTokenEnd ||
        t->TokenKind == xmlTokenEmpty)
      content = t->GetElement();
    out.push_back({t->TokenKind, content, t->GetLine(), t->GetColumn()});
  }
  return out;
}

std::vector<TTok> Tokenize(const std::string& bytes, std::string* version = nullptr) {
  std::istringstream in(bytes);
  std::string v;
  TXMLToken head(in, v);
  EXPECT_EQ(head.TokenKind, xmlTokenStart) << head.GetError();
  if (version) *version = v;
  return Tokens(head);
}

std::string TokenizerError(const std::string& bytes) {
  std::istringstream in(bytes);
  std::string v;
  TXMLToken head(in, v);
  if (head.TokenKind != xmlTokenError) return "(no error)";
  EXPECT_EQ(head.GetNext(), nullptr);
  return head.GetError();
}

// The tree as one line: Name@line:column{children} or Name@line:column=text.
std::string Dump(const TXMLItem* item) {
  std::string s = item->GetElement() + "@" + std::to_string(item->GetLine()) + ":" +
                  std::to_string(item->GetColumn());
  if (item->IsText()) return s + "=" + item->GetText();
  s += "{";
  for (const TXMLItem* c = item->GetFirst(); c; c = c->GetNext()) s += Dump(c) + ";";
  return s + "}";
}

// The parse result: the tree of the file's root, or "ERR: " and the message.
std::string Parse(const TDTDCompound& grammar, const std::string& content) {
  std::istringstream in(Head + content);
  TXMLReadResult r = ReadXMLStream(in, grammar);
  if (r.Outcome != TXMLReadOutcome::Read) return "ERR: " + r.ErrorText;
  EXPECT_EQ(r.Root->GetElement(), "Root");
  EXPECT_EQ(r.Root->GetFirst()->GetNext(), nullptr);
  return Dump(r.Root->GetFirst());
}

// The items one after the other: (a, (b, (c, ...))).
const TDTDItem* Sequence(TDTDGrammar& g, const std::vector<const TDTDItem*>& items) {
  const TDTDItem* tail = items.back();
  for (size_t i = items.size() - 1; i-- > 0;) tail = g.Make<TDTDConcat>(items[i], tail);
  return tail;
}

}  // namespace

TEST(XmlTokenizer, PositionsAreThoseOfEachTokensLastCharacter) {
  const auto tokens = Tokenize(Head + "  <Position>50 %</Position>\n");
  const std::vector<TTok> expected = {{xmlTokenBegin, "Position", 3, 12},
                                      {xmlTokenAttr, "50 %", 3, 17},
                                      {xmlTokenEnd, "Position", 3, 27},
                                      {xmlTokenEof, "", 4, 0}};
  EXPECT_EQ(tokens, expected);
  // Without a final line end the end of the file is the last character of the last line.
  EXPECT_EQ(Tokenize(Head + "<A/>").back(), (TTok{xmlTokenEof, "", 3, 4}));
  EXPECT_EQ(Tokenize(Head).back(), (TTok{xmlTokenEof, "", 3, 0}));
}

TEST(XmlTokenizer, WhiteSpaceInsideTagsAndTextTrimming) {
  const auto tokens = Tokenize(Head + "< Name >\t  x \t y  </ Name >\n<E/><E />< E\t/ >\n<1a>\n");
  const std::vector<TTok> expected = {
      {xmlTokenBegin, "Name", 3, 8},  {xmlTokenAttr, "x   y", 3, 19},
      {xmlTokenEnd, "Name", 3, 27},   {xmlTokenEmpty, "E", 4, 4},
      {xmlTokenEmpty, "E", 4, 9},     {xmlTokenEmpty, "E", 4, 16},
      {xmlTokenBegin, "1a", 5, 4},    {xmlTokenEof, "", 6, 0}};
  EXPECT_EQ(tokens, expected);
  // Line ends inside a text become spaces; tabs too; control bytes are trimmed at the ends.
  EXPECT_EQ(Tokenize(Head + "<A>one\ntwo\r\nthree\x01</A>")[1].Content, "one two three");
  // A text may begin with a slash or any other byte, and bytes above 127 pass through.
  EXPECT_EQ(Tokenize(Head + "<A>/x \xE9</A>")[1].Content, "/x \xE9");
}

TEST(XmlTokenizer, CrLfAndBareLfGiveTheSameTokensAndALoneCrIsAnOrdinaryByte) {
  const std::string lf = Head + "<A>\n  <B>x\ny</B>\n\n<C/></A>\n";
  const std::string crlf = WithCrLf(lf);
  EXPECT_EQ(Tokenize(lf), Tokenize(crlf));
  EXPECT_EQ(Tokenize(crlf)[3], (TTok{xmlTokenEnd, "B", 5, 5}));
  // A lone CR counts as a column and becomes a space inside a text.
  EXPECT_EQ(Tokenize(Head + "<A>x\ry</A>")[1], (TTok{xmlTokenAttr, "x y", 3, 7}));
  EXPECT_EQ(TokenizerError(Head + "<A\r>"), "unexpected '\r' found in line 3, column 3.");
}

TEST(XmlTokenizer, ErrorsNameTheFirstOffendingCharacterAndItsPosition) {
  struct TCase {
    std::string Content;
    std::string Message;
  };
  const TCase cases[] = {
      {"<A_b>", "unexpected '_' found in line 3, column 3."},
      {"<a-b>", "unexpected '-' found in line 3, column 3."},
      {"<A x=\"1\">", "unexpected 'x' found in line 3, column 4."},
      {"<!-- c -->", "unexpected '!' found in line 3, column 2."},
      {"<A>\n<?pi?>", "unexpected '?' found in line 4, column 2."},
      {">", "unexpected '>' found in line 3, column 1."},
      {"  <A>te>xt</A>", "unexpected '>' found in line 3, column 8."},
      {"<>", "unexpected '>' found in line 3, column 2."},
      {"<<", "unexpected '<' found in line 3, column 2."},
      {"<A <", "unexpected '<' found in line 3, column 4."},
      {"<A/ x>", "unexpected 'x' found in line 3, column 5."},
      {"</A/>", "unexpected '/' found in line 3, column 4."},
      {"</A x>", "unexpected 'x' found in line 3, column 5."},
      {"</>", "unexpected '>' found in line 3, column 3."},
      {"<A>\r\n\r\n  <B>text", "unexpected end-of-file  found in line 5, column 9."},
      {"<A", "unexpected end-of-file  found in line 3, column 2."},
      {"<A>x</A>\n</", "unexpected end-of-file  found in line 4, column 2."},
      {"<A/", "unexpected end-of-file  found in line 3, column 3."},
  };
  for (const auto& c : cases) EXPECT_EQ(TokenizerError(Head + c.Content), c.Message) << c.Content;
}

TEST(XmlTokenizer, FirstTwoLinesAreSkippedAsLinesOfAtMost98Characters) {
  // 97 characters and the line end fill the 98: the second line is skipped whole.
  EXPECT_EQ(Tokenize(std::string(97, 'x').append("\n<B>t</B>\n<A/>"))[0].Content, "A");
  EXPECT_EQ(Tokenize(std::string(97, 'x').append("\r\n<B>t</B>\r\n<A/>"))[0].Content, "A");
  // One more and the line end is all that the second skip reads: the second line is content.
  const auto tokens = Tokenize(std::string(98, 'x').append("\n<B>t</B>\n<A/>"));
  EXPECT_EQ(tokens[0], (TTok{xmlTokenBegin, "B", 3, 3}));
  // Nothing of the two lines is examined.
  EXPECT_EQ(Tokenize("<<>>\n&&\n<A/>")[0].Content, "A");
  EXPECT_EQ(Tokenize("").back(), (TTok{xmlTokenEof, "", 3, 0}));
}

TEST(XmlTokenizer, VersionIsTheTextOfTheLastVersionElement) {
  std::string version = "stale";
  Tokenize(Head + "<R><Version>1.0</Version><X><Version> 2.5 </Version></X></R>", &version);
  EXPECT_EQ(version, "2.5");
  Tokenize(Head + "<R><Version></Version><Versions>3</Versions></R>", &version);
  EXPECT_EQ(version, "");
}

TEST(XmlTokenDeathTest, AskingATokenForWhatItDoesNotHoldIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::istringstream in(Head + "<A>x</A>");
  std::string version;
  TXMLToken head(in, version);
  const TXMLToken* begin = head.GetNext();
  EXPECT_DEATH(begin->GetText(), "TokenKind == xmlTokenAttr");
  EXPECT_DEATH(begin->GetNext()->GetElement(),
               "TokenKind == xmlTokenBegin \\|\\| TokenKind == xmlTokenEnd \\|\\| TokenKind == "
               "xmlTokenEmpty");
  EXPECT_DEATH(head.GetError(), "TokenKind == xmlTokenError");
}

TEST(XmlParser, EveryMessageWithItsPosition) {
  TDTDGrammar g;
  // R = A, [F], I*, N   with F empty, I = (V), N = (W)
  auto* f = g.Make<TDTDCompound>("F", g.Make<TDTDEmpty>());
  auto* i = g.Make<TDTDCompound>("I", g.Make<TDTDAttribute>("V"));
  auto* n = g.Make<TDTDCompound>("N", g.Make<TDTDAttribute>("W"));
  auto* r = g.Make<TDTDCompound>(
      "R", Sequence(g, {g.Make<TDTDAttribute>("A"), g.Make<TDTDOptional>(f),
                        g.Make<TDTDRepeatMin0>(i), n}));
  struct TCase {
    std::string Content;
    std::string Message;
  };
  const TCase cases[] = {
      // text element
      {"<R><A><B>", "unexpected begin of element \"B\", expect text, at line 3, column 6."},
      {"<R><A></A>", "unexpected end of element \"A\", expect text, at line 3, column 6."},
      {"<R><A>   </A>", "unexpected end of element \"A\", expect text, at line 3, column 6."},
      {"<R><A><B/>", "unexpected empty element \"B\", expect text, at line 3, column 6."},
      {"<R><A>", "unexpected end-of-file, expect text, at line 3, column 6."},
      {"<R><B>x</B>",
       "unexpected begin of element \"B\", expect begin of element \"A\". at line 3, column 6."},
      {"<R></R>",
       "unexpected end of element \"R\", expect begin of element \"A\". at line 3, column 7."},
      {"<R><B/>",
       "unexpected empty element \"B\", expect begin of element \"A\". at line 3, column 7."},
      {"<R>t</R>", "unexpected text \"t\", expect begin of element \"A\". at line 3, column 5."},
      {"<R>", "unexpected end-of-file, expect begin of element \"A\". at line 3, column 3."},
      // element with children
      {"<Q>", "unexpected begin of element \"Q\", expect begin of element \"R\", at line 3, column 3."},
      {"<Q/>", "unexpected empty element \"Q\", expect begin of element \"R\", at line 3, column 4."},
      {"</Q>", "unexpected end of element \"Q\", expect begin of element \"R\", at line 3, column 4."},
      {"t<R>", "unexpected text \"t\", expect begin of element \"R\", at line 3, column 2."},
      {"", "unexpected end-of-file, expect begin of element \"R\", at line 3, column 0."},
      {"\n<R/>", "element \"R\" should not be empty, at line 4, column 4."},
      {"<R><A>a</A><Z/>",
       "unexpected empty element \"Z\", expect begin of element \"N\", at line 3, column 15."},
      {"<R><A>a</A><F/><I>t</I>",
       "unexpected text \"t\", expect begin of element \"V\". at line 3, column 20."},
      {"<R><A>a</A><I/>", "element \"I\" should not be empty, at line 3, column 15."},
      // end tags
      {"<R><A>x</B>",
       "end of element \"B\" does not match begin of element \"A\", at line 3, column 11."},
      {"<R><A>a</A><N><W>w</W>t</N>",
       "unexpected text \"t\", expect end of element \"N\", at line 3, column 24."},
      {"<R><A>a</A><N><W>w</W><B>",
       "unexpected begin of element \"B\", expect end of element \"N\", at line 3, column 25."},
      {"<R><A>a</A><N><W>w</W><B/>",
       "unexpected empty element \"B\", expect end of element \"N\", at line 3, column 26."},
      {"<R><A>a</A><N><W>w</W>",
       "unexpected end-of-file, expect end of element \"N\", at line 3, column 22."},
      {"<R><A>a</A><N><W>w</W></N>\n",
       "unexpected end-of-file, expect end of element \"R\", at line 4, column 0."},
      {"<R><A>a</A><N><W>w</W></N></A>",
       "end of element \"A\" does not match begin of element \"R\", at line 3, column 30."},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(*r, c.Content), "ERR: " + c.Message) << c.Content;

  EXPECT_EQ(Parse(*r, "<R><A>a</A><F></F><I><V>1</V></I><I><V>2</V></I><N><W>w</W></N></R>"),
            "R@3:3{A@3:6=a;F@3:14{};I@3:21{V@3:24=1;};I@3:36{V@3:39=2;};N@3:51{W@3:54=w;};}");
}

TEST(XmlParser, EmptyTagMatchesOnlyANullableContent) {
  TDTDGrammar g;
  auto* flag = g.Make<TDTDCompound>("A", g.Make<TDTDEmpty>());
  EXPECT_EQ(Parse(*flag, "<A/>"), "A@3:4{}");
  EXPECT_EQ(Parse(*flag, "<A></A>"), "A@3:3{}");
  auto* optional = g.Make<TDTDCompound>("A", g.Make<TDTDOptional>(g.Make<TDTDAttribute>("B")));
  EXPECT_EQ(Parse(*optional, "<A />"), "A@3:5{}");
  auto* needs = g.Make<TDTDCompound>("A", g.Make<TDTDAttribute>("B"));
  EXPECT_EQ(Parse(*needs, "<A/>"), "ERR: element \"A\" should not be empty, at line 3, column 4.");
}

TEST(XmlParser, ChoiceTriesTheSecondOnlyAfterASoftFailureAndDropsWhatTheFirstAdded) {
  TDTDGrammar g;
  // C = ( [P], Q | P, Z )
  auto* first = g.Make<TDTDConcat>(g.Make<TDTDOptional>(g.Make<TDTDAttribute>("P")),
                                   g.Make<TDTDAttribute>("Q"));
  auto* second = g.Make<TDTDConcat>(g.Make<TDTDAttribute>("P"), g.Make<TDTDAttribute>("Z"));
  auto* c = g.Make<TDTDCompound>("C", g.Make<TDTDChoice>(first, second));
  EXPECT_EQ(Parse(*c, "<C><Q>1</Q></C>"), "C@3:3{Q@3:6=1;}");
  EXPECT_EQ(Parse(*c, "<C><P>1</P><Q>2</Q></C>"), "C@3:3{P@3:6=1;Q@3:14=2;}");
  EXPECT_EQ(Parse(*c, "<C><P>1</P><Z>2</Z></C>"), "C@3:3{P@3:6=1;Z@3:14=2;}");
  // The second alternative's message after two soft failures.
  EXPECT_EQ(Parse(*c, "<C><Y/></C>"),
            "ERR: unexpected empty element \"Y\", expect begin of element \"P\". at line 3, column 7.");
  // A committed failure of the first is final.
  EXPECT_EQ(Parse(*c, "<C><Q></Q></C>"),
            "ERR: unexpected end of element \"Q\", expect text, at line 3, column 6.");
  EXPECT_TRUE(g.Make<TDTDChoice>(first, g.Make<TDTDEmpty>())->IsNullable());
  EXPECT_FALSE(c->IsNullable());
  EXPECT_FALSE(first->IsNullable());
  EXPECT_TRUE(g.Make<TDTDConcat>(g.Make<TDTDEmpty>(), g.Make<TDTDRepeatMin0>(c))->IsNullable());
}

TEST(XmlParser, RepetitionIsGreedyAndABrokenRepeatedElementFailsTheWhole) {
  TDTDGrammar g;
  auto* item = g.Make<TDTDCompound>("I", g.Make<TDTDAttribute>("V"));
  auto* list = g.Make<TDTDCompound>(
      "L", g.Make<TDTDConcat>(g.Make<TDTDRepeatMin0>(item), g.Make<TDTDAttribute>("End")));
  EXPECT_EQ(Parse(*list, "<L><End>e</End></L>"), "L@3:3{End@3:8=e;}");
  EXPECT_EQ(Parse(*list, "<L><I><V>1</V></I><End>e</End></L>"),
            "L@3:3{I@3:6{V@3:9=1;};End@3:23=e;}");
  EXPECT_EQ(Parse(*list, "<L><I><V>1</V></I><I><V>2</V></I><I><V>3</V></I><End>e</End></L>"),
            "L@3:3{I@3:6{V@3:9=1;};I@3:21{V@3:24=2;};I@3:36{V@3:39=3;};End@3:53=e;}");
  EXPECT_EQ(Parse(*list, "<L><I><V>1</V></I><I><W>2</W></I><End>e</End></L>"),
            "ERR: unexpected begin of element \"W\", expect begin of element \"V\". at line 3, "
            "column 24.");
  // After the last repetition the next element's own message stands.
  EXPECT_EQ(Parse(*list, "<L><I><V>1</V></I><X>e</X></L>"),
            "ERR: unexpected begin of element \"X\", expect begin of element \"End\". at line 3, "
            "column 21.");
  // A repeated item that may match nothing ends the repetition instead of looping.
  auto* loose = g.Make<TDTDCompound>(
      "L", g.Make<TDTDRepeatMin0>(g.Make<TDTDOptional>(g.Make<TDTDAttribute>("V"))));
  EXPECT_EQ(Parse(*loose, "<L><V>1</V><V>2</V></L>"), "L@3:3{V@3:6=1;V@3:14=2;}");
}

TEST(XmlParser, VeryManyRepetitionsDoNotNestCalls) {
  TDTDGrammar g;
  auto* list = g.Make<TDTDCompound>("L", g.Make<TDTDRepeatMin0>(g.Make<TDTDAttribute>("V")));
  std::string content = "<L>\n";
  const int count = 300000;
  for (int i = 0; i < count; ++i) content += "<V>" + std::to_string(i) + "</V>\n";
  content += "</L>\n";
  std::istringstream in(Head + content);
  TXMLReadResult r = ReadXMLStream(in, *list);
  ASSERT_EQ(r.Outcome, TXMLReadOutcome::Read) << r.ErrorText;
  int n = 0;
  const TXMLItem* last = nullptr;
  for (const TXMLItem* v = r.Root->GetFirst()->GetFirst(); v; v = v->GetNext(), ++n) last = v;
  EXPECT_EQ(n, count);
  EXPECT_EQ(last->GetText(), std::to_string(count - 1));
  EXPECT_EQ(last->GetLine(), count + 3);
}

TEST(XmlParser, WhatFollowsTheRootIsNotExaminedButMustTokenize) {
  TDTDGrammar g;
  auto* s = g.Make<TDTDCompound>("S", g.Make<TDTDAttribute>("A"));
  EXPECT_EQ(Parse(*s, "<S><A>x</A></S><Junk><More/> text"), "ERR: unexpected end-of-file  found "
                                                                "in line 3, column 33.");
  EXPECT_EQ(Parse(*s, "<S><A>x</A></S><Junk><More/>"), "S@3:3{A@3:6=x;}");
  EXPECT_EQ(Parse(*s, "<S><A>x</A></S>>"), "ERR: unexpected '>' found in line 3, column 16.");
}

TEST(XmlParser, TheRestOfAFileIsReadAfterTheGrammarHasDecided) {
  TDTDGrammar g;
  auto* s = g.Make<TDTDCompound>("S", g.Make<TDTDAttribute>("A"));
  const std::string early = "<S><B>x</B></S>\n";  // refused at its second token
  const std::string many = [] {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "<X><Version>" + std::to_string(i) + "</Version></X>\n";
    return text;
  }();
  const struct {
    std::string Content, Result, Version;
  } rows[] = {
      // A character the tokenizer refuses, far behind the grammar's refusal, wins.
      {early + many + "<X_>", "ERR: unexpected '_' found in line 20004, column 3.", "19999"},
      {early + many + "</S", "ERR: unexpected end-of-file  found in line 20004, column 3.",
       "19999"},
      // Without one, the grammar's message stands and the last Version is still the file's.
      {early + many, "ERR: unexpected begin of element \"B\", expect begin of element \"A\". at "
                     "line 3, column 6.", "19999"},
      // After a match as well.
      {"<S><A>x</A></S>\n" + many, "S@3:3{A@3:6=x;}", "19999"},
      {"<S><A>x</A></S>\n" + many + "<", "ERR: unexpected end-of-file  found in line 20004, "
                                        "column 1.", "19999"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Result);
    std::istringstream in(Head + row.Content);
    TXMLReadResult r = ReadXMLStream(in, *s);
    EXPECT_EQ(r.Outcome == TXMLReadOutcome::Read ? Dump(r.Root->GetFirst()) : "ERR: " + r.ErrorText,
              row.Result);
    EXPECT_EQ(r.Version, row.Version);
  }
  // A file too large is refused as such, whatever its grammar says of the beginning.
  std::istringstream large(Head + early + std::string(TXMLToken::MaxFileBytes, ' '));
  const TXMLReadResult refused = ReadXMLStream(large, *s);
  EXPECT_EQ(refused.ErrorText, TXMLToken::TooLargeText);
  EXPECT_EQ(refused.Version, "");
}

TEST(XmlParser, AStreamThatFailsMidwayIsNotAFile) {
  // A stream buffer that gives some bytes, then fails as a disk would.
  struct TBrokenBuffer : std::streambuf {
    std::string Bytes;
    bool Given = false;
    int_type underflow() override {
      if (Given) throw std::ios_base::failure("Input/output error");
      Given = true;
      setg(Bytes.data(), Bytes.data(), Bytes.data() + Bytes.size());
      return traits_type::to_int_type(Bytes[0]);
    }
  };
  TDTDGrammar g;
  auto* s = g.Make<TDTDCompound>("S", g.Make<TDTDAttribute>("Version"));
  for (const std::string content : {"<S><Version>1.0</Version></S>", "<Q>", "<_"}) {
    SCOPED_TRACE(content);
    TBrokenBuffer buffer;
    buffer.Bytes = Head + content;
    std::istream in(&buffer);
    const TXMLReadResult r = ReadXMLStream(in, *s);
    EXPECT_EQ(r.Outcome, TXMLReadOutcome::NotOpened);
    EXPECT_EQ(r.ErrorText, "");
    EXPECT_EQ(r.Version, "");
  }
}

TEST(XmlRoundTrip, EveryElementKindReadsBackAsWritten) {
  TXMLComplexElement root("Doc");
  root.AddText("Version", "1.0");
  root.AddText("Name", "A name with  two spaces, % and \xE9");
  root.AddComplex("Flag");
  TXMLComplexElement* group = root.AddComplex("Group");
  group->AddText("Item", "-0.5");
  group->AddText("Item", "1/4");
  group->AddComplex("Inner")->AddText("Path", "/tmp/a b/c.zlf");
  std::string bytes;
  std::string error;
  ASSERT_TRUE(root.ToFileText(bytes, error)) << error;

  TDTDGrammar g;
  auto* inner = g.Make<TDTDCompound>("Inner", g.Make<TDTDAttribute>("Path"));
  auto* groupDtd = g.Make<TDTDCompound>(
      "Group", g.Make<TDTDConcat>(g.Make<TDTDRepeatMin0>(g.Make<TDTDAttribute>("Item")), inner));
  auto* doc = g.Make<TDTDCompound>(
      "Doc", Sequence(g, {g.Make<TDTDAttribute>("Version"), g.Make<TDTDAttribute>("Name"),
                          g.Make<TDTDOptional>(g.Make<TDTDCompound>("Flag", g.Make<TDTDEmpty>())),
                          groupDtd}));
  std::istringstream in(bytes);
  TXMLReadResult r = ReadXMLStream(in, *doc);
  ASSERT_EQ(r.Outcome, TXMLReadOutcome::Read) << r.ErrorText;
  EXPECT_EQ(r.Version, "1.0");
  EXPECT_EQ(Dump(r.Root->GetFirst()),
            "Doc@4:5{Version@5:11=1.0;Name@6:8=A name with  two spaces, % and \xE9;Flag@7:10{};"
            "Group@8:9{Item@9:10=-0.5;Item@10:10=1/4;Inner@11:11{Path@12:12=/tmp/a b/c.zlf;};};}");
}

TEST(XmlRoundTrip, CrLfAndLfFilesReadAlike) {
  TDTDGrammar g;
  auto* sample = g.Make<TDTDCompound>(
      "Sample",
      Sequence(g, {g.Make<TDTDAttribute>("Version"), g.Make<TDTDAttribute>("Name"),
                   g.Make<TDTDOptional>(g.Make<TDTDCompound>("Flag", g.Make<TDTDEmpty>())),
                   g.Make<TDTDCompound>(
                       "List", g.Make<TDTDRepeatMin0>(g.Make<TDTDAttribute>("Item")))}));
  const std::string expected =
      "Sample@4:8{Version@5:11=1.0;Name@6:8=two words;Flag@7:10{};"
      "List@8:8{Item@9:10=1;Item@10:10=a text over two lines;};}";
  for (const char* name : {"xml/sample_crlf.xml", "xml/sample_lf.xml"}) {
    SCOPED_TRACE(name);
    TXMLReadResult r = ReadXMLFile(TestData(name), *sample);
    ASSERT_EQ(r.Outcome, TXMLReadOutcome::Read) << r.ErrorText;
    EXPECT_EQ(r.Version, "1.0");
    EXPECT_EQ(Dump(r.Root->GetFirst()), expected);
  }
  // A missing file is not opened, without a message; a folder is no file.
  TScratchDir dir("xml-missing");
  for (const std::string& name : {dir.File("none.xml"), dir.Path().string()}) {
    const TXMLReadResult missing = ReadXMLFile(name, *sample);
    EXPECT_EQ(missing.Outcome, TXMLReadOutcome::NotOpened);
    EXPECT_EQ(missing.ErrorText, name == dir.Path().string() ? "not a regular file" : "");
    EXPECT_EQ(missing.Version, "");
    EXPECT_EQ(missing.Root, nullptr);
  }
}
