#pragma once
#include <string>
#include <vector>

class TComputePool;
class TFractArray;
class TMoviePlan;
class TPixelBuffer;
class TStoredFractal;

/// The folder of a movie's keyframes: one PNG picture a keyframe, named by its index and the
/// movie's parameters ("key-00007-2560x1440-0123456789abcdef.png"; "frame-..." when every frame
/// is computed in full), each written whole or not at all, so that a file there is a finished
/// keyframe. Several runs (on several machines sharing the folder) may fill it side by side.
class TKeyframeFolder {
public:
  /// The folder beside `output`: its name with the extension replaced by ".keyframes"
  /// ("zoom.mp4" gives "zoom.keyframes").
  static std::string BesideOutput(const std::string& output);

  /// The keyframes of `plan` in `folder`.
  TKeyframeFolder(std::string folder, const TMoviePlan& plan);

  const std::string& Folder() const { return Path; }
  /// Makes the folder when it is missing; in one that is there, removes the temporary files
  /// of keyframes whose process has ended (a killed run). False with the reason when it
  /// cannot be made or something else than a folder has its name.
  bool Prepare(std::string& error) const;
  /// The file of keyframe `index`.
  std::string FileOf(int index) const;
  /// Whether keyframe `index` is there (a regular file of its name).
  bool Has(int index) const;
  /// The keyframes from `first` to `last` (inclusive) that are not there, in order.
  std::vector<int> Missing(int first, int last) const;

  /// Paints the complete `array` of keyframe `index` with the colouring of `fractal` as
  /// zenolith-render does and writes it (a temporary file, checked, synced, renamed). False
  /// with the reason (the system's words for a failed write).
  bool Write(int index, const TFractArray& array, const TStoredFractal& fractal,
             TComputePool& pool, std::string& error) const;
  /// Reads keyframe `index`. False with the reason when it is missing, broken or of another
  /// size; `picture` is then unchanged.
  bool Read(int index, TPixelBuffer& picture, std::string& error) const;

private:
  std::string Path;
  std::string Kind;  // "key" or "frame"
  std::string Suffix;  // "-WxH-fingerprint.png"
  int Width = 0, Height = 0;
};
