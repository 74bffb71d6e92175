#include "core/TDTDCompound.h"

#include <memory>

#include "core/TXMLComplexElement.h"
#include "core/TXMLToken.h"
#include "core/assertions.h"

TDTDCompound::TDTDCompound(std::string name, const TDTDItem* expression)
    : TDTDElement(std::move(name)), Expression(expression) {
  ZASSERT(expression != nullptr);
}

bool TDTDCompound::Parse(TXMLComplexElement& parent, const TXMLToken*& cursor,
                         std::string& errorText, bool& committed) const {
  if (cursor->TokenKind == xmlTokenStart) cursor = cursor->GetNext();
  const TXMLToken& t = *cursor;
  const std::string& n = GetName();
  switch (t.TokenKind) {
    case xmlTokenBegin: {
      if (t.GetElement() != n) return RefuseBegin(t, ',', errorText, committed);
      cursor = t.GetNext();
      auto element = std::make_unique<TXMLComplexElement>(n);
      element->SetPosition(t.GetLine(), t.GetColumn());
      if (!Expression->Parse(*element, cursor, errorText, committed)) {
        committed = true;
        return false;
      }
      parent.Add(std::move(element));
      return ExpectEnd(cursor, errorText, committed);
    }
    case xmlTokenEmpty: {
      if (t.GetElement() != n) return RefuseBegin(t, ',', errorText, committed);
      committed = true;
      if (!Expression->IsNullable()) {
        errorText = "element \"" + n + "\" should not be empty," + PositionSuffix(t);
        return false;
      }
      cursor = t.GetNext();
      auto element = std::make_unique<TXMLComplexElement>(n);
      element->SetPosition(t.GetLine(), t.GetColumn());
      parent.Add(std::move(element));
      return true;
    }
    default:
      return RefuseBegin(t, ',', errorText, committed);
  }
}
