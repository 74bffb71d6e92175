#include "core/TDTDAttribute.h"

#include <memory>

#include "core/TXMLComplexElement.h"
#include "core/TXMLStringElement.h"
#include "core/TXMLToken.h"

TDTDAttribute::TDTDAttribute(std::string name) : TDTDElement(std::move(name)) {}

bool TDTDAttribute::Parse(TXMLComplexElement& parent, const TXMLToken*& cursor,
                          std::string& errorText, bool& committed) const {
  if (cursor->TokenKind == xmlTokenStart) cursor = cursor->GetNext();
  const TXMLToken& t = *cursor;
  const std::string& n = GetName();
  switch (t.TokenKind) {
    case xmlTokenBegin: {
      if (t.GetElement() != n) return RefuseBegin(t, '.', errorText, committed);
      const TXMLToken& u = *t.GetNext();
      committed = true;
      switch (u.TokenKind) {
        case xmlTokenAttr: {
          auto item = std::make_unique<TXMLStringElement>(n, u.GetText());
          item->SetPosition(t.GetLine(), t.GetColumn());
          parent.Add(std::move(item));
          cursor = u.GetNext();
          return ExpectEnd(cursor, errorText, committed);
        }
        case xmlTokenBegin:
          errorText = "unexpected begin of element \"" + u.GetElement() + "\", expect text," + PositionSuffix(t);
          return false;
        case xmlTokenEnd:
          errorText = "unexpected end of element \"" + u.GetElement() + "\", expect text," + PositionSuffix(t);
          return false;
        case xmlTokenEmpty:
          errorText = "unexpected empty element \"" + u.GetElement() + "\", expect text," + PositionSuffix(t);
          return false;
        default:
          errorText = "unexpected end-of-file, expect text," + PositionSuffix(t);
          return false;
      }
    }
    default:
      return RefuseBegin(t, '.', errorText, committed);
  }
}
