#pragma once
#include "core/TDTDExpression.h"

/// `a` followed by `b` (neither owned). Longer sequences nest to the right.
class TDTDConcat : public TDTDExpression {
public:
  TDTDConcat(const TDTDItem* a, const TDTDItem* b);
  bool IsNullable() const override;
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;

private:
  const TDTDItem* A;
  const TDTDItem* B;
};
