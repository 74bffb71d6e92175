#include "render/TVoldViewProps.h"

#include "core/TDTDAttribute.h"
#include "core/TDTDChoice.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TDTDOptional.h"
#include "core/TXMLComplexElement.h"
#include "core/assertions.h"
#include "core/unitColor.h"

namespace {

const char* const SensNames[] = {"SensLow", "SensNormal", "SensHigh", "SensVeryHigh"};

// The next expected child: present and named `name`, else a programming error (the grammar
// has already matched the tree).
const TXMLItem* Expect(const TXMLItem* item, const std::string& var, const std::string& name) {
  ZASSERT_TEXT(item != nullptr, (var + " != NULL").c_str());
  ZASSERT_TEXT(item->GetElement() == name,
               (var + "->GetElement() == \"" + name + "\"").c_str());
  return item;
}

void AddColor(TXMLComplexElement& parent, const char* name, uint32_t colour) {
  unitColor(colour).WriteXML(parent, name);
}

bool ReadColor(const TXMLItem* item, uint32_t& colour, std::string& errorText, int& line,
               int& column) {
  unitColor value(colour);
  if (!value.ReadXML(item, errorText, line, column)) return false;
  colour = value.GetColor();
  return true;
}

void AddSens(TXMLComplexElement& parent, TSensitivity sens, const char* condition) {
  const char* name = SensitivityName(sens);
  ZASSERT_TEXT(name != nullptr, condition);
  parent.AddComplex(name);
}

TSensitivity ReadSens(const TXMLItem* item, const char* var) {
  ZASSERT_TEXT(item != nullptr, (std::string(var) + " != NULL").c_str());
  int found = -1;
  for (int i = SensLow; i <= SensVeryHigh; ++i)
    if (item->GetElement() == SensNames[i]) found = i;
  ZASSERT_TEXT(found >= 0, (std::string(var) + "->GetElement() is a sensitivity").c_str());
  return static_cast<TSensitivity>(found);
}

void AddUsePalette(TXMLComplexElement& parent, bool use, const TColorPalette1DItem& palette) {
  if (use) parent.AddComplex("UseColorPalette1D");
  palette.WriteXML(*parent.AddComplex("ColorPalette1D"));
}

// The optional flag and the palette after it; `item` is left on the child after the palette.
bool ReadUsePalette(const TXMLItem*& item, bool& use, TColorPalette1DItem& palette,
                    std::string& errorText, int& line, int& column) {
  ZASSERT_TEXT(item != nullptr, "xmlPalette != NULL");
  use = item->GetElement() == "UseColorPalette1D";
  if (use) item = item->GetNext();
  Expect(item, "xmlPalette", "ColorPalette1D");
  if (!palette.ReadXML(item, errorText, line, column)) return false;
  item = item->GetNext();
  return true;
}

}  // namespace

const char* SensitivityName(TSensitivity sensitivity) {
  return sensitivity <= SensVeryHigh ? SensNames[sensitivity] : nullptr;
}

TVoldViewProps::TVoldViewProps() = default;
TVoldViewProps::TVoldViewProps(const TVoldViewProps& other) = default;
TVoldViewProps& TVoldViewProps::operator=(const TVoldViewProps& other) = default;
TVoldViewProps::~TVoldViewProps() = default;

std::unique_ptr<TXMLComplexElement> TVoldViewProps::WriteXML() const {
  auto xml = std::make_unique<TXMLComplexElement>("FractalView");

  TXMLComplexElement& outside = *xml->AddComplex("Outside");
  AddSens(outside, SensOutside, "xmlSensOutsideKind != NULL");
  StrengthOutside.WriteXML(outside, "Strength");
  AddUsePalette(outside, UsePalOutside, PalOutside);
  AddColor(outside, "BackgroundColor", BackgroundColorOutside);
  AddColor(outside, "ForegroundColor", ForegroundColorOutside);

  TXMLComplexElement& inside = *xml->AddComplex("Inside");
  AddSens(inside, SensInside, "xmlSensInsideKind != NULL");
  StrengthInside.WriteXML(inside, "Strength");
  TXMLComplexElement& depth = *inside.AddComplex("Depth");
  AddUsePalette(depth, UsePalDepthInside, PalDepthInside);
  TXMLComplexElement& background = *depth.AddComplex("Background");
  AddUsePalette(background, UsePalDepthBackgroundInside, PalDepthBackgroundInside);
  AddColor(background, "Color", ColorBackgroundInside);
  TXMLComplexElement& foreground = *depth.AddComplex("Foreground");
  AddUsePalette(foreground, UsePalDepthForegroundInside, PalDepthForegroundInside);
  AddColor(foreground, "Color", ColorForegroundInside);

  AddColor(*xml, "MaxDepthColor", MaxDepthColor);
  AddColor(*xml, "CursorColor", CursorColor);
  return xml;
}

TDTDCompound* TVoldViewProps::BuildDTD(TDTDGrammar& g) {
  auto* empty = g.Make<TDTDEmpty>();
  auto seq = [&g](const TDTDItem* a, const TDTDItem* b) { return g.Make<TDTDConcat>(a, b); };

  // Shared between Outside and Inside, and between the four palette places.
  const TDTDItem* sens = g.Make<TDTDChoice>(
      g.Make<TDTDCompound>("SensLow", empty),
      g.Make<TDTDChoice>(g.Make<TDTDCompound>("SensNormal", empty),
                         g.Make<TDTDChoice>(g.Make<TDTDCompound>("SensHigh", empty),
                                            g.Make<TDTDCompound>("SensVeryHigh", empty))));
  const TDTDItem* use = g.Make<TDTDOptional>(g.Make<TDTDCompound>("UseColorPalette1D", empty));
  const TDTDItem* pal = TColorPalette1DItem::BuildDTD(g);
  const TDTDItem* strength = g.Make<TDTDAttribute>("Strength");
  const TDTDItem* usePalColor = seq(use, seq(pal, g.Make<TDTDAttribute>("Color")));

  auto* outside = g.Make<TDTDCompound>(
      "Outside",
      seq(sens, seq(strength, seq(use, seq(pal, seq(g.Make<TDTDAttribute>("BackgroundColor"),
                                                     g.Make<TDTDAttribute>("ForegroundColor")))))));
  auto* depth = g.Make<TDTDCompound>(
      "Depth", seq(use, seq(pal, seq(g.Make<TDTDCompound>("Background", usePalColor),
                                     g.Make<TDTDCompound>("Foreground", usePalColor)))));
  auto* inside = g.Make<TDTDCompound>("Inside", seq(sens, seq(strength, depth)));
  return g.Make<TDTDCompound>(
      "FractalView", seq(seq(outside, inside), seq(g.Make<TDTDAttribute>("MaxDepthColor"),
                                                   g.Make<TDTDAttribute>("CursorColor"))));
}

bool TVoldViewProps::ReadXML(const TXMLItem* xmlFractalView, std::string& errorText, int& line,
                             int& column) {
  Expect(xmlFractalView, "xmlFractalView", "FractalView");
  const TXMLItem* xmlOutside = Expect(xmlFractalView->GetFirst(), "xmlOutside", "Outside");
  const TXMLItem* xmlInside = Expect(xmlOutside->GetNext(), "xmlInside", "Inside");
  const TXMLItem* xmlMaxDepthColor =
      Expect(xmlInside->GetNext(), "xmlMaxDepthColor", "MaxDepthColor");

  if (!ReadColor(xmlMaxDepthColor, MaxDepthColor, errorText, line, column)) return false;
  const TXMLItem* xmlCursorColor =
      Expect(xmlMaxDepthColor->GetNext(), "xmlCursorColor", "CursorColor");
  if (!ReadColor(xmlCursorColor, CursorColor, errorText, line, column)) return false;
  const TXMLItem* xmlFinished = xmlCursorColor->GetNext();
  ZASSERT_TEXT(xmlFinished == nullptr, "xmlFinished == NULL");

  const TXMLItem* item = xmlOutside->GetFirst();
  SensOutside = ReadSens(item, "xmlSensOutsideKind");
  item = Expect(item->GetNext(), "xmlStrength", "Strength");
  if (!StrengthOutside.ReadXML(item, errorText, line, column)) return false;
  item = item->GetNext();
  if (!ReadUsePalette(item, UsePalOutside, PalOutside, errorText, line, column)) return false;
  Expect(item, "xmlBackgroundColor", "BackgroundColor");
  if (!ReadColor(item, BackgroundColorOutside, errorText, line, column)) return false;
  item = Expect(item->GetNext(), "xmlForegroundColor", "ForegroundColor");
  if (!ReadColor(item, ForegroundColorOutside, errorText, line, column)) return false;
  ZASSERT_TEXT(item->GetNext() == nullptr, "xmlFinished == NULL");

  item = xmlInside->GetFirst();
  SensInside = ReadSens(item, "xmlSensInsideKind");
  item = Expect(item->GetNext(), "xmlStrength", "Strength");
  if (!StrengthInside.ReadXML(item, errorText, line, column)) return false;
  const TXMLItem* xmlDepth = Expect(item->GetNext(), "xmlDepth", "Depth");
  ZASSERT_TEXT(xmlDepth->GetNext() == nullptr, "xmlFinished == NULL");

  item = xmlDepth->GetFirst();
  if (!ReadUsePalette(item, UsePalDepthInside, PalDepthInside, errorText, line, column))
    return false;
  const TXMLItem* xmlBackground = Expect(item, "xmlBackground", "Background");
  item = xmlBackground->GetFirst();
  if (!ReadUsePalette(item, UsePalDepthBackgroundInside, PalDepthBackgroundInside, errorText,
                      line, column))
    return false;
  Expect(item, "xmlColor", "Color");
  if (!ReadColor(item, ColorBackgroundInside, errorText, line, column)) return false;
  ZASSERT_TEXT(item->GetNext() == nullptr, "xmlFinished == NULL");

  const TXMLItem* xmlForeground = Expect(xmlBackground->GetNext(), "xmlForeground", "Foreground");
  item = xmlForeground->GetFirst();
  if (!ReadUsePalette(item, UsePalDepthForegroundInside, PalDepthForegroundInside, errorText,
                      line, column))
    return false;
  Expect(item, "xmlColor", "Color");
  if (!ReadColor(item, ColorForegroundInside, errorText, line, column)) return false;
  ZASSERT_TEXT(item->GetNext() == nullptr, "xmlFinished == NULL");
  ZASSERT_TEXT(xmlForeground->GetNext() == nullptr, "xmlFinished == NULL");
  return true;
}
