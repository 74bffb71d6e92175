#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/safefile.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "render/TColorPalette1DItem.h"
#include "support/TRecordingPresenter.h"
#include "support/files.h"
#include "support/filesizelimit.h"
#include "support/testdata.h"

// Saving a fractal or a palette where it cannot be written: the user is told in the program's
// words and whatever file was there before stays byte for byte. The reasons of each kind of
// place come from the writer both share.

namespace {

const std::string CannotOpen = CannotOpenForWritingText;
const std::string DiskFull = CouldNotWriteText;
const std::string Previous = "previous contents\r\n";

// The two kinds of file a user saves, with the words each uses for a failure.
struct TSaver {
  const char* Kind;
  std::string Prefix;
  std::function<bool(const std::string&)> Save;
};

TColorPalette1DItem SomePalette() {
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  palette.AddItem(unitFactorPosMoreLess1(0.5, ukPercent), 0x0000FF);
  return palette;
}

const TSaver Savers[] = {
    {"fractal", "Cannot save Fractal File: ",
     [](const std::string& path) { return TUnitFract().SaveAs(path, TStoredFractal()); }},
    {"palette", "Cannot save Color Palette File: ",
     [](const std::string& path) { return SomePalette().SaveToFile(path); }},
};

class FileFaults : public ::testing::Test {
protected:
  // Saves with `saver` to `path`, expecting failure with `reason`.
  void ExpectRefused(const TSaver& saver, const std::string& path, const std::string& reason) {
    Presenter.Clear();
    EXPECT_FALSE(saver.Save(path)) << saver.Kind << " " << path;
    ASSERT_EQ(Presenter.Messages.size(), 1u) << saver.Kind << " " << path;
    EXPECT_EQ(Presenter.Messages[0].Text, saver.Prefix + reason + ".");
    EXPECT_EQ(Presenter.Messages[0].Title, "FileError");
    EXPECT_EQ(Presenter.Messages[0].Icon, TMsgIcon::Information);
  }

  TRecordingPresenter Presenter;
  TScratchDir Dir{"filefaults"};
};

}  // namespace

TEST_F(FileFaults, ReadOnlyFileStaysAsItWas) {
  for (const auto& saver : Savers) {
    const std::string path = Dir.File(std::string(saver.Kind) + ".old");
    WriteFileBytes(path, Previous);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ExpectRefused(saver, path, CannotOpen);
    EXPECT_EQ(FileBytes(path), Previous);
  }
}

TEST_F(FileFaults, DiskFullWhileWritingKeepsThePreviousFileAndNoLeftovers) {
  for (const auto& saver : Savers) {
    const std::string path = Dir.File(std::string(saver.Kind) + ".file");
    WriteFileBytes(path, Previous);
    {
      // Room for the old file, not for the new one (both files are over a hundred bytes).
      TFileSizeLimit full(64);
      ExpectRefused(saver, path, DiskFull);
    }
    EXPECT_EQ(FileBytes(path), Previous);
    // With room again the same save goes through.
    Presenter.Clear();
    EXPECT_TRUE(saver.Save(path)) << saver.Kind;
    EXPECT_TRUE(Presenter.Messages.empty());
    EXPECT_GT(FileBytes(path).size(), 100u);
  }
  EXPECT_EQ(FolderListing(Dir.Path()), (std::vector<std::string>{"fractal.file", "palette.file"}));
}

TEST_F(FileFaults, FolderWithoutWritePermissionKeepsItsFile) {
  // Root may write into any folder, so the save runs in a child that gives up root first.
  const std::string folder = Dir.File("locked");
  std::filesystem::create_directory(folder);
  for (const auto& saver : Savers) {
    const std::string path = folder + "/" + saver.Kind + ".old";
    WriteFileBytes(path, Previous);
  }
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

  for (const auto& saver : Savers) {
    const std::string path = folder + "/" + saver.Kind + ".old";
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(channel[0]);
      std::string report = "unprivileged";
      if (::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
        report = "no-user";
      if (report == "unprivileged") {
        Presenter.Clear();
        const bool saved = saver.Save(path);
        report = saved ? "saved" : "refused";
        for (const auto& m : Presenter.Messages) report += "\n" + m.Title + "\n" + m.Text;
      }
      (void)!::write(channel[1], report.data(), report.size());
      ::_exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
      report.append(buffer, static_cast<size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << report;
    if (report == "no-user") GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(report, "refused\nFileError\n" + saver.Prefix + CannotOpen + ".") << saver.Kind;
    EXPECT_EQ(FileBytes(path), Previous) << saver.Kind;
  }
  EXPECT_EQ(FolderListing(folder), (std::vector<std::string>{"fractal.old", "palette.old"}));
}
