// Zoom movies: the keyframe method against every frame computed in full (the same frames made
// each way, and the same movie made to an MP4 file each way), and the resampling against the
// H.264 encoder at 1280 x 720 on two threads.
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
#include "engine/deep/deepzoom.h"
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

// The deep example's start: a view 2^8 times as wide about the same centre, i; the doubles
// cannot hold it, so its bounds are texts.
TFractProps DeepStart(const TFractProps& end) {
  TDeepParams area = end.DeepParams();
  std::string error;
  // 3e-50 * 256 = 7.68e-48.
  const std::string width = "0." + std::string(47, '0') + "768";
  SetDeepViewAround(area, "0", "1", width, error);
  TFractProps start = end;
  if (!start.SetDeepArea(area.Left, area.Top, area.Right, area.Bottom, error))
    std::fprintf(stderr, "start: %s\n", error.c_str());
  return start;
}

TMoviePlan PlanFor(benchmark::State& state, const TStoredFractal& fractal,
                   const TFractProps* start, bool fullFrames) {
  TMovieSettings settings;
  settings.Width = 320;
  settings.Height = 180;
  settings.FramesPerSecond = 30;
  settings.ZoomPerSecond = 2;
  settings.FullFrames = fullFrames;
  TMoviePlan plan;
  std::string error;
  if (!TMoviePlan::Make(fractal, start, settings, plan, error)) state.SkipWithError(error.c_str());
  state.counters["frames"] = plan.FrameCount();
  state.counters["computed"] = plan.KeyframeCount();
  state.counters["computed_pixels"] =
      double(plan.KeyframeCount()) * plan.KeyWidth() * plan.KeyHeight();
  return plan;
}

fs::path ScratchFolder() {
  return fs::temp_directory_path() / ("zenolith-bench-movie-" + std::to_string(getpid()));
}

// Every frame of the movie, made one way or the other from nothing, into memory: the
// keyframes (or frames) computed and written, then each frame read and resampled. What the
// encoder does after is the same either way.
void MakeFrames(benchmark::State& state, const TStoredFractal& fractal, const TFractProps* start) {
  const TMoviePlan plan = PlanFor(state, fractal, start, state.range(0) != 0);
  const fs::path dir = ScratchFolder();
  std::string error;
  for (auto _ : state) {
    fs::remove_all(dir);
    TMovieMaker maker(plan, dir.string(), TComputePool::Shared());
    if (!maker.ComputeKeyframes(0, plan.KeyframeCount() - 1, false, error))
      state.SkipWithError(error.c_str());
    TPixelBuffer key, frame(320, 180);
    int loaded = -1;
    for (int i = 0; i < plan.FrameCount(); ++i) {
      const TMoviePlan::TSource s = plan.Frame(i);
      if (s.Key != loaded && !maker.Folder().Read(s.Key, key, error))
        state.SkipWithError(error.c_str());
      loaded = s.Key;
      ResampleFrame(key, {s.Left, s.Top, s.Width, s.Height}, frame, TComputePool::Shared());
      benchmark::DoNotOptimize(frame.Data());
    }
  }
  fs::remove_all(dir);
}

// The whole movie to an MP4 file, one way or the other.
void MakeMovie(benchmark::State& state, const TStoredFractal& fractal) {
  const TMoviePlan plan = PlanFor(state, fractal, nullptr, state.range(0) != 0);
  const fs::path dir = ScratchFolder();
  std::string error;
  for (auto _ : state) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    TMovieMaker maker(plan, (dir / "keys").string(), TComputePool::Shared());
    if (!maker.Make((dir / "zoom.mp4").string(), false, error)) state.SkipWithError(error.c_str());
  }
  fs::remove_all(dir);
}

// The seahorse valley out to the whole set: 8 doublings, 239 frames of 320 x 180.
const TStoredFractal& Seahorse() {
  static const TStoredFractal fractal = Example("seahorse-fire.zlf");
  return fractal;
}

void BM_FramesShallow(benchmark::State& state) { MakeFrames(state, Seahorse(), nullptr); }
BENCHMARK(BM_FramesShallow)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)
    ->Iterations(1)->UseRealTime();

void BM_FramesDeep(benchmark::State& state) {
  // 8 doublings out of a view 3e-50 wide, the deep kernel throughout: 240 frames.
  static const TStoredFractal fractal = Example("deep-misiurewicz-1e-50.zlf");
  static const TFractProps start = DeepStart(fractal.Params);
  MakeFrames(state, fractal, &start);
}
BENCHMARK(BM_FramesDeep)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)
    ->Iterations(1)->UseRealTime();

void BM_MovieShallow(benchmark::State& state) { MakeMovie(state, Seahorse()); }
BENCHMARK(BM_MovieShallow)->ArgName("full")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)
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
