#pragma once
#include <sstream>
#include <string>

#include "core/TDTDCompound.h"
#include "core/TReadError.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLItem.h"
#include "core/xmlread.h"

/// An element as the writer lays it out, `level` steps in.
inline std::string ElementText(const TXMLItem& element, int level = 0) {
  std::string out;
  element.Write(out, level);
  return out;
}

/// The XML text of a record, to compare records field by field: its own element when it writes
/// one (WriteXML()), else a palette chain (WriteXML(parent)) as a "ColorPalette1D" element with
/// every stop.
template <class TRecord>
std::string Xml(const TRecord& record) {
  if constexpr (requires { record.WriteXML(); }) {
    return ElementText(*record.WriteXML());
  } else {
    TXMLComplexElement element("ColorPalette1D");
    record.WriteXML(element);
    return ElementText(element);
  }
}

/// Both records of a stored fractal (colouring and parameters) as one text.
template <class TStored>
std::string StoredText(const TStored& fractal) {
  return Xml(fractal.View) + Xml(fractal.Params);
}

/// Parses `xml` against `grammar` as the body of a file: it starts on line 3, after the two
/// lines the tokenizer skips.
inline TXMLReadResult ParseElement(const TDTDCompound& grammar, const std::string& xml) {
  std::istringstream in("<?xml?>\n<!DOCTYPE x>\n" + xml);
  return ReadXMLStream(in, grammar);
}

/// What reading one record from an element gave.
struct TRecordRead {
  bool Ok = false;
  std::string ErrorText;  // "parse: " and the message when the grammar refused the text
  int Line = -1;
  int Column = -1;
};

/// Parses `xml` against `grammar` and reads its root element into `record` (anything with
/// ReadXML(element, TReadError&)).
template <class TRecord>
TRecordRead ReadRecord(TRecord& record, const TDTDCompound& grammar, const std::string& xml) {
  TRecordRead r;
  TXMLReadResult parsed = ParseElement(grammar, xml);
  if (parsed.Outcome != TXMLReadOutcome::Read) {
    r.ErrorText = "parse: " + parsed.ErrorText;
    return r;
  }
  TReadError error;
  r.Ok = record.ReadXML(parsed.Root->GetFirst(), error);
  r.ErrorText = error.Text;
  r.Line = error.Line;
  r.Column = error.Column;
  return r;
}
