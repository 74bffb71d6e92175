#include "render/TPixelBuffer.h"

#include <algorithm>

TPixelBuffer::TPixelBuffer(int width, int height, uint32_t colour) { Reset(width, height, colour); }

void TPixelBuffer::Reset(int width, int height, uint32_t colour) {
  W = std::max(width, 0);
  H = std::max(height, 0);
  Pixels.assign(static_cast<size_t>(W) * H, 0xFF000000u | colour);
}

void TPixelBuffer::FillBox(int left, int top, int right, int bottom, uint32_t colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, W - 1);
  bottom = std::min(bottom, H - 1);
  const uint32_t v = 0xFF000000u | colour;
  for (int y = top; y <= bottom; ++y) {
    uint32_t* row = Pixels.data() + static_cast<size_t>(y) * W;
    std::fill(row + left, row + right + 1, v);
  }
}
