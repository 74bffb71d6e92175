#include "cli/pngwriter.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include <zlib.h>

#include "cli/TOutputTarget.h"
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
// Bytes given to zlib at once: its counters are 32-bit.
constexpr size_t ZlibPiece = size_t{1} << 30;

struct TStripe {
  std::vector<unsigned char> Bytes;  // compressed
  uLong Adler = 1;                   // of the uncompressed, filtered rows
  size_t RawSize = 0;
  bool Done = false;
  bool Failed = false;
};

// Appends the rows of one stripe to `raw` with filter type 1 ("Sub": each byte minus the byte
// of the pixel to its left), cheap and good for flat runs and gradients.
void FilterRows(const TPixelBuffer& surface, int top, int bottom, std::vector<unsigned char>& raw) {
  const int width = surface.Width();
  raw.resize(static_cast<size_t>(bottom - top) * (1 + 3 * static_cast<size_t>(width)));
  unsigned char* out = raw.data();
  for (int y = top; y < bottom; ++y) {
    // Pixels are R, G, B and an unused byte in memory.
    const auto* in = reinterpret_cast<const unsigned char*>(surface.Data()) +
                     static_cast<size_t>(y) * static_cast<size_t>(surface.Stride());
    *out++ = 1;
    unsigned char r = 0, g = 0, b = 0;
    for (int x = 0; x < width; ++x, in += 4) {
      *out++ = static_cast<unsigned char>(in[0] - r);
      *out++ = static_cast<unsigned char>(in[1] - g);
      *out++ = static_cast<unsigned char>(in[2] - b);
      r = in[0];
      g = in[1];
      b = in[2];
    }
  }
}

// Compresses `raw` as raw deflate blocks; the last stripe ends the stream, the others end on a
// byte boundary with nothing to refer back to. False when zlib has no memory.
bool Deflate(const std::vector<unsigned char>& raw, bool last, std::vector<unsigned char>& out) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return false;
  out.resize(std::max<size_t>(deflateBound(&z, std::min(raw.size(), ZlibPiece)), 1024));
  size_t used = 0;
  // One deflate call with room made for its output; true unless zlib refused.
  const auto step = [&](int flush) {
    if (out.size() - used < 1024) out.resize(out.size() * 2);
    const size_t room = std::min(out.size() - used, ZlibPiece);
    z.next_out = out.data() + used;
    z.avail_out = static_cast<uInt>(room);
    const int status = deflate(&z, flush);
    used += room - z.avail_out;
    return status;
  };
  bool ok = true;
  for (size_t at = 0; at < raw.size() && ok; at += ZlibPiece) {
    z.next_in = const_cast<unsigned char*>(raw.data()) + at;
    z.avail_in = static_cast<uInt>(std::min(raw.size() - at, ZlibPiece));
    while (z.avail_in > 0 && ok) ok = step(Z_NO_FLUSH) != Z_STREAM_ERROR;
  }
  // The flush is complete once a call leaves output room unused (or the stream has ended).
  for (;;) {
    if (!ok) break;
    const int status = step(last ? Z_FINISH : Z_FULL_FLUSH);
    if (status == Z_STREAM_ERROR) ok = false;
    if (last ? status == Z_STREAM_END : z.avail_out > 0) break;
  }
  deflateEnd(&z);
  out.resize(used);
  return ok;
}

// The stripes as a job of the pool: each paints its rows of the surface, filters and
// compresses them. The thread that writes waits for them in order.
class TStripeJob : public TComputeJob {
public:
  TStripeJob(const TFractArray& array, const TVoldViewProps& view, int32_t maxCycle,
             TPixelBuffer& surface, int stripeRows)
      : Array(array),
        View(view),
        MaxCycle(maxCycle),
        Surface(surface),
        StripeRows(stripeRows),
        Stripes(static_cast<size_t>((surface.Height() + stripeRows - 1) / stripeRows)) {}

  int Count() const { return static_cast<int>(Stripes.size()); }

  void RunBand(int index) override {
    TStripe& stripe = Stripes[static_cast<size_t>(index)];
    const int top = index * StripeRows;
    const int bottom = std::min(top + StripeRows, Surface.Height());
    bool ok = true;
    try {
      // Rows of different stripes are different memory; the whole client keeps the stretch
      // that of the full picture.
      const TRect client{0, 0, Surface.Width(), Surface.Height()};
      PaintRect(Surface, client, {0, top, Surface.Width(), bottom}, &Array, View, MaxCycle,
                false);
      std::vector<unsigned char> raw;
      FilterRows(Surface, top, bottom, raw);
      stripe.RawSize = raw.size();
      stripe.Adler = adler32(1, raw.data(), 0);
      for (size_t at = 0; at < raw.size(); at += ZlibPiece)
        stripe.Adler = adler32(stripe.Adler, raw.data() + at,
                               static_cast<uInt>(std::min(raw.size() - at, ZlibPiece)));
      ok = Deflate(raw, index + 1 == Count(), stripe.Bytes);
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
  const TFractArray& Array;
  const TVoldViewProps& View;
  const int32_t MaxCycle;
  TPixelBuffer& Surface;
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
bool WriteData(TOutputTarget& output, const std::vector<unsigned char>& bytes) {
  for (size_t at = 0; at < bytes.size(); at += ZlibPiece) {
    if (!WriteChunk(output, "IDAT", bytes.data() + at, std::min(bytes.size() - at, ZlibPiece)))
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
  const char* const noMemory = "There is not enough memmory for this operation.";
  TPixelBuffer surface;
  try {
    surface.Reset(width, height, 0x000000);
  } catch (const std::bad_alloc&) {
    error = noMemory;
    return false;
  }
  const size_t rowBytes = 1 + 3 * static_cast<size_t>(width);
  int rows = static_cast<int>(std::max<size_t>(1, StripeBytes / rowBytes));
  const int spread = std::max(1, pool.WorkerCount() * StripesPerWorker);
  rows = std::min(rows, std::max(1, (height + spread - 1) / spread));
  auto job = std::make_shared<TStripeJob>(array, view, maxCycle, surface, rows);
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
    std::vector<unsigned char>().swap(stripe->Bytes);
  }
  // The surface must outlive the stripes still running.
  pool.Cancel(*job);
  job->WaitForEnd();
  if (written && encoded) {
    unsigned char check[4];
    PutBigEndian(check, static_cast<uint32_t>(adler));
    written = WriteChunk(output, "IDAT", check, sizeof check) &&
              WriteChunk(output, "IEND", nullptr, 0);
  }
  if (!encoded) {
    error = noMemory;
    return false;
  }
  if (!written) {
    error = output.Reason();
    return false;
  }
  return true;
}
