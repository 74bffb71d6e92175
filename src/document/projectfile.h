#pragma once
// The project file (root "Project", extension ".kvp") and its folder of temporary copies,
// without any window: the file as a function of its record, the walk over a parsed file and
// the folder rule. The file steps of a save are TProjectSave's.
#include <iosfwd>
#include <set>
#include <string>

#include "document/TProjectGeometry.h"

class TDTDCompound;
class TProjectHost;
class TProjectRecord;
class TReadError;
class TXMLItem;

/// Version of the project file.
inline constexpr const char* ProjectVersion = "1.0";

/// Largest "NoNameCounter" a project may hold: window names count on from it.
inline constexpr int MaxProjectNoNameCounter = 1000000000;
/// Range of a stored window position in pixels; stored sizes lie in 0..MaxProjectWindowSize.
inline constexpr int MinProjectWindowPos = -32768;
inline constexpr int MaxProjectWindowPos = 32767;
inline constexpr int MaxProjectWindowSize = 16384;
/// The most windows a project holds. The reader refuses more and the program opens no more
/// windows than this, so that every project it writes opens again; far above any project
/// made by hand, it keeps a file of many small windows from taking gigabytes.
inline constexpr int MaxProjectWindows = 10000;
/// "A project holds at most 10000 windows"
std::string TooManyWindowsText();

/// Copy of a document while a save writes it ("newProjectWindowFile<n>-<process id>.wav").
inline constexpr const char* NewCopyPrefix = "newProjectWindowFile";
/// Copy that the project file's "TempFile" refers to.
inline constexpr const char* SavedCopyPrefix = "savedProjectWindowFile";
/// Extension of the copies of fractal documents.
inline constexpr const char* CopyExtension = ".wav";

/// Whether the element "File" gives back `path` byte for byte: the dialect has no escapes and
/// its reader trims the ends of a text and reads a tab or a line break as a space, so the name
/// must not be empty, must hold no '<', '>', tab or line break, and no byte up to the space
/// may stand at either end. Any other name is written as "EscapedFile".
bool FileElementHolds(const std::string& path);
/// The text of "EscapedFile" for `path`: '%', '<', '>', DEL and every byte up to the space as
/// "%" and two upper-case hexadecimal digits, every other byte as it is.
std::string EscapeFileName(const std::string& path);
/// The path an "EscapedFile" text stands for; false when a '%' is not followed by two
/// hexadecimal digits.
bool UnescapeFileName(const std::string& text, std::string& path);

/// The grammar of the project file, built on the first call and kept for the whole run.
const TDTDCompound& ProjectGrammar();
/// The bytes of the project file of `project`. False with the reason in `errorText` when a
/// text could not be read back (a window name of blanks only or with '<' or '>').
bool ProjectFileText(const TProjectRecord& project, std::string& bytes, std::string& errorText);

/// How reading a project ended.
enum class TProjectReadOutcome {
  NotOpened,  ///< the file could not be opened; nothing is reported
  Failed,     ///< the message is in errorText (with " At line L, column C." for the walk;
              ///< ", not a regular file" for a pipe, a device or a folder)
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
/// Reads the bytes of a project file from `in` (to its end) into `project` without opening
/// anything. False with the message in `errorText` (as ReadProjectStream gives it).
bool ReadProjectRecord(std::istream& in, TProjectRecord& project, std::string& errorText);
/// The walk over a "Project" element that the grammar has matched: version, counter, frame and
/// windows in order, each handed to `host` as soon as it is read (values out of the ranges
/// above are refused, and so is a copy that an earlier window named). A relative "File" is
/// taken from the project's folder; a window keeps its "File" as its own file only when that is
/// outside every folder of copies (InFolderOfCopies) and, for a window restored from its copy,
/// when it reads as a fractal file. False with the message and the position of the element
/// being read.
bool ReadProject(const TXMLItem* project, const std::string& projectFile, TProjectHost& host,
                 TReadError& error);

/// The folder of temporary copies of the project `projectFile`: its folder + "/" + its file
/// name without extension + "TempSaveFiles". False with the path splitter's message when the
/// path names no folder.
bool ProjectTempFolder(const std::string& projectFile, std::string& folder,
                       std::string& errorText);
/// folder + "/" + prefix + n + extension.
std::string ProjectCopyPath(const std::string& folder, const char* prefix, int n,
                            const char* extension = CopyExtension);

/// The copy numbers (the texts of "TempFile") that a "Project" element matched by the grammar
/// names.
std::set<std::string> ProjectCopyNumbers(const TXMLItem* project);

/// Whether `path` is a regular file that the fractal file's grammar matches. A window restored
/// from a copy keeps its own file name only then.
bool ReadsAsFractalFile(const std::string& path);

/// Whether the file `path` lies in a folder of copies: that of the project `projectFile`, or a
/// folder "<B>TempSaveFiles" beside a project file named B (LooksLikeProject). Saving a
/// window there would overwrite a copy, which a project's save then deletes.
bool InFolderOfCopies(const std::string& path, const std::string& projectFile);
/// Whether `path` is a regular file that is or was a project: one that reads as a project, or
/// one that begins like a project file (a damaged project still owns its folder of copies).
bool LooksLikeProject(const std::string& path);

/// The project whose folder of copies the project file `target` would share: `openProject`
/// (the open project, "" for none) when its folder is target's, else another existing file in
/// target's folder that looks like a project (LooksLikeProject) and has the same name before
/// its extension. "" when the folder is target's own. `folder` gets target's folder of copies.
std::string ProjectSharingCopies(const std::string& target, const std::string& openProject,
                                 std::string& folder);
/// Whether `target` is a damaged project: an existing file that does not read as a project but
/// begins like one or has copies in its folder of copies. Its copies may be all that is left
/// of its windows, so New and Export do not take its place. `folder` gets its folder of copies.
bool IsDamagedProject(const std::string& target, std::string& folder);
