#include "core/TOutputTarget.h"

#include <cerrno>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/systemerror.h"

bool TOutputTarget::Check(const std::string& path, std::string& reason) {
  if (path == StandardOutput) return true;
  TSafeFile file;
  if (file.CheckTarget(path)) return true;
  reason = file.Reason();
  return false;
}

bool TOutputTarget::Open(const std::string& path) {
  Path = path;
  FailureReason.clear();
  ToStandardOutput = path == StandardOutput;
  if (ToStandardOutput) return true;
  if (File.Open(path)) return true;
  FailureReason = File.Reason();
  return false;
}

bool TOutputTarget::Fail(int error) {
  if (FailureReason.empty()) FailureReason = SystemErrorText(error);
  return false;
}

bool TOutputTarget::Write(const void* data, size_t size) {
  if (!FailureReason.empty()) return false;
  if (!ToStandardOutput) {
    if (File.Write(data, size)) return true;
    FailureReason = File.Reason();
    return false;
  }
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        // A standard output left non-blocking by the caller: wait until it takes more.
        pollfd ready{STDOUT_FILENO, POLLOUT, 0};
        if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
      }
      return Fail(errno);
    }
    if (n == 0) return Fail(EIO);
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool TOutputTarget::Finish() {
  if (!FailureReason.empty()) {
    File.Abandon();
    return false;
  }
  if (!ToStandardOutput) {
    if (File.Commit()) return true;
    FailureReason = File.Reason();
    return false;
  }
  // Redirected into a file: make it as durable as a file written by name.
  struct stat info {};
  if (::fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode) && ::fsync(STDOUT_FILENO) != 0)
    return Fail(errno);
  return true;
}

std::string TOutputTarget::Describe() const {
  return ToStandardOutput ? std::string("standard output") : "\"" + Path + "\"";
}
