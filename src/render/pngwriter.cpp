#include "render/pngwriter.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include <zlib.h>

#include "core/TOutputTarget.h"
#include "render/checksum.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "render/TPixelBuffer.h"
#include "render/painting.h"

// A PNG file is a signature and chunks; the picture is one zlib stream spread over IDAT chunks.
// Each stripe of rows is compressed on its own as raw deflate blocks that end on a byte
// boundary (a full flush: no back references into the stripe before), so the stripes can be
// compressed side by side and joined in order behind one zlib header; their checksums combine.

namespace {

// Raw bytes of a stripe worth compressing in one piece, and stripes per worker so that a slow
// stripe does not keep the others waiting.
constexpr size_t StripeBytes = 512 * 1024;
constexpr int StripesPerWorker = 4;
// Pixels that no cell paints (none once the array is complete), as on a fresh view.
constexpr uint32_t Background = 0x000000;
const char* const NoMemory = "There is not enough memmory for this operation.";
// Rows painted at once before they are filtered.
constexpr int PaintRows = 64;
// Bytes given to zlib at once: its counters are 32-bit.
constexpr size_t ZlibPiece = size_t{1} << 30;

// A byte buffer that is not cleared first: every byte used is written before it is read, and
// the pages of the unused rest are never touched.
struct TBytes {
  std::unique_ptr<unsigned char[]> Data;
  size_t Size = 0;
  size_t Capacity = 0;

  void Reserve(size_t capacity) {
    if (capacity <= Capacity) return;
    std::unique_ptr<unsigned char[]> bigger(new unsigned char[capacity]);
    if (Size > 0) std::memcpy(bigger.get(), Data.get(), Size);
    Data = std::move(bigger);
    Capacity = capacity;
  }
  void Release() {
    Data.reset();
    Size = Capacity = 0;
  }
};

struct TStripe {
  TBytes Bytes;       // compressed
  uLong Adler = 1;    // of the uncompressed, filtered rows
  size_t RawSize = 0;
  bool Done = false;
  bool Failed = false;
};

// Writes one row of pixels with filter type 1 ("Sub": each byte minus the byte of the pixel to
// its left), cheap and good for flat runs and gradients: the type byte, then R, G, B a pixel.
void FilterRow(const uint32_t* pixels, int width, unsigned char* out) {
  *out++ = 1;
  uint32_t left = 0;
  for (int x = 0; x < width; ++x) {
    // Pixels are 0xXXBBGGRR: red in the low byte.
    const uint32_t p = pixels[x];
    *out++ = static_cast<unsigned char>(p - left);
    *out++ = static_cast<unsigned char>((p >> 8) - (left >> 8));
    *out++ = static_cast<unsigned char>((p >> 16) - (left >> 16));
    left = p;
  }
}

// Compresses `raw` as raw deflate blocks; the last stripe ends the stream, the others end on a
// byte boundary with nothing to refer back to. False when zlib has no memory.
bool Deflate(const unsigned char* raw, size_t rawSize, bool last, TBytes& out) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return false;
  size_t used = 0;
  bool ok = true;
  try {
    out.Reserve(std::max<size_t>(deflateBound(&z, std::min(rawSize, ZlibPiece)), 1024));
  } catch (const std::bad_alloc&) {
    deflateEnd(&z);
    return false;
  }
  // One deflate call with room made for its output; true unless zlib refused.
  const auto step = [&](int flush) {
    out.Size = used;
    if (out.Capacity - used < 1024) out.Reserve(out.Capacity * 2);
    const size_t room = std::min(out.Capacity - used, ZlibPiece);
    z.next_out = out.Data.get() + used;
    z.avail_out = static_cast<uInt>(room);
    const int status = deflate(&z, flush);
    used += room - z.avail_out;
    return status;
  };
  try {
    for (size_t at = 0; at < rawSize && ok; at += ZlibPiece) {
      z.next_in = const_cast<unsigned char*>(raw) + at;
      z.avail_in = static_cast<uInt>(std::min(rawSize - at, ZlibPiece));
      while (z.avail_in > 0 && ok) ok = step(Z_NO_FLUSH) != Z_STREAM_ERROR;
    }
    // The flush is complete once a call leaves output room unused (or the stream has ended).
    for (;;) {
      if (!ok) break;
      const int status = step(last ? Z_FINISH : Z_FULL_FLUSH);
      if (status == Z_STREAM_ERROR) ok = false;
      if (last ? status == Z_STREAM_END : z.avail_out > 0) break;
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  deflateEnd(&z);
  out.Size = used;
  return ok;
}

// Writes rows y0 .. y1 - 1 of the picture (0xFFBBGGRR pixels, `width` a row) into `out`.
using TRowPainter = std::function<void(int y0, int y1, uint32_t* out)>;
// Whether row y shows the same pixels as row y - 1 (so its bytes are copied, not filtered).
using TRowRepeats = std::function<bool(int y)>;

// The stripes as a job of the pool: each paints its rows, filters and compresses them. The
// thread that writes waits for them in order.
class TStripeJob : public TComputeJob {
public:
  TStripeJob(TRowPainter paint, TRowRepeats repeats, int width, int height, int stripeRows)
      : Paint(std::move(paint)),
        Repeats(std::move(repeats)),
        Width(width),
        Height(height),
        StripeRows(stripeRows),
        Stripes(static_cast<size_t>((height + stripeRows - 1) / stripeRows)) {}

  int Count() const { return static_cast<int>(Stripes.size()); }

  void RunBand(int index) override {
    TStripe& stripe = Stripes[static_cast<size_t>(index)];
    const int top = index * StripeRows;
    const int bottom = std::min(top + StripeRows, Height);
    bool ok = true;
    try {
      const size_t rowBytes = 1 + 3 * static_cast<size_t>(Width);
      const size_t rawSize = static_cast<size_t>(bottom - top) * rowBytes;
      std::unique_ptr<unsigned char[]> raw(new unsigned char[rawSize]);
      // A few rows at a time are painted, then filtered while they are still in the cache.
      const int chunkRows = std::min(PaintRows, bottom - top);
      std::unique_ptr<uint32_t[]> pixels(
          new uint32_t[static_cast<size_t>(chunkRows) * static_cast<size_t>(Width)]);
      for (int y0 = top; y0 < bottom; y0 += chunkRows) {
        const int y1 = std::min(y0 + chunkRows, bottom);
        Paint(y0, y1, pixels.get());
        for (int y = y0; y < y1; ++y) {
          unsigned char* out = raw.get() + static_cast<size_t>(y - top) * rowBytes;
          if (y > top && Repeats(y)) {
            std::memcpy(out, out - rowBytes, rowBytes);
          } else {
            FilterRow(pixels.get() + static_cast<size_t>(y - y0) * static_cast<size_t>(Width),
                      Width, out);
          }
        }
      }
      stripe.RawSize = rawSize;
      stripe.Adler = Adler32(1, raw.get(), rawSize);
      ok = Deflate(raw.get(), rawSize, index + 1 == Count(), stripe.Bytes);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
    std::lock_guard<std::mutex> lock(Lock);
    stripe.Failed = !ok;
    stripe.Done = true;
    Changed.notify_all();
  }

  void Finished(bool) override {
    std::lock_guard<std::mutex> lock(Lock);
    Ended = true;
    Changed.notify_all();
  }

  // Waits for stripe `index`; null when it failed or will never run.
  TStripe* Wait(int index) {
    std::unique_lock<std::mutex> lock(Lock);
    TStripe& stripe = Stripes[static_cast<size_t>(index)];
    Changed.wait(lock, [&] { return stripe.Done || Ended; });
    return stripe.Done && !stripe.Failed ? &stripe : nullptr;
  }

  void WaitForEnd() {
    std::unique_lock<std::mutex> lock(Lock);
    Changed.wait(lock, [&] { return Ended; });
  }

private:
  const TRowPainter Paint;
  const TRowRepeats Repeats;
  const int Width;
  const int Height;
  const int StripeRows;
  std::vector<TStripe> Stripes;
  std::mutex Lock;
  std::condition_variable Changed;
  bool Ended = false;
};

void PutBigEndian(unsigned char* at, uint32_t value) {
  at[0] = static_cast<unsigned char>(value >> 24);
  at[1] = static_cast<unsigned char>(value >> 16);
  at[2] = static_cast<unsigned char>(value >> 8);
  at[3] = static_cast<unsigned char>(value);
}

bool WriteChunk(TOutputTarget& output, const char* type, const unsigned char* data,
                size_t size) {
  unsigned char head[8];
  PutBigEndian(head, static_cast<uint32_t>(size));
  std::copy(type, type + 4, head + 4);
  uLong crc = crc32(0, head + 4, 4);
  // zlib takes a null buffer as a request for the initial value.
  if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
  unsigned char tail[4];
  PutBigEndian(tail, static_cast<uint32_t>(crc));
  return output.Write(head, sizeof head) && (size == 0 || output.Write(data, size)) &&
         output.Write(tail, sizeof tail);
}

// IDAT chunks of at most ZlibPiece bytes each (the format allows 2^31 - 1).
bool WriteData(TOutputTarget& output, const TBytes& bytes) {
  for (size_t at = 0; at < bytes.Size; at += ZlibPiece) {
    if (!WriteChunk(output, "IDAT", bytes.Data.get() + at, std::min(bytes.Size - at, ZlibPiece)))
      return false;
  }
  return true;
}

// Writes a PNG picture of width x height pixels whose rows `paint` gives, its stripes painted
// and compressed on the workers of `pool`.
bool WritePng(const TRowPainter& paint, const TRowRepeats& repeats, int width, int height,
              TComputePool& pool, TOutputTarget& output, std::string& error) {
  const size_t rowBytes = 1 + 3 * static_cast<size_t>(width);
  int rows = static_cast<int>(std::max<size_t>(1, StripeBytes / rowBytes));
  const int spread = std::max(1, pool.WorkerCount() * StripesPerWorker);
  rows = std::min(rows, std::max(1, (height + spread - 1) / spread));
  auto job = std::make_shared<TStripeJob>(paint, repeats, width, height, rows);
  pool.Submit(job, job->Count());
  static const unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char header[13];
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header + 4, static_cast<uint32_t>(height));
  header[8] = 8;   // bits per channel
  header[9] = 2;   // RGB
  header[10] = 0;  // deflate
  header[11] = 0;  // adaptive filtering, one filter type per row
  header[12] = 0;  // not interlaced
  bool written = output.Write(Signature, sizeof Signature) &&
                 WriteChunk(output, "IHDR", header, sizeof header);
  // The zlib header: deflate with a 32 KiB window, fastest level, no dictionary.
  static const unsigned char ZlibHeader[2] = {0x78, 0x01};
  written = written && WriteChunk(output, "IDAT", ZlibHeader, sizeof ZlibHeader);
  uLong adler = 1;
  bool encoded = true;
  for (int i = 0; i < job->Count() && written && encoded; ++i) {
    TStripe* stripe = job->Wait(i);
    if (stripe == nullptr) {
      encoded = false;
      break;
    }
    adler = adler32_combine(adler, stripe->Adler, static_cast<z_off_t>(stripe->RawSize));
    written = WriteData(output, stripe->Bytes);
    stripe->Bytes.Release();
  }
  // The array and the colouring must outlive the stripes still running.
  pool.Cancel(*job);
  job->WaitForEnd();
  if (written && encoded) {
    unsigned char check[4];
    PutBigEndian(check, static_cast<uint32_t>(adler));
    written = WriteChunk(output, "IDAT", check, sizeof check) &&
              WriteChunk(output, "IEND", nullptr, 0);
  }
  if (!encoded) {
    error = NoMemory;
    return false;
  }
  if (!written) {
    error = output.Reason();
    return false;
  }
  return true;
}

}  // namespace

bool WritePicturePng(const TFractArray& array, const TVoldViewProps& view, int32_t maxCycle,
                     int width, int height, TComputePool& pool, TOutputTarget& output,
                     std::string& error) {
  if (width <= 0 || height <= 0) {
    error = "the picture is empty";
    return false;
  }
  TCellMap map;
  try {
    map = MapCells({0, 0, width, height}, width, height, &array);
  } catch (const std::bad_alloc&) {
    error = NoMemory;
    return false;
  }
  return WritePng(
      [&](int y0, int y1, uint32_t* out) {
        PaintMappedRows(map, y0, y1, &array, view, maxCycle, Background, out);
      },
      // A row that shows the same cells as the one above is the same bytes.
      [&](int y) { return map.Rows[static_cast<size_t>(y)] == map.Rows[static_cast<size_t>(y - 1)]; },
      width, height, pool, output, error);
}

bool WritePixelsPng(const TPixelBuffer& picture, TComputePool& pool, TOutputTarget& output,
                    std::string& error) {
  const int width = picture.Width();
  if (width <= 0 || picture.Height() <= 0) {
    error = "the picture is empty";
    return false;
  }
  return WritePng(
      [&](int y0, int y1, uint32_t* out) {
        std::memcpy(out, picture.Data() + static_cast<size_t>(y0) * static_cast<size_t>(width),
                    static_cast<size_t>(y1 - y0) * static_cast<size_t>(width) * 4);
      },
      [](int) { return false; }, width, picture.Height(), pool, output, error);
}
