#include "document/TProjectSave.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "core/assertions.h"
#include "core/pathsplit.h"
#include "core/safefile.h"
#include "core/tempfiles.h"
#include "core/xmlread.h"
#include "document/TProjectLock.h"
#include "document/projectfile.h"

namespace {

// The copies of other document kinds (".kvm", ".kvw") share the base names.
const char* const CopyExtensions[3] = {".wav", ".kvm", ".kvw"};
// Largest copy number a project may name ("TempFile" holds at most nine digits).
constexpr int MaxCopyNumber = 999999999;

std::string Reason(int error) { return std::strerror(error != 0 ? error : EIO); }

// Writes all bytes; 0 or the error number.
int WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return 0;
}

// Flushes a folder's entries (new names, renames) to disk. A folder that cannot be synced is
// no reason to fail: some file systems do not sync folders at all.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Splits `name` = prefix + digits + one of the copy extensions; false when it is not so made.
bool SplitCopyName(const std::string& name, const char* prefix, std::string& number) {
  const size_t length = std::strlen(prefix);
  if (name.compare(0, length, prefix) != 0) return false;
  for (const char* extension : CopyExtensions) {
    const size_t e = std::strlen(extension);
    if (name.size() <= length + e || name.compare(name.size() - e, e, extension) != 0) continue;
    number = name.substr(length, name.size() - length - e);
    return IsDigits(number);
  }
  return false;
}

// The process named by a copy being written, "newProjectWindowFile<m>-<pid>.wav", or by a
// temporary file of the shared writer (core/tempfiles); "" for any other name.
std::string WriterOf(const std::string& name) {
  const std::string newPrefix = NewCopyPrefix;
  const std::string extension = CopyExtension;
  if (name.compare(0, newPrefix.size(), newPrefix) == 0 && name.size() > extension.size() &&
      name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
    const std::string rest =
        name.substr(newPrefix.size(), name.size() - newPrefix.size() - extension.size());
    const size_t dash = rest.find('-');
    if (dash == std::string::npos || !IsDigits(rest.substr(0, dash))) return "";
    const std::string pid = rest.substr(dash + 1);
    return IsDigits(pid) ? pid : "";
  }
  return TempFileWriter(name);
}

// The entries of a folder that are regular files (symbolic links not followed); none when the
// folder cannot be read.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat info {};
    if (::lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
      names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

// Removes what a save of a process that has ended left in `folder`: nobody will finish it.
void RemoveLeftovers(const std::string& folder) { RemoveFilesOfEndedProcesses(folder, WriterOf); }

// The copy numbers that a project text names; false when it is no project.
bool NamedCopies(std::istream& in, std::set<std::string>& named) {
  const TXMLReadResult read = ReadXMLStream(in, ProjectGrammar());
  if (read.Outcome != TXMLReadOutcome::Read) return false;
  named = ProjectCopyNumbers(read.Root->GetFirst());
  return true;
}

}  // namespace

TProjectSave::TProjectSave(std::string projectFile) : ProjectFile(std::move(projectFile)) {}

TProjectSave::~TProjectSave() {
  if (!Committed) RemoveWrittenCopies();
}

bool TProjectSave::Begin(std::string& errorText) {
  if (!ProjectTempFolder(ProjectFile, Folder, errorText)) return false;
  // Another process with the same project would delete the copies this save names.
  if (!TProjectLock::HeldHere(ProjectFile)) {
    Lock = std::make_unique<TProjectLock>(ProjectFile);
    if (Lock->State() == TProjectLock::TState::HeldElsewhere) {
      errorText = TProjectLock::InUseText(ProjectFile, Lock->Holder());
      return false;
    }
  }
  // Only a regular file is read: a pipe or a device would block or never end.
  struct stat info {};
  if (::stat(ProjectFile.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    std::ifstream in;
    if (OpenXMLFile(ProjectFile, in)) NamedCopies(in, Reserved);
  }
  std::string projectFolder;
  std::string file;
  std::string ignored;
  if (PathOfPathFile(ProjectFile, projectFolder, file, ignored))
    RemoveLeftovers(projectFolder.empty() ? "/" : projectFolder);
  RemoveLeftovers(Folder);
  Begun = true;
  return true;
}

bool TProjectSave::MakeFolder(std::string& errorText) {
  struct stat info {};
  if (::stat(Folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errorText = "Cannot create the folder \"" + Folder + "\": " + Reason(ENOTDIR) + ".";
    return false;
  }
  if (::mkdir(Folder.c_str(), 0777) != 0 && errno != EEXIST) {
    errorText = "Cannot create the folder \"" + Folder + "\": " + Reason(errno) + ".";
    return false;
  }
  FolderMade = true;
  std::string projectFolder;
  std::string file;
  std::string ignored;
  if (PathOfPathFile(Folder, projectFolder, file, ignored))
    SyncFolder(projectFolder.empty() ? "/" : projectFolder);
  return true;
}

int TProjectSave::FreeNumber() {
  for (; NextNumber <= MaxCopyNumber; ++NextNumber) {
    const std::string number = std::to_string(NextNumber);
    if (Reserved.count(number)) continue;
    bool taken = false;
    for (const char* extension : CopyExtensions) {
      struct stat info {};
      const std::string path = Folder + "/" + SavedCopyPrefix + number + extension;
      if (::lstat(path.c_str(), &info) == 0 || errno != ENOENT) taken = true;
    }
    if (!taken) return NextNumber++;
  }
  return -1;
}

int TProjectSave::WriteCopy(const std::string& bytes, std::string& errorText) {
  ZASSERT_TEXT(Begun, "Begun");
  if (!MakeFolder(errorText)) return -1;
  // Another running copy of the program may take a free number at the same moment: the copy
  // is put in place with link(), which refuses a name that exists, and then tries the next.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int number = FreeNumber();
    if (number < 0) {
      errorText = "The folder \"" + Folder + "\" has no free number for a copy.";
      return -1;
    }
    const std::string target = ProjectCopyPath(Folder, SavedCopyPrefix, number);
    const std::string temp = Folder + "/" + NewCopyPrefix + std::to_string(number) + "-" +
                             std::to_string(::getpid()) + CopyExtension;
    // A file of this name can only be left by an ended process that had this process's id.
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      errorText = "Cannot write the copy \"" + target + "\": " + Reason(errno) + ".";
      return -1;
    }
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
      ::unlink(temp.c_str());
      errorText = "Cannot write the copy \"" + target + "\": " + Reason(error) + ".";
      return -1;
    }
    bool placed = ::link(temp.c_str(), target.c_str()) == 0;
    error = placed ? 0 : errno;
    // A file system without hard links: the rename can only be checked beforehand.
    if (!placed && (error == EPERM || error == EOPNOTSUPP || error == ENOSYS)) {
      struct stat info {};
      if (::lstat(target.c_str(), &info) == 0) {
        error = EEXIST;
      } else if (::rename(temp.c_str(), target.c_str()) == 0) {
        Written.push_back(target);
        Reserved.insert(std::to_string(number));
        return number;
      } else {
        error = errno;
      }
    }
    if (!placed) {
      ::unlink(temp.c_str());
      if (error == EEXIST) {
        Reserved.insert(std::to_string(number));
        continue;
      }
      errorText = "Cannot rename \"" + temp + "\" to \"" + target + "\": " + Reason(error) + ".";
      return -1;
    }
    // Left behind by a kill here, the temporary name is removed by a later save.
    ::unlink(temp.c_str());
    Written.push_back(target);
    Reserved.insert(std::to_string(number));
    return number;
  }
  errorText = "The folder \"" + Folder + "\" has no free number for a copy.";
  return -1;
}

bool TProjectSave::Commit(const std::string& projectText, std::string& errorText) {
  ZASSERT_TEXT(Begun, "Begun");
  // The copies' names must be on disk before the project file that names them.
  if (!Written.empty()) SyncFolder(Folder);
  if (!WriteFileSafely(ProjectFile, projectText, errorText)) return false;
  Committed = true;
  std::set<std::string> named;
  std::istringstream in(projectText);
  // A text that is no project names nothing for sure: then nothing is deleted.
  if (NamedCopies(in, named)) RemoveUnnamedCopies(named);
  return true;
}

void TProjectSave::RemoveUnnamedCopies(const std::set<std::string>& named) const {
  // Besides the unnamed saved copies, copies of the names older saves used in the middle of
  // their steps ("newProjectWindowFile<n>", "oldProjectWindowFile<n>") are never named.
  const char* const prefixes[3] = {SavedCopyPrefix, NewCopyPrefix, "oldProjectWindowFile"};
  for (const std::string& name : FilesIn(Folder)) {
    for (int p = 0; p < 3; ++p) {
      std::string number;
      if (!SplitCopyName(name, prefixes[p], number)) continue;
      if (p > 0 || !named.count(number)) ::unlink((Folder + "/" + name).c_str());
      break;
    }
  }
}

void TProjectSave::RemoveWrittenCopies() {
  for (const std::string& path : Written) ::unlink(path.c_str());
  Written.clear();
  // A folder made for nothing goes again (rmdir leaves a folder that is not empty).
  if (FolderMade) ::rmdir(Folder.c_str());
}
