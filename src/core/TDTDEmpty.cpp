#include "core/TDTDEmpty.h"

bool TDTDEmpty::Parse(TXMLComplexElement&, const TXMLToken*&, std::string&, bool&) const {
  return true;
}
