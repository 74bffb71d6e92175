#include "core/TReadError.h"

#include "core/TXMLItem.h"

void TReadError::At(const TXMLItem& item) {
  Line = item.GetLine();
  Column = item.GetColumn();
}

std::string TReadError::WithPosition(int columnOffset) const {
  return Text + " At line " + std::to_string(Line) + ", column " +
         std::to_string(Column + columnOffset) + ".";
}
