#pragma once
#include "core/TDTDExpression.h"

/// `a` or nothing (not owned): nothing after a soft failure of `a`.
class TDTDOptional : public TDTDExpression {
public:
  explicit TDTDOptional(const TDTDItem* a);
  bool IsNullable() const override { return true; }
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;

private:
  const TDTDItem* A;
};
