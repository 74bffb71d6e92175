#include "core/TDTDRepeatMin0.h"

#include "core/TXMLComplexElement.h"
#include "core/TXMLToken.h"
#include "core/assertions.h"

TDTDRepeatMin0::TDTDRepeatMin0(const TDTDItem* a, size_t most, std::string tooMany)
    : A(a), Most(most), TooMany(std::move(tooMany)) {
  ZASSERT(a != nullptr);
}

bool TDTDRepeatMin0::Parse(TXMLComplexElement& parent, const TXMLToken*& cursor,
                           std::string& errorText, bool& committed) const {
  // A loop rather than one nested call per repetition: files may hold very many.
  for (size_t count = 0;; ++count) {
    const TXMLToken* const start = cursor;
    TXMLItem* const last = parent.GetLast();
    if (A->Parse(parent, cursor, errorText, committed)) {
      // A nullable item that matched nothing would match nothing for ever.
      if (cursor == start) return true;
      if (count >= Most) {
        committed = true;
        errorText = TooMany + " at line " + std::to_string(start->GetLine()) + ", column " +
                    std::to_string(start->GetColumn()) + ".";
        return false;
      }
      continue;
    }
    if (committed) return false;
    cursor = start;
    parent.DeleteAfter(last);
    return true;
  }
}
