#include "render/TColorPalette1DItem.h"

#include <cmath>
#include <fstream>

#include "core/TDTDAttribute.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TDTDOptional.h"
#include "core/TDTDRepeatMin0.h"
#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLToken.h"
#include "core/assertions.h"
#include "core/safefile.h"
#include "core/unitColor.h"
#include "core/xmlread.h"

namespace {

constexpr const char* PaletteVersion = "1.0";

// Only a tree that the grammar did not match lacks an element; say so instead of crashing.
bool Incomplete(const TXMLItem* element, std::string& errorText, int& line, int& column) {
  errorText = "The element \"ColorPalette1D\" is incomplete.";
  if (element) {
    line = element->GetLine();
    column = element->GetColumn();
  }
  return false;
}

std::string Hex(uint32_t colour) { return unitColor(colour).GetText(); }

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
  for (const TColorPalette1DItem* p = this; p; p = p->Next.get()) {
    if (p == this) {
      parent.AddText("BeginColor", Hex(p->ColorBefore));
    } else if (!p->Next) {
      parent.AddText("EndColor", Hex(p->ColorBefore));
    } else {
      TXMLComplexElement* item = parent.AddComplex("ColorPalette1DItem");
      p->PositionValue.WriteXML(*item, "Position");
      item->AddText("ColorBefore", Hex(p->ColorBefore));
      if (p->UseColorAfter) item->AddComplex("UseColorAfter");
      item->AddText("ColorAfter", Hex(p->ColorAfter));
    }
  }
}

bool TColorPalette1DItem::ReadXML(const TXMLItem* element, std::string& errorText, int& line,
                                  int& column) {
  if (!ZCHECK_TEXT(element && !element->IsText(), "element != NULL"))
    return Incomplete(element, errorText, line, column);
  const TXMLItem* xmlBeginColor = element->GetFirst();
  if (!ZCHECK_TEXT(xmlBeginColor != nullptr, "xmlBeginColor != NULL"))
    return Incomplete(element, errorText, line, column);
  ZCHECK_TEXT(xmlBeginColor->GetElement() == "BeginColor",
              "xmlBeginColor->GetElement() == \"BeginColor\"");
  if (!xmlBeginColor->IsText()) return Incomplete(xmlBeginColor, errorText, line, column);
  unitColor colour;
  if (!colour.ReadXML(xmlBeginColor, errorText, line, column)) return false;
  const uint32_t beginColor = colour.GetColor();

  // The stops are read into a chain of their own, so that a failure keeps this palette.
  TColorPalette1DItem head(beginColor, unitFactorPosMoreLess1(0.0, ukPercent));
  TColorPalette1DItem* tail = &head;
  for (const TXMLItem* child = xmlBeginColor->GetNext();; child = child->GetNext()) {
    if (!ZCHECK_TEXT(child != nullptr, "xmlEndColor"))
      return Incomplete(element, errorText, line, column);
    if (child->GetElement() != "ColorPalette1DItem") {
      const TXMLItem* xmlEndColor = child;
      ZCHECK_TEXT(xmlEndColor->GetElement() == "EndColor",
                  "xmlEndColor->GetElement() == \"EndColor\"");
      if (!xmlEndColor->IsText()) return Incomplete(xmlEndColor, errorText, line, column);
      if (!colour.ReadXML(xmlEndColor, errorText, line, column)) return false;
      tail->Next.reset(
          new TColorPalette1DItem(colour.GetColor(), unitFactorPosMoreLess1(1.0, ukPercent)));
      ColorBefore = beginColor;
      Next = std::move(head.Next);
      return true;
    }
    if (child->IsText()) return Incomplete(child, errorText, line, column);

    const TXMLItem* xmlPosition = child->GetFirst();
    if (!ZCHECK_TEXT(xmlPosition, "xmlPosition") || !xmlPosition->IsText())
      return Incomplete(child, errorText, line, column);
    ZCHECK_TEXT(xmlPosition->GetElement() == "Position",
                "xmlPosition->GetElement() == \"Position\"");
    unitFactorPosMoreLess1 position(0.0, ukPercent);
    if (!position.ReadXML(xmlPosition, errorText, line, column)) return false;
    // Colours are looked up between neighbouring stops: their positions must increase.
    if (!(position.GetDouble() > tail->GetDPosition())) {
      errorText = "In " + xmlPosition->GetElement() +
                  ": Value must be more than the position of the stop before.";
      return false;
    }

    const TXMLItem* xmlColorBefore = xmlPosition->GetNext();
    if (xmlColorBefore)
      ZCHECK_TEXT(xmlColorBefore->GetElement() == "ColorBefore",
                  "xmlColorBefore->GetElement() == \"ColorBefore\"");
    if (!ZCHECK_TEXT(xmlColorBefore, "xmlColorBefore") || !xmlColorBefore->IsText())
      return Incomplete(child, errorText, line, column);
    if (!colour.ReadXML(xmlColorBefore, errorText, line, column)) return false;
    std::unique_ptr<TColorPalette1DItem> stop(new TColorPalette1DItem(colour.GetColor(), position));

    const TXMLItem* xmlColorAfter = xmlColorBefore->GetNext();
    if (xmlColorAfter && xmlColorAfter->GetElement() == "UseColorAfter") {
      stop->UseColorAfter = true;
      xmlColorAfter = xmlColorAfter->GetNext();
    }
    if (!ZCHECK_TEXT(xmlColorAfter, "xmlColorAfter") || !xmlColorAfter->IsText())
      return Incomplete(child, errorText, line, column);
    ZCHECK_TEXT(xmlColorAfter->GetElement() == "ColorAfter",
                "xmlColorAfter->GetElement() == \"ColorAfter\"");
    if (!colour.ReadXML(xmlColorAfter, errorText, line, column)) return false;
    stop->ColorAfter = colour.GetColor();
    const TXMLItem* xmlNone = xmlColorAfter->GetNext();
    ZCHECK_TEXT(xmlNone == nullptr, "xmlNone == NULL");

    tail->Next = std::move(stop);
    tail = tail->Next.get();
  }
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
  TXMLComplexElement root("UnitColorPalette1D");
  root.AddText("Version", PaletteVersion);
  WriteXML(*root.AddComplex("ColorPalette1D"));
  std::string bytes;
  std::string errorText;
  // Names are fixed and texts are colours and positions, which the writer always accepts.
  ZASSERT_TEXT(root.ToFileText(bytes, errorText), "root.ToFileText(bytes, errorText)");
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

  const TXMLItem* xmlRoot = read.Root->GetFirst();
  const TXMLItem* xmlVersion = xmlRoot->GetFirst();
  ZCHECK_TEXT(xmlVersion != nullptr, "xmlVersion != NULL");
  ZCHECK_TEXT(xmlVersion->GetElement() == "Version", "xmlVersion->GetElement() == \"Version\"");
  ZCHECK_TEXT(xmlVersion->GetText() == PaletteVersion, "version == \"1.0\"");
  int line = 0;
  int column = 0;
  if (!ReadXML(xmlVersion->GetNext(), errorText, line, column)) {
    errorText += " At line " + std::to_string(line) + ", column " + std::to_string(column + 1) + ".";
    return false;
  }
  return true;
}

TDTDCompound* TColorPalette1DItem::BuildDTD(TDTDGrammar& g) {
  auto* useColorAfter = g.Make<TDTDCompound>("UseColorAfter", g.Make<TDTDEmpty>());
  auto* item = g.Make<TDTDCompound>(
      "ColorPalette1DItem",
      g.Make<TDTDConcat>(
          g.Make<TDTDAttribute>("Position"),
          g.Make<TDTDConcat>(g.Make<TDTDAttribute>("ColorBefore"),
                             g.Make<TDTDConcat>(g.Make<TDTDOptional>(useColorAfter),
                                                g.Make<TDTDAttribute>("ColorAfter")))));
  return g.Make<TDTDCompound>(
      "ColorPalette1D",
      g.Make<TDTDConcat>(g.Make<TDTDAttribute>("BeginColor"),
                         g.Make<TDTDConcat>(g.Make<TDTDRepeatMin0>(item),
                                            g.Make<TDTDAttribute>("EndColor"))));
}

const TDTDCompound& TColorPalette1DItem::FileGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = grammar.Make<TDTDCompound>(
      "UnitColorPalette1D",
      grammar.Make<TDTDConcat>(grammar.Make<TDTDAttribute>("Version"), BuildDTD(grammar)));
  return *root;
}
