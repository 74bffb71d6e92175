#include "movie/TMovieMaker.h"

#include <algorithm>
#include <memory>

#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/computearray.h"
#include "engine/deep/deepbounds.h"
#include "movie/TMovieEncoder.h"
#include "movie/resample.h"
#include "render/TPixelBuffer.h"

namespace {

// A frame costs about a twentieth of a keyframe's computation a pixel: it is resampled and
// encoded, not iterated.
constexpr double FrameShare = 0.05;

const char* const CancelledText = "cancelled";

}  // namespace

TMovieMaker::TMovieMaker(const TMoviePlan& plan, const std::string& folder, TComputePool& pool)
    : MoviePlan(plan), Keys(folder, MoviePlan), Pool(pool) {}

void TMovieMaker::Report(TMovieProgress::TStage stage, int done, int total, double units) {
  if (!Progress) return;
  TMovieProgress progress;
  progress.Stage = stage;
  progress.Done = done;
  progress.Total = total;
  const double finished = UnitsBefore + units;
  progress.Part = UnitsTotal > 0 ? std::clamp(finished / UnitsTotal, 0.0, 1.0) : 0;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
  if (finished > 0 && seconds > 0.5)
    progress.SecondsLeft = seconds / finished * std::max(0.0, UnitsTotal - finished);
  Progress(progress);
}

bool TMovieMaker::ComputeKeyframes(int first, int last, bool keepFinished, std::string& error) {
  first = std::max(first, 0);
  last = std::min(last, MoviePlan.KeyframeCount() - 1);
  Found = Computed = 0;
  if (!Keys.Prepare(error)) return false;
  std::vector<int> todo;
  for (int k = first; k <= last; ++k) {
    if (keepFinished && Keys.Has(k)) {
      ++Found;
    } else {
      todo.push_back(k);
    }
  }
  const double keyUnits = double(MoviePlan.KeyWidth()) * MoviePlan.KeyHeight();
  if (UnitsTotal == 0) {
    UnitsTotal = keyUnits * double(todo.size());
    UnitsBefore = 0;
    Started = std::chrono::steady_clock::now();
  }
  const double before = UnitsBefore;
  for (size_t i = 0; i < todo.size(); ++i) {
    if (Stop) {
      error = CancelledText;
      return false;
    }
    const int k = todo[i];
    TStoredFractal fractal;
    if (!MoviePlan.Keyframe(k, fractal, error)) return false;
    const TKernelParams params = fractal.Params.KernelParams();
    std::unique_ptr<TFractArray> array =
        TFractArray::TryCreate(params.XResolution, params.YResolution);
    if (!array) {
      error = "There is not enough memmory for this operation.";
      return false;
    }
    UnitsBefore = before + keyUnits * double(i);
    Report(TMovieProgress::TStage::Keyframes, static_cast<int>(i), static_cast<int>(todo.size()),
           0);
    const bool complete = ComputeArray(
        params, *array, Pool,
        [&](int done, int total) {
          Report(TMovieProgress::TStage::Keyframes, static_cast<int>(i),
                 static_cast<int>(todo.size()), keyUnits * done / std::max(total, 1));
        },
        false, DeepPlanFor(fractal.Params), &Stop);
    if (Stop) {
      error = CancelledText;
      return false;
    }
    if (!complete) {
      error = "the computation of keyframe " + std::to_string(k) + " ended early";
      return false;
    }
    if (!Keys.Write(k, *array, fractal, Pool, error)) {
      error = "cannot write \"" + Keys.FileOf(k) + "\": " + error;
      return false;
    }
    ++Computed;
  }
  UnitsBefore = before + keyUnits * double(todo.size());
  Report(TMovieProgress::TStage::Keyframes, static_cast<int>(todo.size()),
         static_cast<int>(todo.size()), 0);
  return true;
}

bool TMovieMaker::Assemble(const std::string& output, std::string& error) {
  const TMovieSettings& settings = MoviePlan.Settings();
  const int frames = MoviePlan.FrameCount();
  const double frameUnits = double(settings.Width) * settings.Height * FrameShare;
  if (UnitsTotal == 0) {
    UnitsTotal = frameUnits * frames;
    UnitsBefore = 0;
    Started = std::chrono::steady_clock::now();
  }
  const std::vector<int> missing = Keys.Missing(0, MoviePlan.KeyframeCount() - 1);
  if (!missing.empty()) {
    error = std::to_string(missing.size()) + " of " +
            std::to_string(MoviePlan.KeyframeCount()) + " keyframes are missing in \"" +
            Keys.Folder() + "\", the first is " + std::to_string(missing.front());
    return false;
  }
  std::unique_ptr<TMovieEncoder> encoder = TMovieEncoder::ForPath(output, Pool, error);
  if (!encoder ||
      !encoder->Open(output, settings.Width, settings.Height, settings.FramesPerSecond, error)) {
    error = "cannot write \"" + output + "\": " + error;
    return false;
  }
  TPixelBuffer key;
  int loaded = -1;
  TPixelBuffer frame(settings.Width, settings.Height);
  const double before = UnitsBefore;
  for (int i = 0; i < frames; ++i) {
    if (Stop) {
      encoder->Abandon();
      error = CancelledText;
      return false;
    }
    const TMoviePlan::TSource source = MoviePlan.Frame(i);
    if (source.Key != loaded) {
      if (!Keys.Read(source.Key, key, error)) {
        encoder->Abandon();
        return false;
      }
      loaded = source.Key;
    }
    ResampleFrame(key, {source.Left, source.Top, source.Width, source.Height}, frame, Pool);
    if (!encoder->Add(frame, error)) {
      encoder->Abandon();
      error = "cannot write \"" + output + "\": " + error;
      return false;
    }
    Report(TMovieProgress::TStage::Frames, i + 1, frames, frameUnits * (i + 1));
  }
  if (Stop) {
    encoder->Abandon();
    error = CancelledText;
    return false;
  }
  if (!encoder->Finish(error)) {
    error = "cannot write \"" + output + "\": " + error;
    return false;
  }
  UnitsBefore = before + frameUnits * frames;
  return true;
}

bool TMovieMaker::Make(const std::string& output, bool resume, std::string& error) {
  // One estimate for the whole run: the keyframes still to compute and every frame.
  const int last = MoviePlan.KeyframeCount() - 1;
  const size_t toCompute = resume ? Keys.Missing(0, last).size() : size_t(last + 1);
  UnitsTotal = double(MoviePlan.KeyWidth()) * MoviePlan.KeyHeight() * double(toCompute) +
               double(MoviePlan.Settings().Width) * MoviePlan.Settings().Height * FrameShare *
                   MoviePlan.FrameCount();
  UnitsBefore = 0;
  Started = std::chrono::steady_clock::now();
  // The movie's place is checked before the keyframes, which may take hours.
  if (!TMovieEncoder::Check(output, MoviePlan.Settings().Width, MoviePlan.Settings().Height,
                            error)) {
    error = "cannot write \"" + output + "\": " + error;
    return false;
  }
  return ComputeKeyframes(0, last, resume, error) && Assemble(output, error);
}
