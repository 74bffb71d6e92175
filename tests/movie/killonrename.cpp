// Preloaded (LD_PRELOAD) into a program to kill it as `kill -9` would, just before its Nth
// rename, N from the environment variable ZENOLITH_KILL_AT_RENAME (none: nothing is killed).
// A file written through a temporary file is in place once renamed, so this stops a program
// between two finished files with the next one half written.
#include <cstdlib>

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

namespace {

long Count = 0;

void Step() {
  static const char* at = std::getenv("ZENOLITH_KILL_AT_RENAME");
  if (at != nullptr && ++Count == std::atol(at)) ::kill(::getpid(), SIGKILL);
}

}  // namespace

extern "C" int rename(const char* from, const char* to) {
  static const auto real = reinterpret_cast<int (*)(const char*, const char*)>(
      ::dlsym(RTLD_NEXT, "rename"));
  Step();
  return real(from, to);
}
