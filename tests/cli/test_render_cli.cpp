#include <gtest/gtest.h>

#include <QImage>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "engine/TFractArray.h"
#include "engine/deep/deepbounds.h"
#include "engine/deep/deepkernel.h"
#include "engine/kernels.h"
#include "render/TPixelBuffer.h"
#include "render/painting.h"
#include "support/childprocess.h"
#include "support/files.h"
#include "support/fractarrays.h"
#include "support/runprogram.h"
#include "support/smalldisk.h"
#include "support/testdata.h"
#include "support/formulaids.h"

extern char** environ;

namespace {

const std::string Program = std::string(ZENOLITH_BINARY_DIR) + "/src/cli/zenolith-render";
const std::string Usage = "Usage: zenolith-render FILE.zlf -o OUT.png";

// Runs the renderer with `args`, its output and errors caught in files of `dir`.
TRun RunRenderer(const TScratchDir& dir, const std::vector<std::string>& args,
                 int seconds = 120) {
  return RunProgram(Program, args, dir.File("stdout.txt"), dir.File("stderr.txt"), seconds);
}

// The fixture's records and the array the kernel computes for them.
struct TExpected {
  TStoredFractal Fractal;
  TKernelParams Params;
  std::unique_ptr<TFractArray> Array;

  explicit TExpected(const std::string& file) {
    std::string error;
    EXPECT_TRUE(ReadFractalFile(file, Fractal, error)) << error;
    Params = Fractal.Params.KernelParams();
    Array = ComputeWhole(Params);
  }
};

const std::string Mandelbrot = TestData("cli/mandelbrot.zlf");  // 30 x 20 cells

// The picture of `png` equals a view of its size painting the whole array at once.
void ExpectTheViewsPicture(const std::string& png, const TExpected& expected, int width,
                           int height) {
  const QImage image(QString::fromStdString(png));
  ASSERT_EQ(image.width(), width);
  ASSERT_EQ(image.height(), height);
  EXPECT_FALSE(image.hasAlphaChannel());
  TPixelBuffer surface(width, height, 0x123456);
  PaintRect(surface, {0, 0, width, height}, {0, 0, width, height}, expected.Array.get(),
            expected.Fractal.View, expected.Params.MaxCycle, false);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = surface.Get(x, y);
      ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16)
          << "pixel " << x << "," << y;
    }
}

TEST(RenderCli, WritesThePictureAViewOfTheGivenSizeShows) {
  TScratchDir dir("cli-png");
  const TExpected expected(Mandelbrot);
  const std::string png = dir.File("out.png");
  const TRun run = RunRenderer(dir, {Mandelbrot, "-o", png, "--size", "300x200"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");  // no progress bar when stderr is not a terminal
  ExpectTheViewsPicture(png, expected, 300, 200);
  // Each cell is a 10 x 10 block; the undecided ones show the file's MaxDepthColor, red.
  const QImage image(QString::fromStdString(png));
  int limitCells = 0;
  for (int i = 0; i < 30; ++i)
    for (int j = 0; j < 20; ++j)
      if (expected.Array->GetDepth(i, j) == 0) {
        ++limitCells;
        EXPECT_EQ(image.pixel(10 * i + 9, 10 * j) & 0xFFFFFF, 0xFF0000u) << i << "," << j;
      }
  EXPECT_GT(limitCells, 0);

  // Without a size, one pixel a cell: each pixel is the colour of its cell's block above.
  const std::string small = dir.File("small.png");
  ASSERT_EQ(RunRenderer(dir, {"-o", small, Mandelbrot}).Status, 0);
  const QImage cells(QString::fromStdString(small));
  ASSERT_EQ(cells.size(), QSize(30, 20));
  for (int i = 0; i < 30; ++i)
    for (int j = 0; j < 20; ++j)
      ASSERT_EQ(cells.pixel(i, j), image.pixel(10 * i + 5, 10 * j + 5)) << i << "," << j;

  // Fewer pixels than cells, and rows that do not share out evenly over the workers' stripes.
  const std::string shrunk = dir.File("shrunk.png");
  ASSERT_EQ(RunRenderer(dir, {"-o", shrunk, Mandelbrot, "--size", "7x13", "--threads", "3"})
                .Status,
            0);
  ExpectTheViewsPicture(shrunk, expected, 7, 13);
}

TEST(RenderCli, DumpsEveryCellColumnByColumnSoThatTheFloatsReadBackExactly) {
  TScratchDir dir("cli-dump");
  const std::string tsv = dir.File("cells.tsv");
  const TRun run = RunRenderer(dir, {Mandelbrot, "--dump", tsv});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const TExpected expected(Mandelbrot);

  std::istringstream in(FileBytes(tsv));
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "x\ty\tdepth\tcycle");
  int lines = 0, escaped = 0, cycling = 0;
  for (int x = 0; x < 30; ++x)
    for (int y = 0; y < 20; ++y) {
      ASSERT_TRUE(std::getline(in, line)) << "line for " << x << "," << y;
      ++lines;
      std::istringstream fields(line);
      std::string fx, fy, fdepth, fcycle;
      std::getline(fields, fx, '\t');
      std::getline(fields, fy, '\t');
      std::getline(fields, fdepth, '\t');
      std::getline(fields, fcycle);
      ASSERT_EQ(fx, std::to_string(x)) << line;
      ASSERT_EQ(fy, std::to_string(y)) << line;
      const float depth = std::strtof(fdepth.c_str(), nullptr);
      ASSERT_EQ(depth, expected.Array->GetDepth(x, y)) << line;
      ASSERT_EQ(std::stoi(fcycle), expected.Array->GetCycle(x, y)) << line;
      // Never more than 9 significant digits.
      const std::string mantissa = fdepth.substr(0, fdepth.find('e'));
      std::string digits;
      for (char ch : mantissa)
        if (ch >= '0' && ch <= '9' && !(digits.empty() && ch == '0')) digits += ch;
      EXPECT_LE(digits.size(), 9u) << line;
      escaped += depth > 0;
      cycling += depth < 0 && std::stoi(fcycle) >= 1;
    }
  EXPECT_FALSE(std::getline(in, line)) << "extra line: " << line;
  EXPECT_EQ(lines, 600);
  EXPECT_GT(escaped, 0);
  EXPECT_GT(cycling, 0);

  // The corner c = -2.2 + 1.2i escapes at the fourth step: a fractional depth between 2 and 3
  // iterations of 60 ("Continue" mode), no cycle.
  std::istringstream again(FileBytes(tsv));
  std::getline(again, line);
  std::getline(again, line);
  EXPECT_EQ(line.substr(0, 4), "0\t0\t");
  const float corner = std::strtof(line.c_str() + 4, nullptr);
  EXPECT_GT(corner, 2.0f / 60);
  EXPECT_LT(corner, 3.0f / 60);
  EXPECT_EQ(line.substr(line.rfind('\t')), "\t0");
}

TEST(RenderCli, ReportsAnUnreadableFileAsTheProgramDoes) {
  TScratchDir dir("cli-unreadable");
  const std::string missing = dir.File("missing.zlf");
  const std::string notXml = dir.File("text.zlf");
  WriteFileBytes(notXml, "just text\n");
  struct {
    std::string File;
    std::string Message;
  } cases[] = {
      // A file that cannot be opened has no reason.
      {missing, "Cannot read the file: \"" + missing + "\", \n"},
      {TestData("cli/bad_strength.zlf"),
       "Cannot read the file: \"" + TestData("cli/bad_strength.zlf") +
           "\", In Strength: Value must be positive and more than 0. At line 26, column 16.\n"},
      {notXml, "Cannot read the file: \"" + notXml + "\", "},
  };
  for (const auto& c : cases) {
    const std::string png = dir.File("never.png");
    const TRun run = RunRenderer(dir, {c.File, "-o", png});
    EXPECT_EQ(run.Status, 2) << c.File;
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(png)) << c.File;
  }
}

TEST(RenderCli, RefusesAResolutionThatCannotBeAllocated) {
  TScratchDir dir("cli-huge");
  const TRun run = RunRenderer(dir, {TestData("cli/huge.zlf"), "-o", dir.File("huge.png")});
  EXPECT_EQ(run.Status, 2);
  EXPECT_NE(run.Err.find("There is not enough memmory for this operation."), std::string::npos)
      << run.Err;
  // The same for a picture size beyond memory.
  const TRun big =
      RunRenderer(dir, {Mandelbrot, "-o", dir.File("big.png"), "--size", "2000000000x2000000000"});
  EXPECT_EQ(big.Status, 2);
  EXPECT_NE(big.Err.find("There is not enough memmory for this operation."), std::string::npos)
      << big.Err;
}

TEST(RenderCli, ThreadCountAndKernelNeverChangeTheResult) {
  TScratchDir dir("cli-threads");
  std::vector<std::string> dumps;
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"--reference"}, {"--threads", "1"}, {"--threads", "3"}, {}}) {
    const std::string tsv = dir.File("cells" + std::to_string(dumps.size()) + ".tsv");
    std::vector<std::string> args{Mandelbrot, "--dump", tsv};
    args.insert(args.end(), extra.begin(), extra.end());
    const TRun run = RunRenderer(dir, args);
    ASSERT_EQ(run.Status, 0) << run.Err;
    dumps.push_back(FileBytes(tsv));
  }
  ASSERT_GT(dumps[0].size(), 600u * 8);
  for (size_t k = 1; k < dumps.size(); ++k) EXPECT_EQ(dumps[k], dumps[0]) << "run " << k;
}

TEST(RenderCli, DeepViewsAreRenderedByTheDeepKernelWithTheSameDumpOnEveryWorker) {
  // 30 x 20 cells 3e-60 across around c = i: far below what doubles tell apart.
  const std::string deep = TestData("cli/deep.zlf");
  TScratchDir dir("cli-deep");
  TExpected expected(deep);
  ASSERT_TRUE(expected.Fractal.Params.UsesDeepKernel());
  const std::shared_ptr<TDeepPlan> plan = DeepPlanFor(expected.Fractal.Params);
  ASSERT_NE(plan, nullptr);
  struct TNoColumns : TColumnSink {
    void ColumnFinished(int) override {}
  } sink;
  expected.Array = std::make_unique<TFractArray>(30, 20);
  ASSERT_TRUE(ComputeDeepBandColumnsScalar(*plan, *expected.Array, {0, 0, 30, 20}, nullptr, sink));
  expected.Array->ColumnsDone.store(30);
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"-o", dir.File("deep.png")}, {"--reference"},
        {"--threads", "1"}}) {
    const std::string tsv = dir.File("deep.tsv");
    std::vector<std::string> args{deep, "--dump", tsv};
    args.insert(args.end(), extra.begin(), extra.end());
    const TRun run = RunRenderer(dir, args);
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::istringstream in(FileBytes(tsv));
    std::string line;
    std::getline(in, line);
    std::set<float> depths;
    for (int x = 0; x < 30; ++x)
      for (int y = 0; y < 20; ++y) {
        ASSERT_TRUE(std::getline(in, line));
        std::istringstream fields(line);
        int fx = 0, fy = 0, cycle = -1;
        float depth = 0;
        fields >> fx >> fy >> depth >> cycle;
        ASSERT_EQ(depth, expected.Array->GetDepth(x, y)) << line;
        ASSERT_EQ(cycle, expected.Array->GetCycle(x, y)) << line;
        depths.insert(depth);
      }
    EXPECT_GT(depths.size(), 100u);
  }
  ExpectTheViewsPicture(dir.File("deep.png"), expected, 30, 20);
}

TEST(RenderCli, BadArgumentsPrintTheUsageAndExitWithOne) {
  TScratchDir dir("cli-usage");
  const std::string out = dir.File("out.png");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {Mandelbrot},                         // nothing to write
      {"-o", out},                          // no file
      {Mandelbrot, "-o"},                   // missing value
      {Mandelbrot, "-o", out, "--dump"},
      {Mandelbrot, Mandelbrot, "-o", out},  // two files
      {Mandelbrot, "-o", out, "--colour", "red"},
      {Mandelbrot, "-o", out, "--size", "0x10"},
      {Mandelbrot, "-o", out, "--size", "10x"},
      {Mandelbrot, "-o", out, "--size", "x10"},
      {Mandelbrot, "-o", out, "--size", "10*10"},
      {Mandelbrot, "-o", out, "--size", "-5x5"},
      {Mandelbrot, "-o", out, "--size", "+5x5"},
      {Mandelbrot, "-o", out, "--size", "10x10x2"},
      {Mandelbrot, "-o", out, "--size", "3000000000x10"},
      {Mandelbrot, "-o", ""},
      {Mandelbrot, "-o", out, "--threads", "0"},
      {Mandelbrot, "-o", out, "--threads", "two"},
      {Mandelbrot, "-o", out, "--threads"},
  };
  for (const auto& args : cases) {
    std::string joined;
    for (const auto& a : args) joined += " [" + a + "]";
    const TRun run = RunRenderer(dir, args);
    EXPECT_EQ(run.Status, 1) << joined;
    EXPECT_NE(run.Err.find(Usage), std::string::npos) << joined << "\n" << run.Err;
    EXPECT_EQ(run.Out, "") << joined;
    EXPECT_FALSE(std::filesystem::exists(out)) << joined;
  }
}

TEST(RenderCli, AnswersHelpAndVersion) {
  TScratchDir dir("cli-help");
  const TRun help = RunRenderer(dir, {"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Out.rfind(Usage, 0), 0u) << help.Out;
  // Help wins over everything else on the line.
  EXPECT_EQ(RunRenderer(dir, {"--bogus", "--help"}).Status, 0);
  const TRun version = RunRenderer(dir, {"--version"});
  EXPECT_EQ(version.Status, 0);
  EXPECT_EQ(version.Out, "zenolith-render 1.0\n");
}

TEST(RenderCli, ShowsAProgressBarWhenErrorsGoToATerminal) {
  TScratchDir dir("cli-progress");
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  const std::string side = ptsname(terminal);
  const std::string png = dir.File("out.png");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, side.c_str(), O_RDWR | O_NOCTTY, 0);
  std::vector<char*> argv{const_cast<char*>(Program.c_str()), const_cast<char*>(Mandelbrot.c_str()),
                          const_cast<char*>("-o"), const_cast<char*>(png.c_str()),
                          // band by band, so that every band's step of the bar shows
                          const_cast<char*>("--reference"), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, Program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Read while it runs, so that a full terminal buffer cannot block it.
  std::string shown;
  char buffer[4096];
  for (;;) {
    pollfd wait{terminal, POLLIN, 0};
    if (poll(&wait, 1, 20000) <= 0) break;
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;  // the renderer closed its side
    shown.append(buffer, static_cast<size_t>(n));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(terminal);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
  // 30 columns in bands of 4: the last band ends the bar at 100 %.
  EXPECT_NE(shown.find("]  13%"), std::string::npos) << shown;
  EXPECT_NE(shown.find("[########################################] 100%"), std::string::npos)
      << shown;
}

TEST(RenderCli, OutputsThatCannotBeWrittenAreRefusedWithTheirReasonAndKeepWhatWasThere) {
  TScratchDir dir("cli-unwritable");
  const std::string readOnly = dir.File("read_only.png");
  WriteFileBytes(readOnly, "previous");
  ::chmod(readOnly.c_str(), 0444);
  const std::string fifo = dir.File("fifo.png");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::create_directory(dir.File("folder.png"));
  const struct {
    std::string Path, Reason;
  } rows[] = {
      {dir.File("no/such/folder/out"), std::strerror(ENOENT)},
      {dir.File("folder.png"), std::strerror(EISDIR)},
      // A pipe or a device would take the bytes, or wait for a reader for ever.
      {fifo, "not a regular file"},
      {"/dev/null", "not a regular file"},
  };
  for (const std::string option : {"-o", "--dump"}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(option + " " + row.Path);
      const TRun run = RunRenderer(dir, {Mandelbrot, option, row.Path}, 60);
      EXPECT_EQ(run.Status, 2);
      EXPECT_EQ(run.Err,
                "zenolith-render: cannot write \"" + row.Path + "\": " + row.Reason + "\n");
    }
  }
  // Root may replace a read-only file; the renderer keeps it all the same.
  const TRun run = RunRenderer(dir, {Mandelbrot, "-o", readOnly});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Err, "zenolith-render: cannot write \"" + readOnly + "\": " +
                         std::strerror(EACCES) + "\n");
  EXPECT_EQ(FileBytes(readOnly), "previous");
  EXPECT_EQ(FolderListing(dir.Path()),
            (std::vector<std::string>{"fifo.png", "folder.png", "read_only.png", "stderr.txt",
                                      "stdout.txt"}));
}

// A picture of another user in a shared folder, written again by root and by a user who may
// write it only through its group: the owner, group and mode stay where the system allows, and
// a warning says who owns it where not. Acting as another user needs root.
TEST(RenderCli, ReplacedPictureKeepsItsOwnerAndModeOrSaysWho) {
  if (::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) != 0)
    GTEST_SKIP() << "acting as a second user needs root and setpriv";
  TScratchDir dir("cli-owner");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const std::string png = dir.File("shared.png");
  WriteFileBytes(png, "previous");
  if (::chown(png.c_str(), 4242, 4343) != 0) GTEST_SKIP() << "no other owners here";
  const struct {
    const char* Case;
    std::vector<std::string> As;  // setpriv's options; none: root itself
    uid_t Owner;
    std::string Err;
  } rows[] = {
      {"root", {}, 4242, ""},
      {"a member of the group",
       {"--reuid=4444", "--regid=4545", "--groups=4545,4343"},
       4444,
       "zenolith-render: The file \"" + png + "\" was replaced, but it now belongs to user 4444 "
       "instead of user 4242 (" + std::strerror(EPERM) + ").\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    ASSERT_EQ(::chown(png.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(png.c_str(), 0664), 0);
    std::vector<std::string> args = row.As;
    std::string program = Program;
    if (!args.empty()) {
      args.push_back(Program);
      program = "/usr/bin/setpriv";
    }
    for (const std::string& a : {Mandelbrot, std::string("-o"), png}) args.push_back(a);
    const TRun run = RunProgram(program, args, dir.File("stdout.txt"), dir.File("stderr.txt"));
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, row.Err);
    struct stat info {};
    ASSERT_EQ(::stat(png.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, row.Owner);
    EXPECT_EQ(info.st_gid, 4343u);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    EXPECT_EQ(QImage(QString::fromStdString(png)).width(), 30);
  }
}

TEST(RenderCli, ADashWritesToStandardOutput) {
  TScratchDir dir("cli-stdout");
  const std::string png = dir.File("out.png");
  const std::string tsv = dir.File("out.tsv");
  ASSERT_EQ(RunRenderer(dir, {Mandelbrot, "-o", png, "--dump", tsv}).Status, 0);

  const TRun picture = RunRenderer(dir, {Mandelbrot, "-o", "-", "--dump", dir.File("b.tsv")});
  ASSERT_EQ(picture.Status, 0) << picture.Err;
  const QImage fromOutput =
      QImage::fromData(reinterpret_cast<const uchar*>(picture.Out.data()),
                       static_cast<int>(picture.Out.size()), "PNG");
  const QImage fromFile(QString::fromStdString(png));
  ASSERT_EQ(fromOutput.size(), QSize(30, 20));
  EXPECT_EQ(fromOutput.convertToFormat(QImage::Format_RGB32),
            fromFile.convertToFormat(QImage::Format_RGB32));
  const TRun dump = RunRenderer(dir, {Mandelbrot, "--dump", "-"});
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  EXPECT_EQ(dump.Out, FileBytes(tsv));
  EXPECT_EQ(FileBytes(dir.File("b.tsv")), FileBytes(tsv));

  // Only one output can go there.
  const TRun both = RunRenderer(dir, {Mandelbrot, "-o", "-", "--dump", "-"});
  EXPECT_EQ(both.Status, 1);
  EXPECT_EQ(
      both.Err.rfind("zenolith-render: -o and --dump cannot both write to standard output\n", 0),
      0u)
      << both.Err;
  EXPECT_EQ(both.Out, "");
}

TEST(RenderCli, APipeAsTheFractalFileIsRefusedAtOnce) {
  TScratchDir dir("cli-pipe-in");
  const std::string fifo = dir.File("fifo.zlf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& input : {fifo, std::string("/dev/zero"), dir.Path().string()}) {
    SCOPED_TRACE(input);
    const TRun run = RunRenderer(dir, {input, "-o", dir.File("x.png")}, 60);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err, "File Error: Cannot read the file: \"" + input + "\", not a regular file\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
  }
}

TEST(RenderCli, AFullDiskKeepsThePreviousOutputAndSaysWhy) {
  TScratchDir dir("cli-full");
  const std::string disk = dir.File("disk");
  std::filesystem::create_directory(disk);
  // In a child of its own, which may mount a small disk of its own there.
  const std::string report = RunInChild(
      [&] {
        // Two pages: one for the previous output, one for a part of the new.
        const std::string diskFull = MakeSmallDisk(disk, 8 * 1024);
        std::string out = diskFull + "\n";
        for (const std::string option : {"-o", "--dump"}) {
          const std::string path = disk + "/output";
          WriteFileBytes(path, "previous");
          const TRun run =
              RunRenderer(dir, {Mandelbrot, option, path, "--size", "600x600"});
          out += std::to_string(run.Status) + " " + run.Err +
                 (FileBytes(path) == "previous" ? "previous" : "changed") + "\n";
          for (const std::string& name : FolderListing(disk)) out += name + " ";
          out += "\n";
          std::filesystem::remove(path);
        }
        return out;
      },
      200);
  const std::string diskFull = report.substr(0, report.find('\n'));
  EXPECT_TRUE(diskFull == std::strerror(ENOSPC) || diskFull == std::strerror(EFBIG)) << report;
  const std::string message = "2 zenolith-render: cannot write \"" + disk + "/output\": " +
                              diskFull + "\nprevious\noutput \n";
  EXPECT_EQ(report, diskFull + "\n" + message + message);
}

// Parameters at the edges of their ranges: a normal picture or the program's own refusal,
// never a crash.
TEST(RenderHostile, EdgeParametersGiveAPictureOrTheProgramsRefusal) {
  TScratchDir dir("cli-hostile");
  const std::string memory = "There is not enough memmory for this operation.";
  const struct {
    const char* Case;
    std::function<void(TFractProps&)> Set;
    int Status;
    std::string Error;  // a part of what is printed; empty: nothing
  } rows[] = {
      {"one pixel",
       [](TFractProps& p) {
         p.XResolution.SetInt(1);
         p.YResolution.SetInt(1);
       },
       0, ""},
      {"Left equal to Right", [](TFractProps& p) { p.Left.SetDouble(0.5); p.Right.SetDouble(0.5); },
       0, ""},
      {"OuterCircle 1e308", [](TFractProps& p) { p.OuterCircle.SetDouble(1e308); }, 0, ""},
      {"InnerDist 1e-300", [](TFractProps& p) { p.InnerDist.SetDouble(1e-300); }, 0, ""},
      {"largest exponents",
       [](TFractProps& p) {
         p.Formula = formula::ZNDZM;
         p.N.SetInt(2147483647);
         p.M.SetInt(2147483647);
       },
       0, ""},
      // Sizes beyond the memory of any machine.
      {"1000000 x 1000000",
       [](TFractProps& p) { p.XResolution.SetInt(1000000); p.YResolution.SetInt(1000000); }, 2,
       memory},
      {"2147483647 x 4096",
       [](TFractProps& p) { p.XResolution.SetInt(2147483647); p.YResolution.SetInt(4096); }, 2,
       memory},
      {"resolution 0", [](TFractProps& p) { p.XResolution.SetInt(0); }, 2,
       "\", In XResolution: Value must be positive and more than 0. At line 46, column 17."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    TStoredFractal fractal;
    fractal.Params.XResolution.SetInt(24);
    fractal.Params.YResolution.SetInt(16);
    row.Set(fractal.Params);
    const std::string file = dir.File("edge.zlf");
    const std::string png = dir.File("edge.png");
    std::filesystem::remove(png);
    ASSERT_TRUE(TUnitFract().SaveAs(file, fractal));
    // Each of them takes moments; a run that does not end within the bound is killed.
    const TRun run = RunRenderer(dir, {file, "-o", png}, 60);
    EXPECT_EQ(run.Status, row.Status) << run.Err;
    if (row.Error.empty()) {
      EXPECT_EQ(run.Err, "");
      const QImage image(QString::fromStdString(png));
      EXPECT_EQ(image.width(), fractal.Params.XResolution.GetInt());
      EXPECT_EQ(image.height(), fractal.Params.YResolution.GetInt());
    } else {
      EXPECT_NE(run.Err.find(row.Error), std::string::npos) << run.Err;
      EXPECT_FALSE(std::filesystem::exists(png));
    }
  }
}

}  // namespace
