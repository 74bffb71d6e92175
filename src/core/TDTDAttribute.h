#pragma once
#include "core/TDTDElement.h"

/// A grammar element whose content is text; produces a TXMLStringElement.
class TDTDAttribute : public TDTDElement {
public:
  explicit TDTDAttribute(std::string name);
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;
};
