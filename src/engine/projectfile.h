#pragma once
// The project file (root "Project", extension ".kvp") and its folder of temporary copies,
// without any window: the grammar, the walk over a parsed file, and the file steps of a save.
#include <iosfwd>
#include <string>

class TDTDCompound;
class TProjectHost;
class TXMLItem;

/// Version of the project file.
inline constexpr const char* ProjectVersion = "1.0";

/// Largest "NoNameCounter" a project may hold: window names count on from it.
inline constexpr int MaxProjectNoNameCounter = 1000000000;
/// Range of a stored window position in pixels; stored sizes lie in 0..MaxProjectWindowSize.
inline constexpr int MinProjectWindowPos = -32768;
inline constexpr int MaxProjectWindowPos = 32767;
inline constexpr int MaxProjectWindowSize = 16384;

/// Copy of a document written during a save, before the save is in place.
inline constexpr const char* NewCopyPrefix = "newProjectWindowFile";
/// Copy that the project file's "TempFile" refers to.
inline constexpr const char* SavedCopyPrefix = "savedProjectWindowFile";
/// Previous saved copy, kept while a save replaces it.
inline constexpr const char* SetAsideCopyPrefix = "oldProjectWindowFile";
/// Extension of the copies of fractal documents.
inline constexpr const char* CopyExtension = ".wav";

/// State of a window as the project file stores it.
enum class TProjectWindowState { Normal, Minimized, Maximized };

/// Place and state of a window as a project stores them ("Left", "Top", "Width", "Height" in
/// pixels and the state element).
struct TProjectGeometry {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  TProjectWindowState State = TProjectWindowState::Normal;
};

/// The grammar of the project file, built on the first call and kept for the whole run.
const TDTDCompound& ProjectGrammar();

/// How reading a project ended.
enum class TProjectReadOutcome {
  NotOpened,  ///< the file could not be opened; nothing is reported
  Failed,     ///< the message is in errorText (with " At line L, column C." for the walk)
  Read        ///< every window was opened
};

/// Reads the project file `projectFile` and opens its windows through `host`. On failure the
/// windows opened so far stay open.
TProjectReadOutcome ReadProjectFile(const std::string& projectFile, TProjectHost& host,
                                    std::string& errorText);
/// The same from the bytes of `in` (read to its end); `projectFile` only locates the folder of
/// temporary copies. An empty stream fails.
TProjectReadOutcome ReadProjectStream(std::istream& in, const std::string& projectFile,
                                      TProjectHost& host, std::string& errorText);
/// The walk over a "Project" element that the grammar has matched: version, counter, frame and
/// windows in order. False with the message and the position of the element being read.
bool ReadProject(const TXMLItem* project, const std::string& projectFile, TProjectHost& host,
                 std::string& errorText, int& line, int& column);
/// Reads "Left", "Top", "Width", "Height" from `first` on and then the state element; values
/// outside the ranges above are refused. False with "In <element>: <reason>" and the element's
/// position.
bool ReadProjectGeometry(const TXMLItem* first, TProjectGeometry& geometry,
                         std::string& errorText, int& line, int& column);

/// The folder of temporary copies of the project `projectFile`: its folder + "/" + its file
/// name without extension + "TempSaveFiles". False with the path splitter's message when the
/// path names no folder.
bool ProjectTempFolder(const std::string& projectFile, std::string& folder,
                       std::string& errorText);
/// folder + "/" + prefix + n + extension.
std::string ProjectCopyPath(const std::string& folder, const char* prefix, int n,
                            const char* extension = CopyExtension);

/// Deletes prefix + n + (".wav", ".kvm", ".kvw") in `folder` for n = first, first + 1, ...
/// until the first n for which none of the three exists. False with a message when a delete
/// fails.
bool DeleteProjectCopies(const std::string& folder, const char* prefix, std::string& errorText,
                         int first = 0);

/// Puts a save in place once the new copies are written ("newProjectWindowFile<n>") and the
/// project text is built. On failure returns false with the reason, and the previous project
/// file and its saved copies are as they were.
bool CommitProjectSave(const std::string& projectFile, const std::string& folder,
                       const std::string& projectText, std::string& errorText);
