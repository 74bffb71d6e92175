// Preloaded (LD_PRELOAD) into a program to kill it as `kill -9` would, just before its Nth
// file operation after it called ZenolithKillpointArm(): every write, fsync, rename, unlink,
// mkdir and rmdir counts. N comes from the environment variable ZENOLITH_KILL_AT; without it
// nothing is killed.
#include <cstdlib>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Armed = false;
long Count = 0;
long KillAt = 0;

template <class F>
F Real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

void Step() {
  if (!Armed) return;
  if (++Count == KillAt) ::kill(::getpid(), SIGKILL);
}

}  // namespace

extern "C" {

void ZenolithKillpointArm() {
  const char* at = std::getenv("ZENOLITH_KILL_AT");
  KillAt = at ? std::atol(at) : 0;
  Count = 0;
  Armed = true;
}

ssize_t write(int fd, const void* bytes, size_t size) {
  static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
  Step();
  return real(fd, bytes, size);
}

int fsync(int fd) {
  static const auto real = Real<int (*)(int)>("fsync");
  Step();
  return real(fd);
}

int fdatasync(int fd) {
  static const auto real = Real<int (*)(int)>("fdatasync");
  Step();
  return real(fd);
}

int rename(const char* from, const char* to) {
  static const auto real = Real<int (*)(const char*, const char*)>("rename");
  Step();
  return real(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
  static const auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
  Step();
  return real(fromDir, from, toDir, to);
}

int link(const char* from, const char* to) {
  static const auto real = Real<int (*)(const char*, const char*)>("link");
  Step();
  return real(from, to);
}

int unlink(const char* path) {
  static const auto real = Real<int (*)(const char*)>("unlink");
  Step();
  return real(path);
}

int unlinkat(int dir, const char* path, int flags) {
  static const auto real = Real<int (*)(int, const char*, int)>("unlinkat");
  Step();
  return real(dir, path, flags);
}

int remove(const char* path) {
  static const auto real = Real<int (*)(const char*)>("remove");
  Step();
  return real(path);
}

int mkdir(const char* path, mode_t mode) {
  static const auto real = Real<int (*)(const char*, mode_t)>("mkdir");
  Step();
  return real(path, mode);
}

int rmdir(const char* path) {
  static const auto real = Real<int (*)(const char*)>("rmdir");
  Step();
  return real(path);
}

}  // extern "C"
