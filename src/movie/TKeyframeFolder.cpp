#include "movie/TKeyframeFolder.h"

#include <cerrno>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/TOutputTarget.h"
#include "core/systemerror.h"
#include "document/TStoredFractal.h"
#include "engine/TFractArray.h"
#include "movie/TMoviePlan.h"
#include "render/TPixelBuffer.h"
#include "render/pngreader.h"
#include "render/pngwriter.h"

std::string TKeyframeFolder::BesideOutput(const std::string& output) {
  const size_t slash = output.find_last_of('/');
  const size_t dot = output.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (hasExtension ? output.substr(0, dot) : output) + ".keyframes";
}

TKeyframeFolder::TKeyframeFolder(std::string folder, const TMoviePlan& plan)
    : Path(std::move(folder)),
      Kind(plan.Settings().FullFrames ? "frame" : "key"),
      Suffix("-" + std::to_string(plan.KeyWidth()) + "x" + std::to_string(plan.KeyHeight()) +
             "-" + plan.Fingerprint() + ".png"),
      Width(plan.KeyWidth()),
      Height(plan.KeyHeight()) {}

namespace {

// Removes the temporary files of keyframes whose writer was killed: TSafeFile names them
// ".zenolith-PID-N.tmp", and a process that has ended writes nothing more.
void RemoveDeadTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    long pid = 0;
    unsigned long number = 0;
    char end = 0;
    if (std::sscanf(entry->d_name, ".zenolith-%ld-%lu.tm%c", &pid, &number, &end) == 3 &&
        end == 'p' && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

bool TKeyframeFolder::Prepare(std::string& error) const {
  struct stat info {};
  if (::stat(Path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      RemoveDeadTemporaries(Path);
      return true;
    }
    error = "\"" + Path + "\" is not a folder";
    return false;
  }
  if (::mkdir(Path.c_str(), 0777) == 0 || errno == EEXIST) return true;
  error = "cannot make the folder \"" + Path + "\": " + SystemErrorText(errno);
  return false;
}

std::string TKeyframeFolder::FileOf(int index) const {
  char number[16];
  std::snprintf(number, sizeof number, "-%05d", index);
  return Path + "/" + Kind + number + Suffix;
}

bool TKeyframeFolder::Has(int index) const {
  struct stat info {};
  return ::stat(FileOf(index).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<int> TKeyframeFolder::Missing(int first, int last) const {
  std::vector<int> missing;
  for (int k = first; k <= last; ++k)
    if (!Has(k)) missing.push_back(k);
  return missing;
}

bool TKeyframeFolder::Write(int index, const TFractArray& array, const TStoredFractal& fractal,
                            TComputePool& pool, std::string& error) const {
  TOutputTarget output;
  if (!output.Open(FileOf(index))) {
    error = output.Reason();
    return false;
  }
  if (!WritePicturePng(array, fractal.View, fractal.Params.KernelParams().MaxCycle, Width, Height, pool, output,
                       error))
    return false;
  if (output.Finish()) return true;
  error = output.Reason();
  return false;
}

bool TKeyframeFolder::Read(int index, TPixelBuffer& picture, std::string& error) const {
  const std::string file = FileOf(index);
  TPixelBuffer read;
  if (!ReadPicturePng(file, read, error)) {
    error = "keyframe \"" + file + "\": " + error;
    return false;
  }
  if (read.Width() != Width || read.Height() != Height) {
    error = "keyframe \"" + file + "\" is not " + std::to_string(Width) + "x" +
            std::to_string(Height) + " pixels";
    return false;
  }
  picture = std::move(read);
  return true;
}
