#pragma once
#include <cstdint>
#include <memory>

#include "core/TSafeFile.h"
#include "movie/TMovieEncoder.h"

/// H.264 video in an MP4 file through FFmpeg's libraries (libx264, yuv420p, constant quality):
/// the muxer writes through a TSafeFile, so every byte is checked and the file replaces its
/// target only once the trailer is written and synced. Width and height must be even.
class TMp4Encoder : public TMovieEncoder {
public:
  TMp4Encoder();
  ~TMp4Encoder() override;
  TMp4Encoder(const TMp4Encoder&) = delete;
  TMp4Encoder& operator=(const TMp4Encoder&) = delete;

  bool Open(const std::string& path, int width, int height, double framesPerSecond,
            std::string& error) override;
  bool Add(const TPixelBuffer& frame, std::string& error) override;
  bool Finish(std::string& error) override;
  void Abandon() override;

private:
  struct TFfmpeg;

  // Sends `frame` (null: the end) to the codec and writes every packet it gives back.
  bool Encode(bool last, std::string& error);
  bool Fail(const std::string& what, int code, std::string& error);
  static int WritePacket(void* opaque, uint8_t* data, int size);
  static int64_t SeekPacket(void* opaque, int64_t offset, int whence);

  std::unique_ptr<TFfmpeg> Av;
  TSafeFile File;
  int64_t Position = 0;
  int64_t FrameCount = 0;
  bool Failed = false;
};
