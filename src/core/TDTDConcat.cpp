#include "core/TDTDConcat.h"

#include "core/assertions.h"

TDTDConcat::TDTDConcat(const TDTDItem* a, const TDTDItem* b) : A(a), B(b) {
  ZASSERT(a != nullptr && b != nullptr);
}

bool TDTDConcat::IsNullable() const { return A->IsNullable() && B->IsNullable(); }

bool TDTDConcat::Parse(TXMLComplexElement& parent, const TXMLToken*& cursor,
                       std::string& errorText, bool& committed) const {
  if (!A->Parse(parent, cursor, errorText, committed)) return false;
  return B->Parse(parent, cursor, errorText, committed);
}
