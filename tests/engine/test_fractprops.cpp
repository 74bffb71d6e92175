#include <gtest/gtest.h>

#include <string>

#include "core/TDTDGrammar.h"
#include "core/TReadError.h"
#include "engine/TFractProps.h"
#include "support/xmltext.h"
#include "support/formulaids.h"

namespace {

// The "Fractal" grammar, built once as the program does.
const TDTDCompound& FractalGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = TFractProps::BuildDTD(grammar);
  return *root;
}

TRecordRead Read(TFractProps& props, const std::string& xml) {
  return ReadRecord(props, FractalGrammar(), xml);
}

// The default element with the text of `name` replaced by `text`.
std::string WithText(const std::string& name, const std::string& text) {
  std::string xml = ElementText(*TFractProps().WriteXML());
  const std::string open = "<" + name + ">";
  const size_t begin = xml.find(open) + open.size();
  const size_t end = xml.find("</" + name + ">", begin);
  return xml.replace(begin, end - begin, text);
}

const char* const DefaultFractal =
    "<Fractal>\r\n"
    "  <XResolution>250</XResolution>\r\n"
    "  <YResolution>250</YResolution>\r\n"
    "  <Left>-1.5</Left>\r\n"
    "  <Right>1.5</Right>\r\n"
    "  <Top>1.5</Top>\r\n"
    "  <Bottom>-1.5</Bottom>\r\n"
    "  <MaxDepth>200</MaxDepth>\r\n"
    "  <OuterCircle>1000</OuterCircle>\r\n"
    "  <InnerDist>0.0001</InnerDist>\r\n"
    "  <MaxCycle>3</MaxCycle>\r\n"
    "  <Formula>z^2+c</Formula>\r\n"
    "  <MapZ />\r\n"
    "  <ZR>0</ZR>\r\n"
    "  <ZI>0</ZI>\r\n"
    "  <CR>-0.122561</CR>\r\n"
    "  <CI>-0.744862</CI>\r\n"
    "  <DR>-0.3</DR>\r\n"
    "  <DI>-0.3</DI>\r\n"
    "  <N>5</N>\r\n"
    "  <M>3</M>\r\n"
    "</Fractal>\r\n";

}  // namespace

TEST(FractProps, DefaultRecordWritesTheDocumentedFractalElement) {
  EXPECT_EQ(ElementText(*TFractProps().WriteXML()), DefaultFractal);
}

TEST(FractProps, CopyKeepsValuesUnitsAndCodes) {
  TFractProps a;
  std::string error;
  ASSERT_TRUE(a.Left.SetText("25 %", "Left", error));
  a.Formula = formula::ZTimesQuotient;
  a.MapField = TKernelParams::MapD;
  a.ColorMode = TKernelParams::ColorDiscontinue;
  ASSERT_TRUE(a.Cont.SetText("3", "Cont", error));
  TFractProps b(a);
  TFractProps c;
  c = a;
  for (const TFractProps* p : {&b, &c}) {
    EXPECT_EQ(p->Left.GetText(), "25 %");
    EXPECT_EQ(p->Left.GetUnitKind(), ukPercent);
    EXPECT_EQ(p->Formula, 7);
    EXPECT_EQ(p->MapField, TKernelParams::MapD);
    EXPECT_EQ(p->ColorMode, TKernelParams::ColorDiscontinue);
    EXPECT_EQ(p->Cont.GetDouble(), 3.0);
  }
}

TEST(FractProps, WrittenRecordReadsBackEveryStoredField) {
  TFractProps a;
  std::string error;
  const struct {
    unit* Value;
    const char* Text;
  } texts[] = {{&a.XResolution, "640"}, {&a.YResolution, "480"},  {&a.Left, "1/3"},
               {&a.Right, "50 %"},      {&a.Top, "0,75"},         {&a.Bottom, "-2.125"},
               {&a.MaxDepth, "1000"},   {&a.OuterCircle, "12.5"}, {&a.InnerDist, "0.5 %"},
               {&a.MaxCycle, "0"},      {&a.ZR, "0.1"},           {&a.ZI, "-0.2"},
               {&a.CR, "0.3"},          {&a.CI, "-0.4"},          {&a.DR, "0.55"},
               {&a.DI, "-0.65"},        {&a.N, "7"},              {&a.M, "2"}};
  for (const auto& t : texts) ASSERT_TRUE(t.Value->SetText(t.Text, "x", error)) << t.Text;
  a.Formula = formula::ZRational;
  a.MapField = TKernelParams::MapD;
  a.ColorMode = TKernelParams::ColorDiscontinue;

  TFractProps b;
  b.ColorMode = TKernelParams::ColorContinue;
  const TRecordRead r = Read(b, ElementText(*a.WriteXML()));
  ASSERT_TRUE(r.Ok) << r.ErrorText;

  EXPECT_NE(ElementText(*a.WriteXML()).find("<MapD />"), std::string::npos);
  EXPECT_EQ(b.Formula, 8);
  EXPECT_EQ(b.MapField, TKernelParams::MapD);
  EXPECT_EQ(b.ColorMode, TKernelParams::ColorContinue);  // not stored: the reader's own
  EXPECT_EQ(b.XResolution.GetInt(), 640);
  EXPECT_EQ(b.YResolution.GetInt(), 480);
  EXPECT_EQ(b.MaxDepth.GetInt(), 1000);
  EXPECT_EQ(b.MaxCycle.GetInt(), 0);
  EXPECT_EQ(b.N.GetInt(), 7);
  EXPECT_EQ(b.M.GetInt(), 2);
  // A real reads back as the number its written text stands for, in its unit.
  EXPECT_EQ(b.Left.GetText(), "0.333333333333333");
  EXPECT_EQ(b.Left.GetDouble(), 0.333333333333333);
  EXPECT_EQ(b.Right.GetText(), "50 %");
  EXPECT_EQ(b.Right.GetUnitKind(), ukPercent);
  EXPECT_EQ(b.Right.GetDouble(), 0.5);
  EXPECT_EQ(b.InnerDist.GetText(), "0.5 %");
  EXPECT_EQ(b.InnerDist.GetDouble(), 0.005);
  const struct {
    const unitFactor* Read;
    double Expected;
  } reals[] = {{&b.Top, 0.75},  {&b.Bottom, -2.125}, {&b.OuterCircle, 12.5}, {&b.ZR, 0.1},
               {&b.ZI, -0.2},   {&b.CR, 0.3},        {&b.CI, -0.4},         {&b.DR, 0.55},
               {&b.DI, -0.65}};
  for (const auto& r2 : reals) EXPECT_EQ(r2.Read->GetDouble(), r2.Expected);
}

TEST(FractProps, EachMapModeAndEveryFormulaIdentifierRoundTrip) {
  for (int f = 0; f < FormulaCount; ++f)
    for (uint8_t map : {TKernelParams::MapZ, TKernelParams::MapC, TKernelParams::MapD}) {
      TFractProps a;
      a.Formula = static_cast<uint8_t>(f);
      a.MapField = map;
      TFractProps b;
      b.Formula = static_cast<uint8_t>((f + 1) % FormulaCount);
      b.MapField = map == TKernelParams::MapZ ? TKernelParams::MapC : TKernelParams::MapZ;
      ASSERT_TRUE(Read(b, ElementText(*a.WriteXML())).Ok) << f;
      EXPECT_EQ(b.Formula, f);
      EXPECT_EQ(b.MapField, map);
    }
}

TEST(FractProps, BadValuesAreRefusedWithTheElementsMessageAndPosition) {
  // Line 3 is "<Fractal>"; the children follow in order, each two spaces in.
  const struct {
    std::string Name;
    std::string Text;
    std::string Message;
    int Line;
  } rows[] = {
      {"InnerDist", "1", "In InnerDist: Value must be less than 1.", 12},
      {"InnerDist", "0", "In InnerDist: Value must be positive and more than 0.", 12},
      {"OuterCircle", "1", "In OuterCircle: Value must be more than 1.", 11},
      {"XResolution", "0", "In XResolution: Value must be positive and more than 0.", 4},
      {"XResolution", "99999999999",
       "In XResolution: Value must be between -2147483648 and 2147483647.", 4},
      {"MaxCycle", "-1", "In MaxCycle: Value must be positive.", 13},
      {"N", "0", "In N: Value must be positive and more than 0.", 22},
      {"Left", "5 cm", "In Left: Wrong unit used, use: '%' or no unit.", 6},
      {"Left", std::string(400, '9'), "In Left: Value is out of range.", 6},
      {"CR", "inf", "In CR: Input has no value.", 18},
      {"DI", "nan", "In DI: Input has no value.", 21},
      {"Formula", "z^2 + c", "Unknown Formula: 'z^2 + c'", 14},
      {"Formula", "Z^2+C", "Unknown Formula: 'Z^2+C'", 14},
  };
  for (const auto& row : rows) {
    TFractProps p;
    const TRecordRead r = Read(p, WithText(row.Name, row.Text));
    EXPECT_FALSE(r.Ok) << row.Name << " " << row.Text;
    EXPECT_EQ(r.ErrorText, row.Message);
    EXPECT_EQ(r.Line, row.Line) << row.Name;
    // The column of the begin tag's '>'.
    EXPECT_EQ(r.Column, 2 + 2 + static_cast<int>(row.Name.size())) << row.Name;
  }
}

TEST(FractProps, FailureKeepsTheFieldsReadBeforeIt) {
  TFractProps file;
  std::string error;
  file.XResolution.SetInt(11);
  file.YResolution.SetInt(12);
  file.Left.SetDouble(-3);
  file.Right.SetDouble(3);
  file.Top.SetDouble(2);
  file.Bottom.SetDouble(-2);
  file.MaxDepth.SetInt(13);
  file.OuterCircle.SetDouble(50);
  file.InnerDist.SetDouble(0.25);
  file.MaxCycle.SetInt(14);
  file.Formula = formula::CTimesSin;
  file.MapField = TKernelParams::MapC;
  file.ZR.SetDouble(0.5);
  file.ZI.SetDouble(-0.5);
  file.CI.SetDouble(0.125);
  file.DR.SetDouble(0.0625);
  file.N.SetInt(9);
  std::string xml = ElementText(*file.WriteXML());
  const std::string cr = "<CR>-0.122561</CR>";
  xml.replace(xml.find(cr), cr.size(), "<CR>x</CR>");

  TFractProps p;
  const TRecordRead r = Read(p, xml);
  ASSERT_FALSE(r.Ok);
  EXPECT_EQ(r.ErrorText, "In CR: Input has no value.");
  EXPECT_EQ(p.XResolution.GetInt(), 11);
  EXPECT_EQ(p.YResolution.GetInt(), 12);
  EXPECT_EQ(p.Left.GetDouble(), -3);
  EXPECT_EQ(p.Bottom.GetDouble(), -2);
  EXPECT_EQ(p.MaxDepth.GetInt(), 13);
  EXPECT_EQ(p.InnerDist.GetDouble(), 0.25);
  EXPECT_EQ(p.MaxCycle.GetInt(), 14);
  EXPECT_EQ(p.Formula, 11);
  EXPECT_EQ(p.MapField, TKernelParams::MapC);
  EXPECT_EQ(p.ZR.GetDouble(), 0.5);
  EXPECT_EQ(p.ZI.GetDouble(), -0.5);
  // CR itself and everything after it keep the old values.
  const TFractProps old;
  EXPECT_EQ(p.CR.GetDouble(), old.CR.GetDouble());
  EXPECT_EQ(p.CI.GetDouble(), old.CI.GetDouble());
  EXPECT_EQ(p.DR.GetDouble(), old.DR.GetDouble());
  EXPECT_EQ(p.N.GetInt(), old.N.GetInt());
}

TEST(FractProps, GrammarRequiresEveryChildInOrder) {
  std::string missing = DefaultFractal;
  const std::string zi = "  <ZI>0</ZI>\r\n";
  missing.erase(missing.find(zi), zi.size());
  TXMLReadResult r = ParseElement(FractalGrammar(), missing);
  EXPECT_EQ(r.Outcome, TXMLReadOutcome::Failed);
  EXPECT_EQ(r.ErrorText,
            "unexpected begin of element \"CR\", expect begin of element \"ZI\". at line 17, "
            "column 6.");

  std::string noMap = DefaultFractal;
  const std::string map = "  <MapZ />\r\n";
  noMap.erase(noMap.find(map), map.size());
  r = ParseElement(FractalGrammar(), noMap);
  EXPECT_EQ(r.Outcome, TXMLReadOutcome::Failed);
  EXPECT_NE(r.ErrorText.find("expect begin of element \"MapD\","), std::string::npos)
      << r.ErrorText;
}

TEST(FractProps, KernelParamsCarryEveryNumberToItsOwnField) {
  // Distinct values everywhere, so that a swapped pair shows.
  TFractProps p;
  p.XResolution.SetInt(320);
  p.YResolution.SetInt(200);
  p.MaxDepth.SetInt(99);
  p.MaxCycle.SetInt(6);
  p.N.SetInt(4);
  p.M.SetInt(7);
  unitFactor* reals[] = {&p.Left, &p.Right, &p.Top,  &p.Bottom, &p.OuterCircle,
                         &p.InnerDist, &p.CR, &p.CI, &p.DR,     &p.DI};
  for (int i = 0; i < 10; ++i) reals[i]->SetDouble(i == 4 ? 40 : (i + 1) / 16.0);
  p.Formula = formula::ZNDZM;
  p.MapField = TKernelParams::MapC;
  p.ColorMode = TKernelParams::ColorDiscontinue;
  const TKernelParams k = p.KernelParams();
  EXPECT_EQ(k.XResolution, 320);
  EXPECT_EQ(k.YResolution, 200);
  EXPECT_EQ(k.MaxDepth, 99);
  EXPECT_EQ(k.MaxCycle, 6);
  EXPECT_EQ(k.N, 4);
  EXPECT_EQ(k.M, 7);
  const double got[] = {k.Left, k.Right, k.Top, k.Bottom, k.OuterCircle,
                        k.InnerDist, k.CR, k.CI, k.DR, k.DI};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(got[i], i == 4 ? 40 : (i + 1) / 16.0) << i;
  EXPECT_EQ(k.Formula, 5);
  EXPECT_EQ(k.MapField, TKernelParams::MapC);
  EXPECT_EQ(k.ColorMode, TKernelParams::ColorDiscontinue);

  // The record's defaults and the kernels' defaults are written down twice: they must agree.
  using K = TKernelParams;
  const K d;
  const K fromDefaults = TFractProps().KernelParams();
  for (int K::*field : {&K::XResolution, &K::YResolution, &K::MaxDepth, &K::MaxCycle, &K::N, &K::M,
                        &K::Formula, &K::MapField, &K::ColorMode})
    EXPECT_EQ(fromDefaults.*field, d.*field);
  for (double K::*field : {&K::Left, &K::Right, &K::Top, &K::Bottom, &K::OuterCircle,
                           &K::InnerDist, &K::CR, &K::CI, &K::DR, &K::DI})
    EXPECT_EQ(fromDefaults.*field, d.*field);
}

TEST(FractPropsDeathTest, SurplusChildIsAProgrammingError) {
  // A tree built in memory, past the grammar: an element after "M".
  auto xml = TFractProps().WriteXML();
  xml->AddText("Extra", "1");
  TFractProps p;
  TReadError error;
  EXPECT_DEATH(p.ReadXML(xml.get(), error), "xmlFinish == NULL");
}
