// zenolith-resave INPUT OUTPUT: reads a fractal (.zlf), palette (.cp1) or project (.kvp) file
// and writes what was read to OUTPUT through the program's writer, so that two builds' readers
// and writers can be compared byte for byte (tools/compare_builds.sh). A file that does not
// read gives its message on stderr, as the program would show it.
//
// It also builds against trees from before the document layer (no document/TProjectRecord.h),
// where the project writer was part of the main window: that branch writes a project with the
// main window's element code of those trees, so that an old build can be compared too.
#include <cstdio>
#include <fstream>
#include <string>

#include "core/pathsplit.h"
#include "core/safefile.h"
#include "core/xmlread.h"
#include "render/TColorPalette1DItem.h"

#if __has_include("document/TProjectRecord.h")
#include "document/TProjectRecord.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "document/projectfile.h"
#define ZENOLITH_RESAVE_DOCUMENT_LAYER 1
#else
#include <memory>
#include <vector>

#include "core/TXMLComplexElement.h"
#include "core/TXMLItem.h"
#include "core/unitInteger.h"
#include "engine/TProjectHost.h"
#include "engine/TUnitFract.h"
#include "engine/TUnitWindow.h"
#include "engine/projectfile.h"
#include "render/TStoredFractal.h"
#define ZENOLITH_RESAVE_DOCUMENT_LAYER 0
#endif

namespace {

constexpr int ExitBadArguments = 1;
constexpr int ExitNotRead = 2;
constexpr int ExitNotWritten = 3;

#if ZENOLITH_RESAVE_DOCUMENT_LAYER

bool ReadFractal(const std::string& path, std::string& bytes, std::string& errorText) {
  TStoredFractal fractal;
  return ReadFractalFile(path, fractal, errorText) &&
         FractalFileText(fractal, bytes, errorText);
}

bool ReadProjectText(const std::string& path, std::string& bytes, std::string& errorText) {
  std::ifstream in;
  if (!OpenXMLFile(path, in, errorText)) return false;
  TProjectRecord project;
  return ReadProjectRecord(in, project, errorText) &&
         ProjectFileText(project, bytes, errorText);
}

#else

bool ReadFractal(const std::string& path, std::string& bytes, std::string& errorText) {
  TStoredFractal fractal;
  if (!TStoredFractal::LoadFile(path, fractal, errorText)) return false;
  TUnitFract unit;
  unit.SetWindow(&fractal);
  return unit.ToFileText(bytes, errorText);
}

// Reads a project as the program does, opening nothing.
class TNoWindows : public TProjectHost, public TUnitWindow {
public:
  void SetNoNameCounter(int) override {}
  void SetFrame(const TProjectGeometry&) override {}
  TUnit* OpenFractalFile(const std::string& path) override {
    Units.push_back(std::make_unique<TUnitFract>("", path));
    Units.back()->SetWindowLink(this);
    return Units.back().get();
  }
  TUnit* FindWindowByName(const std::string&) const override { return nullptr; }
  void ProjectNameExists(const std::string&, const std::string&) override {}
  bool ReadWindowXML(TUnit&, const TXMLItem* first, const std::string&, std::string& errorText,
                     int& line, int& column) override {
    TProjectGeometry place;
    return ReadProjectGeometry(first, place, errorText, line, column);
  }
  void SetEditName(const std::string&) override {}
  void NameChanged(const std::string&) override {}
  void UpdateCaption() override {}

private:
  std::vector<std::unique_ptr<TUnitFract>> Units;
};

// The place and state elements as the main window wrote them.
void AddPlace(TXMLComplexElement& parent, const TProjectGeometry& g) {
  unitInteger(g.Left).WriteXML(parent, "Left");
  unitInteger(g.Top).WriteXML(parent, "Top");
  unitInteger(g.Width).WriteXML(parent, "Width");
  unitInteger(g.Height).WriteXML(parent, "Height");
  parent.AddComplex(g.State == TProjectWindowState::Minimized   ? "Minimized"
                    : g.State == TProjectWindowState::Maximized ? "Maximized"
                                                                : "Normal");
}

bool ReadProjectText(const std::string& path, std::string& bytes, std::string& errorText) {
  TNoWindows host;
  if (ReadProjectFile(path, host, errorText) != TProjectReadOutcome::Read) return false;
  const TXMLReadResult read = ReadXMLFile(path, ProjectGrammar());
  const TXMLItem* item = read.Root->GetFirst()->GetFirst()->GetNext();
  int line = 0;
  int column = 0;
  unitInteger counter(0, ukNone);
  counter.ReadXML(item, errorText, line, column);
  auto project = std::make_unique<TXMLComplexElement>("Project");
  project->AddText("Version", ProjectVersion);
  unitInteger(counter.GetInt(), ukNone).WriteXML(*project, "NoNameCounter");
  item = item->GetNext();
  TProjectGeometry frame;
  ReadProjectGeometry(item->GetFirst(), frame, errorText, line, column);
  AddPlace(*project->AddComplex("Frame"), frame);
  for (item = item->GetNext(); item; item = item->GetNext()) {
    const TXMLItem* document = item->GetFirst();
    TUnitFract unit;
    for (const TXMLItem* e = document->GetFirst(); e; e = e->GetNext()) {
      if (e->GetElement() == "File") unit.SetFileName(e->GetText());
      if (e->GetElement() == "TempFile") unit.TempFileNumber = std::stoi(e->GetText());
    }
    auto window = std::make_unique<TXMLComplexElement>("Window");
    TXMLComplexElement* wave = window->AddComplex(document->GetElement());
    if (std::unique_ptr<TXMLItem> file = unit.FileElement()) wave->Add(std::move(file));
    if (std::unique_ptr<TXMLItem> copy = unit.TempFileElement()) wave->Add(std::move(copy));
    const TXMLItem* place = document->GetNext();
    if (place->GetElement() == "Name") {
      window->AddText("Name", place->GetText());
      place = place->GetNext();
    }
    TProjectGeometry geometry;
    ReadProjectGeometry(place, geometry, errorText, line, column);
    AddPlace(*window, geometry);
    project->Add(std::move(window));
  }
  return project->ToFileText(bytes, errorText);
}

#endif

bool ReadPalette(const std::string& path, std::string& bytes, std::string& errorText) {
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  if (!palette.LoadFromFile(path, errorText)) return false;
  bytes = palette.ToFileText();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("Usage: zenolith-resave INPUT OUTPUT (a .zlf, .cp1 or .kvp file)\n", stderr);
    return ExitBadArguments;
  }
  const std::string input = argv[1];
  const std::string output = argv[2];
  std::string extension;
  LowerFileExtension(input, extension);
  std::string bytes;
  std::string errorText;
  bool read = false;
  if (extension == "zlf") {
    read = ReadFractal(input, bytes, errorText);
  } else if (extension == "cp1") {
    read = ReadPalette(input, bytes, errorText);
  } else if (extension == "kvp") {
    read = ReadProjectText(input, bytes, errorText);
  } else {
    std::fprintf(stderr, "zenolith-resave: \"%s\" is no .zlf, .cp1 or .kvp file\n",
                 input.c_str());
    return ExitBadArguments;
  }
  if (!read) {
    std::fprintf(stderr, "zenolith-resave: cannot read \"%s\": %s\n", input.c_str(),
                 errorText.c_str());
    return ExitNotRead;
  }
  if (!WriteFileSafely(output, bytes, errorText)) {
    std::fprintf(stderr, "zenolith-resave: cannot write \"%s\": %s\n", output.c_str(),
                 errorText.c_str());
    return ExitNotWritten;
  }
  return 0;
}
