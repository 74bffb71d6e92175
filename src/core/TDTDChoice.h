#pragma once
#include "core/TDTDExpression.h"

/// `a` or else `b` (neither owned): `b` is tried only after a soft failure of `a`.
class TDTDChoice : public TDTDExpression {
public:
  TDTDChoice(const TDTDItem* a, const TDTDItem* b);
  bool IsNullable() const override;
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;

private:
  const TDTDItem* A;
  const TDTDItem* B;
};
