#include "cli/moviejob.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/TProgressBar.h"
#include "cli/cliargs.h"
#include "cli/inputfile.h"
#include "document/TStoredFractal.h"
#include "engine/TComputePool.h"
#include "movie/TMovieMaker.h"

namespace {

constexpr int ExitFailed = 2;
constexpr int ExitCancelled = 3;

// The maker a signal cancels; the flag it sets is lock-free, so the handler may set it.
std::atomic<TMovieMaker*> Running{nullptr};

extern "C" void CancelOnSignal(int) {
  if (TMovieMaker* maker = Running.load()) maker->Cancel();
}

int Failed(const std::string& reason) {
  std::fprintf(stderr, "zenolith-render: %s\n", reason.c_str());
  return ExitFailed;
}

}  // namespace

int MakeMovie(const TRenderOptions& options) {
  std::string reason;
  TStoredFractal fractal;
  if (!ReadInputFile(options.Input, fractal)) return ExitFailed;
  std::optional<TStoredFractal> start;
  if (!options.StartInput.empty() && !ReadInputFile(options.StartInput, start.emplace()))
    return ExitFailed;
  TMoviePlan plan;
  if (!TMoviePlan::Make(fractal, start ? &start->Params : nullptr, options.Movie, plan, reason))
    return Failed("cannot plan the movie: " + reason);
  if (options.PrintKeyframeCount) {
    std::printf("%d\n", plan.KeyframeCount());
    return 0;
  }
  if (options.FirstKeyframe >= plan.KeyframeCount())
    return Failed("the movie has keyframes 0 to " + std::to_string(plan.KeyframeCount() - 1));

  std::optional<TComputePool> ownPool;
  if (options.Threads > 0) ownPool.emplace(options.Threads);
  TComputePool& pool = ownPool ? *ownPool : TComputePool::Shared();
  const std::string folder = options.KeyframeFolder.empty()
                                 ? TKeyframeFolder::BesideOutput(options.MovieOutput)
                                 : options.KeyframeFolder;
  TMovieMaker maker(plan, folder, pool);
  TProgressBar bar;
  maker.SetProgress([&](const TMovieProgress& progress) {
    bar.Show(static_cast<long long>(progress.Part * 1000), 1000, progress.SecondsLeft);
  });

  Running = &maker;
  struct sigaction action {};
  action.sa_handler = CancelOnSignal;
  sigemptyset(&action.sa_mask);
  struct sigaction oldInt {}, oldTerm {};
  sigaction(SIGINT, &action, &oldInt);
  sigaction(SIGTERM, &action, &oldTerm);

  bool done = false;
  const bool keyframesOnly = options.FirstKeyframe >= 0;
  if (keyframesOnly) {
    done = maker.ComputeKeyframes(options.FirstKeyframe, options.LastKeyframe, true, reason);
  } else if (options.AssembleOnly) {
    done = maker.Assemble(options.MovieOutput, reason);
  } else {
    done = maker.Make(options.MovieOutput, options.Resume, reason);
  }
  bar.Finish();
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  Running = nullptr;

  if (maker.Cancelled()) {
    std::fprintf(stderr, "zenolith-render: cancelled; %d keyframes are in \"%s\"\n",
                 maker.KeyframesComputed() + maker.KeyframesFound(), folder.c_str());
    return ExitCancelled;
  }
  if (!options.AssembleOnly)
    std::printf("keyframes: %d found, %d computed in \"%s\"\n", maker.KeyframesFound(),
                maker.KeyframesComputed(), folder.c_str());
  if (!done) return Failed(reason);
  if (!keyframesOnly)
    std::printf("movie: %d frames, %g seconds in \"%s\"\n", plan.FrameCount(),
                plan.FrameCount() / plan.Settings().FramesPerSecond,
                options.MovieOutput.c_str());
  return 0;
}
