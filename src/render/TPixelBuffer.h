#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

/// A 32-bit pixel surface. Each pixel is stored as 0xFFBBGGRR, which in memory is the byte
/// order R, G, B, X: the view wraps the same memory in a QImage of format RGBX8888 without a
/// copy. Colours go in and come out as 0x00BBGGRR (red in the low byte).
class TPixelBuffer {
public:
  TPixelBuffer() = default;
  /// A surface of width x height pixels (negative sizes count as 0), filled with `colour`.
  TPixelBuffer(int width, int height, uint32_t colour = 0);

  int Width() const { return W; }
  int Height() const { return H; }
  /// Bytes per row.
  int Stride() const { return W * 4; }
  uint32_t* Data() { return Pixels.data(); }
  const uint32_t* Data() const { return Pixels.data(); }

  /// Resizes to width x height and fills it with `colour`.
  void Reset(int width, int height, uint32_t colour = 0);

  /// Colour (0x00BBGGRR) of pixel (x, y); 0 outside the surface.
  uint32_t Get(int x, int y) const {
    return Inside(x, y) ? Pixels[static_cast<size_t>(y) * W + x] & 0xFFFFFF : 0;
  }
  /// Sets pixel (x, y) to `colour`; ignored outside the surface.
  void Set(int x, int y, uint32_t colour) {
    if (Inside(x, y)) Pixels[static_cast<size_t>(y) * W + x] = 0xFF000000u | colour;
  }
  /// Fills the inclusive box (left, top)..(right, bottom), cut to the surface.
  void FillBox(int left, int top, int right, int bottom, uint32_t colour);

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }

private:
  int W = 0;
  int H = 0;
  std::vector<uint32_t> Pixels;
};
