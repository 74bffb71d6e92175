#include "core/TFileReadBuffer.h"

#include <cerrno>
#include <ios>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/systemerror.h"

TFileReadBuffer::~TFileReadBuffer() {
  if (Fd >= 0) ::close(Fd);
}

bool TFileReadBuffer::Open(const std::string& path, std::string& reason) {
  reason.clear();
  if (Fd >= 0) ::close(Fd);
  Fd = -1;
  setg(Buffer, Buffer, Buffer);
  // Something that is plainly no file is not even opened: opening a device can have effects.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    reason = NotRegularFileText;
    return false;
  }
  // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  // What counts is what was opened, not what the name showed a moment before.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    reason = NotRegularFileText;
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  Fd = fd;
  return true;
}

TFileReadBuffer::int_type TFileReadBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (Fd < 0) return traits_type::eof();
  ssize_t n;
  do {
    n = ::read(Fd, Buffer, sizeof Buffer);
  } while (n < 0 && errno == EINTR);
  // The stream turns an exception of its buffer into badbit.
  if (n < 0) throw std::ios_base::failure(SystemErrorText(errno));
  if (n == 0) return traits_type::eof();
  setg(Buffer, Buffer, Buffer + n);
  return traits_type::to_int_type(*gptr());
}
