#pragma once

/// What a zoom movie is to be: its frames' size and rate, how long it takes or how fast it
/// zooms, which way it goes, and how its frames are made. A plain value, copied freely.
struct TMovieSettings {
  int Width = 1280;  ///< frame width in pixels (even for MP4)
  int Height = 720;  ///< frame height in pixels (even for MP4)
  /// Keyframe size in pixels; 0 = twice the frame size. At least twice the frame size, with
  /// the frame's shape: a movie made again at a smaller size reuses the keyframes it names.
  int KeyWidth = 0;
  int KeyHeight = 0;
  double FramesPerSecond = 30;  ///< frames a second, > 0
  double Seconds = 0;           ///< the movie's length in seconds; 0 = from ZoomPerSecond
  double ZoomPerSecond = 2;     ///< factor of width a second (> 1), used when Seconds is 0
  bool ZoomIn = false;          ///< false: from the file's view out to the wide view
  /// Every frame computed in full at the frame size, none resampled.
  bool FullFrames = false;
};
