#include "document/TProjectLock.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/pathsplit.h"
#include "core/systemerror.h"
#include "core/tempfiles.h"

// The lock file this process holds, shared by its TProjectLocks on the same project.
struct TProjectLock::THold {
  THold(std::string path, int fd) : Path(std::move(path)), Fd(fd) {}
  ~THold() {
    // Still ours: nobody else can take a locked file over, so it goes before the lock does.
    struct stat named {};
    struct stat held {};
    if (::stat(Path.c_str(), &named) == 0 && ::fstat(Fd, &held) == 0 &&
        named.st_dev == held.st_dev && named.st_ino == held.st_ino)
      ::unlink(Path.c_str());
    ::close(Fd);
  }
  const std::string Path;
  const int Fd;
};

namespace {

std::mutex RegistryLock;
// The holds of this process by lock file (its folder made real).
std::map<std::string, std::weak_ptr<TProjectLock::THold>>& Registry() {
  static std::map<std::string, std::weak_ptr<TProjectLock::THold>> registry;
  return registry;
}

// The lock file with its folder as the system resolves it, so that every spelling of one
// project meets the same hold; "" when the folder does not resolve.
std::string RegistryKey(const std::string& lockFile) {
  std::string folder;
  std::string name;
  std::string ignored;
  if (!PathOfPathFile(lockFile, folder, name, ignored)) return "";
  char real[PATH_MAX];
  if (!::realpath(folder.empty() ? "/" : folder.c_str(), real)) return "";
  return std::string(real) + "/" + name;
}

// Whether `path` names the file open as `fd`.
bool Names(const std::string& path, int fd) {
  struct stat named {};
  struct stat open {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 &&
         named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

// The process id a lock file holds, "" when it holds none.
std::string HolderIn(int fd) {
  char text[32];
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return "";
  std::string id;
  for (ssize_t i = 0; i < n && text[i] >= '0' && text[i] <= '9'; ++i) id += text[i];
  return id;
}

// Writes all of `bytes` at the start of `fd`; 0 or the error number.
int WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// The error of a lock file that is not a regular file.
constexpr int NotRegular = -1;

// What one attempt to take the lock file came to.
struct TAttempt {
  TProjectLock::TState State = TProjectLock::TState::Unavailable;
  int Fd = -1;           // with Held
  std::string Holder;    // with HeldElsewhere
  int Error = 0;         // with Unavailable: an error number or NotRegular
  bool Retry = false;    // the lock file changed under the attempt
};

// A new file named like a temporary file of this process, holding its id, locked; the lock
// file is linked or renamed to it, so that it never exists without its holder's id.
// After flock on the lock file open as `fd` failed with `error`: who holds the lock, or that
// the lock file was taken over or given up meanwhile and is to be looked at again. Closes fd.
void NoteRefusal(TAttempt& attempt, const std::string& lockFile, int fd, int error) {
  attempt.Holder = HolderIn(fd);
  const bool same = Names(lockFile, fd);
  ::close(fd);
  if (error != EWOULDBLOCK)
    attempt.Error = error;
  else if (!same || !ProcessMayRun(attempt.Holder))
    attempt.Retry = true;
  else
    attempt.State = TProjectLock::TState::HeldElsewhere;
}

int NewLockedFile(const std::string& folder, std::string& path, int& error) {
  const std::string id = std::to_string(::getpid()) + "\n";
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = NewTempFilePath(folder);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error = errno;
      return -1;
    }
    error = WriteAll(fd, id);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (error == 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno;
    if (error == 0) return fd;
    ::close(fd);
    ::unlink(path.c_str());
    return -1;
  }
  error = EEXIST;
  return -1;
}

// Takes the lock file over from an ended holder: the new locked file replaces it while the old
// one is still locked, so that no third process can take the old one meanwhile.
TAttempt TakeOver(const std::string& lockFile, int stale, const std::string& temp, int fd) {
  TAttempt attempt;
  if (!Names(lockFile, stale)) {
    attempt.Retry = true;
    return attempt;
  }
  if (::rename(temp.c_str(), lockFile.c_str()) != 0) {
    attempt.Error = errno;
    return attempt;
  }
  if (!Names(lockFile, fd)) {
    attempt.Retry = true;
    return attempt;
  }
  attempt.State = TProjectLock::TState::Held;
  attempt.Fd = fd;
  return attempt;
}

// Where hard links are not to be had: the lock file is made and locked in place.
TAttempt LockInPlace(const std::string& lockFile) {
  TAttempt attempt;
  const int fd =
      ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) {
    attempt.Error = errno;
    return attempt;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    NoteRefusal(attempt, lockFile, fd, errno);
    return attempt;
  }
  const std::string id = std::to_string(::getpid()) + "\n";
  if (!Names(lockFile, fd)) {
    ::close(fd);
    attempt.Retry = true;
    return attempt;
  }
  // Without the id the lock holds all the same; its holder is then named as unknown.
  if (::ftruncate(fd, 0) == 0) WriteAll(fd, id);
  attempt.State = TProjectLock::TState::Held;
  attempt.Fd = fd;
  return attempt;
}

TAttempt TryLock(const std::string& folder, const std::string& lockFile) {
  TAttempt attempt;
  std::string temp;
  const int fd = NewLockedFile(folder, temp, attempt.Error);
  if (fd < 0) return attempt;
  const auto dropTemp = [&] {
    ::unlink(temp.c_str());
    ::close(fd);
  };
  if (::link(temp.c_str(), lockFile.c_str()) == 0) {
    ::unlink(temp.c_str());
    if (!Names(lockFile, fd)) {
      ::close(fd);
      attempt.Retry = true;
      return attempt;
    }
    attempt.State = TProjectLock::TState::Held;
    attempt.Fd = fd;
    return attempt;
  }
  const int linkError = errno;
  if (linkError == EPERM || linkError == EOPNOTSUPP || linkError == ENOSYS) {
    dropTemp();
    return LockInPlace(lockFile);
  }
  if (linkError != EEXIST) {
    dropTemp();
    attempt.Error = linkError;
    return attempt;
  }
  // Someone made the lock file: a running holder keeps its lock, an ended one has lost it.
  const int other = ::open(lockFile.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (other < 0) {
    const int error = errno;
    dropTemp();
    if (error == ENOENT) {
      attempt.Retry = true;
    } else {
      attempt.Error = error;
    }
    return attempt;
  }
  struct stat info {};
  if (::fstat(other, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(other);
    dropTemp();
    attempt.Error = NotRegular;
    return attempt;
  }
  if (::flock(other, LOCK_EX | LOCK_NB) == 0) {
    attempt = TakeOver(lockFile, other, temp, fd);
    ::close(other);
    if (attempt.State != TProjectLock::TState::Held) dropTemp();
    return attempt;
  }
  NoteRefusal(attempt, lockFile, other, errno);
  dropTemp();
  return attempt;
}

}  // namespace

TProjectLock::TProjectLock(const std::string& projectFile) : Project(projectFile) {
  std::string lockFile;
  if (!LockFileOf(projectFile, lockFile, FailureReason)) return;
  const std::string key = RegistryKey(lockFile);
  if (key.empty()) {
    FailureReason = SystemErrorText(ENOENT);
    return;
  }
  std::lock_guard<std::mutex> hold(RegistryLock);
  if (std::shared_ptr<THold> shared = Registry()[key].lock()) {
    Hold = std::move(shared);
    LockState = TState::Held;
    return;
  }
  std::string folder;
  std::string name;
  PathOfPathFile(key, folder, name, FailureReason);
  for (int tries = 0; tries < 20; ++tries) {
    TAttempt attempt = TryLock(folder.empty() ? "/" : folder, key);
    if (attempt.Retry) continue;
    LockState = attempt.State;
    if (attempt.State == TState::Held) {
      Hold = std::make_shared<THold>(key, attempt.Fd);
      Registry()[key] = Hold;
    } else if (attempt.State == TState::HeldElsewhere) {
      HolderId = attempt.Holder;
    } else {
      FailureReason = attempt.Error == NotRegular
                          ? std::string(NotRegularFileText)
                          : SystemErrorText(attempt.Error != 0 ? attempt.Error : EIO);
    }
    return;
  }
  FailureReason = SystemErrorText(EAGAIN);
}

TProjectLock::~TProjectLock() {
  std::lock_guard<std::mutex> hold(RegistryLock);
  Hold.reset();
}

bool TProjectLock::HeldHere(const std::string& projectFile) {
  std::string lockFile;
  std::string errorText;
  if (!LockFileOf(projectFile, lockFile, errorText)) return false;
  const std::string key = RegistryKey(lockFile);
  std::lock_guard<std::mutex> hold(RegistryLock);
  const auto found = Registry().find(key);
  return found != Registry().end() && !found->second.expired();
}

bool TProjectLock::LockFileOf(const std::string& projectFile, std::string& lockFile,
                              std::string& errorText) {
  std::string folder;
  std::string file;
  if (!PathOfPathFile(projectFile, folder, file, errorText)) return false;
  std::string name;
  std::string extension;
  SplitFileExtension(file, name, extension);
  lockFile = folder + "/." + name + "TempSaveFiles.lock";
  return true;
}

std::string TProjectLock::InUseText(const std::string& projectFile, const std::string& holder) {
  return "The project \"" + projectFile + "\" is open in another Zenolith (process " +
         (holder.empty() ? std::string("unknown") : holder) + ").";
}
