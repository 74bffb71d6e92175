#include "document/TStoredFractal.h"

#include "document/TUnitFract.h"
#include "document/fractalfile.h"

TStoredFractal::TStoredFractal() { FractalFileGrammar(); }

TStoredFractal::TStoredFractal(const TFractProps& params, const TVoldViewProps& view)
    : Params(params), View(view) {
  FractalFileGrammar();
}

void TStoredFractal::NameChanged(const std::string&) {}

void TStoredFractal::UpdateCaption() {}

void TStoredFractal::AddViewXML(TXMLComplexElement& parent) const {
  ::AddViewXML(parent, View);
}

void TStoredFractal::AddFractalXML(TXMLComplexElement& parent) const {
  ::AddFractalXML(parent, Params);
}

bool TStoredFractal::ReadViewXML(const TXMLItem* viewElement, std::string& errorText, int& line,
                                 int& column) {
  return ::ReadViewXML(viewElement, View, Params, errorText, line, column);
}

bool TStoredFractal::LoadFile(const std::string& path, TStoredFractal& out,
                              std::string& errorText) {
  TUnitFract unit("", path);
  unit.SetWindow(&out);
  return unit.Load(errorText);
}

bool TStoredFractal::LoadFromStream(std::istream& in, TStoredFractal& out,
                                    std::string& errorText) {
  TUnitFract unit;
  unit.SetWindow(&out);
  return unit.LoadFromStream(in, errorText);
}

bool TStoredFractal::SaveFile(const std::string& path, const TStoredFractal& fractal) {
  // A document links to a writable window; writing only reads this copy.
  TStoredFractal copy(fractal);
  TUnitFract unit("", path);
  unit.SetWindow(&copy);
  return unit.SaveAs(path);
}
