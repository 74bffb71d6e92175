#pragma once
#include <csignal>

#include <sys/resource.h>

/// Makes every write of this process past `bytes` into a file fail as on a full disk, for as
/// long as it lives (RLIMIT_FSIZE, with SIGXFSZ ignored so that the write returns an error).
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Saved);
    OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = Saved;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Saved);
    std::signal(SIGXFSZ, OldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit Saved{};
  void (*OldHandler)(int) = nullptr;
};
