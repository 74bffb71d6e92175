#include "engine/projectfile.h"

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
#include "core/safefile.h"
#include "core/unitInteger.h"
#include "core/xmlread.h"
#include "engine/TProjectHost.h"
#include "engine/TUnit.h"
#include "engine/TUnitFract.h"

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
      // The copy stands in for the document's own file, which a later Save writes.
      unit->SetFileName(file);
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
    name = nameElement->GetText();
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
  if (!copyPath.empty() && !file.empty()) {
    if (auto* fractal = dynamic_cast<TUnitFract*>(unit)) fractal->MarkModified();
  }
  return true;
}

struct TRenamed {
  std::string From;
  std::string To;
};

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// Renames from<n>.ext to to<n>.ext for n = 0, 1, ... until the first n without any of the
// three files; `done` lists what was renamed, so that it can be undone.
bool RenameCopies(const std::string& folder, const char* from, const char* to,
                  std::vector<TRenamed>& done, std::string& errorText) {
  for (int n = 0;; ++n) {
    bool any = false;
    for (const char* extension : CopyExtensions) {
      const std::string source = ProjectCopyPath(folder, from, n, extension);
      if (!Exists(source)) continue;
      any = true;
      const std::string target = ProjectCopyPath(folder, to, n, extension);
      std::error_code ec;
      fs::rename(source, target, ec);
      if (ec) {
        errorText = "Operating System could not rename \"" + source + "\" to \"" + target + "\".";
        return false;
      }
      done.push_back({source, target});
    }
    if (!any) return true;
  }
}

void UndoRenames(const std::vector<TRenamed>& done) {
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    std::error_code ec;
    fs::rename(it->To, it->From, ec);
  }
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
  if (!OpenXMLFile(projectFile, in)) return TProjectReadOutcome::NotOpened;
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

bool DeleteProjectCopies(const std::string& folder, const char* prefix, std::string& errorText,
                         int first) {
  for (int n = first;; ++n) {
    bool any = false;
    for (const char* extension : CopyExtensions) {
      const std::string path = ProjectCopyPath(folder, prefix, n, extension);
      if (!Exists(path)) continue;
      any = true;
      std::error_code ec;
      fs::remove(path, ec);
      if (ec) {
        errorText = "Operating System could not delete \"" + path + "\".";
        return false;
      }
    }
    if (!any) return true;
  }
}

bool CommitProjectSave(const std::string& projectFile, const std::string& folder,
                       const std::string& projectText, std::string& errorText) {
  // The old project file refers to the saved copies by number, and so does the new one, so the
  // two sets cannot both be in place. The old copies are therefore only set aside (renamed)
  // while the new ones take their names, and deleted only once the new project file is in
  // place (written to a temporary file and renamed over the old one). A failure at any step
  // undoes the renames, which leaves the previous project file with its own copies; the new
  // copies stay behind as "newProjectWindowFile" files.
  std::string ignored;
  // Left over when the last cleaning failed; a copy still there makes the next rename fail.
  DeleteProjectCopies(folder, SetAsideCopyPrefix, ignored);
  std::vector<TRenamed> setAside;
  if (!RenameCopies(folder, SavedCopyPrefix, SetAsideCopyPrefix, setAside, errorText)) {
    UndoRenames(setAside);
    return false;
  }
  std::vector<TRenamed> placed;
  if (!RenameCopies(folder, NewCopyPrefix, SavedCopyPrefix, placed, errorText) ||
      !WriteFileSafely(projectFile, projectText, errorText)) {
    UndoRenames(placed);
    UndoRenames(setAside);
    return false;
  }
  // The save is complete; copies that cannot be deleted now go at the next save.
  DeleteProjectCopies(folder, SetAsideCopyPrefix, ignored);
  return true;
}
