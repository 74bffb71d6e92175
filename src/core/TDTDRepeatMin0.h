#pragma once
#include "core/TDTDExpression.h"

/// Zero or more `a` (not owned), greedy: ends at the first soft failure of `a`; a committed
/// failure of any repetition fails the whole.
class TDTDRepeatMin0 : public TDTDExpression {
public:
  explicit TDTDRepeatMin0(const TDTDItem* a);
  bool IsNullable() const override { return true; }
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;

private:
  const TDTDItem* A;
};
