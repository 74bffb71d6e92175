#include "core/TDTDChoice.h"

#include "core/TXMLComplexElement.h"
#include "core/assertions.h"

TDTDChoice::TDTDChoice(const TDTDItem* a, const TDTDItem* b) : A(a), B(b) {
  ZASSERT(a != nullptr && b != nullptr);
}

bool TDTDChoice::IsNullable() const { return A->IsNullable() || B->IsNullable(); }

bool TDTDChoice::Parse(TXMLComplexElement& parent, const TXMLToken*& cursor,
                       std::string& errorText, bool& committed) const {
  const TXMLToken* const start = cursor;
  TXMLItem* const last = parent.GetLast();
  if (A->Parse(parent, cursor, errorText, committed)) return true;
  if (committed) return false;
  cursor = start;
  parent.DeleteAfter(last);
  return B->Parse(parent, cursor, errorText, committed);
}
