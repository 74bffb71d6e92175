#pragma once
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

/// For a child process only (see RunInChild): makes `folder` (which exists and is empty) a
/// disk of `bytes` that fills up, and returns the system's words a write past it gets.
/// Where the child may mount a file system of its own (as root, or in a user namespace of
/// its own) that is a small tmpfs and the words are "No space left on device"; elsewhere every
/// file of the child is limited to `bytes` instead, and the words are "File too large".
inline std::string MakeSmallDisk(const std::string& folder, size_t bytes) {
  const auto mountTmpfs = [&] {
    // Private, so that nothing of it reaches the parent's view of the folders.
    return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tmpfs", folder.c_str(), "tmpfs", 0,
                   ("size=" + std::to_string(bytes)).c_str()) == 0;
  };
  bool mounted = ::unshare(CLONE_NEWNS) == 0 && mountTmpfs();
  if (!mounted) {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
      std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
      mounted = mountTmpfs();
    }
  }
  if (mounted) return std::strerror(ENOSPC);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  return std::strerror(EFBIG);
}
