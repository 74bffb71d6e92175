#pragma once
#include <cstdint>
#include <string>

#include "document/TStoredFractal.h"
#include "engine/deep/TMpfr.h"
#include "movie/TMovieSettings.h"

/// The geometry of a zoom movie: which area each frame shows and where it comes from.
///
/// Every frame is the deep view (the end) scaled about one fixed point F of the plane, which
/// stands at the same place (U, V: fractions of the frame's width from the left and of its
/// height from the top) in every frame; the widest frame is the wide view (the start). Frame
/// widths grow by the same factor from one frame to the next. Keyframe k shows the end view
/// scaled by 2^k about F at KeyWidth x KeyHeight pixels (twice the frame size or more), so each
/// frame is a part of the smallest keyframe as wide as it or wider, shrunk by a factor from 1
/// to 2 or more: no pixel is ever stretched. With FullFrames each frame is its own keyframe at
/// the frame size. Only the keyframes' areas need the deep view's digits; the parts are
/// fractions of a keyframe, plain doubles.
class TMoviePlan {
public:
  /// Where a frame comes from: keyframe `Key` and the rectangle of its pixels (fractions
  /// allowed) that the frame shows.
  struct TSource {
    int Key = 0;
    double Left = 0, Top = 0, Width = 0, Height = 0;
  };

  /// Plans the movie from the view of `end` (the deep end, the file or the window) to the
  /// view `start` (its area only; null = the formula's whole view) with `settings`. The frames
  /// get the frame's shape: each view is widened in one direction around its centre until it
  /// has it. False with the reason when the settings are out of range, a bound cannot be read,
  /// or the start is not wider than the end.
  static bool Make(const TStoredFractal& end, const TFractProps* start,
                   const TMovieSettings& settings, TMoviePlan& plan, std::string& error);

  const TMovieSettings& Settings() const { return Movie; }
  /// Frames of the movie, >= 2.
  int FrameCount() const { return Frames; }
  /// Keyframes (or, with FullFrames, frames computed in full), >= 1.
  int KeyframeCount() const { return Keys; }
  int KeyWidth() const { return KeyW; }
  int KeyHeight() const { return KeyH; }
  /// log2 of the start's width over the end's.
  double Log2Zoom() const { return ZoomLog2; }
  /// Factor of width from one frame to the next, > 1.
  double ZoomPerFrame() const;
  /// The fixed point's place in every frame (fractions of width from the left, of height from
  /// the top).
  double U() const { return FixedU; }
  double V() const { return FixedV; }

  /// The source of frame `index` (0 .. FrameCount - 1, in the movie's order).
  TSource Frame(int index) const;
  /// log2 of the width of frame `index` over the end's.
  double FrameLog2Width(int index) const;

  /// The fractal of keyframe `index` (0 .. KeyframeCount - 1): the end's parameters and
  /// colouring over the keyframe's area at KeyWidth x KeyHeight, as its fractal file holds it
  /// (written and read again), so that zenolith-render of that file computes the same picture.
  /// False with the reason when the file cannot be made.
  bool Keyframe(int index, TStoredFractal& fractal, std::string& error) const;

  /// Sixteen hexadecimal digits that change with whatever changes the keyframes: the end's
  /// fractal and colouring, the start's area, the keyframe size and the mode (with FullFrames
  /// also the frame count).
  const std::string& Fingerprint() const { return Print; }

private:
  TStoredFractal End;
  TMovieSettings Movie;
  int Frames = 2;
  int Keys = 1;
  int KeyW = 0, KeyH = 0;
  double ZoomLog2 = 1;
  double FixedU = 0.5, FixedV = 0.5;
  // The end frame's left and top bounds, width and height, in full.
  TMpfr EndLeft{64}, EndTop{64}, EndWidth{64}, EndHeight{64};
  std::string Print;
};
