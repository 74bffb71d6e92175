// Replacing files: pipes and devices are refused at once, every failure has the system's reason,
// and the previous file survives it; the file keeps its owner and mode, and temporary files
// that killed saves left go at the next save.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <grp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/TMessagePresenter.h"
#include "core/TSafeFile.h"
#include "core/safefile.h"
#include "core/systemerror.h"
#include "support/childprocess.h"
#include "support/files.h"
#include "support/TRecordingPresenter.h"
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

extern "C" char** environ;

// The id of a process that has ended.
std::string EndedProcess() {
  pid_t pid = 0;
  char* argv[] = {const_cast<char*>("true"), nullptr};
  EXPECT_EQ(::posix_spawnp(&pid, "true", nullptr, nullptr, argv, environ), 0);
  ::waitpid(pid, nullptr, 0);
  return std::to_string(pid);
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

TEST(SafeFile, TemporaryFilesOfEndedProcessesGoAtTheNextSaveIntoTheirFolder) {
  TScratchDir dir("safefile-leftovers");
  const std::string ended = EndedProcess();
  const std::string running = std::to_string(::getpid());
  // Left by saves killed before their rename.
  const std::vector<std::string> leftovers = {".zenolith-" + ended + "-0.tmp",
                                              ".zenolith-" + ended + "-17.tmp"};
  // Another save under way, and names that only look alike.
  const std::vector<std::string> kept = {".zenolith-" + running + "-3.tmp",
                                         ".zenolith-x-1.tmp",
                                         ".zenolith-" + ended + "-1.tmp.bak",
                                         "zenolith-" + ended + "-2.tmp",
                                         "notes.txt"};
  for (const std::string& name : leftovers) WriteFileBytes(dir.File(name), "half");
  for (const std::string& name : kept) WriteFileBytes(dir.File(name), "mine");
  // Not regular files: a folder and a link keep their places.
  std::filesystem::create_directory(dir.File(".zenolith-" + ended + "-5.tmp"));
  std::filesystem::create_symlink("notes.txt", dir.File(".zenolith-" + ended + "-6.tmp"));

  std::string error;
  ASSERT_TRUE(WriteFileSafely(dir.File("a.zlf"), "saved", error)) << error;
  std::vector<std::string> expected = kept;
  expected.push_back(".zenolith-" + ended + "-5.tmp");
  expected.push_back(".zenolith-" + ended + "-6.tmp");
  expected.push_back("a.zlf");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderListing(dir.Path()), expected);
  for (const std::string& name : kept) EXPECT_EQ(FileBytes(dir.File(name)), "mine") << name;
}

// A file of another user in a shared folder, replaced by root and by users who may write it
// only through its group or through its mode: owner, group and mode stay where the system
// allows, and the save says what changed where not. A second user needs root; the test is
// skipped without it.
TEST(SafeFile, ReplacedFileKeepsItsOwnerGroupAndModeOrSaysWhatChanged) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as a second user needs root";
  TScratchDir dir("safefile-owner");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  constexpr uid_t Owner = 4242;
  constexpr gid_t Shared = 4343;
  constexpr uid_t Writer = 4444;
  constexpr gid_t WriterGroup = 4545;
  const std::string probe = dir.File("probe");
  WriteFileBytes(probe, "x");
  if (::chown(probe.c_str(), Owner, Shared) != 0) GTEST_SKIP() << "no other owners here";
  ::unlink(probe.c_str());

  const std::string path = dir.File("shared.zlf");
  const std::string denied = SystemErrorText(EPERM);
  const struct {
    const char* Case;
    uid_t Uid;
    std::vector<gid_t> Groups;
    mode_t Mode;
    uid_t OwnerAfter;
    gid_t GroupAfter;
    mode_t ModeAfter;
    std::string Warning;
  } rows[] = {
      {"root", 0, {0}, 0640, Owner, Shared, 0640, ""},
      {"root, set-group-id", 0, {0}, 02664, Owner, Shared, 02664, ""},
      {"a member of the group", Writer, {WriterGroup, Shared}, 0664, Writer, Shared, 0664,
       "The file \"" + path + "\" was replaced, but it now belongs to user 4444 instead of user "
       "4242 (" + denied + ")."},
      {"a member of the group, set-group-id", Writer, {WriterGroup, Shared}, 02664, Writer,
       Shared, 02664,
       "The file \"" + path + "\" was replaced, but it now belongs to user 4444 instead of user "
       "4242 (" + denied + ")."},
      {"a user outside the group", Writer, {WriterGroup}, 0666, Writer, WriterGroup, 0666,
       "The file \"" + path + "\" was replaced, but it now belongs to user 4444 and group 4545 "
       "instead of user 4242 and group 4343 (" + denied + ")."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    WriteFileBytes(path, Previous);
    ASSERT_EQ(::chown(path.c_str(), Owner, Shared), 0);
    ASSERT_EQ(::chmod(path.c_str(), row.Mode), 0);
    const std::string report = RunInChild([&] {
      if (::setgroups(row.Groups.size(), row.Groups.data()) != 0 ||
          ::setgid(row.Groups.front()) != 0 || ::setuid(row.Uid) != 0)
        return std::string("(cannot become the user)");
      TRecordingPresenter presenter;
      std::string error;
      const bool written = WriteFileSafely(path, "new contents", error);
      std::string shown;
      for (const auto& m : presenter.Messages) shown += m.Title + ": " + m.Text;
      return (written ? std::string("written") : "failed: " + error) + "|" + shown;
    });
    EXPECT_EQ(report, "written|" + (row.Warning.empty() ? "" : "File Warning: " + row.Warning));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, row.OwnerAfter);
    EXPECT_EQ(info.st_gid, row.GroupAfter);
    EXPECT_EQ(info.st_mode & 07777, row.ModeAfter);
    EXPECT_EQ(FileBytes(path), "new contents");
  }
  EXPECT_EQ(FolderListing(dir.Path()), std::vector<std::string>{"shared.zlf"});
}
