// The deep kernel: how right it is and how fast.
//
// Correctness sweeps (one run each): views around exactly known boundary points - the
// Misiurewicz point c = i of the Mandelbrot set at widths 1e-30, 1e-100 and 1e-300, and the
// Julia set of c = i around z = i near 1e-100 - with MaxCycle 0, every pixel compared with the
// per-pixel MPFR iteration at the plan's precision plus 64 bits. One more sweep shows a harder
// case: orbits of about 10000 steps near the seahorse valley's spiral at 1e-20, where doubles
// (also the double kernel at shallow depths) lose single pixels to chaos. Counters: the fraction of
// pixels with the same depth (within 1/1000 of a step, same period), the fraction within one
// step, and the largest difference in steps.
//
// Speed: pixel-iterations per second (skipped steps count as done) of 1000 x 1000 deep views
// around c = i whose pixels escape after a few hundred steps (1e-100) or about a thousand
// (1e-300), next to the fast double kernel on the 1000 x 1000 Mandelbrot set at MaxDepth 1000
// and MaxCycle 0, each on a pool of one and of two workers, plan and reference orbit included.
// The machine is shared: run with repetitions and read the medians.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "benchpictures.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/deep/deepkernel.h"
#include "engine/deep/deepzoom.h"
#include "engine/deep/mpfriteration.h"
#include "engine/fastkernel.h"
#include "engine/kernels.h"

namespace {

constexpr int BandWidth = 4;

std::string TenToMinus(int exponent) {
  return "0." + std::string(static_cast<size_t>(exponent - 1), '0') + "1";
}

TDeepParams DeepView(int map, const std::string& re, const std::string& im, int exponent,
                     int size, int32_t maxDepth) {
  TDeepParams p;
  p.MapField = map;
  p.XResolution = p.YResolution = size;
  p.MaxDepth = maxDepth;
  p.MaxCycle = 0;
  p.CR = 0.0;
  p.CI = 1.0;
  std::string error;
  if (!SetDeepViewAround(p, re, im, TenToMinus(exponent), error)) std::abort();
  return p;
}

class TNoSink : public TColumnSink {
public:
  void ColumnFinished(int) override {}
};

// Compares every pixel of the view with the per-pixel MPFR iteration (on two threads).
void Correctness(benchmark::State& state, TDeepParams p) {
  for (auto _ : state) {
    std::string error;
    auto plan = TDeepPlan::Create(p, error);
    TFractArray array(p.XResolution, p.YResolution);
    TNoSink sink;
    TDeepStats stats;
    ComputeDeepBandColumns(*plan, array, {0, 0, p.XResolution, p.YResolution}, nullptr, sink,
                           BestKernelIsa(), &stats);
    std::atomic<int> nextColumn{0};
    std::mutex lock;
    int64_t same = 0, oneStep = 0;
    double largest = 0;
    const auto check = [&] {
      for (int x = nextColumn++; x < p.XResolution; x = nextColumn++)
        for (int y = 0; y < p.YResolution; ++y) {
          const TMpfrPointResult exact =
              IterateDeepPointMpfr(p, plan->Area(), x, y, plan->Precision() + 64);
          const double difference =
              std::fabs(static_cast<double>(array.GetDepth(x, y)) - exact.Depth) * p.MaxDepth;
          std::lock_guard<std::mutex> guard(lock);
          largest = std::max(largest, difference);
          if (difference < 1e-3 && exact.Period == array.GetCycle(x, y))
            ++same;
          else if (difference <= 1.0 + 1e-3)
            ++oneStep;
        }
    };
    std::thread helper(check);
    check();
    helper.join();
    const double pixels = static_cast<double>(p.XResolution) * p.YResolution;
    state.counters["equal_fraction"] = same / pixels;
    state.counters["one_step_fraction"] = oneStep / pixels;
    state.counters["max_difference_steps"] = largest;
    state.counters["mean_steps"] = static_cast<double>(stats.Steps) / pixels;
    state.counters["skipped_fraction"] =
        static_cast<double>(stats.Skipped) / static_cast<double>(std::max<int64_t>(stats.Steps, 1));
    state.counters["precision_bits"] = static_cast<double>(plan->Precision());
  }
}

// A whole picture as a job of a pool: bands of 4 columns handed to its workers.
class TPictureJob : public TComputeJob {
public:
  using TBandRun = std::function<void(int band)>;
  explicit TPictureJob(TBandRun run) : Run(std::move(run)) {}
  void RunBand(int band) override { Run(band); }
  void Finished(bool) override {
    std::lock_guard<std::mutex> guard(Lock);
    Done = true;
    Wake.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> guard(Lock);
    Wake.wait(guard, [this] { return Done; });
  }

private:
  TBandRun Run;
  std::mutex Lock;
  std::condition_variable Wake;
  bool Done = false;
};

void RunPicture(TComputePool& pool, int width, const TPictureJob::TBandRun& run) {
  auto job = std::make_shared<TPictureJob>(run);
  pool.Submit(job, (width + BandWidth - 1) / BandWidth);
  job->Wait();
}

void DeepSpeed(benchmark::State& state, TDeepParams p, int workers) {
  TComputePool pool(workers);
  TFractArray array(p.XResolution, p.YResolution);
  int64_t steps = 0;
  for (auto _ : state) {
    std::string error;
    auto plan = TDeepPlan::Create(p, error);
    TDeepStats stats;
    TNoSink sink;
    RunPicture(pool, p.XResolution, [&](int band) {
      ComputeDeepBandColumns(*plan, array,
                             {band * BandWidth, 0, band * BandWidth + BandWidth, p.YResolution},
                             nullptr, sink, BestKernelIsa(), &stats);
    });
    steps = stats.Steps;
    state.counters["skipped_fraction"] =
        static_cast<double>(stats.Skipped) / static_cast<double>(std::max<int64_t>(stats.Steps, 1));
    state.counters["mean_steps"] =
        static_cast<double>(stats.Steps) / (static_cast<double>(p.XResolution) * p.YResolution);
  }
  state.SetItemsProcessed(steps * static_cast<int64_t>(state.iterations()));
  state.SetLabel(std::to_string(workers) + " worker(s), " + KernelIsaName(BestKernelIsa()));
}

int64_t ShallowSteps(const TKernelParams& p) {
  static const int64_t steps = [&] {
    TFractArray array(p.XResolution, p.YResolution);
    TCycleHistory history;
    int64_t total = 0;
    for (int x = 0; x < p.XResolution; ++x)
      for (int y = 0; y < p.YResolution; ++y)
        total += IteratePoint(p, x, y, p.XResolution, history, array);
    return total;
  }();
  return steps;
}

void ShallowSpeed(benchmark::State& state, int workers) {
  const TKernelParams p = BenchMandelbrot(0);
  const int64_t steps = ShallowSteps(p);
  TComputePool pool(workers);
  TFractArray array(p.XResolution, p.YResolution);
  for (auto _ : state) {
    TNoSink sink;
    RunPicture(pool, p.XResolution, [&](int band) {
      ComputeBandColumns(p, array,
                         {band * BandWidth, 0, band * BandWidth + BandWidth, p.YResolution},
                         p.XResolution, nullptr, sink);
    });
  }
  state.SetItemsProcessed(steps * static_cast<int64_t>(state.iterations()));
  state.SetLabel(std::to_string(workers) + " worker(s), " + KernelIsaName(BestKernelIsa()));
}

}  // namespace

int main(int argc, char** argv) {
  constexpr int C = TKernelParams::MapC, Z = TKernelParams::MapZ;
  for (int exponent : {30, 100, 300})
    benchmark::RegisterBenchmark(
        ("Correctness/Mandelbrot_c=i/1e-" + std::to_string(exponent)).c_str(),
        [=](benchmark::State& s) { Correctness(s, DeepView(C, "0", "1", exponent, 63, 10000)); })
        ->Iterations(1)
        ->Unit(benchmark::kSecond);
  benchmark::RegisterBenchmark("Correctness/Julia_c=i_z=i/1e-100", [=](benchmark::State& s) {
    Correctness(s, DeepView(Z, "0", "1", 100, 63, 10000));
  })->Iterations(1)->Unit(benchmark::kSecond);
  benchmark::RegisterBenchmark("Correctness/Mandelbrot_seahorse_spiral/1e-20",
                               [=](benchmark::State& s) {
                                 Correctness(s, DeepView(C, "-0.743643887037158704752191506114774",
                                                         "0.131825904205311970493132056385139",
                                                         20, 31, 20000));
                               })
      ->Iterations(1)
      ->Unit(benchmark::kSecond);

  for (int workers : {1, 2}) {
    const std::string suffix = "/" + std::to_string(workers) + "_worker";
    benchmark::RegisterBenchmark(("Speed/shallow_fast_Mandelbrot_1000" + suffix).c_str(),
                                 [=](benchmark::State& s) { ShallowSpeed(s, workers); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (int exponent : {100, 300})
      benchmark::RegisterBenchmark(
          ("Speed/deep_c=i_1e-" + std::to_string(exponent) + "_1000" + suffix).c_str(),
          [=](benchmark::State& s) {
            DeepSpeed(s, DeepView(C, "0", "1", exponent, 1000, 10000), workers);
          })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
