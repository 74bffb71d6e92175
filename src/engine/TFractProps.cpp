#include "engine/TFractProps.h"

#include <algorithm>
#include <cmath>

#include "core/TXMLLayout.h"
#include "core/assertions.h"
#include "core/numberformat.h"
#include "engine/deep/deepbounds.h"
#include "engine/deep/deepzoom.h"

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

// Whether `text` is a plain decimal that rounds to `value`: it then says the bound in full.
bool TextHolds(const std::string& text, double value) {
  TMpfr read(64);
  std::string message;
  return !text.empty() && ParseDecimal(text, read, message) && read.ToDouble() == value;
}

// A bound of the area, in pixels of `resolution` from the bound `a` to the bound `b`; `index`
// is its place in RoundedDeepBounds. A deep view stores its bounds in full; a text read is kept
// beside the double for the deep view it may describe.
TLayout Bound(const char* name, int index, unitFactor TFractProps::*bound,
              std::string TFractProps::*deep, unitFactor TFractProps::*a,
              unitFactor TFractProps::*b, unitIntegerPosMore TFractProps::*resolution) {
  return TLayout::Text(
      name,
      [=](const TFractProps& p) {
        const std::string text = BoundText(name, p.*bound, PixelSize(p.*a, p.*b, p.*resolution));
        // A deep view keeps the double's text where it places the bound within 1/1000 of a
        // pixel, so files of views near the threshold stay as they were.
        if (p.UsesDeepKernel()) {
          const TDeepParams deep = p.DeepParams();
          if (!BoundTextPlacesBound(deep, index, text)) {
            const std::string rounded = RoundedDeepBounds(deep)[static_cast<size_t>(index)];
            // Bounds a few digits apart at the longest length are kept as they are, so that
            // the reader takes what was written.
            const std::string* full[4] = {&deep.Left, &deep.Top, &deep.Right, &deep.Bottom};
            if (!rounded.empty())
              return BoundDigitsInRange(rounded) ? rounded : *full[index];
          }
        }
        return text;
      },
      [bound, deep](TFractProps& p, const TXMLItem& element, TReadError& error) {
        const std::string text = element.GetText();
        if (!BoundDigitsInRange(text)) {
          error.At(element);
          error.Text = "In " + element.GetElement() + ": Value is out of range.";
          return false;
        }
        if (!(p.*bound).ReadXML(&element, error)) return false;
        p.*deep = TextHolds(text, (p.*bound).GetDouble()) ? text : std::string();
        return true;
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
       Bound("Left", 0, &P::Left, &P::DeepLeft, &P::Left, &P::Right, &P::XResolution),
       Bound("Right", 2, &P::Right, &P::DeepRight, &P::Left, &P::Right, &P::XResolution),
       Bound("Top", 1, &P::Top, &P::DeepTop, &P::Bottom, &P::Top, &P::YResolution),
       Bound("Bottom", 3, &P::Bottom, &P::DeepBottom, &P::Bottom, &P::Top, &P::YResolution),
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

bool TFractProps::SetDeepArea(const std::string& left, const std::string& top,
                              const std::string& right, const std::string& bottom,
                              std::string& errorText) {
  const struct {
    const char* Name;
    const std::string& Text;
  } fields[] = {{"Left", left}, {"Top", top}, {"Right", right}, {"Bottom", bottom}};
  double values[4] = {};
  for (int i = 0; i < 4; ++i) {
    TMpfr read(64);
    std::string message;
    if (!ParseDecimal(fields[i].Text, read, message)) {
      errorText = std::string("In ") + fields[i].Name + ": " + message;
      return false;
    }
    values[i] = read.ToDouble();
    if (!std::isfinite(values[i])) {
      errorText = std::string("In ") + fields[i].Name + ": Value is out of range.";
      return false;
    }
  }
  Left.SetDouble(values[0]);
  Top.SetDouble(values[1]);
  Right.SetDouble(values[2]);
  Bottom.SetDouble(values[3]);
  DeepLeft = left;
  DeepTop = top;
  DeepRight = right;
  DeepBottom = bottom;
  return true;
}

void TFractProps::ClearDeepArea() {
  DeepLeft.clear();
  DeepTop.clear();
  DeepRight.clear();
  DeepBottom.clear();
}

bool TFractProps::HasDeepArea() const {
  return TextHolds(DeepLeft, Left.GetDouble()) && TextHolds(DeepTop, Top.GetDouble()) &&
         TextHolds(DeepRight, Right.GetDouble()) && TextHolds(DeepBottom, Bottom.GetDouble());
}

TDeepParams TFractProps::DeepParams() const {
  TDeepParams d = DeepParamsFrom(KernelParams());
  if (HasDeepArea()) {
    d.Left = DeepLeft;
    d.Top = DeepTop;
    d.Right = DeepRight;
    d.Bottom = DeepBottom;
  }
  return d;
}

bool TFractProps::UsesDeepKernel() const {
  if (!DeepKernelSupports(Formula)) return false;
  return HasDeepArea() ? NeedsDeepKernel(DeepParams()) : NeedsDeepKernel(KernelParams());
}
