#include "engine/TFractProps.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/TDTDAttribute.h"
#include "core/TDTDChoice.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TXMLComplexElement.h"
#include "core/assertions.h"
#include "core/numberformat.h"

// Formula 8's identifier does not match its display text; files store the identifier.
const std::array<TFormulaName, TFractProps::FormulaCount> TFractProps::FormulaNames = {{
    {"z^2+c", "z^2 + c", false, false, false},
    {"z^3+c", "z^3 + c", false, false, false},
    {"z^4+c", "z^4 + c", false, false, false},
    {"z^n+c", "z^n + c", false, true, false},
    {"z^3-3d^2z+c", "z^3 - 3 d^2 z + c", true, false, false},
    {"z^n+dz^m+c", "z^n + d z^m + c", true, true, true},
    {"z(c+(1-c)z^n)", "z ( c + ( 1 - c ) z^n)", false, true, false},
    {"z(c+(1-c)/z^n)", "z ( c + ( 1 - c ) / z^n)", false, true, false},
    {"z(c+dz^n)/(1/z^n)", "z ( c + d z^n) / (1 + z^n)", true, true, false},
    {"exp(z)-z-1+c", "exp(z) - z - 1 + c", false, false, false},
    {"sin(z)+c", "sin(z) + c", false, false, false},
    {"csin(z)", "c sin(z)", false, false, false},
    {"sin(z)-z-1+c", "sin(z) - z - 1 + c", false, false, false},
}};

namespace {

const char* const MapNames[] = {"MapZ", "MapC", "MapD"};

// The next expected child: present and named `name`, else a programming error (the grammar
// has already matched the tree).
const TXMLItem* Expect(const TXMLItem* item, const std::string& name) {
  ZASSERT_TEXT(item != nullptr, ("xml" + name + " != NULL").c_str());
  ZASSERT_TEXT(item->GetElement() == name,
               ("xml" + name + "->GetElement() == \"" + name + "\"").c_str());
  return item;
}

// Reads `item` (named `name`) into `value` and steps to the next sibling; false with the
// message set when the value is refused.
bool ReadValue(const TXMLItem*& item, const std::string& name, unit& value,
               std::string& errorText, int& line, int& column) {
  Expect(item, name);
  if (!value.ReadXML(item, errorText, line, column)) return false;
  item = item->GetNext();
  return true;
}

// Writes a bound of the area. Fifteen digits cannot tell apart the bounds of a deep zoom,
// which may differ in their last bits only; a bound whose text would read back half a pixel
// (`pixel`, plane units) or more away is written with all the digits it needs.
void WriteBound(TXMLComplexElement& xml, const char* name, const unitFactor& bound,
                long double pixel) {
  const double value = bound.GetDouble();
  unitFactor read = bound;
  std::string errorText;
  if (!std::isfinite(value) || !read.SetText(bound.GetText(), name, errorText) ||
      read.GetDouble() == value ||
      2 * std::fabs(static_cast<long double>(read.GetDouble()) - value) < pixel) {
    bound.WriteXML(xml, name);
    return;
  }
  xml.AddText(name, FormatRoundTrip(value));
}

// The size of a pixel along one side of `resolution` pixels from `a` to `b`.
long double PixelSize(const unitFactor& a, const unitFactor& b,
                      const unitIntegerPosMore& resolution) {
  const long double side = std::fabs(static_cast<long double>(b.GetDouble()) - a.GetDouble());
  return side / std::max(resolution.GetInt(), 1);
}

}  // namespace

const char* TFractProps::MapName(uint8_t mapField) {
  return mapField <= MapD ? MapNames[mapField] : nullptr;
}

std::unique_ptr<TXMLComplexElement> TFractProps::WriteXML() const {
  auto xml = std::make_unique<TXMLComplexElement>("Fractal");
  XResolution.WriteXML(*xml, "XResolution");
  YResolution.WriteXML(*xml, "YResolution");
  const long double pixelWidth = PixelSize(Left, Right, XResolution);
  const long double pixelHeight = PixelSize(Bottom, Top, YResolution);
  WriteBound(*xml, "Left", Left, pixelWidth);
  WriteBound(*xml, "Right", Right, pixelWidth);
  WriteBound(*xml, "Top", Top, pixelHeight);
  WriteBound(*xml, "Bottom", Bottom, pixelHeight);
  MaxDepth.WriteXML(*xml, "MaxDepth");
  OuterCircle.WriteXML(*xml, "OuterCircle");
  InnerDist.WriteXML(*xml, "InnerDist");
  MaxCycle.WriteXML(*xml, "MaxCycle");
  ZASSERT_TEXT(Formula < FormulaCount, "Formula < FormulaCount");
  xml->AddText("Formula", FormulaNames[Formula].Identifier);
  const char* mapName = MapName(MapField);
  ZASSERT_TEXT(mapName != nullptr, "xmlMap != NULL");
  xml->AddComplex(mapName);
  ZR.WriteXML(*xml, "ZR");
  ZI.WriteXML(*xml, "ZI");
  CR.WriteXML(*xml, "CR");
  CI.WriteXML(*xml, "CI");
  DR.WriteXML(*xml, "DR");
  DI.WriteXML(*xml, "DI");
  N.WriteXML(*xml, "N");
  M.WriteXML(*xml, "M");
  return xml;
}

TDTDCompound* TFractProps::BuildDTD(TDTDGrammar& g) {
  auto* empty = g.Make<TDTDEmpty>();
  const TDTDItem* map = g.Make<TDTDChoice>(
      g.Make<TDTDCompound>("MapZ", empty),
      g.Make<TDTDChoice>(g.Make<TDTDCompound>("MapC", empty),
                         g.Make<TDTDCompound>("MapD", empty)));
  static const char* const before[] = {"XResolution", "YResolution", "Left",     "Right",
                                       "Top",         "Bottom",      "MaxDepth", "OuterCircle",
                                       "InnerDist",   "MaxCycle",    "Formula"};
  static const char* const after[] = {"ZR", "ZI", "CR", "CI", "DR", "DI", "N", "M"};

  // Built from the back, so that the sequence nests to the right.
  const TDTDItem* tail = g.Make<TDTDAttribute>(after[std::size(after) - 1]);
  for (size_t i = std::size(after) - 1; i-- > 0;)
    tail = g.Make<TDTDConcat>(g.Make<TDTDAttribute>(after[i]), tail);
  tail = g.Make<TDTDConcat>(map, tail);
  for (size_t i = std::size(before); i-- > 0;)
    tail = g.Make<TDTDConcat>(g.Make<TDTDAttribute>(before[i]), tail);
  return g.Make<TDTDCompound>("Fractal", tail);
}

bool TFractProps::ReadXML(const TXMLItem* xmlFractal, std::string& errorText, int& line,
                          int& column) {
  Expect(xmlFractal, "Fractal");
  const TXMLItem* item = xmlFractal->GetFirst();
  struct Field {
    const char* Name;
    unit* Value;
  };
  const Field before[] = {{"XResolution", &XResolution}, {"YResolution", &YResolution},
                          {"Left", &Left},               {"Right", &Right},
                          {"Top", &Top},                 {"Bottom", &Bottom},
                          {"MaxDepth", &MaxDepth},       {"OuterCircle", &OuterCircle},
                          {"InnerDist", &InnerDist},     {"MaxCycle", &MaxCycle}};
  for (const Field& f : before)
    if (!ReadValue(item, f.Name, *f.Value, errorText, line, column)) return false;

  const TXMLItem* xmlFormula = Expect(item, "Formula");
  const std::string identifier = xmlFormula->GetText();
  int found = -1;
  for (int i = 0; i < FormulaCount && found < 0; ++i)
    if (identifier == FormulaNames[i].Identifier) found = i;
  if (found < 0) {
    errorText = "Unknown Formula: '" + identifier + "'";
    line = xmlFormula->GetLine();
    column = xmlFormula->GetColumn();
    return false;
  }
  Formula = static_cast<uint8_t>(found);

  const TXMLItem* xmlMap = xmlFormula->GetNext();
  ZASSERT_TEXT(xmlMap != nullptr, "xmlMap != NULL");
  int map = -1;
  for (int i = MapZ; i <= MapD; ++i)
    if (xmlMap->GetElement() == MapNames[i]) map = i;
  ZASSERT_TEXT(map >= 0, "xmlMap->GetElement() == \"MapZ\" || xmlMap->GetElement() == "
                         "\"MapC\" || xmlMap->GetElement() == \"MapD\"");
  MapField = static_cast<uint8_t>(map);

  item = xmlMap->GetNext();
  const Field after[] = {{"ZR", &ZR}, {"ZI", &ZI}, {"CR", &CR}, {"CI", &CI},
                         {"DR", &DR}, {"DI", &DI}, {"N", &N},   {"M", &M}};
  for (const Field& f : after)
    if (!ReadValue(item, f.Name, *f.Value, errorText, line, column)) return false;
  const TXMLItem* xmlFinish = item;
  ZASSERT_TEXT(xmlFinish == nullptr, "xmlFinish == NULL");
  return true;
}

TKernelParams TFractProps::KernelParams() const {
  TKernelParams p;
  p.XResolution = XResolution.GetInt();
  p.YResolution = YResolution.GetInt();
  p.Left = Left.GetDouble();
  p.Right = Right.GetDouble();
  p.Top = Top.GetDouble();
  p.Bottom = Bottom.GetDouble();
  p.OuterCircle = OuterCircle.GetDouble();
  p.InnerDist = InnerDist.GetDouble();
  p.CR = CR.GetDouble();
  p.CI = CI.GetDouble();
  p.DR = DR.GetDouble();
  p.DI = DI.GetDouble();
  p.MaxDepth = MaxDepth.GetInt();
  p.MaxCycle = MaxCycle.GetInt();
  p.N = N.GetInt();
  p.M = M.GetInt();
  p.Formula = Formula;
  p.MapField = MapField;
  p.ColorMode = ColorMode;
  return p;
}
