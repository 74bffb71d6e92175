// zenolith-resave: each kind of file read and written again as the program writes it, and a
// file that does not read or cannot be written named with the program's message.
#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "support/runprogram.h"
#include "support/testdata.h"

namespace {

const std::string Program = std::string(ZENOLITH_BINARY_DIR) + "/tools/resave/zenolith-resave";

TRun Resave(const TScratchDir& dir, const std::string& input, const std::string& output) {
  return RunProgram(Program, {input, output}, dir.File("stdout.txt"), dir.File("stderr.txt"));
}

}  // namespace

TEST(Resave, EachKindOfFileIsWrittenAsTheProgramWritesIt) {
  TScratchDir dir("resave");
  const struct {
    std::string Input;
    std::string Written;  // the bytes expected
  } rows[] = {
      {TestData("zlf/default.zlf"), FileBytes(TestData("zlf/default.zlf"))},
      // Written by hand with bare line feeds: the program's writer ends lines with CR LF.
      {TestData("zlf/palettes_lf.zlf"), WithCrLf(FileBytes(TestData("zlf/palettes_lf.zlf")))},
      {TestData("palette/half_red.cp1"), FileBytes(TestData("palette/half_red.cp1"))},
      {TestData("project/twins.kvp"), FileBytes(TestData("project/twins.kvp"))},
  };
  for (const auto& row : rows) {
    const std::string output = dir.File("out" + row.Input.substr(row.Input.rfind('.')));
    const TRun run = Resave(dir, row.Input, output);
    EXPECT_EQ(run.Status, 0) << row.Input << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(FileBytes(output), row.Written) << row.Input;
  }
}

TEST(Resave, AFileThatDoesNotReadOrCannotBeWrittenIsNamedWithItsReason) {
  TScratchDir dir("resave-bad");
  const std::string formula = TestData("bad/unknown_formula.zlf");
  const std::string version = TestData("bad/project_version.kvp");
  const std::string folder = dir.Path().string();
  const struct {
    std::string Input, Output;
    int Status;
    std::string Err;
  } rows[] = {
      {formula, dir.File("out.zlf"), 2,
       "zenolith-resave: cannot read \"" + formula +
           "\": Unknown Formula: 'z^5+c' At line 56, column 13.\n"},
      {version, dir.File("out.kvp"), 2,
       "zenolith-resave: cannot read \"" + version +
           "\": Project version \"2.0\" cannot be read; expect version \"1.0\". At line 5, "
           "column 12.\n"},
      {TestData("zlf/default.zlf"), folder, 3,
       "zenolith-resave: cannot write \"" + folder +
           "\": Operating System cannot open file for writing, maybe the file is readonly.\n"},
      {dir.File("notes.txt"), dir.File("out.txt"), 1,
       "zenolith-resave: \"" + dir.File("notes.txt") + "\" is no .zlf, .cp1 or .kvp file\n"},
  };
  for (const auto& row : rows) {
    const TRun run = Resave(dir, row.Input, row.Output);
    EXPECT_EQ(run.Status, row.Status) << row.Input;
    EXPECT_EQ(run.Err, row.Err);
  }
  EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"stderr.txt", "stdout.txt"}));
}
