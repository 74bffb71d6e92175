#include "core/safefile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteDirectly(const std::string& fileName, const std::string& bytes,
                   std::string& errorText) {
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) {
    errorText = CannotOpenForWritingText;
    return false;
  }
  const bool written = WriteAll(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    errorText = CouldNotWriteText;
    return false;
  }
  return true;
}

}  // namespace

bool WriteFileSafely(const std::string& fileName, const std::string& bytes,
                     std::string& errorText) {
  std::string target = fileName;
  struct stat info {};
  bool exists = false;
  if (::lstat(fileName.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    // Replace the file the link points to, not the link itself.
    char resolved[PATH_MAX];
    if (::realpath(fileName.c_str(), resolved)) target = resolved;
  }
  if (::stat(target.c_str(), &info) == 0) {
    exists = true;
    if (S_ISDIR(info.st_mode)) {
      errorText = CannotOpenForWritingText;
      return false;
    }
    if (!S_ISREG(info.st_mode)) return WriteDirectly(target, bytes, errorText);
    // The mode bits count even for a user who may write anything: read-only means keep it.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        ::access(target.c_str(), W_OK) != 0) {
      errorText = CannotOpenForWritingText;
      return false;
    }
  }

  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    // A short name of its own: the target's name plus a suffix could exceed the name limit.
    temp = FolderOf(target) + "/.zenolith-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    errorText = CannotOpenForWritingText;
    return false;
  }
  bool ok = WriteAll(fd, bytes);
  if (ok && exists) ok = ::fchmod(fd, info.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(temp.c_str());
    errorText = CouldNotWriteText;
    return false;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    errorText = CannotOpenForWritingText;
    return false;
  }
  // Make the rename itself durable; a folder that cannot be synced is no reason to fail.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}
