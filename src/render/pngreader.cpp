#include "render/pngreader.h"

#include <cstdint>
#include <cstring>
#include <istream>
#include <iterator>
#include <new>
#include <vector>

#include <zlib.h>

#include "core/TFileReadBuffer.h"
#include "render/TPixelBuffer.h"

namespace {

uint32_t BigEndian(const unsigned char* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes the filter of one row in place; `previous` is the row above, already unfiltered (zeros
// for the first). False for an unknown filter type.
bool Unfilter(int type, unsigned char* row, const unsigned char* previous, size_t bytes,
              size_t pixelBytes) {
  switch (type) {
    case 0:
      return true;
    case 1:
      for (size_t i = pixelBytes; i < bytes; ++i) row[i] += row[i - pixelBytes];
      return true;
    case 2:
      for (size_t i = 0; i < bytes; ++i) row[i] += previous[i];
      return true;
    case 3:
      for (size_t i = 0; i < bytes; ++i) {
        const int left = i >= pixelBytes ? row[i - pixelBytes] : 0;
        row[i] += static_cast<unsigned char>((left + previous[i]) / 2);
      }
      return true;
    case 4:
      for (size_t i = 0; i < bytes; ++i) {
        const int left = i >= pixelBytes ? row[i - pixelBytes] : 0;
        const int upLeft = i >= pixelBytes ? previous[i - pixelBytes] : 0;
        row[i] += static_cast<unsigned char>(Paeth(left, previous[i], upLeft));
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ReadPicturePng(const std::string& path, TPixelBuffer& picture, std::string& error,
                    long long maxPixels) {
  TFileReadBuffer buffer;
  std::string reason;
  if (!buffer.Open(path, reason)) {
    error = reason.empty() ? "cannot open \"" + path + "\"" : reason;
    return false;
  }
  std::istream in(&buffer);
  std::vector<unsigned char> bytes;
  try {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::bad_alloc&) {
    error = "the picture is too large for memory";
    return false;
  }
  if (in.bad()) {
    error = "cannot read \"" + path + "\"";
    return false;
  }
  static const unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || std::memcmp(bytes.data(), Signature, 8) != 0) {
    error = "not a PNG picture";
    return false;
  }
  int width = 0, height = 0;
  size_t pixelBytes = 0;
  std::vector<unsigned char> compressed;
  bool ended = false;
  for (size_t at = 8; !ended;) {
    if (bytes.size() - at < 12) {
      error = "the picture is cut short";
      return false;
    }
    const uint32_t size = BigEndian(&bytes[at]);
    if (size > bytes.size() - at - 12) {
      error = "the picture is cut short";
      return false;
    }
    const unsigned char* type = &bytes[at + 4];
    const unsigned char* data = type + 4;
    if (crc32(crc32(0, type, 4), data, size) != BigEndian(data + size)) {
      error = "a checksum of the picture is wrong";
      return false;
    }
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (size != 13 || BigEndian(data) == 0 || BigEndian(data + 4) == 0 ||
          BigEndian(data) > 1u << 30 || BigEndian(data + 4) > 1u << 30) {
        error = "the picture's header is broken";
        return false;
      }
      width = static_cast<int>(BigEndian(data));
      height = static_cast<int>(BigEndian(data + 4));
      if (data[8] != 8 || (data[9] != 2 && data[9] != 6) || data[10] != 0 || data[11] != 0 ||
          data[12] != 0) {
        error = "only 8-bit RGB pictures without interlacing are read";
        return false;
      }
      pixelBytes = data[9] == 2 ? 3 : 4;
      if (static_cast<long long>(width) * height > maxPixels) {
        error = "the picture is too large";
        return false;
      }
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      compressed.insert(compressed.end(), data, data + size);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    at += 12 + size;
  }
  if (pixelBytes == 0) {
    error = "the picture has no header";
    return false;
  }
  const size_t rowBytes = pixelBytes * static_cast<size_t>(width);
  std::vector<unsigned char> raw;
  try {
    raw.resize((rowBytes + 1) * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    error = "the picture is too large for memory";
    return false;
  }
  z_stream z{};
  if (inflateInit(&z) != Z_OK) {
    error = "the picture is too large for memory";
    return false;
  }
  z.next_in = compressed.data();
  z.avail_in = static_cast<uInt>(compressed.size());
  z.next_out = raw.data();
  z.avail_out = static_cast<uInt>(raw.size());
  const int status = inflate(&z, Z_FINISH);
  const bool whole = status == Z_STREAM_END && z.avail_out == 0;
  inflateEnd(&z);
  if (!whole) {
    error = "the picture's data are broken";
    return false;
  }
  TPixelBuffer result;
  try {
    result.Reset(width, height);
  } catch (const std::bad_alloc&) {
    error = "the picture is too large for memory";
    return false;
  }
  const std::vector<unsigned char> zeros(rowBytes, 0);
  for (int y = 0; y < height; ++y) {
    // A row is its filter type and its bytes; the row above stays unfiltered in place.
    unsigned char* row = raw.data() + static_cast<size_t>(y) * (rowBytes + 1);
    const unsigned char* previous = y == 0 ? zeros.data() : row - rowBytes;
    if (!Unfilter(row[0], row + 1, previous, rowBytes, pixelBytes)) {
      error = "the picture's data are broken";
      return false;
    }
    uint32_t* out = result.Data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = row + 1 + static_cast<size_t>(x) * pixelBytes;
      out[x] = 0xFF000000u | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
  }
  picture = std::move(result);
  return true;
}
