#pragma once
#include <cstdint>
#include <vector>

class TComputePool;
class TPixelBuffer;

/// The part of a picture that one frame shows: a rectangle of its pixels (fractions allowed;
/// Left and Top from the picture's top left corner).
struct TSourceRect {
  double Left = 0, Top = 0, Width = 0, Height = 0;
};

/// The taps of one axis of a resampling: for each output pixel the first source pixel and the
/// weights of it and the following ones, in 1/4096, adding up to 4096.
struct TResampleTaps {
  std::vector<int> First;
  std::vector<int> Count;
  std::vector<uint16_t> Weights;  ///< MaxTaps a pixel
  int MaxTaps = 0;
};

/// The taps that average `source` pixels from `start` over `count` output pixels of `size`
/// source pixels each: each output pixel is the mean of the source it covers, every source
/// pixel weighted by its covered part (a box over the pixel's footprint). A size below 1 is
/// taken as 1 (pixels are never stretched). Whole source pixels at whole offsets give one tap
/// each, so a frame that is a keyframe copies it. The taps may reach past the source's edges;
/// ResampleFrame reads the nearest edge pixel there.
TResampleTaps ResampleTaps(double start, double size, int count);

/// Fills `frame` (its size is the frame's) with the part `rect` of `source`, averaged down as
/// ResampleTaps says on both axes, in integers, so the result is the same on every machine and
/// however the rows are shared out. Pixels stand for the fractal at their top left corners, as
/// the kernels compute them: frame pixel (x, y) averages the source around the point
/// (Left + x * Width / frame width, Top + y * Height / frame height). The rows are spread over
/// the workers of `pool`.
void ResampleFrame(const TPixelBuffer& source, const TSourceRect& rect, TPixelBuffer& frame,
                   TComputePool& pool);
