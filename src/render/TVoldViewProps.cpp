#include "render/TVoldViewProps.h"

#include "core/TReadError.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLLayout.h"
#include "core/unitColor.h"

namespace {

using TLayout = TXMLLayout<TVoldViewProps>;
using P = TVoldViewProps;

const char* const SensNames[] = {"SensLow", "SensNormal", "SensHigh", "SensVeryHigh"};

// One empty element named after the sensitivity `member`.
TLayout Sens(TSensitivity TVoldViewProps::*member, const char* var) {
  TLayout::TItems names;
  for (int sens = SensLow; sens <= SensVeryHigh; ++sens)
    names.push_back(TLayout::Compound(SensitivityName(static_cast<TSensitivity>(sens)), {}));
  return TLayout::Choice(
      var, std::move(names), [member](const P& p) { return int{p.*member}; },
      [member](P& p, int sens) { p.*member = static_cast<TSensitivity>(sens); });
}

// A text element holding a colour.
TLayout Colour(const char* name, uint32_t TVoldViewProps::*member) {
  return TLayout::Text(
      name, [member](const P& p) { return unitColor(p.*member).GetText(); },
      [member](P& p, const TXMLItem& element, TReadError& error) {
        unitColor colour(p.*member);
        if (!colour.ReadXML(&element, error)) return false;
        p.*member = colour.GetColor();
        return true;
      });
}

// The flag that the palette `palette` is used, and the palette itself; a palette that fails to
// read stays as it was.
TLayout UsePalette(bool TVoldViewProps::*use, TColorPalette1DItem TVoldViewProps::*palette) {
  return TLayout::Sequence(
      {TLayout::Flag("UseColorPalette1D", use),
       TLayout::Element(
           "ColorPalette1D",
           [palette](const P& p, TXMLComplexElement& parent) {
             (p.*palette).WriteXML(*parent.AddComplex("ColorPalette1D"));
           },
           [](TDTDGrammar& grammar) { return TColorPalette1DItem::BuildDTD(grammar); },
           [palette](P& p, const TXMLItem& element, TReadError& error) {
             return (p.*palette).ReadXML(&element, error);
           })});
}

}  // namespace

const char* SensitivityName(TSensitivity sensitivity) {
  return sensitivity <= SensVeryHigh ? SensNames[sensitivity] : nullptr;
}

TVoldViewProps::TVoldViewProps() = default;
TVoldViewProps::TVoldViewProps(const TVoldViewProps& other) = default;
TVoldViewProps& TVoldViewProps::operator=(const TVoldViewProps& other) = default;
TVoldViewProps::~TVoldViewProps() = default;

const TXMLLayout<TVoldViewProps>& TVoldViewProps::Layout() {
  // The two colours are read first, then the outside and the inside.
  static const TLayout layout = TLayout::Compound(
      "FractalView",
      {TLayout::Compound(
           "Outside",
           {Sens(&P::SensOutside, "xmlSensOutsideKind"),
            TLayout::Value("Strength", &P::StrengthOutside),
            UsePalette(&P::UsePalOutside, &P::PalOutside),
            Colour("BackgroundColor", &P::BackgroundColorOutside),
            Colour("ForegroundColor", &P::ForegroundColorOutside)})
           .Later(),
       TLayout::Compound(
           "Inside",
           {Sens(&P::SensInside, "xmlSensInsideKind"),
            TLayout::Value("Strength", &P::StrengthInside),
            TLayout::Compound(
                "Depth",
                {UsePalette(&P::UsePalDepthInside, &P::PalDepthInside),
                 TLayout::Compound("Background",
                                   {UsePalette(&P::UsePalDepthBackgroundInside,
                                               &P::PalDepthBackgroundInside),
                                    Colour("Color", &P::ColorBackgroundInside)}),
                 TLayout::Compound("Foreground",
                                   {UsePalette(&P::UsePalDepthForegroundInside,
                                               &P::PalDepthForegroundInside),
                                    Colour("Color", &P::ColorForegroundInside)})})})
           .Later(),
       Colour("MaxDepthColor", &P::MaxDepthColor),
       Colour("CursorColor", &P::CursorColor)});
  return layout;
}

std::unique_ptr<TXMLComplexElement> TVoldViewProps::WriteXML() const {
  return Layout().WriteElement(*this);
}

TDTDCompound* TVoldViewProps::BuildDTD(TDTDGrammar& grammar) {
  return Layout().ElementGrammar(grammar);
}

bool TVoldViewProps::ReadXML(const TXMLItem* xmlFractalView, TReadError& error) {
  return Layout().Read(*this, xmlFractalView, error);
}
