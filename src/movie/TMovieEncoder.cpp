#include "movie/TMovieEncoder.h"

#include "core/TOutputTarget.h"
#include "movie/TMp4Encoder.h"
#include "movie/TPngSequenceWriter.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    const char c = text[text.size() - end.size() + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != end[i]) return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<TMovieEncoder> TMovieEncoder::ForPath(const std::string& path,
                                                      TComputePool& pool, std::string& error) {
  if (EndsWith(path, ".mp4")) return std::make_unique<TMp4Encoder>();
  if (EndsWith(path, ".png")) return std::make_unique<TPngSequenceWriter>(pool);
  error = "\"" + path + "\" is not a .mp4 or .png file";
  return nullptr;
}

bool TMovieEncoder::Check(const std::string& path, int width, int height, std::string& error) {
  if (EndsWith(path, ".mp4")) {
    if (width % 2 != 0 || height % 2 != 0) {
      error = "an MP4 movie needs an even width and height";
      return false;
    }
    return TOutputTarget::Check(path, error);
  }
  if (EndsWith(path, ".png")) return TOutputTarget::Check(TPngSequenceWriter::FrameName(path, 0), error);
  error = "\"" + path + "\" is not a .mp4 or .png file";
  return false;
}
