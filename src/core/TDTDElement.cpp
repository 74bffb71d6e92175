#include "core/TDTDElement.h"

#include "core/TXMLToken.h"

TDTDElement::TDTDElement(std::string name) : Name(std::move(name)) {}

std::string TDTDElement::PositionSuffix(const TXMLToken& token) {
  return " at line " + std::to_string(token.GetLine()) + ", column " +
         std::to_string(token.GetColumn()) + ".";
}

bool TDTDElement::RefuseBegin(const TXMLToken& t, char stop, std::string& errorText,
                              bool& committed) const {
  const std::string expect = "expect begin of element \"" + Name + "\"" + stop + PositionSuffix(t);
  committed = false;
  switch (t.TokenKind) {
    case xmlTokenBegin:
      errorText = "unexpected begin of element \"" + t.GetElement() + "\", " + expect;
      break;
    case xmlTokenEnd:
      errorText = "unexpected end of element \"" + t.GetElement() + "\", " + expect;
      break;
    case xmlTokenEmpty:
      errorText = "unexpected empty element \"" + t.GetElement() + "\", " + expect;
      break;
    case xmlTokenAttr:
      committed = true;
      errorText = "unexpected text \"" + t.GetText() + "\", " + expect;
      break;
    default:
      committed = true;
      errorText = "unexpected end-of-file, " + expect;
      break;
  }
  return false;
}

bool TDTDElement::ExpectEnd(const TXMLToken*& cursor, std::string& errorText,
                            bool& committed) const {
  const TXMLToken& t = *cursor;
  committed = true;
  switch (t.TokenKind) {
    case xmlTokenEnd:
      if (t.GetElement() == Name) {
        cursor = t.GetNext();
        return true;
      }
      errorText = "end of element \"" + t.GetElement() + "\" does not match begin of element \"" +
                  Name + "\"," + PositionSuffix(t);
      return false;
    case xmlTokenAttr:
      errorText = "unexpected text \"" + t.GetText() + "\", expect end of element \"" + Name +
                  "\"," + PositionSuffix(t);
      return false;
    case xmlTokenBegin:
      errorText = "unexpected begin of element \"" + t.GetElement() +
                  "\", expect end of element \"" + Name + "\"," + PositionSuffix(t);
      return false;
    case xmlTokenEmpty:
      errorText = "unexpected empty element \"" + t.GetElement() +
                  "\", expect end of element \"" + Name + "\"," + PositionSuffix(t);
      return false;
    default:
      errorText = "unexpected end-of-file, expect end of element \"" + Name + "\"," + PositionSuffix(t);
      return false;
  }
}
