#pragma once
#include <string>
#include <vector>

#include "movie/TMovieEncoder.h"

/// A movie as numbered PNG pictures: "zoom.png" gives zoom-00000.png, zoom-00001.png, ... (five
/// digits, more where needed) beside it. The frames are written into a hidden folder beside
/// them, each checked and synced, and moved into place only by Finish, which also removes
/// higher-numbered frames of an earlier, longer sequence; until then a sequence that was there
/// stays whole.
class TPngSequenceWriter : public TMovieEncoder {
public:
  /// `pool` (not owned) compresses the pictures and must outlive the writer.
  explicit TPngSequenceWriter(TComputePool& pool);
  ~TPngSequenceWriter() override;
  TPngSequenceWriter(const TPngSequenceWriter&) = delete;
  TPngSequenceWriter& operator=(const TPngSequenceWriter&) = delete;

  /// The name of frame `index` of the sequence `path` ("zoom.png", 7 gives "zoom-00007.png").
  static std::string FrameName(const std::string& path, int index);

  bool Open(const std::string& path, int width, int height, double framesPerSecond,
            std::string& error) override;
  bool Add(const TPixelBuffer& frame, std::string& error) override;
  bool Finish(std::string& error) override;
  void Abandon() override;

private:
  TComputePool& Pool;
  std::string Path;
  std::string Staging;  // the hidden folder, empty while none is made
  int Width = 0, Height = 0;
  int Count = 0;
  bool Failed = false;
};
