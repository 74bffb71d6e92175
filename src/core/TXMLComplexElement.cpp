#include "core/TXMLComplexElement.h"

#include <vector>

#include "core/TXMLStringElement.h"
#include "core/assertions.h"
#include "core/safefile.h"

namespace {

// The reader skips the first two lines as lines of at most 98 characters (the line feed
// included); a longer DOCTYPE line would spill into the content.
constexpr size_t MaxRootNameLength = 36;

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsValidName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!IsNameChar(c)) return false;
  return true;
}

// The reader trims every byte up to the space from both ends of a text.
bool IsBlankText(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

// The first reason why the reader could not read `root` back, or an empty string.
std::string Unreadable(const TXMLComplexElement& root) {
  if (root.GetElement().size() > MaxRootNameLength)
    return "The root element name \"" + root.GetElement() + "\" is too long to be stored.";
  std::vector<const TXMLItem*> todo{&root};
  while (!todo.empty()) {
    const TXMLItem* item = todo.back();
    todo.pop_back();
    if (!IsValidName(item->GetElement()))
      return "The element name \"" + item->GetElement() +
             "\" is not made of letters and digits and cannot be stored.";
    if (item->IsText()) {
      const std::string text = item->GetText();
      if (IsBlankText(text))
        return "The text of element \"" + item->GetElement() + "\" is empty and cannot be stored.";
      if (text.find_first_of("<>") != std::string::npos)
        return "The text of element \"" + item->GetElement() +
               "\" contains '<' or '>' and cannot be stored.";
    } else {
      for (const TXMLItem* child = item->GetFirst(); child; child = child->GetNext())
        todo.push_back(child);
    }
  }
  return {};
}

}  // namespace

TXMLComplexElement::TXMLComplexElement(std::string name) : TXMLItem(std::move(name), false) {}

TXMLComplexElement::~TXMLComplexElement() {
  if (First) DestroyChain(std::move(First));
}

std::string TXMLComplexElement::GetText() const {
  ZASSERT_TEXT(false, "false");
  return {};
}

void TXMLComplexElement::Write(std::string& out, int level) const {
  const size_t indent = static_cast<size_t>(level) * 2;
  out.append(indent, ' ');
  out += '<';
  out += GetElement();
  if (!First) {
    out += " />\r\n";
    return;
  }
  out += ">\r\n";
  for (const TXMLItem* child = First.get(); child; child = child->GetNext())
    child->Write(out, level + 1);
  out.append(indent, ' ');
  out += "</";
  out += GetElement();
  out += ">\r\n";
}

TXMLItem* TXMLComplexElement::Add(std::unique_ptr<TXMLItem> item) {
  ZASSERT(item != nullptr);
  item->Next.reset();
  TXMLItem* raw = item.get();
  if (Last)
    Last->Next = std::move(item);
  else
    First = std::move(item);
  Last = raw;
  return raw;
}

TXMLComplexElement* TXMLComplexElement::AddComplex(std::string name) {
  return static_cast<TXMLComplexElement*>(
      Add(std::make_unique<TXMLComplexElement>(std::move(name))));
}

void TXMLComplexElement::AddText(std::string name, std::string text) {
  Add(std::make_unique<TXMLStringElement>(std::move(name), std::move(text)));
}

void TXMLComplexElement::DeleteAfter(TXMLItem* child) {
  std::unique_ptr<TXMLItem> rest = child ? std::move(child->Next) : std::move(First);
  Last = child;
  if (rest) DestroyChain(std::move(rest));
}

bool TXMLComplexElement::ToFileText(std::string& out, std::string& errorText) const {
  const std::string reason = Unreadable(*this);
  if (!reason.empty()) {
    errorText = reason;
    return false;
  }
  out = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";
  out += "<!DOCTYPE " + GetElement() + " SYSTEM \"" + GetElement() + ".dtd\">\r\n\r\n";
  Write(out, 0);
  return true;
}

bool TXMLComplexElement::SaveToFile(const std::string& fileName, std::string& errorText) const {
  std::string bytes;
  if (!ToFileText(bytes, errorText)) return false;
  return WriteFileSafely(fileName, bytes, errorText);
}
