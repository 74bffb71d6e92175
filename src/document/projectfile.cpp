#include "document/projectfile.h"

#include <filesystem>
#include <fstream>
#include <set>
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

// The document's own file: "File" when that element gives the name back byte for byte, else
// "EscapedFile" (written only for such names, so every other project stays as it was).
TWindow OwnFile() {
  return TWindow::Optional(
      TWindow::Choice(
          "xmlFile",
          {TWindow::Text(
               "File", [](const TProjectWindow& w) { return w.File; },
               [](TProjectWindow& w, const TXMLItem& element, TReadError&) {
                 w.File = element.GetText();
                 return true;
               }),
           TWindow::Text(
               "EscapedFile", [](const TProjectWindow& w) { return EscapeFileName(w.File); },
               [](TProjectWindow& w, const TXMLItem& element, TReadError& error) {
                 if (UnescapeFileName(element.GetText(), w.File) && !w.File.empty()) return true;
                 error.Text = "In EscapedFile: \"%\" must be followed by two hexadecimal digits.";
                 return false;
               })},
          [](const TProjectWindow& w) { return FileElementHolds(w.File) ? 0 : 1; },
          [](TProjectWindow&, int) {}),
      [](const TProjectWindow& w) { return !w.File.empty(); });
}

// "Wave" or "Music", with the document's own file and its copy.
TWindow Document(const char* name) {
  return TWindow::Compound(
      name, {OwnFile(),
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
           },
           MaxProjectWindows, TooManyWindowsText())});
  return layout;
}

// The element "TempFile" of the document of the window element `window`, or the window.
const TXMLItem& CopyElement(const TXMLItem& window) {
  for (const TXMLItem* item = window.GetFirst()->GetFirst(); item; item = item->GetNext())
    if (item->GetElement() == "TempFile") return *item;
  return window;
}

// Refuses the latest window read when its copy is one an earlier window named: two windows
// on one copy would save over each other's work.
bool CopyIsItsOwn(const TXMLItem& element, const TProjectRecord& read,
                  std::set<std::string>& copies, TReadError& error) {
  const std::string& copy = read.Windows.back().TempFile;
  if (copy.empty() || copies.insert(copy).second) return true;
  error.At(CopyElement(element));
  error.Text = "In TempFile: The copy " + copy + " belongs to an earlier window.";
  return false;
}

// `file` as a path: a relative name is taken from the project's folder.
std::string FromProjectFolder(const std::string& file, const std::string& projectFile) {
  if (file.empty() || file.front() == '/') return file;
  std::string folder;
  std::string name;
  std::string ignored;
  if (!PathOfPathFile(projectFile, folder, name, ignored)) return file;
  return folder + "/" + file;
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
  const std::string file = FromProjectFolder(window.File, projectFile);
  // A copy is no document's own file: Save would overwrite another window's copy, and the
  // project's next save would delete it.
  const bool ownFile = !file.empty() && !InFolderOfCopies(file, projectFile);
  TUnit* unit = nullptr;
  if (!window.Music) {
    if (!copyPath.empty()) {
      unit = host.OpenFractalFile(copyPath);
      if (!unit) return false;
      // The copy stands in for the document's own file, which a later Save writes. That file
      // was never read here, so a project could name any file at all: it stays the document's
      // only while it is a fractal file; otherwise Save asks for a name.
      unit->SetFileName(ownFile && ReadsAsFractalFile(file) ? file : "");
    } else if (!file.empty()) {
      unit = host.OpenFractalFile(file);
      if (!unit) return false;
      if (!ownFile) unit->SetFileName("");
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

// Whether the first bytes of `path` (a regular file) are those of a project file: its header
// survives when the rest is cut off.
bool HasProjectHeader(const std::string& path) {
  std::ifstream in;
  std::string reason;
  if (!OpenXMLFile(path, in, reason)) return false;
  char start[512];
  in.read(start, sizeof start);
  const std::string head(start, static_cast<size_t>(in.gcount()));
  return head.find("<!DOCTYPE Project ") != std::string::npos;
}

// Whether `folder` holds a copy of a document ("savedProjectWindowFile...").
bool HoldsCopies(const std::string& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().rfind(SavedCopyPrefix, 0) == 0) return true;
  }
  return false;
}

// A file of `folder` other than `except` whose name before its extension is `name` and that
// looks like a project, or "".
std::string ProjectNamed(const std::string& folder, const std::string& name,
                         const std::string& except) {
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "/" : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string other = it->path().string();
    std::string otherName;
    std::string extension;
    SplitFileExtension(it->path().filename().string(), otherName, extension);
    if (otherName != name || (!except.empty() && SamePlace(other, except))) continue;
    if (LooksLikeProject(other)) return other;
  }
  return "";
}

}  // namespace

std::string TooManyWindowsText() {
  return "A project holds at most " + std::to_string(MaxProjectWindows) + " windows";
}

bool FileElementHolds(const std::string& path) {
  if (path.empty()) return false;
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (blank(path.front()) || blank(path.back())) return false;
  return path.find_first_of("<>\t\n\r") == std::string::npos;
}

std::string EscapeFileName(const std::string& path) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string text;
  for (char c : path) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F || c == '%' || c == '<' || c == '>') {
      text += '%';
      text += Hex[byte >> 4];
      text += Hex[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

bool UnescapeFileName(const std::string& text, std::string& path) {
  const auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = digit(text[i + 1]);
    const int low = digit(text[i + 2]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
  }
  path = std::move(bytes);
  return true;
}

const TDTDCompound& ProjectGrammar() {
  static TDTDGrammar grammar;
  static const TDTDCompound* root = ProjectLayout().ElementGrammar(grammar);
  return *root;
}

bool ProjectFileText(const TProjectRecord& project, std::string& bytes, std::string& errorText) {
  // Said of the window, which the writer's own message would not name.
  for (const TProjectWindow& window : project.Windows) {
    if (window.Name.find_first_of("<>") != std::string::npos) {
      errorText = "The name of the window \"" + window.Name +
                  "\" holds '<' or '>' and cannot be stored.";
      return false;
    }
  }
  if (project.Windows.size() > static_cast<size_t>(MaxProjectWindows)) {
    errorText = TooManyWindowsText() + ".";
    return false;
  }
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
  std::set<std::string> copies;
  const TProject::TThen then = [&](const TXMLItem& element, TProjectRecord& r, TReadError& e) {
    return element.GetElement() != "Window" || CopyIsItsOwn(element, r, copies, e);
  };
  if (!ProjectLayout().Read(record, read.Root->GetFirst(), error, TXMLStructureCheck::Fatal,
                            then)) {
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
  std::set<std::string> copies;
  // Each part goes to the host as soon as it is read: a later failure keeps what went before.
  const TProject::TThen then = [&](const TXMLItem& element, TProjectRecord& read,
                                   TReadError& e) {
    if (element.GetElement() == "NoNameCounter") {
      host.SetNoNameCounter(read.NoNameCounter);
    } else if (element.GetElement() == "Frame") {
      host.SetFrame(read.Frame);
    } else if (element.GetElement() == "Window") {
      return CopyIsItsOwn(element, read, copies, e) &&
             OpenWindow(read.Windows.back(), element, projectFile, host, lastName, e);
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

bool LooksLikeProject(const std::string& path) {
  return IsRegularFile(path) && (HasProjectHeader(path) || ReadsAsProject(path));
}

bool InFolderOfCopies(const std::string& path, const std::string& projectFile) {
  std::string folder;
  std::string file;
  std::string errorText;
  if (!PathOfPathFile(path, folder, file, errorText)) return false;
  if (folder.empty()) folder = "/";
  std::string own;
  if (ProjectTempFolder(projectFile, own, errorText) && SamePlace(folder, own)) return true;
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(folder, ec);
  if (ec) return false;
  const std::string name = real.filename().string();
  const std::string suffix = "TempSaveFiles";
  if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(),
                                                  suffix) != 0)
    return false;
  // The folder of a project "<B>.<ext>" beside it: any such file that is a project owns it.
  return !ProjectNamed(real.parent_path().string(), name.substr(0, name.size() - suffix.size()),
                       "")
              .empty();
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
  return ProjectNamed(path, name, target);
}

bool IsDamagedProject(const std::string& target, std::string& folder) {
  std::string errorText;
  folder.clear();
  if (!ProjectTempFolder(target, folder, errorText) || !IsRegularFile(target)) return false;
  if (ReadsAsProject(target)) return false;
  return HasProjectHeader(target) || HoldsCopies(folder);
}
