#include "render/TColorPalette1DItem.h"

#include <cmath>
#include <fstream>
#include <vector>

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "core/TReadError.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLLayout.h"
#include "core/assertions.h"
#include "core/safefile.h"
#include "core/unitColor.h"
#include "core/xmlread.h"

namespace {

constexpr const char* PaletteVersion = "1.0";

// One inner stop as its element "ColorPalette1DItem" lists it.
struct TStopElement {
  unitFactorPosMoreLess1 Position{0.0, ukPercent};
  uint32_t ColorBefore = 0;
  bool UseColorAfter = false;
  uint32_t ColorAfter = 0;
};

// A palette as its element "ColorPalette1D" lists it: begin colour, inner stops, end colour.
struct TPaletteElement {
  uint32_t BeginColor = 0;
  std::vector<TStopElement> Stops;
  uint32_t EndColor = 0;
};

// A text element holding a colour.
template <class R>
TXMLLayout<R> Colour(const char* name, uint32_t R::*member) {
  return TXMLLayout<R>::Text(
      name, [member](const R& r) { return unitColor(r.*member).GetText(); },
      [member](R& r, const TXMLItem& element, TReadError& error) {
        unitColor colour(r.*member);
        if (!colour.ReadXML(&element, error)) return false;
        r.*member = colour.GetColor();
        return true;
      });
}

// The stop's position. A stop to be read starts at the position of the stop before it:
// colours are looked up between neighbouring stops, so positions must rise.
TXMLLayout<TStopElement> StopPosition() {
  return TXMLLayout<TStopElement>::Text(
      "Position", [](const TStopElement& stop) { return stop.Position.GetText(); },
      [](TStopElement& stop, const TXMLItem& element, TReadError& error) {
        unitFactorPosMoreLess1 position(0.0, ukPercent);
        if (!position.ReadXML(&element, error)) return false;
        if (!(position.GetDouble() > stop.Position.GetDouble())) {
          error.Text = "In " + element.GetElement() +
                       ": Value must be more than the position of the stop before.";
          return false;
        }
        stop.Position = position;
        return true;
      });
}

const TXMLLayout<TPaletteElement>& PaletteLayout() {
  using TStop = TXMLLayout<TStopElement>;
  using TPalette = TXMLLayout<TPaletteElement>;
  static const TPalette layout = TPalette::Compound(
      "ColorPalette1D",
      {Colour("BeginColor", &TPaletteElement::BeginColor),
       TPalette::Repeat<TStopElement>(
           TStop::Compound("ColorPalette1DItem",
                           {StopPosition(), Colour("ColorBefore", &TStopElement::ColorBefore),
                            TStop::Flag("UseColorAfter", &TStopElement::UseColorAfter),
                            Colour("ColorAfter", &TStopElement::ColorAfter)},
                           "xmlNone == NULL"),
           [](const TPaletteElement& palette,
              const std::function<void(const TStopElement&)>& visit) {
             for (const TStopElement& stop : palette.Stops) visit(stop);
           },
           [](const TPaletteElement& palette) {
             TStopElement stop;
             if (!palette.Stops.empty()) stop.Position = palette.Stops.back().Position;
             return stop;
           },
           [](TPaletteElement& palette, TStopElement&& stop) {
             palette.Stops.push_back(std::move(stop));
           },
           TColorPalette1DItem::MaxInnerStops, TColorPalette1DItem::TooManyStopsText()),
       Colour("EndColor", &TPaletteElement::EndColor)});
  return layout;
}

const TXMLLayout<TColorPalette1DItem>& FileLayout() {
  using TFile = TXMLLayout<TColorPalette1DItem>;
  static const TFile layout = TFile::Compound(
      "UnitColorPalette1D",
      {TFile::Text(
           "Version", [](const TColorPalette1DItem&) { return std::string(PaletteVersion); },
           [](TColorPalette1DItem&, const TXMLItem& element, TReadError&) {
             ZCHECK_TEXT(element.GetText() == PaletteVersion, "version == \"1.0\"");
             return true;
           }),
       TFile::Element(
           "ColorPalette1D",
           [](const TColorPalette1DItem& palette, TXMLComplexElement& parent) {
             palette.WriteXML(*parent.AddComplex("ColorPalette1D"));
           },
           [](TDTDGrammar& grammar) { return TColorPalette1DItem::BuildDTD(grammar); },
           [](TColorPalette1DItem& palette, const TXMLItem& element, TReadError& error) {
             return palette.ReadXML(&element, error);
           })});
  return layout;
}

}  // namespace

TColorPalette1DItem::TColorPalette1DItem(uint32_t beginColor, uint32_t endColor)
    : ColorBefore(beginColor), PositionValue(0.0, ukPercent) {
  Next.reset(new TColorPalette1DItem(endColor, unitFactorPosMoreLess1(1.0, ukPercent)));
}

TColorPalette1DItem::TColorPalette1DItem(uint32_t colour, const unitFactorPosMoreLess1& position)
    : ColorBefore(colour), PositionValue(position) {}

TColorPalette1DItem::TColorPalette1DItem(const TColorPalette1DItem& other)
    : ColorBefore(other.ColorBefore),
      UseColorAfter(other.UseColorAfter),
      ColorAfter(other.ColorAfter),
      PositionValue(other.PositionValue) {
  TColorPalette1DItem* tail = this;
  for (const TColorPalette1DItem* from = other.Next.get(); from; from = from->Next.get()) {
    tail->Next.reset(new TColorPalette1DItem(from->ColorBefore, from->PositionValue));
    tail = tail->Next.get();
    tail->UseColorAfter = from->UseColorAfter;
    tail->ColorAfter = from->ColorAfter;
  }
}

TColorPalette1DItem& TColorPalette1DItem::operator=(const TColorPalette1DItem& other) {
  if (this == &other) return *this;
  TColorPalette1DItem copy(other);
  ColorBefore = copy.ColorBefore;
  UseColorAfter = copy.UseColorAfter;
  ColorAfter = copy.ColorAfter;
  PositionValue = copy.PositionValue;
  Next.swap(copy.Next);
  return *this;
}

TColorPalette1DItem::~TColorPalette1DItem() { DestroyChain(); }

void TColorPalette1DItem::DestroyChain() {
  // One stop at a time: a recursive destruction of a long chain would overflow the stack.
  std::unique_ptr<TColorPalette1DItem> pending = std::move(Next);
  while (pending) pending = std::move(pending->Next);
}

uint32_t TColorPalette1DItem::GetColor(double position) const {
  const TColorPalette1DItem* s = this;
  if (std::isnan(position)) position = s->GetDPosition();
  for (;;) {
    const double sp = s->GetDPosition();
    if (position < sp) position = sp;
    const TColorPalette1DItem* n = s->Next.get();
    if (!n) return s->ColorBefore;  // above the end stop
    const double np = n->GetDPosition();
    if (position > np) {
      s = n;
      continue;
    }
    const double width = np - sp;
    const double t = width > 0 ? (position - sp) / width : 1.0;
    const double rest = 1.0 - t;
    const uint32_t from = s->GetColorAfter();
    const uint32_t to = n->ColorBefore;
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const long double channel =
          static_cast<long double>(rest) * ((from >> shift) & 0xFF) +
          static_cast<long double>(t) * ((to >> shift) & 0xFF);
      result |= static_cast<uint32_t>(channel) << shift;
    }
    return result;
  }
}

void TColorPalette1DItem::SetColorAfter(uint32_t colour) {
  ZCHECK_TEXT(UseColorAfter, "UseColorAfter");
  ColorAfter = colour;
}

std::unique_ptr<TColorPalette1DItem> TColorPalette1DItem::SetNext(
    std::unique_ptr<TColorPalette1DItem> item) {
  std::unique_ptr<TColorPalette1DItem> old = std::move(Next);
  Next = std::move(item);
  return old;
}

TColorPalette1DItem* TColorPalette1DItem::GetLast() {
  TColorPalette1DItem* p = this;
  while (p->Next) p = p->Next.get();
  return p;
}

TColorPalette1DItem* TColorPalette1DItem::GetPrevious(const TColorPalette1DItem* item) {
  if (item == this) return nullptr;
  for (TColorPalette1DItem* p = this; p; p = p->Next.get())
    if (p->Next.get() == item) return p;
  ZCHECK_TEXT(false, "NextColorPalette1DItem != NULL");
  return nullptr;
}

bool TColorPalette1DItem::PositionExists(double position, const TColorPalette1DItem* item) const {
  for (const TColorPalette1DItem* p = this; p; p = p->Next.get())
    if (p != item && p->GetDPosition() == position) return true;
  return false;
}

void TColorPalette1DItem::Resort(TColorPalette1DItem* item, TColorPalette1DItem* previous) {
  if (!ZCHECK_TEXT(item && previous && previous->Next.get() == item,
                   "previous->GetNext() == item"))
    return;
  std::unique_ptr<TColorPalette1DItem> owned = std::move(previous->Next);
  previous->Next = std::move(owned->Next);
  TColorPalette1DItem* p = this;
  while (p->Next && p->Next->GetDPosition() < item->GetDPosition()) p = p->Next.get();
  owned->Next = std::move(p->Next);
  p->Next = std::move(owned);
}

TColorPalette1DItem* TColorPalette1DItem::AddItem(const unitFactorPosMoreLess1& position,
                                                  uint32_t colour) {
  const double pos = position.GetDouble();
  TColorPalette1DItem* s = this;
  for (;;) {
    ZCHECK_TEXT(pos > s->GetDPosition(), "position > Position");
    if (s->Next && !(s->Next->GetDPosition() > pos))
      s = s->Next.get();
    else
      break;
  }
  // Inserting here would break the order of the chain or put a stop behind the end stop.
  if (!ZCHECK_TEXT(s->Next != nullptr, "position < 1") || !(pos > s->GetDPosition()))
    return nullptr;
  std::unique_ptr<TColorPalette1DItem> item(new TColorPalette1DItem(colour, position));
  item->Next = std::move(s->Next);
  s->Next = std::move(item);
  return s->Next.get();
}

std::string TColorPalette1DItem::TooManyStopsText() {
  return "A palette holds at most " + std::to_string(MaxInnerStops) +
         " stops between its begin and end colours";
}

int TColorPalette1DItem::InnerStopCount() const {
  int count = 0;
  for (const TColorPalette1DItem* p = Next.get(); p && p->Next; p = p->Next.get()) ++count;
  return count;
}

TColorPalette1DItem* TColorPalette1DItem::DeleteItem(TColorPalette1DItem* item) {
  const bool inner = item && item->GetDPosition() > 0 && item->GetDPosition() < 1;
  ZCHECK_TEXT(inner, "current->GetDPosition() > 0 && current->GetDPosition() < 1");
  TColorPalette1DItem* prevItem = item ? GetPrevious(item) : nullptr;
  ZCHECK_TEXT(prevItem, "prevItem");
  const TColorPalette1DItem* nextItem = item ? item->Next.get() : nullptr;
  ZCHECK_TEXT(nextItem, "nextItem");
  // The fixed stops stay: without them the palette would have no colour at 0 or 1.
  if (!inner || !prevItem || !nextItem) return prevItem;
  std::unique_ptr<TColorPalette1DItem> owned = std::move(prevItem->Next);
  prevItem->Next = std::move(owned->Next);
  return prevItem;
}

void TColorPalette1DItem::WriteXML(TXMLComplexElement& parent) const {
  TPaletteElement element;
  element.BeginColor = ColorBefore;
  for (const TColorPalette1DItem* p = Next.get(); p; p = p->Next.get()) {
    if (!p->Next) {
      element.EndColor = p->ColorBefore;
    } else {
      element.Stops.push_back({p->PositionValue, p->ColorBefore, p->UseColorAfter, p->ColorAfter});
    }
  }
  PaletteLayout().WriteContent(element, parent);
}

bool TColorPalette1DItem::ReadXML(const TXMLItem* element, TReadError& error) {
  TPaletteElement read;
  if (!PaletteLayout().Read(read, element, error, TXMLStructureCheck::Reported)) return false;
  // Built beside this palette, so that a failure keeps it.
  TColorPalette1DItem palette(read.BeginColor, read.EndColor);
  TColorPalette1DItem* tail = &palette;
  for (const TStopElement& stop : read.Stops) {
    std::unique_ptr<TColorPalette1DItem> item(
        new TColorPalette1DItem(stop.ColorBefore, stop.Position));
    item->UseColorAfter = stop.UseColorAfter;
    item->ColorAfter = stop.ColorAfter;
    item->Next = std::move(tail->Next);
    tail->Next = std::move(item);
    tail = tail->Next.get();
  }
  ColorBefore = read.BeginColor;
  Next = std::move(palette.Next);
  return true;
}

bool TColorPalette1DItem::SaveToFile(const std::string& fileName) const {
  std::string errorText;
  if (!WriteFileSafely(fileName, ToFileText(), errorText)) {
    ShowMessage("Cannot save Color Palette File: " + errorText + ".", TErrorReport::TitleSaveError,
                TMsgIcon::Information);
    return false;
  }
  return true;
}

std::string TColorPalette1DItem::ToFileText() const {
  std::string bytes;
  std::string errorText;
  // Names are fixed and texts are colours and positions, which the writer always accepts.
  ZASSERT_TEXT(FileLayout().WriteElement(*this)->ToFileText(bytes, errorText),
               "root.ToFileText(bytes, errorText)");
  return bytes;
}

bool TColorPalette1DItem::LoadFromFile(const std::string& fileName, std::string& errorText) {
  std::ifstream in;
  std::string reason;
  if (!OpenXMLFile(fileName, in, reason)) {
    // A file that cannot be opened leaves the text as it was; a pipe or a device is named.
    if (!reason.empty()) errorText = reason;
    return false;
  }
  return LoadFromStream(in, errorText);
}

bool TColorPalette1DItem::LoadFromStream(std::istream& in, std::string& errorText) {
  const TXMLReadResult read = ReadXMLStream(in, FileGrammar());
  if (read.Outcome != TXMLReadOutcome::Read) {
    errorText = read.ErrorText;
    return false;
  }
  // Checked once the file is known to be one: a file that is refused anyway gets one message.
  ZCHECK_TEXT(read.Version == PaletteVersion, "version == \"1.0\"");
  TReadError error;
  if (!FileLayout().Read(*this, read.Root->GetFirst(), error, TXMLStructureCheck::Reported)) {
    errorText = error.WithPosition(1);
    return false;
  }
  return true;
}

TDTDCompound* TColorPalette1DItem::BuildDTD(TDTDGrammar& grammar) {
  return PaletteLayout().ElementGrammar(grammar);
}

const TDTDCompound& TColorPalette1DItem::FileGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = FileLayout().ElementGrammar(grammar);
  return *root;
}
