#include "core/TXMLItem.h"

#include "core/TXMLComplexElement.h"
#include "core/assertions.h"

TXMLItem::TXMLItem(std::string element, bool isText) : Element(std::move(element)), Text(isText) {}

TXMLItem::~TXMLItem() {
  if (Next) DestroyChain(std::move(Next));
}

std::string TXMLItem::GetText() const {
  ZASSERT_TEXT(false, "false");
  return {};
}

TXMLItem* TXMLItem::GetFirst() const {
  ZASSERT_TEXT(false, "false");
  return nullptr;
}

void TXMLItem::DestroyChain(std::unique_ptr<TXMLItem> head) {
  // Long sibling lists and deep nesting must not use one stack frame per item: splice every
  // item's children in front of the remaining siblings, so each item dies childless and alone.
  std::unique_ptr<TXMLItem> pending = std::move(head);
  while (pending) {
    std::unique_ptr<TXMLItem> item = std::move(pending);
    pending = std::move(item->Next);
    if (!item->Text) {
      auto* complex = static_cast<TXMLComplexElement*>(item.get());
      if (complex->First) {
        complex->Last->Next = std::move(pending);
        pending = std::move(complex->First);
        complex->Last = nullptr;
      }
    }
  }
}
