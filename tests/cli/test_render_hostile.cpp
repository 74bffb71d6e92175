#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "render/TStoredFractal.h"
#include "support/testdata.h"

extern char** environ;

// zenolith-render on fractal files whose parameters sit at the edges of their ranges: a normal
// picture or the program's own refusal, never a crash.

namespace {

const std::string Renderer = std::string(ZENOLITH_BINARY_DIR) + "/src/cli/zenolith-render";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the renderer on `file` writing `png`; returns its exit status and its errors.
int Render(const TScratchDir& dir, const std::string& file, const std::string& png,
           std::string& errors) {
  const std::string err = dir.File("errors.txt");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv{const_cast<char*>(Renderer.c_str()), const_cast<char*>(file.c_str()),
                          const_cast<char*>("-o"), const_cast<char*>(png.c_str()), nullptr};
  int status = -1;
  pid_t pid = 0;
  if (posix_spawn(&pid, Renderer.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    waitpid(pid, &status, 0);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  errors = Slurp(err);
  return status;
}

}  // namespace

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
         p.Formula = 5;
         p.N.SetInt(2147483647);
         p.M.SetInt(2147483647);
       },
       0, ""},
      {"100000 x 100000",
       [](TFractProps& p) { p.XResolution.SetInt(100000); p.YResolution.SetInt(100000); }, 2,
       memory},
      {"2147483647 x 2",
       [](TFractProps& p) { p.XResolution.SetInt(2147483647); p.YResolution.SetInt(2); }, 2,
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
    ASSERT_TRUE(TStoredFractal::SaveFile(file, fractal));
    std::string errors;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Render(dir, file, png, errors), row.Status) << errors;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    if (row.Error.empty()) {
      EXPECT_EQ(errors, "");
      const QImage image(QString::fromStdString(png));
      EXPECT_EQ(image.width(), fractal.Params.XResolution.GetInt());
      EXPECT_EQ(image.height(), fractal.Params.YResolution.GetInt());
    } else {
      EXPECT_NE(errors.find(row.Error), std::string::npos) << errors;
      EXPECT_FALSE(std::filesystem::exists(png));
    }
  }
}
