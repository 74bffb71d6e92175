#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <string>

#include "movie/TKeyframeFolder.h"
#include "movie/TMoviePlan.h"

class TComputePool;

/// How far a movie has come, for a progress bar.
struct TMovieProgress {
  enum class TStage { Keyframes, Frames };
  TStage Stage = TStage::Keyframes;
  int Done = 0;    ///< keyframes computed or frames made in this stage
  int Total = 0;   ///< keyframes to compute or frames to make in this stage
  double Part = 0;  ///< of the whole run, 0 to 1
  double SecondsLeft = -1;  ///< of the whole run, estimated; < 0 while unknown
};

/// Makes a zoom movie in two stages: the keyframes of a plan are computed one after the other
/// (each with all the workers of the pool, exactly as zenolith-render computes its fractal
/// file) into a keyframe folder, then the frames are resampled from them in order and encoded.
/// Either stage may run alone, so keyframes can be computed by several runs and the movie made
/// from the full folder. Runs on the calling thread; Cancel from any other thread stops it
/// within about 10 ms plus the pixels and the frame in flight, keeping every keyframe finished
/// and writing no movie.
class TMovieMaker {
public:
  /// Called on the running thread as the work goes on.
  using TProgressCall = std::function<void(const TMovieProgress&)>;

  /// `plan` is copied; `pool` (not owned) must outlive the maker.
  TMovieMaker(const TMoviePlan& plan, const std::string& folder, TComputePool& pool);

  void SetProgress(TProgressCall progress) { Progress = std::move(progress); }

  /// Computes keyframes `first` to `last` (inclusive, within the plan), leaving those already
  /// in the folder when `keepFinished`. False with the reason when a keyframe cannot be
  /// computed or written, or when cancelled (reason "cancelled").
  bool ComputeKeyframes(int first, int last, bool keepFinished, std::string& error);
  /// Makes the movie at `output` (".mp4" or ".png", see TMovieEncoder) from the full folder.
  /// False with the reason (the missing keyframes are named); the movie then replaces nothing.
  bool Assemble(const std::string& output, std::string& error);
  /// Both stages over all keyframes: `resume` keeps the keyframes already there.
  bool Make(const std::string& output, bool resume, std::string& error);

  /// Stops the running stage as soon as it can; from any thread. Stays stopped.
  void Cancel() { Stop = true; }
  bool Cancelled() const { return Stop.load(); }

  /// Keyframes of the last ComputeKeyframes found in the folder and computed.
  int KeyframesFound() const { return Found; }
  int KeyframesComputed() const { return Computed; }

  const TKeyframeFolder& Folder() const { return Keys; }
  const TMoviePlan& Plan() const { return MoviePlan; }

private:
  // Reports `done` units of work out of the run's whole.
  void Report(TMovieProgress::TStage stage, int done, int total, double units);

  const TMoviePlan MoviePlan;
  const TKeyframeFolder Keys;
  TComputePool& Pool;
  TProgressCall Progress;
  std::atomic<bool> Stop{false};
  int Found = 0;
  int Computed = 0;
  // The run's work in units (a keyframe's pixels, a frame at a twentieth of its pixels) and
  // the clock it started on.
  double UnitsTotal = 0;
  double UnitsBefore = 0;
  std::chrono::steady_clock::time_point Started;
};
