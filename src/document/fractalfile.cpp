#include "document/fractalfile.h"

#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TXMLComplexElement.h"
#include "core/assertions.h"
#include "engine/TFractProps.h"
#include "document/TUnitFract.h"
#include "render/TVoldViewProps.h"

const TDTDCompound& FractalFileGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = [] {
    TDTDCompound* built =
        TUnitFract::BuildDTD(grammar, BuildViewDTD(grammar), TFractProps::BuildDTD(grammar));
    TUnitFract::SetFileGrammar(built);
    return built;
  }();
  return *root;
}

const TDTDItem* BuildViewDTD(TDTDGrammar& g) {
  return g.Make<TDTDConcat>(g.Make<TDTDCompound>("View", g.Make<TDTDEmpty>()),
                            TVoldViewProps::BuildDTD(g));
}

void AddViewXML(TXMLComplexElement& parent, const TVoldViewProps& view) {
  parent.AddComplex("View");
  parent.Add(view.WriteXML());
}

void AddFractalXML(TXMLComplexElement& parent, const TFractProps& params) {
  parent.Add(params.WriteXML());
}

bool ReadViewXML(const TXMLItem* view, TVoldViewProps& viewProps, TFractProps& params,
                 std::string& errorText, int& line, int& column) {
  const TXMLItem* xmlView = view;
  ZASSERT_TEXT(xmlView != nullptr, "xmlView != NULL");
  ZASSERT_TEXT(xmlView->GetElement() == "View", "xmlView->GetElement() == \"View\"");
  const TXMLItem* xmlFractalView = xmlView->GetNext();
  ZASSERT_TEXT(xmlFractalView != nullptr, "xmlFractalView != NULL");
  ZASSERT_TEXT(xmlFractalView->GetElement() == "FractalView",
               "xmlFractalView->GetElement() == \"FractalView\"");

  // Read into copies: a file that fails half-way must not leave a window half replaced.
  TVoldViewProps newView(viewProps);
  if (!newView.ReadXML(xmlFractalView, errorText, line, column)) return false;
  const TXMLItem* xmlFractal = xmlFractalView->GetNext();
  ZASSERT_TEXT(xmlFractal != nullptr, "xmlFractal != NULL");
  ZASSERT_TEXT(xmlFractal->GetElement() == "Fractal", "xmlFractal->GetElement() == \"Fractal\"");
  TFractProps newParams(params);
  if (!newParams.ReadXML(xmlFractal, errorText, line, column)) return false;

  viewProps = newView;
  params = newParams;
  return true;
}
