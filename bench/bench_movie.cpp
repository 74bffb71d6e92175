// Zoom movies: the keyframe method against every frame computed in full (the same movie, made
// to an MP4 file each way), and the resampling against the H.264 encoder at 1280 x 720.
//   build/bench/bench_movie
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/computearray.h"
#include "engine/deep/deepbounds.h"
#include "movie/TMovieMaker.h"
#include "movie/TMp4Encoder.h"
#include "movie/resample.h"
#include "render/TPixelBuffer.h"
#include "render/painting.h"

namespace {

namespace fs = std::filesystem;

TStoredFractal Example(const std::string& name) {
  TStoredFractal fractal;
  std::string error;
  if (!ReadFractalFile(std::string(ZENOLITH_EXAMPLES) + "/" + name, fractal, error))
    std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
  return fractal;
}

// The end's area widened 2^doublings times about its centre: the start of a movie of that
// many doublings.
TFractProps Wider(const TFractProps& end, int doublings) {
  const TKernelParams k = end.KernelParams();
  const double cx = (k.Left + k.Right) / 2, cy = (k.Top + k.Bottom) / 2;
  const double w = (k.Right - k.Left) * std::ldexp(1.0, doublings) / 2;
  TFractProps start = end;
  start.Left.SetDouble(cx - w);
  start.Right.SetDouble(cx + w);
  start.Top.SetDouble(cy + w);
  start.Bottom.SetDouble(cy - w);
  start.ClearDeepArea();
  return start;
}

// Makes the movie of `fractal` one way or the other, from nothing, to an MP4 file.
void MakeMovie(benchmark::State& state, const TStoredFractal& fractal, const TFractProps* start,
               int width, int height, bool fullFrames) {
  TMovieSettings settings;
  settings.Width = width;
  settings.Height = height;
  settings.FramesPerSecond = 30;
  settings.ZoomPerSecond = 2;
  settings.FullFrames = fullFrames;
  TMoviePlan plan;
  std::string error;
  if (!TMoviePlan::Make(fractal, start, settings, plan, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const fs::path dir = fs::temp_directory_path() / ("zenolith-bench-movie-" + std::to_string(getpid()));
  for (auto _ : state) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    TMovieMaker maker(plan, (dir / "keys").string(), TComputePool::Shared());
    if (!maker.Make((dir / "zoom.mp4").string(), false, error)) state.SkipWithError(error.c_str());
  }
  fs::remove_all(dir);
  state.counters["frames"] = plan.FrameCount();
  state.counters["computed"] = plan.KeyframeCount();
  state.counters["computed_pixels"] =
      double(plan.KeyframeCount()) * plan.KeyWidth() * plan.KeyHeight();
}

void BM_MovieShallow(benchmark::State& state) {
  // The seahorse valley out to the whole set: 9 doublings, 270 frames of 320 x 180.
  static const TStoredFractal fractal = Example("seahorse-fire.zlf");
  MakeMovie(state, fractal, nullptr, 320, 180, state.range(0) != 0);
}
BENCHMARK(BM_MovieShallow)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)
    ->Iterations(1)->UseRealTime();

void BM_MovieDeep(benchmark::State& state) {
  // 8 doublings out of a view 3e-50 wide (deep kernel throughout): 240 frames of 320 x 180.
  static const TStoredFractal fractal = Example("deep-misiurewicz-1e-50.zlf");
  static const TFractProps start = Wider(fractal.Params, 8);
  MakeMovie(state, fractal, &start, 320, 180, state.range(0) != 0);
}
BENCHMARK(BM_MovieDeep)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)
    ->Iterations(1)->UseRealTime();

// A keyframe of 2560 x 1440 of the seahorse valley, painted, computed once.
const TPixelBuffer& Keyframe() {
  static const TPixelBuffer picture = [] {
    TStoredFractal fractal = Example("seahorse-fire.zlf");
    fractal.Params.XResolution.SetInt(2560);
    fractal.Params.YResolution.SetInt(1440);
    const TKernelParams params = fractal.Params.KernelParams();
    TFractArray array(2560, 1440);
    ComputeArray(params, array, TComputePool::Shared(), nullptr, false,
                 DeepPlanFor(fractal.Params));
    TPixelBuffer surface(2560, 1440);
    PaintRect(surface, {0, 0, 2560, 1440}, {0, 0, 2560, 1440}, &array, fractal.View,
              params.MaxCycle, false);
    return surface;
  }();
  return picture;
}

// The part of the keyframe that frame `i` of a doubling of 30 frames shows about the centre.
TSourceRect PartOf(int i) {
  const double part = std::exp2(-(i % 30) / 30.0);
  return {1280 * (1 - part), 720 * (1 - part), 2560 * part, 1440 * part};
}

void BM_Resample1280x720(benchmark::State& state) {
  const TPixelBuffer& key = Keyframe();
  TComputePool pool(2);
  TPixelBuffer frame(1280, 720);
  int i = 0;
  for (auto _ : state) {
    ResampleFrame(key, PartOf(i++), frame, pool);
    benchmark::DoNotOptimize(frame.Data());
  }
  state.counters["frames/s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Resample1280x720)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Encode1280x720(benchmark::State& state) {
  const TPixelBuffer& key = Keyframe();
  TComputePool pool(2);
  // Frames as a movie has them, made beforehand: only the encoder is timed.
  std::vector<TPixelBuffer> frames(30, TPixelBuffer(1280, 720));
  for (int i = 0; i < 30; ++i) ResampleFrame(key, PartOf(i), frames[static_cast<size_t>(i)], pool);
  const std::string path =
      (fs::temp_directory_path() / ("zenolith-bench-" + std::to_string(getpid()) + ".mp4")).string();
  std::string error;
  // A clip of 60 frames a round, from the start of the file to its synced end.
  for (auto _ : state) {
    TMp4Encoder encoder;
    if (!encoder.Open(path, 1280, 720, 30, error)) state.SkipWithError(error.c_str());
    for (int i = 0; i < 60; ++i)
      if (!encoder.Add(frames[static_cast<size_t>(i % 30)], error)) state.SkipWithError(error.c_str());
    if (!encoder.Finish(error)) state.SkipWithError(error.c_str());
  }
  fs::remove(path);
  state.counters["frames/s"] =
      benchmark::Counter(60.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Encode1280x720)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
