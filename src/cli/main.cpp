// zenolith-render: computes a fractal file and writes the picture a fractal window shows.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <new>
#include <optional>
#include <string>

#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/TOutputTarget.h"
#include "cli/TProgressBar.h"
#include "cli/cliargs.h"
#include "cli/inputfile.h"
#include "cli/moviejob.h"
#include "cli/dump.h"
#include "render/pngwriter.h"
#include "engine/computearray.h"
#include "core/TErrorReport.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "engine/TComputePool.h"
#include "engine/TFractArray.h"
#include "engine/deep/deepbounds.h"

namespace {

constexpr int ExitBadArguments = 1;
constexpr int ExitFailed = 2;

// Whether a surface of width x height pixels may be allocated: 4 bytes a pixel, within half of
// the machine's memory, as for the result array.
bool SurfaceAllowed(int width, int height) {
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  uint64_t limit = uint64_t(1) << 34;
  if (pages > 0 && pageSize > 0) limit = uint64_t(pages) * uint64_t(pageSize) / 2;
  return bytes <= limit;
}

int CannotWrite(const std::string& what, const std::string& reason) {
  std::fprintf(stderr, "zenolith-render: cannot write %s: %s\n", what.c_str(), reason.c_str());
  return ExitFailed;
}

// Writes one output through `write`; the target's previous file stays on any failure.
int WriteOutput(const std::string& path,
                const std::function<bool(TOutputTarget&, std::string&)>& write) {
  TOutputTarget output;
  std::string error;
  if (!output.Open(path)) return CannotWrite(output.Describe(), output.Reason());
  if (!write(output, error)) return CannotWrite(output.Describe(), error);
  if (!output.Finish()) return CannotWrite(output.Describe(), output.Reason());
  // Written all the same; whoever shares the folder learns who may write it now.
  if (!output.Warning().empty())
    std::fprintf(stderr, "zenolith-render: %s\n", output.Warning().c_str());
  return 0;
}

int Render(const TRenderOptions& options) {
  std::string reason;
  TStoredFractal fractal;
  if (!ReadInputFile(options.Input, fractal)) return ExitFailed;
  // Refused before the computation, which may take long: a pipe, a device or a folder.
  for (const std::string& path : {options.DumpOutput, options.PngOutput}) {
    if (!path.empty() && !TOutputTarget::Check(path, reason))
      return CannotWrite("\"" + path + "\"", reason);
  }
  const TKernelParams params = fractal.Params.KernelParams();
  const int width = options.Width > 0 ? options.Width : params.XResolution;
  const int height = options.Height > 0 ? options.Height : params.YResolution;

  std::unique_ptr<TFractArray> array =
      TFractArray::TryCreate(params.XResolution, params.YResolution);
  if (!array || (!options.PngOutput.empty() && !SurfaceAllowed(width, height))) {
    TErrorReport::NotEnoughMemory();
    return ExitFailed;
  }

  // --threads N gets a pool of its own; the computation and the picture both run on it.
  std::optional<TComputePool> ownPool;
  if (options.Threads > 0) ownPool.emplace(options.Threads);
  TComputePool& pool = ownPool ? *ownPool : TComputePool::Shared();

  TProgressBar bar;
  const bool complete = ComputeArray(params, *array, pool,
                                     [&](int done, int total) { bar.Show(done, total); },
                                     options.Reference, DeepPlanFor(fractal.Params));
  bar.Finish();
  if (!complete) {
    std::fprintf(stderr, "zenolith-render: the computation of \"%s\" ended early\n",
                 options.Input.c_str());
    return ExitFailed;
  }

  if (!options.DumpOutput.empty()) {
    const int status =
        WriteOutput(options.DumpOutput, [&](TOutputTarget& output, std::string& error) {
          return WriteDump(*array, output, error);
        });
    if (status != 0) return status;
  }
  if (!options.PngOutput.empty()) {
    return WriteOutput(options.PngOutput, [&](TOutputTarget& output, std::string& error) {
      return WritePicturePng(*array, fractal.View, params.MaxCycle, width, height, pool, output,
                             error);
    });
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away is reported as a failed write, with its reason, not a silent end.
  std::signal(SIGPIPE, SIG_IGN);
#if defined(__GLIBC__)
  // The picture's stripes allocate and free buffers of about half a megabyte each: kept in the
  // heap they are reused, where mapping each anew would fault its pages in again and again.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest glibc takes
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  TRenderOptions options;
  std::string error;
  switch (ParseArguments(argc - 1, argv + 1, options, error)) {
    case TCommand::Help:
      std::fputs(UsageText(), stdout);
      return 0;
    case TCommand::Version:
      std::puts("zenolith-render 1.0");
      return 0;
    case TCommand::Bad:
      std::fprintf(stderr, "zenolith-render: %s\n%s", error.c_str(), UsageText());
      return ExitBadArguments;
    case TCommand::Render:
      break;
  }
  return options.MovieOutput.empty() ? Render(options) : MakeMovie(options);
}
