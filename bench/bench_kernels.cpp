// Pixel-iterations per second of the reference kernel on two standard pictures.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/TFractArray.h"
#include "engine/kernels.h"

namespace {

// Computes the whole picture pixel by pixel, as ComputeBand does, counting formula steps.
void RunPicture(benchmark::State& state, const TKernelParams& params) {
  TFractArray array(params.XResolution, params.YResolution);
  TCycleHistory history;
  int64_t steps = 0;
  for (auto _ : state) {
    for (int x = 0; x < params.XResolution; ++x)
      for (int y = 0; y < params.YResolution; ++y)
        steps += IteratePoint(params, x, y, params.XResolution, history, array);
    benchmark::DoNotOptimize(array.DepthColumn(0));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(steps);
  state.counters["steps_per_picture"] =
      benchmark::Counter(static_cast<double>(steps) / static_cast<double>(state.iterations()));
}

void DefaultJulia(benchmark::State& state) {
  TKernelParams p;
  p.XResolution = p.YResolution = 1000;
  RunPicture(state, p);
}

void Mandelbrot(benchmark::State& state) {
  TKernelParams p;
  p.XResolution = p.YResolution = 1000;
  p.MapField = TKernelParams::MapC;
  p.Left = -2;
  p.Right = 1;
  p.Top = 1.5;
  p.Bottom = -1.5;
  p.MaxDepth = 1000;
  RunPicture(state, p);
}

}  // namespace

BENCHMARK(DefaultJulia)->Unit(benchmark::kMillisecond);
BENCHMARK(Mandelbrot)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
