#include "engine/TFractProps.h"

#include <algorithm>
#include <cmath>

#include "core/TXMLLayout.h"
#include "core/assertions.h"
#include "core/numberformat.h"

namespace {

using TLayout = TXMLLayout<TFractProps>;

// The size of a pixel along one side of `resolution` pixels from `a` to `b`.
long double PixelSize(const unitFactor& a, const unitFactor& b,
                      const unitIntegerPosMore& resolution) {
  const long double side = std::fabs(static_cast<long double>(b.GetDouble()) - a.GetDouble());
  return side / std::max(resolution.GetInt(), 1);
}

// The text of a bound of the area. Fifteen digits cannot tell apart the bounds of a deep zoom,
// which may differ in their last bits only; a bound whose text would read back half a pixel
// (`pixel`, plane units) or more away is written with all the digits it needs.
std::string BoundText(const char* name, const unitFactor& bound, long double pixel) {
  const double value = bound.GetDouble();
  unitFactor read = bound;
  std::string errorText;
  if (!std::isfinite(value) || !read.SetText(bound.GetText(), name, errorText) ||
      read.GetDouble() == value ||
      2 * std::fabs(static_cast<long double>(read.GetDouble()) - value) < pixel)
    return bound.GetText();
  return FormatRoundTrip(value);
}

// A bound of the area, in pixels of `resolution` from the bound `a` to the bound `b`.
TLayout Bound(const char* name, unitFactor TFractProps::*bound, unitFactor TFractProps::*a,
              unitFactor TFractProps::*b, unitIntegerPosMore TFractProps::*resolution) {
  return TLayout::Text(
      name,
      [=](const TFractProps& p) {
        return BoundText(name, p.*bound, PixelSize(p.*a, p.*b, p.*resolution));
      },
      [bound](TFractProps& p, const TXMLItem& element, TReadError& error) {
        return (p.*bound).ReadXML(&element, error);
      });
}

// The formula by its identifier, compared exactly.
TLayout FormulaElement() {
  return TLayout::Text(
      "Formula",
      [](const TFractProps& p) {
        ZASSERT_TEXT(p.Formula < FormulaCount, "Formula < FormulaCount");
        return std::string(Formulas[p.Formula].Identifier);
      },
      [](TFractProps& p, const TXMLItem& element, TReadError& error) {
        const std::string identifier = element.GetText();
        for (int i = 0; i < FormulaCount; ++i) {
          if (identifier == Formulas[i].Identifier) {
            p.Formula = static_cast<uint8_t>(i);
            return true;
          }
        }
        error.Text = "Unknown Formula: '" + identifier + "'";
        return false;
      });
}

// One empty element of "MapZ", "MapC", "MapD".
TLayout MapElement() {
  TLayout::TItems maps;
  for (int map = TKernelParams::MapZ; map <= TKernelParams::MapD; ++map)
    maps.push_back(TLayout::Compound(TFractProps::MapName(static_cast<uint8_t>(map)), {}));
  return TLayout::Choice(
      "xmlMap", std::move(maps), [](const TFractProps& p) { return int{p.MapField}; },
      [](TFractProps& p, int map) { p.MapField = static_cast<uint8_t>(map); });
}

}  // namespace

const char* TFractProps::MapName(uint8_t mapField) {
  static const char* const names[] = {"MapZ", "MapC", "MapD"};
  return mapField <= TKernelParams::MapD ? names[mapField] : nullptr;
}

const TXMLLayout<TFractProps>& TFractProps::Layout() {
  using P = TFractProps;
  static const TLayout layout = TLayout::Compound(
      "Fractal",
      {TLayout::Value("XResolution", &P::XResolution),
       TLayout::Value("YResolution", &P::YResolution),
       Bound("Left", &P::Left, &P::Left, &P::Right, &P::XResolution),
       Bound("Right", &P::Right, &P::Left, &P::Right, &P::XResolution),
       Bound("Top", &P::Top, &P::Bottom, &P::Top, &P::YResolution),
       Bound("Bottom", &P::Bottom, &P::Bottom, &P::Top, &P::YResolution),
       TLayout::Value("MaxDepth", &P::MaxDepth),
       TLayout::Value("OuterCircle", &P::OuterCircle),
       TLayout::Value("InnerDist", &P::InnerDist),
       TLayout::Value("MaxCycle", &P::MaxCycle),
       FormulaElement(),
       MapElement(),
       TLayout::Value("ZR", &P::ZR),
       TLayout::Value("ZI", &P::ZI),
       TLayout::Value("CR", &P::CR),
       TLayout::Value("CI", &P::CI),
       TLayout::Value("DR", &P::DR),
       TLayout::Value("DI", &P::DI),
       TLayout::Value("N", &P::N),
       TLayout::Value("M", &P::M)},
      "xmlFinish == NULL");
  return layout;
}

std::unique_ptr<TXMLComplexElement> TFractProps::WriteXML() const {
  return Layout().WriteElement(*this);
}

TDTDCompound* TFractProps::BuildDTD(TDTDGrammar& grammar) {
  return Layout().ElementGrammar(grammar);
}

bool TFractProps::ReadXML(const TXMLItem* xmlFractal, TReadError& error) {
  return Layout().Read(*this, xmlFractal, error);
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
