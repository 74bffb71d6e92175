// PNG pictures: what the writer writes reads back pixel for pixel; the reader undoes every row
// filter and refuses broken files with one reason each.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <zlib.h>

#include "core/TOutputTarget.h"
#include "engine/TComputePool.h"
#include "render/TPixelBuffer.h"
#include "render/pngreader.h"
#include "render/pngwriter.h"
#include "support/files.h"
#include "support/testdata.h"

namespace {

void PutBigEndian(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift & 0xFF);
}

std::string Chunk(const char* type, const std::string& data) {
  std::string chunk;
  PutBigEndian(chunk, static_cast<uint32_t>(data.size()));
  chunk += std::string(type, 4) + data;
  const uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4),
                          reinterpret_cast<const Bytef*>(data.data()),
                          static_cast<uInt>(data.size()));
  PutBigEndian(chunk, static_cast<uint32_t>(crc));
  return chunk;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// A PNG file of `rows` (bytes of `channels` a pixel), row y filtered with type y % 5, as the
// format defines the filters.
std::string FilteredPng(const std::vector<std::vector<unsigned char>>& rows, int channels) {
  const size_t bytes = rows[0].size();
  std::string raw;
  for (size_t y = 0; y < rows.size(); ++y) {
    const int type = static_cast<int>(y % 5);
    raw += static_cast<char>(type);
    for (size_t i = 0; i < bytes; ++i) {
      const int a = i >= size_t(channels) ? rows[y][i - channels] : 0;
      const int b = y > 0 ? rows[y - 1][i] : 0;
      const int c = y > 0 && i >= size_t(channels) ? rows[y - 1][i - channels] : 0;
      const int predictor[5] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
      raw += static_cast<char>(rows[y][i] - predictor[type]);
    }
  }
  std::string compressed(compressBound(raw.size()), '\0');
  uLongf size = compressed.size();
  compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
            reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
  compressed.resize(size);
  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(bytes / channels));
  PutBigEndian(header, static_cast<uint32_t>(rows.size()));
  header += std::string{8, static_cast<char>(channels == 3 ? 2 : 6), 0, 0, 0};
  return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + Chunk("IDAT", compressed) +
         Chunk("IEND", "");
}

}  // namespace

TEST(PngFiles, APictureWrittenReadsBackPixelForPixel) {
  TScratchDir dir("png-roundtrip");
  std::mt19937 random(7);
  TComputePool pool(2);
  for (const auto& [width, height] : {std::pair{1, 1}, {37, 5}, {300, 211}}) {
    TPixelBuffer picture(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) picture.Set(x, y, random() & 0xFFFFFF);
    const std::string path = dir.File("p.png");
    TOutputTarget output;
    std::string error;
    ASSERT_TRUE(output.Open(path));
    ASSERT_TRUE(WritePixelsPng(picture, pool, output, error)) << error;
    ASSERT_TRUE(output.Finish());
    TPixelBuffer read;
    ASSERT_TRUE(ReadPicturePng(path, read, error)) << error;
    ASSERT_EQ(read.Width(), width);
    ASSERT_EQ(read.Height(), height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) ASSERT_EQ(read.Get(x, y), picture.Get(x, y)) << x << "," << y;
  }
}

TEST(PngFiles, EveryRowFilterIsUndoneInRgbAndRgba) {
  TScratchDir dir("png-filters");
  std::mt19937 random(11);
  for (const int channels : {3, 4}) {
    std::vector<std::vector<unsigned char>> rows(10, std::vector<unsigned char>(7 * channels));
    for (auto& row : rows)
      for (auto& byte : row) byte = static_cast<unsigned char>(random());
    const std::string path = dir.File("f.png");
    WriteFileBytes(path, FilteredPng(rows, channels));
    TPixelBuffer read;
    std::string error;
    ASSERT_TRUE(ReadPicturePng(path, read, error)) << error;
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 7; ++x) {
        const unsigned char* p = &rows[size_t(y)][size_t(x * channels)];
        EXPECT_EQ(read.Get(x, y), uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16)
            << channels << " channels, " << x << "," << y;
      }
    }
  }
}

TEST(PngFiles, BrokenFilesAreRefusedWithTheirReasonAndLeaveThePictureAsItWas) {
  TScratchDir dir("png-broken");
  const std::vector<std::vector<unsigned char>> rows(4, std::vector<unsigned char>(12, 200));
  const std::string good = FilteredPng(rows, 3);
  std::string badCrc = good;
  badCrc[30] ^= 1;  // inside the header's checksum
  std::string sixteenBits = good;
  sixteenBits[24] = 16;
  const std::string sixteen = sixteenBits.substr(0, 8) +
                              Chunk("IHDR", sixteenBits.substr(16, 13)) +
                              sixteenBits.substr(8 + 25);
  std::string brokenData = good;
  brokenData.replace(brokenData.find("IDAT") + 6, 2, "\xff\xff");
  const std::string idat = brokenData.substr(brokenData.find("IDAT") - 4);
  const size_t idatSize = size_t((unsigned char)idat[2]) << 8 | (unsigned char)idat[3];
  const std::string rechecked = brokenData.substr(0, brokenData.find("IDAT") - 4) +
                                Chunk("IDAT", idat.substr(8, idatSize)) + Chunk("IEND", "");
  ::mkdir(dir.File("folder.png").c_str(), 0777);
  const std::vector<std::pair<std::string, std::string>> rows2 = {
      {"", "not a PNG picture"},
      {"GIF89a and more", "not a PNG picture"},
      {good.substr(0, good.size() - 20), "the picture is cut short"},
      {badCrc, "a checksum of the picture is wrong"},
      {sixteen, "only 8-bit RGB pictures without interlacing are read"},
      {rechecked, "the picture's data are broken"},
  };
  TPixelBuffer picture(3, 2, 0x123456);
  for (const auto& [bytes, reason] : rows2) {
    const std::string path = dir.File("b.png");
    WriteFileBytes(path, bytes);
    std::string error;
    EXPECT_FALSE(ReadPicturePng(path, picture, error)) << reason;
    EXPECT_EQ(error, reason);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Get(2, 1), 0x123456u);
  }
  std::string error;
  EXPECT_FALSE(ReadPicturePng(dir.File("folder.png"), picture, error));
  EXPECT_EQ(error, "not a regular file");
}
