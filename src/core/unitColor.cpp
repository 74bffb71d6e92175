#include "core/unitColor.h"

#include "core/TReadError.h"
#include "core/TXMLItem.h"
#include "core/assertions.h"

unitColor::unitColor(uint32_t colour) : unit(ukNone, urNone), Value(colour) {}

unitColor::~unitColor() = default;

std::string unitColor::GetText() const {
  static const char hex[] = "0123456789ABCDEF";
  std::string digits;
  for (uint32_t v = Value; v != 0; v >>= 4) digits.insert(digits.begin(), hex[v & 15]);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return digits;
}

bool unitColor::SetText(const std::string&, const std::string&, std::string&) {
  ZASSERT_TEXT(false, "false");
  return false;
}

bool unitColor::ReadXML(const TXMLItem* xmlElement, TReadError& error) {
  ZASSERT_TEXT(xmlElement != nullptr, "xmlElement != NULL");
  error.At(*xmlElement);
  const std::string text = xmlElement->GetText();
  uint32_t value = 0;
  bool ok = !text.empty() && text.size() <= 8;
  for (size_t i = 0; ok && i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    ok = digit >= 0;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  if (!ok) {
    error.Text = "In " + xmlElement->GetElement() + ": Invalid Hexdecimal value: \"" + text + "\".";
    return false;
  }
  Value = value;
  return true;
}
