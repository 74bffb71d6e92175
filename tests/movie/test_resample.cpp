// Frames made from keyframes: exact copies at scale 1, box averages when shrinking, the same
// bytes however the rows are shared out.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/TComputePool.h"
#include "movie/resample.h"
#include "render/TPixelBuffer.h"

namespace {

TPixelBuffer Noise(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  TPixelBuffer picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.Set(x, y, random() & 0xFFFFFF);
  return picture;
}

uint32_t Channel(uint32_t colour, int c) { return colour >> (8 * c) & 0xFF; }

}  // namespace

TEST(Resample, AFrameAsLargeAsItsSourceCopiesIt) {
  TComputePool pool(2);
  const TPixelBuffer source = Noise(37, 23, 1);
  TPixelBuffer frame(37, 23);
  ResampleFrame(source, {0, 0, 37, 23}, frame, pool);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) ASSERT_EQ(frame.Get(x, y), source.Get(x, y)) << x << "," << y;
  // A whole-pixel offset copies the part.
  TPixelBuffer part(20, 10);
  ResampleFrame(source, {5, 7, 20, 10}, part, pool);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(part.Get(x, y), source.Get(x + 5, y + 7));
}

// Pixels stand for their top left corners: a frame pixel of twice the size averages the
// source pixel at its corner with half of each neighbour, weights 1, 2, 1 on each axis.
TEST(Resample, HalvingAveragesEachCornerWithHalfOfItsNeighbours) {
  TComputePool pool(2);
  const TPixelBuffer source = Noise(16, 12, 2);
  TPixelBuffer frame(8, 6);
  ResampleFrame(source, {0, 0, 16, 12}, frame, pool);
  const int tent[3] = {1, 2, 1};
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      for (int c = 0; c < 3; ++c) {
        uint32_t sum = 0;
        for (int j = 0; j < 3; ++j)
          for (int i = 0; i < 3; ++i)
            sum += tent[i] * tent[j] *
                   Channel(source.Get(std::max(2 * x + i - 1, 0), std::max(2 * y + j - 1, 0)), c);
        ASSERT_EQ(Channel(frame.Get(x, y), c), (sum + 8) / 16) << x << "," << y << " " << c;
      }
    }
  }
}

TEST(Resample, ShrinkingByAnyFactorKeepsFlatAreasAndEdgesInPlace) {
  TComputePool pool(2);
  // Left half red, right half blue, split at column 60 of 120.
  TPixelBuffer source(120, 90);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) source.Set(x, y, x < 60 ? 0x0000FF : 0xFF0000);
  for (const double scale : {1.0, 1.25, 1.37, 1.5, 1.999, 2.0}) {
    const int width = static_cast<int>(120 / scale);
    const int height = static_cast<int>(90 / scale);
    TPixelBuffer frame(width, height);
    ResampleFrame(source, {0, 0, width * scale, height * scale}, frame, pool);
    for (int x = 0; x < width; ++x) {
      // Pixels wholly on one side keep its colour; the one across the edge mixes both.
      const double begin = x * scale + (1 - scale) / 2, end = begin + scale;
      const uint32_t c = frame.Get(x, height / 2);
      if (end <= 60) {
        EXPECT_EQ(c, 0x0000FFu) << scale << " " << x;
      } else if (begin >= 60) {
        EXPECT_EQ(c, 0xFF0000u) << scale << " " << x;
      } else {
        const double red = (60 - begin) / scale;
        EXPECT_NEAR(Channel(c, 0), 255 * red, 1.0) << scale << " " << x;
        EXPECT_NEAR(Channel(c, 2), 255 * (1 - red), 1.0) << scale << " " << x;
      }
    }
  }
}

TEST(Resample, OneWorkerAndTwoGiveTheSameBytes) {
  const TPixelBuffer source = Noise(200, 150, 3);
  TComputePool one(1), two(2);
  TPixelBuffer a(90, 70), b(90, 70);
  const TSourceRect rect{13.37, 21.5, 160.2, 160.2 * 70 / 90};
  ResampleFrame(source, rect, a, one);
  ResampleFrame(source, rect, b, two);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x) ASSERT_EQ(a.Get(x, y), b.Get(x, y)) << x << "," << y;
}
