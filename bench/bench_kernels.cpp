// Pixel-iterations per second of the kernels on standard pictures: the reference kernel against
// the fast kernel, on one thread and on every worker of the pool; and pixels per second of the
// colouring pass. Every variant of a picture is credited with the same number of formula steps
// (counted once with the reference), so their rates compare directly.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>

#include "benchpictures.h"
#include "engine/TCallQueue.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/TThreadVolumeWriter.h"
#include "engine/TVolumeClient.h"
#include "engine/cpufeatures.h"
#include "engine/fastkernel.h"
#include "engine/kernels.h"
#include "render/TPixelBuffer.h"
#include "render/TVoldViewProps.h"
#include "render/painting.h"

namespace {

using namespace std::chrono_literals;

TKernelParams DefaultJulia() {
  TKernelParams p;
  p.XResolution = p.YResolution = 1000;
  return p;
}

// A 300 x 300 picture of `formula` with the pixel as c, for the table of every formula. Each
// plane holds the formula's set and some of its surroundings, so that pixels end in every way.
TKernelParams FormulaPicture(int formula, int32_t maxCycle) {
  TKernelParams p;
  p.XResolution = p.YResolution = 300;
  p.Formula = formula;
  p.MapField = TKernelParams::MapC;
  p.MaxDepth = 250;
  p.MaxCycle = maxCycle;
  p.N = 3;
  p.M = 2;
  p.Left = -2.2;
  p.Right = 1.1;
  if (formula == FormulaIndex<TFormulaExp>) {
    p.Left = -4;
    p.Right = 2;
    p.Top = 3;
    p.Bottom = -3;
  }
  if (formula == FormulaIndex<TFormulaSinPlusC> || formula == FormulaIndex<TFormulaCTimesSin> ||
      formula == FormulaIndex<TFormulaSinMinusZ>) {  // the sines: a period of the real axis
    p.Left = -3.5;
    p.Right = 3.5;
    p.Top = 2;
    p.Bottom = -2;
  }
  return p;
}

// Formula steps of the whole picture, counted once with the reference kernel.
int64_t StepsOf(const TKernelParams& p) {
  static std::map<std::string, int64_t> cache;
  const std::string key = std::to_string(p.Formula) + "/" + std::to_string(p.MapField) + "/" +
                          std::to_string(p.MaxCycle) + "/" + std::to_string(p.MaxDepth) + "/" +
                          std::to_string(p.Left) + "/" + std::to_string(p.XResolution) + "/" +
                          std::to_string(p.N);
  const auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  TFractArray array(p.XResolution, p.YResolution);
  TCycleHistory history;
  int64_t steps = 0;
  for (int x = 0; x < p.XResolution; ++x)
    for (int y = 0; y < p.YResolution; ++y)
      steps += IteratePoint(p, x, y, p.XResolution, history, array);
  cache[key] = steps;
  return steps;
}

void Credit(benchmark::State& state, const TKernelParams& p) {
  const int64_t steps = StepsOf(p);
  state.SetItemsProcessed(steps * static_cast<int64_t>(state.iterations()));
  state.counters["steps_per_picture"] = static_cast<double>(steps);
}

// The bands of four columns from left to right on this thread, as the described worker does.
void OneThread(benchmark::State& state, TKernelParams p, bool fast, TKernelIsa isa) {
  StepsOf(p);
  TFractArray array(p.XResolution, p.YResolution);
  for (auto _ : state) {
    for (int first = 0; first < p.XResolution; first += TThreadVolumeWriter::BandWidth) {
      const TBand band{first, 0, first + TThreadVolumeWriter::BandWidth, p.YResolution};
      if (fast)
        ComputeBandFast(p, array, band, p.XResolution, nullptr, isa);
      else
        ComputeBand(p, array, band, p.XResolution);
    }
    benchmark::DoNotOptimize(array.DepthColumn(0));
    benchmark::ClobberMemory();
  }
  Credit(state, p);
  if (fast) state.SetLabel(KernelIsaName(isa));
}

class TQuietView : public TVolumeClient {
public:
  explicit TQuietView(TFractArray& array) : Array(array) {}
  void PaintProgress() override { Array.ColumnsShown = Array.ColumnsDone.load(); }
  void ComputationEnded() override { Ended = true; }
  TFractArray& Array;
  bool Ended = false;
};

// A whole computation as a view runs it: the pool's workers, coalesced progress calls served
// by this thread.
void Pool(benchmark::State& state, TKernelParams p, bool fast, int workers) {
  StepsOf(p);
  TThreadVolumeWriter::TOptions options = TThreadVolumeWriter::TOptions::Fastest();
  options.Kernel = fast ? TThreadVolumeWriter::TKernel::Fast : TThreadVolumeWriter::TKernel::Reference;
  options.Workers = workers;
  for (auto _ : state) {
    TFractArray array(p.XResolution, p.YResolution);
    TQuietView view(array);
    TCallQueue gui;
    TThreadVolumeWriter writer(view, array, p, gui, options);
    writer.Resume();
    gui.ProcessUntil([&] { return view.Ended; }, 3600s);
    writer.WaitFor();
  }
  Credit(state, p);
  state.SetLabel(std::to_string(workers == 0 ? TComputePool::Shared().WorkerCount() : workers) +
                 " worker(s)" + (fast ? std::string(", ") + KernelIsaName(BestKernelIsa()) : ""));
}

// Colouring a finished 1000 x 1000 Mandelbrot array into a 1000 x 1000 surface with the
// default colouring record.
void Colouring(benchmark::State& state) {
  const TKernelParams p = BenchMandelbrot(3);
  TFractArray array(p.XResolution, p.YResolution);
  ComputeBandFast(p, array, {0, 0, p.XResolution, p.YResolution}, p.XResolution);
  const TVoldViewProps props;
  TPixelBuffer surface(1000, 1000);
  const TRect client{0, 0, 1000, 1000};
  for (auto _ : state) {
    PaintRect(surface, client, client, &array, props, p.MaxCycle, false);
    benchmark::DoNotOptimize(surface.Data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000 * 1000);
}

// The reference and the fast kernel on this thread: the fast kernel of every instruction set the
// CPU has with `everyIsa`, otherwise of the best one.
void RegisterOneThread(const std::string& name, const TKernelParams& p, bool everyIsa) {
  benchmark::RegisterBenchmark((name + "/reference/1_thread").c_str(),
                               [p](benchmark::State& s) { OneThread(s, p, false, {}); })
      ->Unit(benchmark::kMillisecond);
  for (TKernelIsa isa : {TKernelIsa::Generic, TKernelIsa::Avx2, TKernelIsa::Avx512}) {
    if (!CpuSupports(isa) || (!everyIsa && isa != BestKernelIsa())) continue;
    benchmark::RegisterBenchmark((name + "/fast_" + KernelIsaName(isa) + "/1_thread").c_str(),
                                 [p, isa](benchmark::State& s) { OneThread(s, p, true, isa); })
        ->Unit(benchmark::kMillisecond);
  }
}

// Both kernels on the pool with all its workers, and with `oneWorker` also with one.
void RegisterPool(const std::string& name, const TKernelParams& p, bool oneWorker) {
  for (bool fast : {false, true})
    for (int workers : {1, 0}) {
      if (workers == 1 && !oneWorker) continue;
      benchmark::RegisterBenchmark(
          (name + (fast ? "/fast" : "/reference") + "/pool_" +
           (workers == 1 ? std::string("1_thread") : std::string("all_threads")))
              .c_str(),
          [p, fast, workers](benchmark::State& s) { Pool(s, p, fast, workers); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterOneThread("Mandelbrot_MaxCycle0", BenchMandelbrot(0), true);
  RegisterPool("Mandelbrot_MaxCycle0", BenchMandelbrot(0), true);
  RegisterOneThread("Mandelbrot_MaxCycle3", BenchMandelbrot(3), true);
  RegisterPool("Mandelbrot_MaxCycle3", BenchMandelbrot(3), true);
  RegisterOneThread("DefaultJulia", DefaultJulia(), false);
  RegisterPool("DefaultJulia", DefaultJulia(), false);
  // Every formula, at MaxCycle 0 and at the default 3.
  for (int32_t maxCycle : {0, 3})
    for (int formula = 0; formula < FormulaCount; ++formula) {
      const std::string name =
          "Formula" + std::to_string(formula) + "_MaxCycle" + std::to_string(maxCycle);
      RegisterOneThread(name, FormulaPicture(formula, maxCycle), false);
      RegisterPool(name, FormulaPicture(formula, maxCycle), false);
    }
  benchmark::RegisterBenchmark("Colouring/PaintRect_1000x1000", Colouring)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
