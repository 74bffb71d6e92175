// Saving through the real commands where the file cannot be written: the user is told, and
// whatever was there before stays byte for byte; a project save that fails at any of its steps
// leaves the previous project readable.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QPushButton>

#include <sys/resource.h>
#include <sys/stat.h>

#include "gui/TDlgColorPalette1D.h"
#include "render/TStoredFractal.h"
#include "support/testdata.h"
#include "wavetestsupport.h"

namespace {

namespace fs = std::filesystem;

const std::string CannotOpen =
    "Operating System cannot open file for writing, maybe the file is readonly.";
const std::string DiskFull = "Operating System could not write the file, maybe the disk is full.";
const std::string Previous = "previous contents\r\n";

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Makes every write past `bytes` fail as on a full disk, for as long as it lives.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Saved);
    OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = Saved;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Saved);
    std::signal(SIGXFSZ, OldHandler);
  }

private:
  rlimit Saved{};
  void (*OldHandler)(int) = nullptr;
};

}  // namespace

class HostileFaults : public WaveFixture {
protected:
  // A copy of the fixture fractal in the scratch folder, opened in a new window.
  TMDIChildWave* OpenCopy(const std::string& name) {
    const std::string path = Dir.File(name);
    fs::copy_file(TestData("gui/mandelbrot.zlf"), path, fs::copy_options::overwrite_existing);
    EXPECT_NE(Form->OpenFractalFile(path), nullptr);
    return Form->ActiveWaveWindow();
  }

  // What a project restores of each window, by name.
  std::map<std::string, std::string> Windows() const {
    std::map<std::string, std::string> windows;
    for (TMDIChildWave* child : Form->ProjectWindows()) {
      const TUnitFract* unit = child->GetUnitFract();
      const QRect g = child->geometry();
      windows[unit->GetName()] = std::to_string(g.x()) + "," + std::to_string(g.y()) + " " +
                                 std::to_string(g.width()) + "x" + std::to_string(g.height()) +
                                 " " + unit->GetFileName() + "\n" + Xml(child->GetParams()) +
                                 Xml(child->GetViewProps());
    }
    return windows;
  }

  // Closes every window and opens the project again.
  void Reopen(const std::string& project) {
    for (TMDIChildZenolith* child : Form->ChildWindows()) child->CloseWithoutQuery();
    QApplication::processEvents();
    Form->OpenProjectFile(project);
  }

  TScratchDir Dir{"hostile_faults"};
};

TEST_F(HostileFaults, SaveWhereNothingCanBeWrittenKeepsThePreviousFileAndSaysSo) {
  TMDIChildWave* child = OpenCopy("w.zlf");
  child->MarkModified();
  const std::string plain = Dir.File("plain.txt");
  WriteBytes(plain, Previous);

  // The three commands that write a file, each given `path` by its save dialog. The project
  // command closes the windows, so it runs last.
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  TDlgColorPalette1D editor(Form.get(), palette);
  const struct {
    const char* Kind;
    std::string Prefix;
    std::function<void()> Save;
  } savers[] = {
      {"zlf", "Cannot save Fractal File: ", [&] { Form->FileSaveAs->trigger(); }},
      {"cp1", "Cannot save Color Palette File: ", [&] { editor.btnSave->click(); }},
      {"kvp", "Cannot save Project File: ",
       [&] {
         // Without windows New asks nothing; the save writes the project file alone.
         for (TMDIChildZenolith* w : Form->ChildWindows()) w->CloseWithoutQuery();
         Form->ProjectNew->trigger();
         Form->ProjectSave->trigger();
         Form->ProjectFile.clear();
       }},
  };
  for (const auto& saver : savers) {
    const std::string readOnly = Dir.File(std::string("read_only.") + saver.Kind);
    WriteBytes(readOnly, Previous);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const struct {
      std::string Path, Reason;
    } targets[] = {
        {plain + "/under_a_file." + saver.Kind, CannotOpen},
        {std::string("/proc/zenolith.") + saver.Kind, CannotOpen},  // not even root may
        {"/dev/full", DiskFull},
        {readOnly, CannotOpen},
    };
    for (const auto& target : targets) {
      SCOPED_TRACE(std::string(saver.Kind) + " to " + target.Path);
      Prompter.Messages.clear();
      Prompter.SaveAnswers = {target.Path};
      saver.Save();
      ASSERT_EQ(Prompter.Messages.size(), 1u);
      EXPECT_EQ(Prompter.Messages[0].Text, saver.Prefix + target.Reason +
                                               (std::string(saver.Kind) == "kvp" ? "" : "."));
      EXPECT_EQ(Prompter.Messages[0].Title, "FileError");
      EXPECT_EQ(Form->BusyDepth(), 0);
    }
    EXPECT_EQ(Contents(readOnly), Previous);
    if (std::string(saver.Kind) == "zlf") {
      // The window still belongs to its own file, with its changes unsaved.
      EXPECT_EQ(child->GetUnitFract()->GetFileName(), Dir.File("w.zlf"));
      EXPECT_TRUE(child->GetUnitFract()->Modified());
    }
  }
  EXPECT_EQ(Contents(plain), Previous);
  EXPECT_EQ(Contents(Dir.File("w.zlf")), Contents(TestData("gui/mandelbrot.zlf")));
  // Nothing was left behind: no temporary files, no folders of copies. There are w.zlf,
  // plain.txt and the three read-only files.
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), fs::directory_iterator()), 5);
  EXPECT_FALSE(fs::exists("/dev/fullTempSaveFiles"));
}

TEST_F(HostileFaults, ProjectSaveFailingAtEachStepLeavesThePreviousProjectReadable) {
  const std::string project = Dir.File("p.kvp");
  const std::string folder = Dir.File("pTempSaveFiles");
  Prompter.SaveAnswers = {project};
  Form->ProjectNew->trigger();
  ASSERT_EQ(Form->ProjectFile, project);

  // Step 1, the folder of copies: a file stands where it must be created. The previous
  // project has no copies and so no folder.
  TMDIChildWave* kept = OpenCopy("kept.zlf");
  kept->GetUnitFract()->SetName("Kept");
  Form->ProjectSave->trigger();
  ASSERT_TRUE(Prompter.Messages.empty());
  std::map<std::string, std::string> saved = Windows();
  const std::string previous = Contents(project);
  kept->MarkModified();
  WriteBytes(folder, Previous);
  Form->ProjectSave->trigger();
  EXPECT_EQ(Prompter.Texts(), std::vector<std::string>{"Cannot save Project File: Cannot create "
                                                       "the folder \"" + folder + "\"."});
  EXPECT_EQ(Contents(project), previous);
  Reopen(project);
  EXPECT_EQ(Windows(), saved);
  fs::remove(folder);

  // A project with copies: a changed window and a new one.
  const auto changeActiveWindow = [this] {
    TMDIChildWave* active = Form->ActiveWaveWindow();
    TFractProps params = active->GetParams();
    params.MaxDepth.SetInt(params.MaxDepth.GetInt() + 1);
    active->SetParams(params);
    active->MarkModified();
  };
  changeActiveWindow();
  AddWave(SmallMandelbrot(30, 20), {}, "Fresh");
  Prompter.Messages.clear();
  Form->ProjectSave->trigger();
  ASSERT_TRUE(Prompter.Messages.empty());
  saved = Windows();
  const std::string projectBytes = Contents(project);
  const std::string copy = folder + "/savedProjectWindowFile0.wav";
  const std::string copyBytes = Contents(copy);
  ASSERT_NE(copyBytes, "<missing>");

  const std::string setAside = folder + "/oldProjectWindowFile0.wav";
  const struct {
    const char* Step;
    std::function<void()> Break, Mend;
    std::string Message;
  } steps[] = {
      // Step 1 again, a copy: the disk is full once the copy grows past a few bytes.
      {"copy", [] {}, [] {},
       "Cannot save Fractal File: " + DiskFull + "."},
      // Step 2, the project file: read-only.
      {"project file", [&] { ::chmod(project.c_str(), 0444); },
       [&] { ::chmod(project.c_str(), 0644); },
       "Cannot save Project File: " + CannotOpen},
      // Steps 3 and 4, the renames: the old copy cannot be set aside.
      {"rename", [&] { fs::create_directories(setAside + "/full"); },
       [&] { fs::remove_all(setAside); },
       "Cannot save Project File: Operating System could not rename \"" + copy + "\" to \"" +
           setAside + "\"."},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Step);
    // A save that took effect in part would show in the windows read back.
    changeActiveWindow();
    Prompter.Messages.clear();
    step.Break();
    {
      std::unique_ptr<TFileSizeLimit> full;
      if (std::string(step.Step) == "copy") full = std::make_unique<TFileSizeLimit>(64);
      Form->ProjectSave->trigger();
    }
    step.Mend();
    EXPECT_EQ(Prompter.Texts(), std::vector<std::string>{step.Message});
    EXPECT_EQ(Contents(project), projectBytes);
    EXPECT_EQ(Contents(copy), copyBytes);
    Reopen(project);
    EXPECT_EQ(Windows(), saved);
    EXPECT_EQ(Form->ProjectFile, project);
  }
  Form->ProjectFile.clear();
}
