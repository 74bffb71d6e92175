#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include <zlib.h>

#include "render/checksum.h"

namespace {

uint32_t ZlibAdler(uint32_t start, const std::vector<unsigned char>& bytes, size_t from,
                   size_t size) {
  // Never a null buffer: zlib answers that with its initial value.
  return static_cast<uint32_t>(adler32(start, bytes.data() + from, static_cast<uInt>(size)));
}

TEST(Adler32, GivesZlibsValueForEveryLengthStartAndContent) {
  std::mt19937 random(17);
  std::vector<unsigned char> noise(3 << 20);
  for (auto& byte : noise) byte = static_cast<unsigned char>(random());
  // All 0xFF is the largest sum per byte: the run before a reduction must not overflow.
  const std::vector<unsigned char> full(3 << 20, 0xFF);
  std::vector<unsigned char> rows(1 << 20);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<unsigned char>(i % 3001 % 7);
  const size_t lengths[] = {0,    1,    2,    31,   32,   33,    63,    64,    65,     100,
                            5535, 5536, 5537, 5551, 5552, 5553,  11072, 11073, 100000, 1 << 20,
                            3 << 20};
  // Sums carried over from earlier bytes, the largest the reduction leaves among them.
  const uint32_t starts[] = {1, 0, 0xFFF0FFF0u, 0x12345678u % 65521u << 16 | 4321};
  const std::vector<unsigned char>* const contents[] = {&noise, &full, &rows};
  for (const auto* data : contents) {
    for (const size_t length : lengths) {
      if (length > data->size()) continue;
      for (const uint32_t start : starts) {
        ASSERT_EQ(Adler32(start, data->data(), length), ZlibAdler(start, *data, 0, length))
            << "length " << length << ", start " << start;
      }
    }
  }
  // Continued piece by piece at odd offsets, as the stripes are.
  uint32_t pieces = 1;
  size_t at = 0;
  for (size_t piece = 1; at < noise.size(); piece = piece * 3 + 7) {
    const size_t size = std::min(piece, noise.size() - at);
    pieces = Adler32(pieces, noise.data() + at, size);
    at += size;
  }
  EXPECT_EQ(pieces, ZlibAdler(1, noise, 0, noise.size()));
  EXPECT_EQ(Adler32(1, nullptr, 0), 1u);
  EXPECT_EQ(Adler32(0xFFF0FFF0u, nullptr, 0), 0xFFF0FFF0u);
}

}  // namespace
