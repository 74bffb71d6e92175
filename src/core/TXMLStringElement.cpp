#include "core/TXMLStringElement.h"

#include "core/assertions.h"

TXMLStringElement::TXMLStringElement(std::string name, std::string text)
    : TXMLItem(std::move(name), true), Value(std::move(text)) {}

TXMLItem* TXMLStringElement::GetFirst() const {
  ZASSERT_TEXT(false, "false");
  return nullptr;
}

void TXMLStringElement::Write(std::string& out, int level) const {
  out.append(static_cast<size_t>(level) * 2, ' ');
  out += '<';
  out += GetElement();
  out += '>';
  out += Value;
  out += "</";
  out += GetElement();
  out += ">\r\n";
}
