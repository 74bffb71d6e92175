#include "core/TDTDOptional.h"

#include "core/TXMLComplexElement.h"
#include "core/assertions.h"

TDTDOptional::TDTDOptional(const TDTDItem* a) : A(a) { ZASSERT(a != nullptr); }

bool TDTDOptional::Parse(TXMLComplexElement& parent, const TXMLToken*& cursor,
                         std::string& errorText, bool& committed) const {
  const TXMLToken* const start = cursor;
  TXMLItem* const last = parent.GetLast();
  if (A->Parse(parent, cursor, errorText, committed)) return true;
  if (committed) return false;
  cursor = start;
  parent.DeleteAfter(last);
  return true;
}
