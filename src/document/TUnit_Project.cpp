#include <string>

#include "core/TXMLStringElement.h"
#include "document/TUnit.h"

std::unique_ptr<TXMLItem> TUnit::FileElement() const {
  if (HasNoFile()) return nullptr;
  return std::make_unique<TXMLStringElement>("File", FileName);
}

std::unique_ptr<TXMLItem> TUnit::TempFileElement() const {
  if (TempFileNumber == -1) return nullptr;
  return std::make_unique<TXMLStringElement>("TempFile", std::to_string(TempFileNumber));
}
