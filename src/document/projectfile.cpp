#include "document/projectfile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/TReadError.h"
#include "core/TXMLItem.h"
#include "core/TXMLLayout.h"
#include "core/assertions.h"
#include "core/pathsplit.h"
#include "core/unitInteger.h"
#include "core/xmlread.h"
#include "document/TProjectHost.h"
#include "document/TProjectRecord.h"
#include "document/TUnit.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "document/windowname.h"

namespace fs = std::filesystem;

namespace {

using TProject = TXMLLayout<TProjectRecord>;
using TWindow = TXMLLayout<TProjectWindow>;
using TPlace = TXMLLayout<TProjectGeometry>;

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

// A whole number in pixels from `low` to `high`; a hostile size would make a window's picture
// huge, so it is refused before any window opens.
template <class R>
TXMLLayout<R> Integer(const char* name, int R::*member, int low, int high) {
  return TXMLLayout<R>::Text(
      name, [member](const R& r) { return unitInteger(r.*member, ukNone).GetText(); },
      [=](R& r, const TXMLItem& element, TReadError& error) {
        unitInteger value(0, ukNone);
        if (!value.ReadXML(&element, error) ||
            OutOfRange(name, value.GetInt(), low, high, error.Text))
          return false;
        r.*member = value.GetInt();
        return true;
      });
}

// "Left", "Top", "Width", "Height" and the state element; the frame and the windows share it.
TPlace Place() {
  using G = TProjectGeometry;
  // Order of the alternatives as the grammar tries them.
  static const TProjectWindowState States[3] = {
      TProjectWindowState::Minimized, TProjectWindowState::Maximized, TProjectWindowState::Normal};
  return TPlace::Sequence(
      {Integer("Left", &G::Left, MinProjectWindowPos, MaxProjectWindowPos),
       Integer("Top", &G::Top, MinProjectWindowPos, MaxProjectWindowPos),
       Integer("Width", &G::Width, 0, MaxProjectWindowSize),
       Integer("Height", &G::Height, 0, MaxProjectWindowSize),
       TPlace::Choice(
           "xmlWindowState",
           {TPlace::Compound("Minimized", {}), TPlace::Compound("Maximized", {}),
            TPlace::Compound("Normal", {})},
           [](const G& g) {
             for (int i = 0; i < 3; ++i)
               if (States[i] == g.State) return i;
             return -1;
           },
           [](G& g, int state) { g.State = States[state]; })});
}

// An optional text element kept as its text (empty: absent).
TWindow OptionalText(const char* name, std::string TProjectWindow::*member,
                     bool (*accept)(const std::string&) = nullptr, const char* refusal = "") {
  return TWindow::Optional(
      TWindow::Text(
          name, [member](const TProjectWindow& w) { return w.*member; },
          [=](TProjectWindow& w, const TXMLItem& element, TReadError& error) {
            const std::string text = element.GetText();
            if (accept && !accept(text)) {
              error.Text = refusal;
              return false;
            }
            w.*member = text;
            return true;
          }),
      [member](const TProjectWindow& w) { return !(w.*member).empty(); });
}

// "Wave" or "Music", with the document's own file and its copy.
TWindow Document(const char* name) {
  return TWindow::Compound(
      name, {OptionalText("File", &TProjectWindow::File),
             OptionalText("TempFile", &TProjectWindow::TempFile, IsCopyNumber,
                          "In TempFile: Value must be a number from 0 to 999999999.")});
}

const TProject& ProjectLayout() {
  static const TProject layout = TProject::Compound(
      "Project",
      {TProject::Text(
           "Version", [](const TProjectRecord&) { return std::string(ProjectVersion); },
           [](TProjectRecord&, const TXMLItem& element, TReadError& error) {
             if (element.GetText() == ProjectVersion) return true;
             error.Text = "Project version \"" + element.GetText() +
                          "\" cannot be read; expect version \"" + ProjectVersion + "\".";
             return false;
           }),
       Integer("NoNameCounter", &TProjectRecord::NoNameCounter, 0, MaxProjectNoNameCounter),
       TProject::Part(TPlace::Compound("Frame", {Place()}), &TProjectRecord::Frame),
       TProject::Repeat<TProjectWindow>(
           TWindow::Compound(
               "Window",
               {TWindow::Choice(
                    "xmlWave", {Document("Wave"), Document("Music")},
                    [](const TProjectWindow& w) { return w.Music ? 1 : 0; },
                    [](TProjectWindow& w, int kind) { w.Music = kind == 1; }),
                OptionalText("Name", &TProjectWindow::Name),
                TWindow::Part(Place(), &TProjectWindow::Place)}),
           [](const TProjectRecord& project,
              const std::function<void(const TProjectWindow&)>& visit) {
             for (const TProjectWindow& window : project.Windows) visit(window);
           },
           [](const TProjectRecord&) { return TProjectWindow(); },
           [](TProjectRecord& project, TProjectWindow&& window) {
             project.Windows.push_back(std::move(window));
           })});
  return layout;
}

// Opens the document of a window just read (`element`), names it and places its window.
bool OpenWindow(const TProjectWindow& window, const TXMLItem& element,
                const std::string& projectFile, TProjectHost& host, std::string& lastName,
                TReadError& error) {
  const TXMLItem& document = *element.GetFirst();
  std::string copyPath;
  if (!window.TempFile.empty()) {
    std::string folder;
    if (!ProjectTempFolder(projectFile, folder, error.Text)) {
      for (const TXMLItem* item = document.GetFirst(); item; item = item->GetNext())
        if (item->GetElement() == "TempFile") error.At(*item);
      return false;
    }
    copyPath = folder + "/" + SavedCopyPrefix + window.TempFile + CopyExtension;
  }

  // A document that does not open has shown its message; the project adds where it stopped.
  error.Text.clear();
  error.At(document);
  TUnit* unit = nullptr;
  if (!window.Music) {
    if (!copyPath.empty()) {
      unit = host.OpenFractalFile(copyPath);
      if (!unit) return false;
      // The copy stands in for the document's own file, which a later Save writes. That file
      // was never read here, so a project could name any file at all: it stays the document's
      // only while it is a fractal file; otherwise Save asks for a name.
      unit->SetFileName(ReadsAsFractalFile(window.File) ? window.File : "");
    } else if (!window.File.empty()) {
      unit = host.OpenFractalFile(window.File);
      if (!unit) return false;
    }
  }

  std::string name = WindowNameFromText(window.Name);
  if (!name.empty() && host.FindWindowByName(name) != nullptr) {
    host.ProjectNameExists(window.File, name);
    name.clear();
  }
  lastName = name;
  if (!unit) return true;
  host.PlaceWindow(*unit, name, window.Place);
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
  static const TDTDCompound* root = ProjectLayout().ElementGrammar(grammar);
  return *root;
}

bool ProjectFileText(const TProjectRecord& project, std::string& bytes, std::string& errorText) {
  return ProjectLayout().WriteElement(project)->ToFileText(bytes, errorText);
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
  TReadError error;
  if (!ReadProject(read.Root->GetFirst(), projectFile, host, error)) {
    errorText = error.WithPosition(1);
    return TProjectReadOutcome::Failed;
  }
  return TProjectReadOutcome::Read;
}

bool ReadProjectRecord(std::istream& in, TProjectRecord& project, std::string& errorText) {
  errorText.clear();
  const TXMLReadResult read = ReadXMLStream(in, ProjectGrammar());
  if (read.Outcome != TXMLReadOutcome::Read) {
    errorText = read.ErrorText;
    return false;
  }
  TProjectRecord record;
  TReadError error;
  if (!ProjectLayout().Read(record, read.Root->GetFirst(), error)) {
    errorText = error.WithPosition(1);
    return false;
  }
  project = std::move(record);
  return true;
}

bool ReadProject(const TXMLItem* project, const std::string& projectFile, TProjectHost& host,
                 TReadError& error) {
  TProjectRecord record;
  std::string lastName;
  // Each part goes to the host as soon as it is read: a later failure keeps what went before.
  const TProject::TThen then = [&](const TXMLItem& element, TProjectRecord& read,
                                   TReadError& e) {
    if (element.GetElement() == "NoNameCounter") {
      host.SetNoNameCounter(read.NoNameCounter);
    } else if (element.GetElement() == "Frame") {
      host.SetFrame(read.Frame);
    } else if (element.GetElement() == "Window") {
      return OpenWindow(read.Windows.back(), element, projectFile, host, lastName, e);
    }
    return true;
  };
  if (!ProjectLayout().Read(record, project, error, TXMLStructureCheck::Fatal, then)) return false;
  host.SetEditName(lastName);
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
  return IsRegularFile(path) &&
         ReadXMLFile(path, FractalFileGrammar()).Outcome == TXMLReadOutcome::Read;
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
