#pragma once
#include <memory>
#include <string>

class TComputePool;
class TPixelBuffer;

/// Writes the frames of a movie, in order, to one output that replaces whatever was at its
/// place only once it is complete: nothing of it counts until Finish says so.
class TMovieEncoder {
public:
  virtual ~TMovieEncoder() = default;

  /// The encoder for `path` by its extension: ".mp4" H.264 in MP4, ".png" a numbered PNG
  /// sequence (TPngSequenceWriter); null with the reason for any other. `pool` (not owned,
  /// outlives the encoder) compresses PNG pictures.
  static std::unique_ptr<TMovieEncoder> ForPath(const std::string& path, TComputePool& pool,
                                                std::string& error);

  /// Whether a movie of `width` x `height` pixels can be written to `path`: a kind ForPath
  /// knows, a size it takes, a place that may take a file. Touches nothing; checked before
  /// keyframes that may take hours. False with the reason.
  static bool Check(const std::string& path, int width, int height, std::string& error);

  /// Starts a movie of `width` x `height` pixels at `framesPerSecond` at `path`. False with the
  /// reason (the system's words for a file that cannot be made).
  virtual bool Open(const std::string& path, int width, int height, double framesPerSecond,
                    std::string& error) = 0;
  /// Adds the next frame (of the size given to Open). False with the reason; a failed encoder
  /// takes no more frames and Finish fails.
  virtual bool Add(const TPixelBuffer& frame, std::string& error) = 0;
  /// Completes the movie, syncs it and puts it in place. False with the reason (e.g. "No space
  /// left on device"); what was at the place before then stays.
  virtual bool Finish(std::string& error) = 0;
  /// Drops the movie; what was at the place stays. Also done by the destructor.
  virtual void Abandon() = 0;
};
