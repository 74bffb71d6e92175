#include "document/fractalfile.h"

#include <fstream>

#include "core/TReadError.h"
#include "core/TXMLLayout.h"
#include "core/assertions.h"
#include "core/safefile.h"
#include "core/xmlread.h"
#include "document/TStoredFractal.h"

namespace {

using TLayout = TXMLLayout<TStoredFractal>;

const TLayout& FileLayout() {
  static const TLayout layout = TLayout::Compound(
      "UnitFractal",
      {TLayout::Text(
           "Version", [](const TStoredFractal&) { return std::string(FractalFileVersion); },
           [](TStoredFractal&, const TXMLItem& element, TReadError&) {
             ZCHECK_TEXT(element.GetText() == FractalFileVersion, "version == \"1.0\"");
             return true;
           }),
       // An empty marker where the view's part begins.
       TLayout::Compound("View", {}),
       TLayout::Part(TVoldViewProps::Layout(), &TStoredFractal::View),
       TLayout::Part(TFractProps::Layout(), &TStoredFractal::Params)});
  return layout;
}

}  // namespace

const TDTDCompound& FractalFileGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = FileLayout().ElementGrammar(grammar);
  return *root;
}

bool FractalFileText(const TStoredFractal& fractal, std::string& bytes, std::string& errorText) {
  return FileLayout().WriteElement(fractal)->ToFileText(bytes, errorText);
}

bool WriteFractalFile(const std::string& path, const TStoredFractal& fractal,
                      std::string& errorText) {
  std::string bytes;
  // The file is replaced only once the whole text is written.
  return FractalFileText(fractal, bytes, errorText) && WriteFileSafely(path, bytes, errorText);
}

bool ReadFractalFile(const std::string& path, TStoredFractal& fractal, std::string& errorText) {
  errorText.clear();
  std::ifstream in;
  // A file that cannot be opened has no message; a pipe or a device is named as such.
  if (!OpenXMLFile(path, in, errorText)) return false;
  return ReadFractalStream(in, fractal, errorText);
}

bool ReadFractalStream(std::istream& in, TStoredFractal& fractal, std::string& errorText) {
  errorText.clear();
  const TXMLReadResult read = ReadXMLStream(in, FractalFileGrammar());
  if (read.Outcome != TXMLReadOutcome::Read) {
    errorText = read.ErrorText;
    return false;
  }
  // Checked once the file is known to be one: a file that is refused anyway gets one message.
  ZCHECK_TEXT(read.Version == FractalFileVersion, "version == \"1.0\"");
  // Read into a copy: a file that fails half-way must not leave a window half replaced.
  TStoredFractal result(fractal);
  TReadError error;
  if (!FileLayout().Read(result, read.Root->GetFirst(), error)) {
    errorText = error.WithPosition(0);
    return false;
  }
  fractal = result;
  return true;
}
