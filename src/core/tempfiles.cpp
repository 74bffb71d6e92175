#include "core/tempfiles.h"

#include <atomic>
#include <cerrno>
#include <vector>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* TempPrefix = ".zenolith-";
constexpr const char* TempExtension = ".tmp";

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string NewTempFilePath(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  return folder + "/" + TempPrefix + std::to_string(::getpid()) + "-" +
         std::to_string(counter++) + TempExtension;
}

std::string TempFileWriter(const std::string& name) {
  const std::string prefix = TempPrefix;
  const std::string extension = TempExtension;
  if (!StartsWith(name, prefix) || !EndsWith(name, extension) ||
      name.size() <= prefix.size() + extension.size())
    return "";
  const std::string rest =
      name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
  const size_t dash = rest.find('-');
  if (dash == std::string::npos || !IsDigits(rest.substr(dash + 1))) return "";
  const std::string pid = rest.substr(0, dash);
  return IsDigits(pid) ? pid : "";
}

bool ProcessMayRun(const std::string& pid) {
  if (!IsDigits(pid) || pid.size() > 9) return true;
  const long id = std::stol(pid);
  if (id <= 0) return true;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

void RemoveFilesOfEndedProcesses(const std::string& folder,
                                 const std::function<std::string(const std::string&)>& writerOf) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> ended;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    const std::string pid = writerOf(name);
    if (pid.empty() || ProcessMayRun(pid)) continue;
    struct stat info {};
    if (::lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
      ended.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : ended) ::unlink((folder + "/" + name).c_str());
}

void RemoveDeadTempFiles(const std::string& folder) {
  RemoveFilesOfEndedProcesses(folder, TempFileWriter);
}
