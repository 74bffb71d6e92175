#pragma once
#include <string>

#include "core/TXMLItem.h"

/// An XML element holding text: `<Name>text</Name>` on one line.
class TXMLStringElement : public TXMLItem {
public:
  TXMLStringElement(std::string name, std::string text);

  /// The text, as stored (the reader has trimmed it).
  std::string GetText() const override { return Value; }
  /// Fatal assertion: a text element has no children.
  TXMLItem* GetFirst() const override;
  void Write(std::string& out, int level) const override;

private:
  std::string Value;
};
