#include "movie/TPngSequenceWriter.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/TOutputTarget.h"
#include "core/systemerror.h"
#include "render/TPixelBuffer.h"
#include "render/pngwriter.h"

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

TPngSequenceWriter::TPngSequenceWriter(TComputePool& pool) : Pool(pool) {}

TPngSequenceWriter::~TPngSequenceWriter() { Abandon(); }

std::string TPngSequenceWriter::FrameName(const std::string& path, int index) {
  std::string stem = path;
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".png") == 0)
    stem.resize(stem.size() - 4);
  char number[16];
  std::snprintf(number, sizeof number, "-%05d.png", index);
  return stem + number;
}

bool TPngSequenceWriter::Open(const std::string& path, int width, int height, double,
                              std::string& error) {
  Abandon();
  Path = path;
  Width = width;
  Height = height;
  Count = 0;
  Failed = false;
  // The first frame's place must take a file, as each will.
  if (!TOutputTarget::Check(FrameName(path, 0), error)) return false;
  const std::string staging =
      FolderOf(path) + "/." + NameOf(path) + "-" + std::to_string(::getpid()) + ".partial";
  if (::mkdir(staging.c_str(), 0777) != 0) {
    error = SystemErrorText(errno);
    return false;
  }
  Staging = staging;
  return true;
}

bool TPngSequenceWriter::Add(const TPixelBuffer& frame, std::string& error) {
  if (Staging.empty() || Failed) {
    error = "the movie has failed";
    return false;
  }
  if (frame.Width() != Width || frame.Height() != Height) {
    error = "a frame has the wrong size";
    Failed = true;
    return false;
  }
  TOutputTarget output;
  const std::string staged = Staging + "/" + NameOf(FrameName(Path, Count));
  if (!output.Open(staged) || !WritePixelsPng(frame, Pool, output, error) || !output.Finish()) {
    if (error.empty() || !output.Reason().empty()) error = output.Reason();
    Failed = true;
    return false;
  }
  ++Count;
  return true;
}

bool TPngSequenceWriter::Finish(std::string& error) {
  if (Staging.empty() || Failed) {
    if (error.empty()) error = "the movie has failed";
    Abandon();
    return false;
  }
  for (int i = 0; i < Count; ++i) {
    const std::string target = FrameName(Path, i);
    const std::string staged = Staging + "/" + NameOf(target);
    if (::rename(staged.c_str(), target.c_str()) != 0) {
      error = SystemErrorText(errno);
      Abandon();
      return false;
    }
  }
  // Frames of an earlier, longer sequence would run on after this one's end.
  for (int i = Count;; ++i) {
    const std::string old = FrameName(Path, i);
    struct stat info {};
    if (::lstat(old.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) break;
    ::unlink(old.c_str());
  }
  SyncFolder(FolderOf(Path));
  Abandon();
  return true;
}

void TPngSequenceWriter::Abandon() {
  if (Staging.empty()) return;
  for (int i = 0; i < Count; ++i) ::unlink((Staging + "/" + NameOf(FrameName(Path, i))).c_str());
  ::rmdir(Staging.c_str());
  Staging.clear();
}
