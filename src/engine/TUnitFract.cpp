#include "engine/TUnitFract.h"

#include <atomic>

#include "core/TDTDAttribute.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDGrammar.h"
#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLToken.h"
#include "core/assertions.h"
#include "engine/TFractWindowLink.h"

namespace {

std::atomic<const TDTDCompound*> RegisteredGrammar{nullptr};

}  // namespace

TUnitFract::TUnitFract(std::string name, std::string fileName)
    : TUnit(KindFractal, std::move(name), std::move(fileName)) {}

void TUnitFract::SetWindow(TFractWindowLink* window) {
  Window = window;
  SetWindowLink(window);
}

void TUnitFract::MarkModified() {
  if (Loaded) ModifiedFlag = true;
}

void TUnitFract::ClearModified() {
  if (Loaded) ModifiedFlag = false;
}

bool TUnitFract::NeedsSave() const { return CanSaveFract() && (ModifiedFlag || HasNoFile()); }

bool TUnitFract::Save() {
  if (!NeedsSave()) return true;
  return SaveAs(GetFileName());
}

bool TUnitFract::SaveAs(const std::string& path) {
  if (!ZCHECK_TEXT(Window != nullptr, "Window != NULL")) return false;
  TXMLComplexElement root("UnitFractal");
  root.AddText("Version", Version);
  Window->AddViewXML(root);
  Window->AddFractalXML(root);
  std::string errorText;
  // The writer replaces the file only once the whole text is written.
  if (!root.SaveToFile(path, errorText)) {
    ShowMessage("Cannot save Fractal File: " + errorText + ".", TErrorReport::TitleSaveError,
                TMsgIcon::Information);
    return false;
  }
  return true;
}

bool TUnitFract::Load(std::string& errorText) {
  errorText.clear();
  const TDTDCompound* grammar = FileGrammar();
  if (!ZCHECK_TEXT(grammar != nullptr, "FileGrammar() != NULL")) return false;
  if (!ZCHECK_TEXT(Window != nullptr, "Window != NULL")) return false;

  std::string version;
  const TXMLToken head(GetFileName(), version);
  if (head.TokenKind == xmlTokenError) {
    errorText = head.GetError();
    return false;
  }
  if (head.TokenKind == xmlTokenEof) return false;
  ZCHECK_TEXT(version == Version, "version == \"1.0\"");

  TXMLComplexElement root("Root");
  const TXMLToken* cursor = &head;
  bool committed = false;
  if (!grammar->Parse(root, cursor, errorText, committed)) return false;
  // Alternatives tried and dropped on the way leave their messages behind.
  errorText.clear();

  const TXMLItem* xmlUnit = root.GetFirst();
  const TXMLItem* xmlVersion = xmlUnit ? xmlUnit->GetFirst() : nullptr;
  if (!ZCHECK_TEXT(xmlVersion != nullptr, "xmlVersion != NULL")) return false;
  ZCHECK_TEXT(xmlVersion->GetElement() == "Version", "xmlVersion->GetElement() == \"Version\"");
  ZCHECK_TEXT(xmlVersion->IsText() && xmlVersion->GetText() == Version, "version == \"1.0\"");

  int line = 0;
  int column = 0;
  if (!Window->ReadViewXML(xmlVersion->GetNext(), errorText, line, column)) {
    errorText += " At line " + std::to_string(line) + ", column " + std::to_string(column) + ".";
    return false;
  }
  return true;
}

std::array<std::string, 6> TUnitFract::StatusTexts() const {
  std::string state;
  if (HasNoFile())
    state = "New";
  else if (NeedsSave())
    state = "Changed";
  return {"oningevuld", std::string("oningevuld") + " kHz", "8", "MO", "xyz", state};
}

TDTDCompound* TUnitFract::BuildDTD(TDTDGrammar& g, const TDTDItem* viewPart,
                                   const TDTDItem* fractalPart) {
  return g.Make<TDTDCompound>(
      "UnitFractal", g.Make<TDTDConcat>(g.Make<TDTDAttribute>("Version"),
                                        g.Make<TDTDConcat>(viewPart, fractalPart)));
}

void TUnitFract::SetFileGrammar(const TDTDCompound* grammar) { RegisteredGrammar = grammar; }

const TDTDCompound* TUnitFract::FileGrammar() { return RegisteredGrammar; }
