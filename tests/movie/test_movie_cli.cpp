// zenolith-render --movie: the container's frames and length, a constant zoom measured on the
// frames, keyframes against zenolith-render, resuming after a kill, runs split over GNU
// parallel and a Slurm array, and a full disk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "movie/TKeyframeFolder.h"
#include "movie/TMoviePlan.h"
#include "movie/TPngSequenceWriter.h"
#include "render/TPixelBuffer.h"
#include "render/pngreader.h"
#include "support/childprocess.h"
#include "support/files.h"
#include "support/runprogram.h"
#include "support/smalldisk.h"
#include "support/testdata.h"

namespace {

namespace fs = std::filesystem;

const std::string Program = std::string(ZENOLITH_BINARY_DIR) + "/src/cli/zenolith-render";
const std::string Seahorse = TestData("movie/seahorse.zlf");
// 64 x 48 frames, 10 a second, zooming by 8 a second: 9.97 doublings in 33 frames, from 11
// keyframes of 128 x 96.
const std::vector<std::string> Small = {"--size", "64x48", "--fps", "10", "--zoom-rate", "8"};

TRun RunTool(const TScratchDir& dir, const std::string& program, const std::vector<std::string>& args,
         int seconds = 120) {
  return RunProgram(program, args, dir.File("stdout.txt"), dir.File("stderr.txt"), seconds);
}

TRun RunRenderer(const TScratchDir& dir, std::vector<std::string> args,
                 const std::vector<std::string>& more = Small) {
  args.insert(args.end(), more.begin(), more.end());
  return RunTool(dir, Program, args);
}

// The plan the program makes of the same file and options.
TMoviePlan PlanOf(const std::string& file, int width, int height, double fps, double zoomRate) {
  TStoredFractal fractal;
  std::string error;
  EXPECT_TRUE(ReadFractalFile(file, fractal, error)) << error;
  TMovieSettings settings;
  settings.Width = width;
  settings.Height = height;
  settings.FramesPerSecond = fps;
  settings.ZoomPerSecond = zoomRate;
  TMoviePlan plan;
  EXPECT_TRUE(TMoviePlan::Make(fractal, nullptr, settings, plan, error)) << error;
  return plan;
}

TPixelBuffer ReadPng(const std::string& path) {
  TPixelBuffer picture;
  std::string error;
  EXPECT_TRUE(ReadPicturePng(path, picture, error)) << path << ": " << error;
  return picture;
}

bool SamePixels(const TPixelBuffer& a, const TPixelBuffer& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Get(x, y) != b.Get(x, y)) return false;
  return true;
}

// The MD5 of every decoded frame of a movie, by FFmpeg's own decoder.
std::vector<std::string> FrameDigests(const TScratchDir& dir, const std::string& movie) {
  const TRun run = RunTool(dir, "/usr/bin/ffmpeg", {"-v", "error", "-i", movie, "-f", "framemd5", "-"});
  EXPECT_EQ(run.Status, 0) << run.Err;
  std::vector<std::string> digests;
  std::istringstream lines(run.Out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line[0] != '#') digests.push_back(line.substr(line.rfind(' ') + 1));
  return digests;
}

// "key=value" lines of ffprobe about the movie's video stream and container.
std::map<std::string, std::string> Probe(const TScratchDir& dir, const std::string& movie) {
  const TRun run = RunTool(dir, "/usr/bin/ffprobe",
                       {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                        "stream=codec_name,width,height,nb_read_frames,r_frame_rate:format="
                        "duration,format_name",
                        "-of", "default=noprint_wrappers=1", movie});
  EXPECT_EQ(run.Status, 0) << run.Err;
  std::map<std::string, std::string> values;
  std::istringstream lines(run.Out);
  for (std::string line; std::getline(lines, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// The luminance of a picture, a double a pixel, row by row.
struct TLuma {
  int Width = 0, Height = 0;
  std::vector<double> Values;

  explicit TLuma(const TPixelBuffer& p) : Width(p.Width()), Height(p.Height()) {
    for (int y = 0; y < Height; ++y) {
      for (int x = 0; x < Width; ++x) {
        const uint32_t c = p.Get(x, y);
        Values.push_back(0.299 * (c & 0xFF) + 0.587 * (c >> 8 & 0xFF) + 0.114 * (c >> 16 & 0xFF));
      }
    }
  }
  double At(int x, int y) const { return Values[static_cast<size_t>(y) * Width + x]; }
  // Bilinear between pixels, (x, y) within 0 .. Width - 1 and 0 .. Height - 1.
  double Between(double x, double y) const {
    const int i = std::min(static_cast<int>(x), Width - 2);
    const int j = std::min(static_cast<int>(y), Height - 2);
    const double fx = x - i, fy = y - j;
    return (1 - fy) * ((1 - fx) * At(i, j) + fx * At(i + 1, j)) +
           fy * ((1 - fx) * At(i, j + 1) + fx * At(i + 1, j + 1));
  }
};

// Mean squared difference between `wider` and `narrower` shrunk by `r` about (fx, fy) (in
// pixels, where a pixel stands for its top left corner), over the pixels both show.
double Mismatch(const TLuma& narrower, const TLuma& wider, double fx, double fy, double r) {
  double error = 0;
  int count = 0;
  for (int y = 0; y < wider.Height; ++y) {
    for (int x = 0; x < wider.Width; ++x) {
      const double nx = fx + (x - fx) * r, ny = fy + (y - fy) * r;
      if (nx < 0 || ny < 0 || nx > narrower.Width - 1 || ny > narrower.Height - 1) continue;
      const double d = wider.At(x, y) - narrower.Between(nx, ny);
      error += d * d;
      ++count;
    }
  }
  return count > wider.Width * wider.Height / 4 ? error / count : 1e300;
}

// The factor by which `wider` shows more than `narrower` about (fx, fy): the one that makes
// them match best, searched from 1/1.5 to 1.5 in steps of 2%, then of 0.1% around the best.
double MeasuredZoom(const TLuma& narrower, const TLuma& wider, double fx, double fy) {
  const auto search = [&](double from, double to, double step) {
    double best = from, bestError = 1e300;
    for (double r = from; r <= to; r *= step) {
      const double error = Mismatch(narrower, wider, fx, fy, r);
      if (error < bestError) {
        bestError = error;
        best = r;
      }
    }
    return best;
  };
  const double coarse = search(1 / 1.5, 1.5, 1.02);
  return search(coarse / 1.02, coarse * 1.02, 1.001);
}

}  // namespace

TEST(MovieCli, TheContainerHoldsEveryFrameAtTheRateForTheLength) {
  TScratchDir dir("movie-probe");
  const std::string movie = dir.File("zoom.mp4");
  const TRun run = RunRenderer(dir, {Seahorse, "--movie", movie, "--seconds", "2.5"},
                               {"--size", "64x48", "--fps", "12"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "keyframes: 0 found, 11 computed in \"" + dir.File("zoom.keyframes") +
                         "\"\nmovie: 30 frames, 2.5 seconds in \"" + movie + "\"\n");
  const std::map<std::string, std::string> probe = Probe(dir, movie);
  EXPECT_EQ(probe.at("codec_name"), "h264");
  EXPECT_NE(probe.at("format_name").find("mp4"), std::string::npos);
  EXPECT_EQ(probe.at("width"), "64");
  EXPECT_EQ(probe.at("height"), "48");
  EXPECT_EQ(probe.at("nb_read_frames"), "30");
  EXPECT_EQ(probe.at("r_frame_rate"), "12/1");
  EXPECT_NEAR(std::stod(probe.at("duration")), 2.5, 1e-3);
  // Nothing but the movie and its keyframes: no temporary file is left.
  EXPECT_EQ(FolderListing(dir.Path()),
            (std::vector<std::string>{"stderr.txt", "stdout.txt", "zoom.keyframes", "zoom.mp4"}));
  EXPECT_EQ(FolderListing(dir.File("zoom.keyframes")).size(), 11u);
}

TEST(MovieCli, EachFrameShowsMoreThanTheLastByTheSameFactor) {
  TScratchDir dir("movie-zoom");
  // Larger frames than elsewhere: the factor is measured on the pictures.
  const std::vector<std::string> options = {"--size", "96x72", "--fps", "10", "--zoom-rate", "6"};
  const TMoviePlan plan = PlanOf(Seahorse, 96, 72, 10, 6);
  for (const bool zoomIn : {false, true}) {
    const std::string movie = dir.File(zoomIn ? "in.png" : "out.png");
    std::vector<std::string> args = {Seahorse, "--movie", movie};
    if (zoomIn) args.push_back("--zoom-in");
    const TRun run = RunRenderer(dir, args, options);
    ASSERT_EQ(run.Status, 0) << run.Err;
    const double fx = plan.U() * 96, fy = plan.V() * 72;
    TLuma previous(ReadPng(TPngSequenceWriter::FrameName(movie, 0)));
    std::vector<double> zooms;
    for (int i = 1; i < plan.FrameCount(); ++i) {
      TLuma frame(ReadPng(TPngSequenceWriter::FrameName(movie, i)));
      zooms.push_back(zoomIn ? MeasuredZoom(frame, previous, fx, fy)
                             : MeasuredZoom(previous, frame, fx, fy));
      previous = std::move(frame);
    }
    EXPECT_FALSE(fs::exists(TPngSequenceWriter::FrameName(movie, plan.FrameCount())));
    // Never backwards, and the same factor from frame to frame within 1%.
    for (size_t i = 0; i < zooms.size(); ++i)
      EXPECT_NEAR(zooms[i] / plan.ZoomPerFrame(), 1.0, 0.01)
          << (zoomIn ? "in" : "out") << " frame " << i << " to " << i + 1 << ": " << zooms[i];
  }
}

TEST(MovieCli, AKeyframeIsWhatZenolithRenderMakesOfItsArea) {
  TScratchDir dir("movie-keyframe");
  for (const std::string& file : {Seahorse, TestData("cli/deep.zlf")}) {
    const TMoviePlan plan = PlanOf(file, 64, 48, 10, 8);
    const std::string movie = dir.File("zoom.mp4");
    const int key = file == Seahorse ? 5 : 0;  // a shallow one, and a deep one (3e-60 wide)
    const std::string range = std::to_string(key) + "-" + std::to_string(key);
    const TRun run = RunRenderer(dir, {file, "--movie", movie, "--keyframes", range});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_FALSE(fs::exists(movie));
    const TKeyframeFolder folder(dir.File("zoom.keyframes"), plan);
    EXPECT_EQ(FolderListing(folder.Folder()),
              std::vector<std::string>{fs::path(folder.FileOf(key)).filename().string()});

    TStoredFractal fractal;
    std::string error;
    ASSERT_TRUE(plan.Keyframe(key, fractal, error)) << error;
    EXPECT_EQ(fractal.Params.UsesDeepKernel(), key == 0);
    const std::string zlf = dir.File("key.zlf"), png = dir.File("key.png");
    ASSERT_TRUE(WriteFractalFile(zlf, fractal, error)) << error;
    const TRun render = RunTool(dir, Program, {zlf, "-o", png, "--size", "128x96"});
    ASSERT_EQ(render.Status, 0) << render.Err;
    EXPECT_TRUE(SamePixels(ReadPng(folder.FileOf(key)), ReadPng(png))) << file;
    fs::remove_all(folder.Folder());
  }
}

TEST(MovieCli, AResumedRunKeepsTheKeyframesFinishedBeforeAKill) {
  TScratchDir dir("movie-resume");
  const std::string movie = dir.File("zoom.png");
  const std::string folder = dir.File("zoom.keyframes");
  // Killed at its fourth rename: three keyframes are in place, the fourth half written.
  setenv("LD_PRELOAD", ZENOLITH_KILL_ON_RENAME, 1);
  setenv("ZENOLITH_KILL_AT_RENAME", "4", 1);
  const char* asan = std::getenv("ASAN_OPTIONS");
  setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
  const TRun killed = RunRenderer(dir, {Seahorse, "--movie", movie});
  unsetenv("LD_PRELOAD");
  unsetenv("ZENOLITH_KILL_AT_RENAME");
  ASSERT_EQ(killed.Status, 128 + SIGKILL) << killed.Err;
  std::vector<std::string> left = FolderListing(folder);
  ASSERT_EQ(left.size(), 4u);
  EXPECT_EQ(left[0].rfind(".zenolith-", 0), 0u) << left[0];  // the one cut short
  std::map<std::string, struct stat> finished;
  for (size_t i = 1; i < left.size(); ++i) stat((folder + "/" + left[i]).c_str(), &finished[left[i]]);
  EXPECT_FALSE(fs::exists(TPngSequenceWriter::FrameName(movie, 0)));

  const TRun resumed = RunRenderer(dir, {Seahorse, "--movie", movie, "--resume"});
  ASSERT_EQ(resumed.Status, 0) << resumed.Err;
  EXPECT_EQ(resumed.Out.substr(0, resumed.Out.find('\n')),
            "keyframes: 3 found, 8 computed in \"" + folder + "\"");
  // The finished keyframes were not written again, and the temporary file has gone.
  for (const auto& [name, before] : finished) {
    struct stat after {};
    ASSERT_EQ(stat((folder + "/" + name).c_str(), &after), 0) << name;
    EXPECT_EQ(after.st_ino, before.st_ino) << name;
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec) << name;
  }
  EXPECT_EQ(FolderListing(folder).size(), 11u);
  EXPECT_EQ(FolderListing(folder)[0].rfind("key-00000-", 0), 0u);

  // The same movie as a run that was never stopped.
  const std::string whole = dir.File("whole.png");
  ASSERT_EQ(RunRenderer(dir, {Seahorse, "--movie", whole}).Status, 0);
  const int frames = PlanOf(Seahorse, 64, 48, 10, 8).FrameCount();
  for (int i = 0; i < frames; ++i)
    EXPECT_EQ(FileBytes(TPngSequenceWriter::FrameName(movie, i)),
              FileBytes(TPngSequenceWriter::FrameName(whole, i)))
        << i;
}

TEST(MovieCli, KeyframesSplitOverGnuParallelOrASlurmArrayMakeTheSameMovie) {
  TScratchDir dir("movie-split");
  const std::string whole = dir.File("whole.mp4");
  ASSERT_EQ(RunRenderer(dir, {Seahorse, "--movie", whole}).Status, 0);
  const std::vector<std::string> expected = FrameDigests(dir, whole);
  ASSERT_EQ(expected.size(), 33u);

  const TRun count = RunRenderer(dir, {Seahorse, "--movie", whole, "--keyframe-count"});
  ASSERT_EQ(count.Status, 0);
  ASSERT_EQ(count.Out, "11\n");

  // GNU parallel, two workers on this machine (":" is the local one of --sshlogin), one
  // keyframe a job; then the movie from the folder they filled.
  const std::string parallel = dir.File("parallel.mp4");
  std::vector<std::string> args = {"--will-cite", "--sshlogin", "2/:", Program, Seahorse,
                                   "--movie", parallel};
  args.insert(args.end(), Small.begin(), Small.end());
  for (const std::string a : {"--keyframes", "{}-{}", ":::"}) args.push_back(a);
  for (int k = 0; k < 11; ++k) args.push_back(std::to_string(k));
  const TRun spread = RunTool(dir, "/usr/bin/parallel", args);
  ASSERT_EQ(spread.Status, 0) << spread.Err;
  EXPECT_FALSE(fs::exists(parallel));
  const TRun assembled = RunRenderer(dir, {Seahorse, "--movie", parallel, "--assemble"});
  ASSERT_EQ(assembled.Status, 0) << assembled.Err;
  EXPECT_EQ(FrameDigests(dir, parallel), expected);

  // The Slurm array script, each task run as Slurm would run it, four keyframes a task.
  const std::string slurm = dir.File("slurm.mp4");
  const std::string script = std::string(ZENOLITH_SOURCE_DIR) + "/tools/zoom-movie-slurm.sh";
  setenv("ZENOLITH_RENDER", Program.c_str(), 1);
  setenv("ZENOLITH_KEYFRAMES_PER_TASK", "4", 1);
  for (const std::string task : {"2", "0", "1"}) {
    setenv("SLURM_ARRAY_TASK_ID", task.c_str(), 1);
    args = {script, Seahorse, "--movie", slurm};
    args.insert(args.end(), Small.begin(), Small.end());
    const TRun run = RunTool(dir, "/bin/bash", args);
    ASSERT_EQ(run.Status, 0) << task << ": " << run.Err;
  }
  // A task past the last keyframe has nothing to do.
  setenv("SLURM_ARRAY_TASK_ID", "3", 1);
  args = {script, Seahorse, "--movie", slurm};
  args.insert(args.end(), Small.begin(), Small.end());
  EXPECT_EQ(RunTool(dir, "/bin/bash", args).Status, 0);
  ASSERT_EQ(RunRenderer(dir, {Seahorse, "--movie", slurm, "--assemble"}).Status, 0);
  EXPECT_EQ(FrameDigests(dir, slurm), expected);
}

TEST(MovieCli, TheSlurmScriptPassesSbatchsCheck) {
  // sbatch checks a script only against a running controller, which this test cannot start
  // without a Slurm installation and its configuration.
  if (std::system("command -v sbatch >/dev/null 2>&1 && scontrol ping >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no Slurm controller answers here";
  TScratchDir dir("movie-sbatch");
  const std::string script = std::string(ZENOLITH_SOURCE_DIR) + "/tools/zoom-movie-slurm.sh";
  const TRun run = RunTool(dir, "/bin/sh",
                       {"-c", "sbatch --test-only --array=0-2 \"$0\" " + Seahorse +
                                  " --movie " + dir.File("zoom.mp4"),
                        script});
  EXPECT_EQ(run.Status, 0) << run.Err;
}

TEST(MovieCli, AFullDiskGivesAnErrorAndLeavesNoMovie) {
  TScratchDir dir("movie-full");
  const std::string disk = dir.File("disk");
  fs::create_directory(disk);
  const std::string folder = dir.File("keys");
  // The keyframes elsewhere, so that the movie itself is what finds the disk full.
  // Frames of 128 x 96, of which a few take more than the page the disk has left.
  const std::vector<std::string> Larger = {"--size", "128x96", "--fps", "10", "--zoom-rate", "8"};
  ASSERT_EQ(RunRenderer(dir,
                        {Seahorse, "--movie", dir.File("x.mp4"), "--keyframe-folder", folder,
                         "--keyframes", "0-10"},
                        Larger)
                .Status,
            0);
  const std::string report = RunInChild(
      [&] {
        // Two pages: one for the previous movie, one for a part of the new.
        const std::string diskFull = MakeSmallDisk(disk, 8 * 1024);
        std::string out = diskFull + "\n";
        for (const std::string name : {"zoom.mp4", "zoom.png"}) {
          const std::string path = disk + "/" + name;
          const std::string previous = disk + "/" + (name == "zoom.mp4" ? name : "zoom-00000.png");
          WriteFileBytes(previous, "previous");
          const TRun run = RunRenderer(dir, {Seahorse, "--movie", path, "--keyframe-folder",
                                             folder, "--assemble"},
                                       Larger);
          out += std::to_string(run.Status) + " " + run.Err +
                 (FileBytes(previous) == "previous" ? "previous" : "changed") + "\n";
          for (const std::string& entry : FolderListing(disk)) out += entry + " ";
          out += "\n";
          fs::remove(previous);
        }
        return out;
      },
      200);
  const std::string diskFull = report.substr(0, report.find('\n'));
  EXPECT_TRUE(diskFull == std::strerror(ENOSPC) || diskFull == std::strerror(EFBIG)) << report;
  const auto message = [&](const std::string& path, const std::string& previous) {
    return "2 zenolith-render: cannot write \"" + disk + "/" + path + "\": " + diskFull +
           "\nprevious\n" + previous + " \n";
  };
  // The PNG sequence fails at its first frame, which it writes as zoom-00000.png.
  EXPECT_EQ(report, diskFull + "\n" + message("zoom.mp4", "zoom.mp4") +
                        message("zoom.png", "zoom-00000.png"));
}

TEST(MovieCli, BadMovieArgumentsAreRefusedWithTheUsage) {
  TScratchDir dir("movie-args");
  const std::string movie = dir.File("zoom.mp4");
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
      {{Seahorse, "--movie", movie, "-o", dir.File("x.png")},
       "--movie makes a movie alone: leave out -o and --dump"},
      {{Seahorse, "-o", dir.File("x.png"), "--resume"}, "the movie options need --movie OUT.mp4"},
      {{Seahorse, "--movie", movie, "--keyframes", "3-1"},
       "--keyframes needs FIRST-LAST with two whole numbers, the first not above the last, not "
       "\"3-1\""},
      {{Seahorse, "--movie", movie, "--zoom-rate", "1"},
       "--zoom-rate needs a factor a second above 1, not \"1\""},
      {{Seahorse, "--movie", movie, "--fps", "-3"}, "--fps needs a number above 0, not \"-3\""},
      {{Seahorse, "--movie", movie, "--assemble", "--keyframes", "0-1"},
       "--assemble and --keyframes are separate runs"},
  };
  for (const auto& [args, message] : rows) {
    const TRun run = RunTool(dir, Program, args);
    EXPECT_EQ(run.Status, 1) << message;
    EXPECT_EQ(run.Err.substr(0, run.Err.find('\n')), "zenolith-render: " + message);
    EXPECT_NE(run.Err.find("Usage: zenolith-render"), std::string::npos);
  }
  // Options the plan refuses fail before anything is computed.
  const TRun odd = RunTool(dir, Program, {Seahorse, "--movie", movie, "--size", "65x48"});
  EXPECT_EQ(odd.Status, 2);
  EXPECT_EQ(odd.Err, "zenolith-render: cannot write \"" + movie +
                         "\": an MP4 movie needs an even width and height\n");
  EXPECT_FALSE(fs::exists(dir.File("zoom.keyframes")));
}
