#include "movie/resample.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "engine/TComputePool.h"
#include "render/TPixelBuffer.h"

namespace {

constexpr int One = 4096;  // a weight of 1
// Rows of the frame a band of the pool computes.
constexpr int BandRows = 16;

// Rows y0 .. y1 - 1 of the frame: vertical taps first over the source columns the frame needs
// (kept with 4 more bits), then horizontal taps.
void ResampleRows(const TPixelBuffer& source, const TResampleTaps& across,
                  const TResampleTaps& down, int y0, int y1, TPixelBuffer& frame) {
  const int width = frame.Width();
  const int firstColumn = across.First.front();
  const int lastColumn = across.First.back() + across.MaxTaps;
  const int columns = lastColumn - firstColumn;
  std::vector<uint32_t> mixed(static_cast<size_t>(columns) * 3);
  const int sourceWidth = source.Width();
  const int sourceHeight = source.Height();
  for (int y = y0; y < y1; ++y) {
    const int first = down.First[static_cast<size_t>(y)];
    const int taps = down.Count[static_cast<size_t>(y)];
    const uint16_t* weights = &down.Weights[static_cast<size_t>(y) * down.MaxTaps];
    std::fill(mixed.begin(), mixed.end(), 0u);
    for (int k = 0; k < taps; ++k) {
      const int row = std::clamp(first + k, 0, sourceHeight - 1);
      const uint32_t* in = source.Data() + static_cast<size_t>(row) * sourceWidth;
      const uint32_t w = weights[k];
      for (int c = 0; c < columns; ++c) {
        const uint32_t p = in[std::clamp(firstColumn + c, 0, sourceWidth - 1)];
        uint32_t* m = &mixed[static_cast<size_t>(c) * 3];
        m[0] += w * (p & 0xFF);
        m[1] += w * (p >> 8 & 0xFF);
        m[2] += w * (p >> 16 & 0xFF);
      }
    }
    // Keep 4 bits below the value: 255 * 16 * 4096 stays far below 2^32 in the second pass.
    for (uint32_t& m : mixed) m = (m + 128) >> 8;
    uint32_t* out = frame.Data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const int at = across.First[static_cast<size_t>(x)] - firstColumn;
      const uint16_t* w = &across.Weights[static_cast<size_t>(x) * across.MaxTaps];
      uint32_t r = 0, g = 0, b = 0;
      for (int k = 0; k < across.Count[static_cast<size_t>(x)]; ++k) {
        const uint32_t* m = &mixed[static_cast<size_t>(at + k) * 3];
        r += w[k] * m[0];
        g += w[k] * m[1];
        b += w[k] * m[2];
      }
      constexpr uint32_t Half = 1u << 15;
      out[x] = 0xFF000000u | ((b + Half) >> 16) << 16 | ((g + Half) >> 16) << 8 | (r + Half) >> 16;
    }
  }
}

// The rows of one frame as bands of the pool; the caller waits for the end.
class TResampleJob : public TComputeJob {
public:
  TResampleJob(const TPixelBuffer& source, TResampleTaps across, TResampleTaps down,
               TPixelBuffer& frame)
      : Source(source), Across(std::move(across)), Down(std::move(down)), Frame(frame) {}

  int Bands() const { return (Frame.Height() + BandRows - 1) / BandRows; }
  void RunBand(int band) override {
    const int y0 = band * BandRows;
    ResampleRows(Source, Across, Down, y0, std::min(y0 + BandRows, Frame.Height()), Frame);
  }
  void Finished(bool) override {
    std::lock_guard<std::mutex> lock(Lock);
    Ended = true;
    Changed.notify_all();
  }
  void WaitForEnd() {
    std::unique_lock<std::mutex> lock(Lock);
    Changed.wait(lock, [&] { return Ended; });
  }

private:
  const TPixelBuffer& Source;
  const TResampleTaps Across;
  const TResampleTaps Down;
  TPixelBuffer& Frame;
  std::mutex Lock;
  std::condition_variable Changed;
  bool Ended = false;
};

}  // namespace

TResampleTaps ResampleTaps(double start, double size, int count) {
  size = std::max(size, 1.0);
  TResampleTaps taps;
  taps.MaxTaps = static_cast<int>(std::ceil(size)) + 1;
  taps.First.resize(static_cast<size_t>(count));
  taps.Count.resize(static_cast<size_t>(count));
  taps.Weights.assign(static_cast<size_t>(count) * taps.MaxTaps, 0);
  std::vector<double> parts(static_cast<size_t>(taps.MaxTaps));
  for (int i = 0; i < count; ++i) {
    const double begin = start + i * size;
    const double end = begin + size;
    // Nothing below a millionth of a pixel counts: a whole offset computed with a rounding
    // error must stay one tap.
    const int first = static_cast<int>(std::floor(begin + 1e-6));
    int n = 0;
    double total = 0;
    for (int j = first; j < end - 1e-6 && n < taps.MaxTaps; ++j, ++n) {
      const double part = std::min<double>(end, j + 1) - std::max<double>(begin, j);
      parts[static_cast<size_t>(n)] = std::max(part, 0.0);
      total += parts[static_cast<size_t>(n)];
    }
    n = std::max(n, 1);
    if (total <= 0) {
      parts[0] = 1;
      total = 1;
    }
    // Weights that add up to exactly One: the remainder goes to the largest.
    uint16_t* w = &taps.Weights[static_cast<size_t>(i) * taps.MaxTaps];
    int sum = 0, largest = 0;
    for (int k = 0; k < n; ++k) {
      w[k] = static_cast<uint16_t>(std::floor(parts[static_cast<size_t>(k)] / total * One));
      sum += w[k];
      if (w[k] > w[largest]) largest = k;
    }
    w[largest] = static_cast<uint16_t>(w[largest] + (One - sum));
    taps.First[static_cast<size_t>(i)] = first;
    taps.Count[static_cast<size_t>(i)] = n;
  }
  return taps;
}

void ResampleFrame(const TPixelBuffer& source, const TSourceRect& rect, TPixelBuffer& frame,
                   TComputePool& pool) {
  if (frame.Width() < 1 || frame.Height() < 1 || source.Width() < 1 || source.Height() < 1)
    return;
  // A pixel's colour is the fractal at its top left corner (the kernels sample there), so a
  // frame pixel's box is centred on its corner's place in the source, whose pixels are boxes
  // around their own corners.
  const double across = std::max(rect.Width / frame.Width(), 1.0);
  const double down = std::max(rect.Height / frame.Height(), 1.0);
  auto job = std::make_shared<TResampleJob>(
      source, ResampleTaps(rect.Left + (1 - across) / 2, across, frame.Width()),
      ResampleTaps(rect.Top + (1 - down) / 2, down, frame.Height()), frame);
  pool.Submit(job, job->Bands());
  job->WaitForEnd();
}
