#pragma once
#include "core/TDTDExpression.h"

/// Matches nothing; the content of a flag element such as <UseColorAfter />.
class TDTDEmpty : public TDTDExpression {
public:
  bool IsNullable() const override { return true; }
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;
};
