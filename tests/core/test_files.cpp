// Replacing files: pipes and devices are refused at once, every failure has the system's reason,
// and the previous file survives it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/TSafeFile.h"
#include "core/safefile.h"
#include "core/systemerror.h"
#include "support/childprocess.h"
#include "support/files.h"
#include "support/smalldisk.h"
#include "support/testdata.h"

namespace {

const std::string Previous = "previous contents\r\n";

// Each step of a safe file as one line: what failed and why, or "ok".
std::string Outcome(const TSafeFile& file, bool ok) {
  if (ok) return "ok";
  const char* kinds[] = {"none", "not regular", "cannot create", "cannot write", "cannot replace"};
  return std::string(kinds[static_cast<int>(file.Failure())]) + ": " + file.Reason();
}

std::string Save(const std::string& path, const std::string& bytes) {
  TSafeFile file;
  if (!file.Open(path)) return Outcome(file, false);
  if (!file.Write(bytes.data(), bytes.size())) return Outcome(file, false);
  return Outcome(file, file.Commit());
}

}  // namespace

TEST(SafeFile, EveryPlaceThatCannotTakeTheFileSaysWhyAtOnceAndKeepsWhatWasThere) {
  TScratchDir dir("safefile-places");
  const std::string readOnly = dir.File("ro.txt");
  WriteFileBytes(readOnly, Previous);
  ::chmod(readOnly.c_str(), 0444);
  const std::string plain = dir.File("plain.txt");
  WriteFileBytes(plain, Previous);
  const std::string fifo = dir.File("fifo.zlf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string linkToFifo = dir.File("link.zlf");
  std::filesystem::create_symlink(fifo, linkToFifo);
  const struct {
    std::string Path, Outcome;
  } rows[] = {
      {dir.File("missing/x.txt"), "cannot create: " + SystemErrorText(ENOENT)},
      {readOnly, "cannot create: " + SystemErrorText(EACCES)},
      {plain + "/x.txt", "cannot create: " + SystemErrorText(ENOTDIR)},
      {dir.Path().string(), "cannot create: " + SystemErrorText(EISDIR)},
      // Writing into a pipe waits for a reader, which may never come.
      {fifo, "not regular: not a regular file"},
      {linkToFifo, "not regular: not a regular file"},
      {"/dev/null", "not regular: not a regular file"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Path);
    EXPECT_EQ(RunInChild([&] { return Save(row.Path, "new contents"); }), row.Outcome);
  }
  // The catalogue's words for the documents, and "not a regular file" for a pipe.
  std::string error;
  EXPECT_FALSE(WriteFileSafely(readOnly, "x", error));
  EXPECT_EQ(error, CannotOpenForWritingText);
  EXPECT_EQ(RunInChild([&] {
              std::string reason;
              WriteFileSafely(fifo, "x", reason);
              return reason;
            }),
            "not a regular file");
  EXPECT_EQ(FileBytes(readOnly), Previous);
  EXPECT_EQ(FileBytes(plain), Previous);
  EXPECT_EQ(FolderListing(dir.Path()),
            (std::vector<std::string>{"fifo.zlf", "link.zlf", "plain.txt", "ro.txt"}));
}

TEST(SafeFile, FullDiskKeepsThePreviousFileAndLeavesNothingBehind) {
  TScratchDir dir("safefile-full");
  const std::string report = RunInChild([&] {
    const std::string diskFull = MakeSmallDisk(dir.Path().string(), 64 * 1024);
    const std::string path = dir.File("picture.png");
    WriteFileBytes(path, Previous);
    const std::string big(1 << 20, 'x');
    std::string out = Save(path, big) + "\n";
    std::string error;
    WriteFileSafely(path, big, error);
    out += error + "\n";
    out += (FileBytes(path) == Previous ? "kept" : "changed") + std::string("\n");
    for (const std::string& name : FolderListing(dir.Path())) out += name + " ";
    return out + "\n" + diskFull;
  });
  const std::string diskFull = report.substr(report.rfind('\n') + 1);
  EXPECT_TRUE(diskFull == std::strerror(ENOSPC) || diskFull == std::strerror(EFBIG)) << report;
  EXPECT_EQ(report, "cannot write: " + diskFull + "\n" + CouldNotWriteText +
                        "\nkept\npicture.png \n" + diskFull);
}

TEST(SafeFile, TargetChangesOnlyAtCommitAndAnAbandonedFileLeavesNoTrace) {
  TScratchDir dir("safefile-commit");
  const std::string path = dir.File("a.txt");
  WriteFileBytes(path, Previous);
  {
    TSafeFile file;
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.Write("new", 3));
    EXPECT_EQ(FileBytes(path), Previous);  // a kill now would leave the old file
    EXPECT_EQ(FolderListing(dir.Path()).size(), 2u);
  }
  EXPECT_EQ(FileBytes(path), Previous);
  EXPECT_EQ(FolderListing(dir.Path()), std::vector<std::string>{"a.txt"});

  TSafeFile file;
  ASSERT_TRUE(file.Open(path));
  ASSERT_TRUE(file.Write("new", 3));
  ASSERT_TRUE(file.Commit()) << file.Reason();
  EXPECT_EQ(FileBytes(path), "new");
  // A link keeps pointing at the file it named, which now holds the new bytes.
  const std::string link = dir.File("link.txt");
  std::filesystem::create_symlink(path, link);
  EXPECT_EQ(Save(link, "via link"), "ok");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(FileBytes(path), "via link");
  EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"a.txt", "link.txt"}));
}
