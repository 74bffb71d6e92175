#pragma once
#include <memory>
#include <set>
#include <string>
#include <vector>

class TProjectLock;

/// The file steps of one save of a project into its file and its folder of copies. At every
/// moment the project file on disk and the copies it names form one whole project, the
/// previous one or the new one; the switch is the rename of the project file:
///   TProjectSave save(path);
///   save.Begin(error);                    // the folder, and the copies the file on disk names
///   int m = save.WriteCopy(bytes, error); // each document stored as a copy
///   save.Commit(projectText, error);      // the switch, then the cleaning of the folder
/// A save dropped or failed before Commit succeeds removes the copies it wrote. Only the process
/// that holds the project (TProjectLock) saves into it: Begin takes the lock for the save when
/// the process does not hold it already, and fails while another process does.
class TProjectSave {
public:
  /// A save of the project file `projectFile` (an absolute path).
  explicit TProjectSave(std::string projectFile);
  /// Removes the copies of a save that did not commit.
  ~TProjectSave();
  TProjectSave(const TProjectSave&) = delete;
  TProjectSave& operator=(const TProjectSave&) = delete;

  /// Takes the project's lock unless this process holds it, finds the folder of copies and the
  /// copies that the project file on disk names, and removes the temporary files that saves of
  /// ended processes left. False with the path splitter's message when the path names no
  /// folder, or with TProjectLock::InUseText while another process holds the project; then
  /// nothing may be written. (Where no lock can be made at all, as on read-only media, the
  /// save goes on and fails at its first write.)
  bool Begin(std::string& errorText);
  /// Writes `bytes` as the copy "savedProjectWindowFile<m>.wav" under the lowest number m that
  /// no copy in the folder has and the project file on disk does not name: a temporary file
  /// named after m and this process, written, flushed to disk and linked into place (never
  /// over an existing copy). Creates the folder when needed. Returns m, or -1 with the reason (the system's own words) in `errorText`.
  int WriteCopy(const std::string& bytes, std::string& errorText);
  /// Replaces the project file by `projectText` (a temporary file, flushed and renamed) and
  /// only then deletes the copies in the folder that the new text does not name (a copy that
  /// cannot be deleted goes at a later save). False with the reason when the project file
  /// cannot be written; the previous project file and its copies are then as they were.
  bool Commit(const std::string& projectText, std::string& errorText);

private:
  // Creates the folder of copies unless it is there.
  bool MakeFolder(std::string& errorText);
  // The lowest number from NextNumber on that no copy has and nothing names; -1 if none.
  int FreeNumber();
  void RemoveUnnamedCopies(const std::set<std::string>& named) const;
  void RemoveWrittenCopies();

  // Held for this save alone when the process did not hold the project already.
  std::unique_ptr<TProjectLock> Lock;
  std::string ProjectFile;
  std::string Folder;
  // Copy numbers (as written in "TempFile") that the file on disk names or this save took.
  std::set<std::string> Reserved;
  std::vector<std::string> Written;
  int NextNumber = 0;
  bool FolderMade = false;
  bool Committed = false;
  // Begin succeeded: the copies and the project file may be written.
  bool Begun = false;
};
