#include "core/TSafeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/systemerror.h"
#include "core/tempfiles.h"

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A user's name in double quotes, or the number where the system has no name for it.
std::string UserName(uid_t uid) {
  std::vector<char> buffer(16384);
  passwd entry {};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
    return "\"" + std::string(found->pw_name) + "\"";
  return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  std::vector<char> buffer(16384);
  group entry {};
  group* found = nullptr;
  if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
    return "\"" + std::string(found->gr_name) + "\"";
  return std::to_string(gid);
}

}  // namespace

TSafeFile::~TSafeFile() { Abandon(); }

bool TSafeFile::Fail(TFailure failure, int error) {
  FailureKind = failure;
  FailureReason = failure == TFailure::NotRegular ? std::string(NotRegularFileText)
                                                  : SystemErrorText(error);
  return false;
}

bool TSafeFile::CheckTarget(const std::string& target) {
  FailureKind = TFailure::None;
  FailureReason.clear();
  Target = target;
  Existed = false;
  struct stat info {};
  if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    // Replace the file the link points to, not the link itself.
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved)) Target = resolved;
  }
  // stat never opens: a pipe or a device is recognised without waiting for its other end.
  if (::stat(Target.c_str(), &info) != 0) return true;
  Existed = true;
  Mode = info.st_mode & 07777;
  Owner = info.st_uid;
  Group = info.st_gid;
  if (S_ISDIR(info.st_mode)) return Fail(TFailure::CannotCreate, EISDIR);
  if (!S_ISREG(info.st_mode)) return Fail(TFailure::NotRegular, 0);
  // The mode bits count even for a user who may write anything: read-only means keep it.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return Fail(TFailure::CannotCreate, EACCES);
  if (::access(Target.c_str(), W_OK) != 0) return Fail(TFailure::CannotCreate, errno);
  return true;
}

bool TSafeFile::Open(const std::string& target) {
  Abandon();
  AttributesWarning.clear();
  if (!CheckTarget(target)) return false;
  const std::string folder = FolderOf(Target);
  // What saves killed before their rename left here would stay for ever otherwise.
  RemoveDeadTempFiles(folder);
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A short name of its own: the target's name plus a suffix could exceed the name limit.
    Temp = NewTempFilePath(folder);
    Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (Fd >= 0) return true;
    if (errno != EEXIST) break;
  }
  const int error = errno;
  Temp.clear();
  return Fail(TFailure::CannotCreate, error);
}

bool TSafeFile::Write(const void* data, size_t size) {
  if (Fd < 0 || FailureKind != TFailure::None) {
    if (FailureKind == TFailure::None) Fail(TFailure::CannotWrite, EBADF);
    return false;
  }
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(Fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(TFailure::CannotWrite, errno);
    }
    // A regular file that takes nothing has no room left.
    if (n == 0) return Fail(TFailure::CannotWrite, ENOSPC);
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool TSafeFile::Seek(int64_t offset) {
  if (Fd < 0 || FailureKind != TFailure::None) {
    if (FailureKind == TFailure::None) Fail(TFailure::CannotWrite, EBADF);
    return false;
  }
  if (offset < 0) return Fail(TFailure::CannotWrite, EINVAL);
  if (::lseek(Fd, static_cast<off_t>(offset), SEEK_SET) < 0)
    return Fail(TFailure::CannotWrite, errno);
  return true;
}

int64_t TSafeFile::Size() const {
  struct stat info {};
  if (Fd < 0 || ::fstat(Fd, &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool TSafeFile::Commit() {
  if (Fd < 0 || FailureKind != TFailure::None) {
    if (FailureKind == TFailure::None) Fail(TFailure::CannotWrite, EBADF);
    Abandon();
    return false;
  }
  bool ok = !Existed || KeepAttributes();
  if (ok && ::fsync(Fd) != 0) ok = Fail(TFailure::CannotWrite, errno);
  const int closed = ::close(Fd);
  const int closeError = errno;
  Fd = -1;
  if (ok && closed != 0) ok = Fail(TFailure::CannotWrite, closeError);
  if (ok && ::rename(Temp.c_str(), Target.c_str()) != 0) ok = Fail(TFailure::CannotReplace, errno);
  if (!ok) {
    Abandon();
    return false;
  }
  Temp.clear();
  // Make the rename itself durable; a folder that cannot be synced is no reason to fail.
  const int dir = ::open(FolderOf(Target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool TSafeFile::KeepAttributes() {
  struct stat now {};
  if (::fstat(Fd, &now) != 0) return Fail(TFailure::CannotWrite, errno);
  bool ownerKept = now.st_uid == Owner;
  bool groupKept = now.st_gid == Group;
  int refusal = 0;
  if (!ownerKept || !groupKept) {
    // As editors that save through a new file do: give it back to the old owner and group.
    if (::fchown(Fd, Owner, Group) == 0) {
      ownerKept = groupKept = true;
    } else {
      refusal = errno;
      // A member of the group may still keep the group.
      if (!groupKept && ::fchown(Fd, static_cast<uid_t>(-1), Group) == 0) groupKept = true;
    }
  }
  mode_t mode = Mode;
  // A set-id bit stays only with the owner or group it was given for.
  if (!ownerKept) mode &= ~S_ISUID;
  if (!groupKept) mode &= ~S_ISGID;
  if (::fchmod(Fd, mode) != 0) return Fail(TFailure::CannotWrite, errno);
  if (!ownerKept || !groupKept) {
    std::string owners;
    std::string before;
    if (!ownerKept) {
      owners = "user " + UserName(now.st_uid);
      before = "user " + UserName(Owner);
    }
    if (!groupKept) {
      owners += (owners.empty() ? "" : " and ") + std::string("group ") + GroupName(now.st_gid);
      before += (before.empty() ? "" : " and ") + std::string("group ") + GroupName(Group);
    }
    AttributesWarning = "The file \"" + Target + "\" was replaced, but it now belongs to " +
                        owners + " instead of " + before + " (" + SystemErrorText(refusal) + ").";
  }
  return true;
}

void TSafeFile::Abandon() {
  if (Fd >= 0) {
    ::close(Fd);
    Fd = -1;
  }
  if (!Temp.empty()) {
    ::unlink(Temp.c_str());
    Temp.clear();
  }
}
