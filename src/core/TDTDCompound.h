#pragma once
#include "core/TDTDElement.h"

/// A grammar element whose content matches an expression; produces a TXMLComplexElement.
/// The expression is referenced, not owned.
class TDTDCompound : public TDTDElement {
public:
  TDTDCompound(std::string name, const TDTDItem* expression);
  /// Also accepts the head of a token chain as the cursor (steps past it).
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;

private:
  const TDTDItem* Expression;
};
