#include "document/TUnitFract.h"

#include <atomic>
#include <fstream>

#include "core/TDTDAttribute.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDGrammar.h"
#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "core/TXMLComplexElement.h"
#include "core/TXMLToken.h"
#include "core/assertions.h"
#include "core/safefile.h"
#include "core/xmlread.h"
#include "document/TFractWindowLink.h"

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
  std::string bytes;
  std::string errorText;
  // The file is replaced only once the whole text is written.
  if (!ToFileText(bytes, errorText) || !WriteFileSafely(path, bytes, errorText)) {
    ShowMessage("Cannot save Fractal File: " + errorText + ".", TErrorReport::TitleSaveError,
                TMsgIcon::Information);
    return false;
  }
  return true;
}

bool TUnitFract::ToFileText(std::string& bytes, std::string& errorText) const {
  if (!ZCHECK_TEXT(Window != nullptr, "Window != NULL")) {
    errorText = "The fractal has no window.";
    return false;
  }
  TXMLComplexElement root("UnitFractal");
  root.AddText("Version", Version);
  Window->AddViewXML(root);
  Window->AddFractalXML(root);
  return root.ToFileText(bytes, errorText);
}

bool TUnitFract::ReadyToLoad() const {
  return ZCHECK_TEXT(FileGrammar() != nullptr, "FileGrammar() != NULL") &&
         ZCHECK_TEXT(Window != nullptr, "Window != NULL");
}

bool TUnitFract::Load(std::string& errorText) {
  errorText.clear();
  if (!ReadyToLoad()) return false;
  std::ifstream in;
  // A file that cannot be opened has no message; a pipe or a device is named as such.
  if (!OpenXMLFile(GetFileName(), in, errorText)) return false;
  return LoadFromStream(in, errorText);
}

bool TUnitFract::LoadFromStream(std::istream& in, std::string& errorText) {
  errorText.clear();
  if (!ReadyToLoad()) return false;
  const TXMLReadResult read = ReadXMLStream(in, *FileGrammar());
  if (read.Outcome != TXMLReadOutcome::Read) {
    errorText = read.ErrorText;
    return false;
  }
  // Checked once the file is known to be one: a file that is refused anyway gets one message.
  ZCHECK_TEXT(read.Version == Version, "version == \"1.0\"");

  const TXMLItem* xmlUnit = read.Root->GetFirst();
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
