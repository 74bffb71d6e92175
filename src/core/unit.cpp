#include "core/unit.h"

#include "core/TErrorReport.h"
#include "core/TReadError.h"
#include "core/TXMLComplexElement.h"
#include "core/assertions.h"

unit::~unit() = default;

void unit::Check(bool& ok, const std::string& text, const std::string& name) {
  if (!ok) return;
  std::string errorText;
  if (!SetText(text, name, errorText)) {
    TErrorReport::InputError(errorText);
    ok = false;
  }
}

void unit::WriteXML(TXMLComplexElement& parent, const std::string& name) const {
  parent.AddText(name, GetText());
}

bool unit::ReadXML(const TXMLItem* xmlElement, TReadError& error) {
  ZASSERT_TEXT(xmlElement != nullptr, "xmlElement != NULL");
  error.At(*xmlElement);
  return SetText(xmlElement->GetText(), xmlElement->GetElement(), error.Text);
}
