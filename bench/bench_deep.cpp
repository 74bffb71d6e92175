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
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <limits>
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

// mantissa * 10^-exponent as a plain decimal (mantissa with one digit before the point).
std::string Scientific(const std::string& mantissa, int exponent) {
  std::string digits = mantissa;
  digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
  return "0." + std::string(static_cast<size_t>(exponent - 1), '0') + digits;
}

// One view of the oracle sweep.
struct TViewSpec {
  std::string Name;
  int Formula;
  int Map;
  std::string Re, Im;  // centre
  std::string Width;   // plain decimal
  int32_t MaxDepth;
  int32_t MaxCycle = 0;
  double InnerDist = 0.0001;
  double CR = 0.0, CI = 0.0;  // c of a Julia view
  int32_t N = 2, M = 2;       // exponents of the formulas that read them
  double DR = 0.0, DI = 0.0;  // d where it is not the pixel
  int Width_ = 320, Height = 240;
};

TDeepParams Params(const TViewSpec& v) {
  TDeepParams p;
  p.Formula = v.Formula;
  p.MapField = v.Map;
  p.XResolution = v.Width_;
  p.YResolution = v.Height;
  p.MaxDepth = v.MaxDepth;
  p.MaxCycle = v.MaxCycle;
  p.InnerDist = v.InnerDist;
  p.CR = v.CR;
  p.CI = v.CI;
  p.N = v.N;
  p.M = v.M;
  p.DR = v.DR;
  p.DI = v.DI;
  std::string error;
  if (!SetDeepViewAround(p, v.Re, v.Im, v.Width, error)) {
    std::fprintf(stderr, "%s: %s\n", v.Name.c_str(), error.c_str());
    std::abort();
  }
  return p;
}

class TNoSink : public TColumnSink {
public:
  void ColumnFinished(int) override {}
};

class TPictureJob;
void RunPicture(TComputePool& pool, int width, const std::function<void(int band)>& run);

// Which kernel computes a view of the sweep: the program's choice (the deep kernel below the
// switch, the double kernels above it), or one of them forced.
enum class TKernelChoice { Program, Double, Deep };

// Computes the view on both cores; true when the deep kernel computed it.
bool ComputeView(const TDeepParams& p, TKernelChoice choice, TFractArray& array,
                 TDeepStats& stats) {
  const bool deep = choice == TKernelChoice::Deep ||
                    (choice == TKernelChoice::Program && NeedsDeepKernel(p));
  TComputePool pool(2);
  std::string error;
  std::shared_ptr<TDeepPlan> plan;
  if (deep) {
    plan = TDeepPlan::Create(p, error);
    if (!plan) std::abort();
  }
  const TKernelParams shallow = DoubleParamsFrom(p);
  auto job = [&](int band) {
    TNoSink sink;
    const TBand b{band * BandWidth, 0, band * BandWidth + BandWidth, p.YResolution};
    if (deep)
      ComputeDeepBandColumns(*plan, array, b, nullptr, sink, BestKernelIsa(), &stats);
    else
      ComputeBandColumns(shallow, array, b, p.XResolution, nullptr, sink);
  };
  RunPicture(pool, p.XResolution, job);
  return deep;
}

// Sampled pixels of a view against the per-pixel MPFR iteration. A pixel that differs by a
// step or more, or in its cycle period, is ill-conditioned when the exact result changes as
// much within 1e-9 of a pixel of its point (or one of its tests is decided by less than doubles
// resolve, see TMpfrPointResult::TestUnresolved), and wrong otherwise.
struct TSweepCounts {
  int64_t Pixels = 0, Equal = 0, SubStep = 0, IllConditioned = 0, Wrong = 0, CycleWrong = 0;
  double WorstWrong = 0;
};

TSweepCounts Sweep(const std::string& name, const TDeepParams& p, const TFractArray& array,
                   mpfr_prec_t precision, int samplesX, int samplesY) {
  TDeepArea area;
  std::string error;
  if (!TDeepArea::Parse(p, area, error)) std::abort();
  std::vector<std::pair<int, int>> pixels;
  for (int i = 0; i < samplesX; ++i)
    for (int j = 0; j < samplesY; ++j)
      pixels.emplace_back(std::min(p.XResolution - 1, (2 * i + 1) * p.XResolution / (2 * samplesX)),
                          std::min(p.YResolution - 1, (2 * j + 1) * p.YResolution / (2 * samplesY)));
  std::atomic<size_t> next{0};
  std::mutex lock;
  TSweepCounts counts;
  const auto check = [&] {
    for (size_t i = next++; i < pixels.size(); i = next++) {
      const auto [x, y] = pixels[i];
      const float depth = array.GetDepth(x, y);
      const int32_t period = array.GetCycle(x, y);
      const TMpfrPointResult exact =
          IteratePointMpfr(p, area.PixelPoint(x, y, precision), precision);
      const double apart = StepsApart(p, depth, period, exact);
      const bool ill =
          apart >= 1.0 && IllConditionedPixel(p, area, x, y, exact, apart, precision);
      std::lock_guard<std::mutex> guard(lock);
      ++counts.Pixels;
      if (apart < 0.01) {
        ++counts.Equal;
      } else if (apart < 1.0) {
        ++counts.SubStep;
      } else if (ill) {
        ++counts.IllConditioned;
      } else {
        ++counts.Wrong;
        counts.CycleWrong += period != exact.Period;
        counts.WorstWrong = std::max(counts.WorstWrong, std::isinf(apart) ? -1.0 : apart);
        std::fprintf(stderr, "  wrong in %s: pixel %d,%d kernel %.6f/%d, exact %.6f/%d\n",
                     name.c_str(), x, y, depth * p.MaxDepth, period, exact.Depth * p.MaxDepth,
                     exact.Period);
      }
    }
  };
  std::thread helper(check);
  check();
  helper.join();
  return counts;
}

void Oracle(benchmark::State& state, std::string name, TDeepParams p, TKernelChoice choice,
            int samplesX, int samplesY) {
  // ZENOLITH_SWEEP_SAMPLES=WxH samples more (or fewer) pixels of every view.
  if (const char* samples = std::getenv("ZENOLITH_SWEEP_SAMPLES"))
    std::sscanf(samples, "%dx%d", &samplesX, &samplesY);
  for (auto _ : state) {
    TFractArray array(p.XResolution, p.YResolution);
    TDeepStats stats;
    const bool deep = ComputeView(p, choice, array, stats);
    std::string error;
    auto plan = TDeepPlan::Create(p, error);
    if (!plan) std::abort();
    const TSweepCounts counts = Sweep(name, p, array, plan->Precision() + 64, samplesX, samplesY);
    const double pixels = static_cast<double>(counts.Pixels);
    state.counters["deep"] = deep;
    state.counters["pixels"] = pixels;
    state.counters["equal"] = static_cast<double>(counts.Equal);
    state.counters["substep"] = static_cast<double>(counts.SubStep);
    state.counters["ill"] = static_cast<double>(counts.IllConditioned);
    state.counters["wrong"] = static_cast<double>(counts.Wrong);
    state.counters["cycle_wrong"] = static_cast<double>(counts.CycleWrong);
    state.counters["worst_wrong"] = counts.WorstWrong;
    if (deep) {
      const double all = static_cast<double>(p.XResolution) * p.YResolution;
      state.counters["mean_steps"] = static_cast<double>(stats.Steps) / all;
      state.counters["skipped"] = static_cast<double>(stats.Skipped) /
                                  static_cast<double>(std::max<int64_t>(stats.Steps, 1));
    }
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

void RunPicture(TComputePool& pool, int width, const std::function<void(int band)>& run) {
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

// Pictures of the view `p` by the double kernels on `workers` workers, `steps`
// pixel-iterations each.
void TimeDoublePictures(benchmark::State& state, const TKernelParams& p, int64_t steps,
                        int workers) {
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

void ShallowSpeed(benchmark::State& state, int workers) {
  const TKernelParams p = BenchMandelbrot(0);
  TimeDoublePictures(state, p, ShallowSteps(p), workers);
}

// The double kernels on a view of doubles: what the deep kernel's speed on a formula is
// measured against.
void DoubleViewSpeed(benchmark::State& state, TKernelParams p) {
  TFractArray array(p.XResolution, p.YResolution);
  TCycleHistory history;
  int64_t steps = 0;
  for (int x = 0; x < p.XResolution; ++x)
    for (int y = 0; y < p.YResolution; ++y)
      steps += IteratePoint(p, x, y, p.XResolution, history, array);
  TimeDoublePictures(state, p, steps, 1);
  state.counters["mean_steps"] =
      static_cast<double>(steps) / (static_cast<double>(p.XResolution) * p.YResolution);
}

// The views of the oracle sweep (bench/data/deepviews.txt): away from c = i, where orbits are
// long and chaotic.
std::vector<TViewSpec> SweepViews() {
  std::ifstream file(std::string(ZENOLITH_BENCH_DATA) + "/deepviews.txt");
  if (!file) {
    std::fprintf(stderr, "cannot read deepviews.txt\n");
    std::abort();
  }
  std::vector<TViewSpec> views;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    TViewSpec v;
    std::string width;
    fields >> v.Name >> v.Formula >> v.Map >> v.Re >> v.Im >> width >> v.MaxDepth >> v.MaxCycle >>
        v.InnerDist >> v.CR >> v.CI;
    const size_t e = width.find("e-");
    if (!fields || e == std::string::npos) {
      std::fprintf(stderr, "bad view: %s\n", line.c_str());
      std::abort();
    }
    // Optional: the exponents and d.
    int32_t n = 0;
    if (fields >> n) {
      v.N = n;
      if (!(fields >> v.M >> v.DR >> v.DI)) {
        std::fprintf(stderr, "bad view: %s\n", line.c_str());
        std::abort();
      }
    }
    v.Width = Scientific(width.substr(0, e), std::stoi(width.substr(e + 2)));
    views.push_back(v);
  }
  return views;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr int C = TKernelParams::MapC;
  for (const TViewSpec& view : SweepViews()) {
    if (view.Name.find("/switch") != std::string::npos) continue;
    if (view.Name.find("/speed") != std::string::npos) {
      // Views where speed is measured: pixel-iterations per CPU-second on one worker.
      const TDeepParams p = Params(view);
      benchmark::RegisterBenchmark(("Speed/" + view.Name).c_str(), [=](benchmark::State& s) {
        DeepSpeed(s, p, 1);
      })->Unit(benchmark::kMillisecond)->UseRealTime();
      // The same place 1e-6 wide, with the double kernels: pixel-iterations of doubles.
      TViewSpec shallow = view;
      shallow.Width = "0.000001";
      const TKernelParams doubles = DoubleParamsFrom(Params(shallow));
      benchmark::RegisterBenchmark(("Doubles/" + view.Name).c_str(), [=](benchmark::State& s) {
        DoubleViewSpeed(s, doubles);
      })->Unit(benchmark::kMillisecond)->UseRealTime();
      continue;
    }
    const TDeepParams p = Params(view);
    benchmark::RegisterBenchmark(("Oracle/" + view.Name).c_str(), [=](benchmark::State& s) {
      Oracle(s, view.Name, p, TKernelChoice::Program, 32, 24);
    })->Iterations(1)->Unit(benchmark::kSecond);
  }
  // Where the double kernels stop being right: views of the sweep's boundary points computed by
  // them, by relative resolution (pixel spacing over the largest bound, 2^-k) and MaxDepth.
  for (const TViewSpec& view : SweepViews()) {
    if (view.Name.find("/switch") == std::string::npos) continue;
    for (int32_t maxDepth : {200, 500, 1000, 2000, 5000, 20000})
      for (int k = 14; k <= 44; k += 3) {
        TViewSpec v = view;
        v.MaxDepth = maxDepth;
        v.Width_ = 160;
        v.Height = 120;
        const double magnitude =
            std::max(std::fabs(std::stod(v.Re)), std::fabs(std::stod(v.Im))) + 1e-300;
        v.Width = ExactDecimal(std::ldexp(magnitude, -k) * v.Width_);
        const TDeepParams p = Params(v);
        const std::string place = view.Name.substr(0, view.Name.find("/switch")) +
                                  "/MaxDepth_" + std::to_string(maxDepth) + "/2^-" +
                                  std::to_string(k);
        // The same views with the deep kernel, which must be right where the doubles are not.
        for (const auto& [family, choice] : {std::pair{"Switch/double/", TKernelChoice::Double},
                                             std::pair{"Switch/deep/", TKernelChoice::Deep}}) {
          const std::string name = family + place;
          benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& s) {
            Oracle(s, name, p, choice, 16, 12);
          })->Iterations(1)->Unit(benchmark::kSecond);
        }
      }
  }
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
