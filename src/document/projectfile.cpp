#include "document/projectfile.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/TDTDAttribute.h"
#include "core/TDTDChoice.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TDTDOptional.h"
#include "core/TDTDRepeatMin0.h"
#include "core/TXMLItem.h"
#include "core/assertions.h"
#include "core/pathsplit.h"
#include "core/unitInteger.h"
#include "core/xmlread.h"
#include "document/TProjectHost.h"
#include "document/TUnit.h"
#include "document/TUnitFract.h"
#include "document/windowname.h"

namespace fs = std::filesystem;

namespace {

// The copies of other document kinds (".kvm", ".kvw") share the base names; the cleaning
// steps handle them too.
const char* const CopyExtensions[3] = {".wav", ".kvm", ".kvw"};

void SetPosition(const TXMLItem* item, int& line, int& column) {
  line = item->GetLine();
  column = item->GetColumn();
}

bool OutOfRange(const std::string& name, int value, int low, int high, std::string& errorText) {
  if (value >= low && value <= high) return false;
  errorText = "In " + name + ": Value must be between " + std::to_string(low) + " and " +
              std::to_string(high) + ".";
  return true;
}

// A "TempFile" text names a copy in the project's folder, so it must be a plain number: any
// other text would reach outside the folder.
bool IsCopyNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Reads one "Window" element: opens its document, names it and places its window.
bool ReadWindow(const TXMLItem* window, const std::string& projectFile, TProjectHost& host,
                std::string& lastName, std::string& errorText, int& line, int& column) {
  const TXMLItem* document = window->GetFirst();
  ZASSERT_TEXT(document != nullptr && (document->GetElement() == "Wave" ||
                                       document->GetElement() == "Music"),
               "xmlWave != NULL");
  SetPosition(document, line, column);
  std::string file;
  std::string copyPath;
  for (const TXMLItem* item = document->GetFirst(); item; item = item->GetNext()) {
    if (item->GetElement() == "File") {
      file = item->GetText();
    } else if (item->GetElement() == "TempFile") {
      SetPosition(item, line, column);
      const std::string number = item->GetText();
      if (!IsCopyNumber(number)) {
        errorText = "In TempFile: Value must be a number from 0 to 999999999.";
        return false;
      }
      std::string folder;
      if (!ProjectTempFolder(projectFile, folder, errorText)) return false;
      copyPath = folder + "/" + SavedCopyPrefix + number + CopyExtension;
    }
  }

  const TXMLItem* nameElement = document->GetNext();
  ZASSERT_TEXT(nameElement != nullptr, "xmlLeft != NULL");
  const TXMLItem* place = nameElement->GetElement() == "Name" ? nameElement->GetNext()
                                                               : nameElement;
  // A hostile size would make the window's picture huge: it is refused before any window
  // opens.
  TProjectGeometry geometry;
  if (!ReadProjectGeometry(place, geometry, errorText, line, column)) return false;
  SetPosition(document, line, column);

  TUnit* unit = nullptr;
  if (document->GetElement() == "Wave") {
    if (!copyPath.empty()) {
      unit = host.OpenFractalFile(copyPath);
      if (!unit) return false;
      // The copy stands in for the document's own file, which a later Save writes. That file
      // was never read here, so a project could name any file at all: it stays the document's
      // only while it is a fractal file; otherwise Save asks for a name.
      unit->SetFileName(ReadsAsFractalFile(file) ? file : "");
    } else if (!file.empty()) {
      unit = host.OpenFractalFile(file);
      if (!unit) return false;
    }
  }
  if (unit && unit->GetWindowLink() == nullptr) {
    errorText = "The window of \"" + (file.empty() ? copyPath : file) + "\" was not created.";
    return false;
  }

  std::string name;
  if (nameElement->GetElement() == "Name") {
    name = WindowNameFromText(nameElement->GetText());
    if (!name.empty() && host.FindWindowByName(name) != nullptr) {
      host.ProjectNameExists(file, name);
      name.clear();
    }
  }
  lastName = name;
  if (!unit) return true;
  if (!host.ReadWindowXML(*unit, place, name, errorText, line, column)) return false;
  unit->Loaded = true;
  // A copy of a document with a file of its own holds changes that the file lacks: closing
  // it outside a project must still ask. A document without a file needs saving anyway.
  if (!copyPath.empty() && !unit->HasNoFile()) {
    if (auto* fractal = dynamic_cast<TUnitFract*>(unit)) fractal->MarkModified();
  }
  return true;
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// Two paths of one place: the same folder reached through links or ".." counts as the same.
bool SamePlace(const std::string& a, const std::string& b) {
  std::error_code ec;
  const fs::path x = fs::weakly_canonical(a, ec);
  if (ec) return a == b;
  const fs::path y = fs::weakly_canonical(b, ec);
  if (ec) return a == b;
  return x == y;
}

bool ReadsAsProject(const std::string& path) {
  return IsRegularFile(path) &&
         ReadXMLFile(path, ProjectGrammar()).Outcome == TXMLReadOutcome::Read;
}

}  // namespace

const TDTDCompound& ProjectGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = [] {
    TDTDGrammar& g = grammar;
    const auto text = [&](const char* name) { return g.Make<TDTDAttribute>(name); };
    const auto flag = [&](const char* name) {
      return g.Make<TDTDCompound>(name, g.Make<TDTDEmpty>());
    };
    const TDTDItem* file = text("File");
    const TDTDItem* tempFile = text("TempFile");
    const auto document = [&](const char* name) {
      return g.Make<TDTDCompound>(
          name, g.Make<TDTDConcat>(g.Make<TDTDOptional>(file), g.Make<TDTDOptional>(tempFile)));
    };
    // The same element objects serve the frame and the windows.
    const TDTDItem* state = g.Make<TDTDChoice>(
        flag("Minimized"), g.Make<TDTDChoice>(flag("Maximized"), flag("Normal")));
    const TDTDItem* geometry = g.Make<TDTDConcat>(
        text("Left"),
        g.Make<TDTDConcat>(
            text("Top"),
            g.Make<TDTDConcat>(text("Width"), g.Make<TDTDConcat>(text("Height"), state))));
    const TDTDItem* frame = g.Make<TDTDCompound>("Frame", geometry);
    const TDTDItem* window = g.Make<TDTDCompound>(
        "Window",
        g.Make<TDTDConcat>(g.Make<TDTDChoice>(document("Wave"), document("Music")),
                           g.Make<TDTDConcat>(g.Make<TDTDOptional>(text("Name")), geometry)));
    return g.Make<TDTDCompound>(
        "Project",
        g.Make<TDTDConcat>(
            text("Version"),
            g.Make<TDTDConcat>(text("NoNameCounter"),
                               g.Make<TDTDConcat>(frame, g.Make<TDTDRepeatMin0>(window)))));
  }();
  return *root;
}

TProjectReadOutcome ReadProjectFile(const std::string& projectFile, TProjectHost& host,
                                    std::string& errorText) {
  errorText.clear();
  std::ifstream in;
  std::string reason;
  if (!OpenXMLFile(projectFile, in, reason)) {
    if (reason.empty()) return TProjectReadOutcome::NotOpened;
    // A pipe or a device is reported like any file that cannot be read, with its reason.
    errorText = ", " + reason;
    return TProjectReadOutcome::Failed;
  }
  return ReadProjectStream(in, projectFile, host, errorText);
}

TProjectReadOutcome ReadProjectStream(std::istream& in, const std::string& projectFile,
                                      TProjectHost& host, std::string& errorText) {
  errorText.clear();
  TXMLReadResult read = ReadXMLStream(in, ProjectGrammar());
  // A stream has opened already: whatever does not read is a broken file.
  if (read.Outcome != TXMLReadOutcome::Read) {
    errorText = read.ErrorText;
    return TProjectReadOutcome::Failed;
  }
  int line = 0;
  int column = 0;
  if (!ReadProject(read.Root->GetFirst(), projectFile, host, errorText, line, column)) {
    errorText += " At line " + std::to_string(line) + ", column " + std::to_string(column + 1) +
                 ".";
    return TProjectReadOutcome::Failed;
  }
  return TProjectReadOutcome::Read;
}

bool ReadProject(const TXMLItem* project, const std::string& projectFile, TProjectHost& host,
                 std::string& errorText, int& line, int& column) {
  ZASSERT_TEXT(project != nullptr && project->GetElement() == "Project", "xmlProject != NULL");
  const TXMLItem* item = project->GetFirst();
  ZASSERT_TEXT(item != nullptr && item->GetElement() == "Version", "xmlVersion != NULL");
  SetPosition(item, line, column);
  if (item->GetText() != ProjectVersion) {
    errorText = "Project version \"" + item->GetText() + "\" cannot be read; expect version \"" +
                ProjectVersion + "\".";
    return false;
  }

  item = item->GetNext();
  ZASSERT_TEXT(item != nullptr && item->GetElement() == "NoNameCounter",
               "xmlNoNameCounter != NULL");
  unitInteger counter(0, ukNone);
  if (!counter.ReadXML(item, errorText, line, column)) return false;
  if (OutOfRange("NoNameCounter", counter.GetInt(), 0, MaxProjectNoNameCounter, errorText))
    return false;
  host.SetNoNameCounter(counter.GetInt());

  item = item->GetNext();
  ZASSERT_TEXT(item != nullptr && item->GetElement() == "Frame", "xmlFrame != NULL");
  TProjectGeometry frame;
  if (!ReadProjectGeometry(item->GetFirst(), frame, errorText, line, column)) return false;
  host.SetFrame(frame);

  std::string lastName;
  for (item = item->GetNext(); item; item = item->GetNext()) {
    ZASSERT_TEXT(item->GetElement() == "Window", "xmlWindow->GetElement() == \"Window\"");
    if (!ReadWindow(item, projectFile, host, lastName, errorText, line, column)) return false;
  }
  host.SetEditName(lastName);
  return true;
}

bool ReadProjectGeometry(const TXMLItem* first, TProjectGeometry& geometry,
                         std::string& errorText, int& line, int& column) {
  struct TField {
    const char* Element;
    const char* Condition;
    int TProjectGeometry::*Value;
    int Low;
    int High;
  };
  static const TField Fields[4] = {
      {"Left", "xmlLeft->GetElement() == \"Left\"", &TProjectGeometry::Left,
       MinProjectWindowPos, MaxProjectWindowPos},
      {"Top", "xmlTop->GetElement() == \"Top\"", &TProjectGeometry::Top, MinProjectWindowPos,
       MaxProjectWindowPos},
      {"Width", "xmlWidth->GetElement() == \"Width\"", &TProjectGeometry::Width, 0,
       MaxProjectWindowSize},
      {"Height", "xmlHeight->GetElement() == \"Height\"", &TProjectGeometry::Height, 0,
       MaxProjectWindowSize},
  };
  TProjectGeometry read;
  const TXMLItem* item = first;
  for (const TField& field : Fields) {
    ZASSERT_TEXT(item != nullptr && item->GetElement() == field.Element, field.Condition);
    unitInteger value(0, ukNone);
    if (!value.ReadXML(item, errorText, line, column)) return false;
    if (OutOfRange(field.Element, value.GetInt(), field.Low, field.High, errorText)) return false;
    read.*field.Value = value.GetInt();
    item = item->GetNext();
  }
  ZASSERT_TEXT(item != nullptr, "xmlWindowState != NULL");
  if (item->GetElement() == "Minimized") {
    read.State = TProjectWindowState::Minimized;
  } else if (item->GetElement() == "Maximized") {
    read.State = TProjectWindowState::Maximized;
  } else {
    ZASSERT_TEXT(item->GetElement() == "Normal", "xmlWindowState != NULL");
    read.State = TProjectWindowState::Normal;
  }
  geometry = read;
  return true;
}

bool ProjectTempFolder(const std::string& projectFile, std::string& folder,
                       std::string& errorText) {
  std::string path;
  std::string file;
  if (!PathOfPathFile(projectFile, path, file, errorText)) return false;
  std::string name;
  std::string extension;
  SplitFileExtension(file, name, extension);
  folder = path + "/" + name + "TempSaveFiles";
  return true;
}

std::string ProjectCopyPath(const std::string& folder, const char* prefix, int n,
                            const char* extension) {
  return folder + "/" + prefix + std::to_string(n) + extension;
}

std::set<std::string> ProjectCopyNumbers(const TXMLItem* project) {
  std::set<std::string> numbers;
  if (!project) return numbers;
  for (const TXMLItem* window = project->GetFirst(); window; window = window->GetNext()) {
    if (window->GetElement() != "Window" || !window->GetFirst()) continue;
    for (const TXMLItem* item = window->GetFirst()->GetFirst(); item; item = item->GetNext()) {
      if (item->GetElement() == "TempFile" && IsCopyNumber(item->GetText()))
        numbers.insert(item->GetText());
    }
  }
  return numbers;
}

bool ReadsAsFractalFile(const std::string& path) {
  const TDTDCompound* grammar = TUnitFract::FileGrammar();
  return grammar && IsRegularFile(path) &&
         ReadXMLFile(path, *grammar).Outcome == TXMLReadOutcome::Read;
}

std::string ProjectSharingCopies(const std::string& target, const std::string& openProject,
                                 std::string& folder) {
  std::string errorText;
  folder.clear();
  if (!ProjectTempFolder(target, folder, errorText)) return "";
  std::string openFolder;
  if (!openProject.empty() && ProjectTempFolder(openProject, openFolder, errorText) &&
      SamePlace(openFolder, folder))
    return openProject;
  std::string path;
  std::string file;
  std::string name;
  std::string extension;
  PathOfPathFile(target, path, file, errorText);
  SplitFileExtension(file, name, extension);
  std::error_code ec;
  for (fs::directory_iterator it(path.empty() ? "/" : path, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string other = it->path().string();
    std::string otherName;
    SplitFileExtension(it->path().filename().string(), otherName, extension);
    if (otherName != name || SamePlace(other, target)) continue;
    if (ReadsAsProject(other)) return other;
  }
  return "";
}
