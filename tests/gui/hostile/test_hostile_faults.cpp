// Saving through the real commands where the file cannot be written: the user is told, and
// whatever was there before stays byte for byte; a project save that fails at any of its steps
// leaves the previous project readable.
#include <sys/stat.h>

#include "core/safefile.h"
#include "gui/dialogs/TDlgColorPalette1D.h"
#include "gui/support/wavetestsupport.h"
#include "support/filesizelimit.h"

namespace {

namespace fs = std::filesystem;

const std::string CannotOpen = CannotOpenForWritingText;
const std::string Previous = "previous contents\r\n";

}  // namespace

class HostileFaults : public WaveFixture {
protected:
  std::map<std::string, std::string> Windows() const { return ProjectState(false); }

  // Closes every window and opens the project again.
  void Reopen(const std::string& project) {
    for (TMDIChildZenolith* child : Form->Workspace->ChildWindows()) child->CloseWithoutQuery();
    QApplication::processEvents();
    Form->Project->OpenProjectFile(project);
  }

  TScratchDir Dir{"hostile_faults"};
};

TEST_F(HostileFaults, SaveWhereNothingCanBeWrittenKeepsThePreviousFileAndSaysSo) {
  TMDIChildWave* child = OpenCopy(Dir, "w.zlf");
  child->MarkModified();

  // The three commands that write a file, each given a read-only file by its save dialog (the
  // reasons of other places come from the one writer they share). The project command closes
  // the windows, so it runs last.
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
         for (TMDIChildZenolith* w : Form->Workspace->ChildWindows()) w->CloseWithoutQuery();
         Form->ProjectNew->trigger();
         Form->ProjectSave->trigger();
         Form->Project->SetProjectFile("");
       }},
  };
  for (const auto& saver : savers) {
    const std::string readOnly = Dir.File(std::string("read_only.") + saver.Kind);
    WriteFileBytes(readOnly, Previous);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    std::vector<std::string> targets = {readOnly};
    // A project is also written where not even root may create a file.
    if (std::string(saver.Kind) == "kvp") targets.push_back("/proc/zenolith.kvp");
    for (const std::string& target : targets) {
      SCOPED_TRACE(std::string(saver.Kind) + " to " + target);
      Prompter.Messages.clear();
      Prompter.SaveAnswers = {target};
      saver.Save();
      EXPECT_TRUE(Prompter.ShowedOnly(
          saver.Prefix + CannotOpen + (std::string(saver.Kind) == "kvp" ? "" : "."),
          "FileError"));
      EXPECT_EQ(BusyDepth(), 0);
    }
    EXPECT_EQ(FileBytes(readOnly), Previous);
    if (std::string(saver.Kind) == "zlf") {
      // The window still belongs to its own file, with its changes unsaved.
      EXPECT_EQ(child->GetUnitFract()->GetFileName(), Dir.File("w.zlf"));
      EXPECT_TRUE(child->GetUnitFract()->Modified());
    }
  }
  EXPECT_EQ(FileBytes(Dir.File("w.zlf")), FileBytes(TestData("gui/mandelbrot.zlf")));
  // Nothing was left behind: no temporary files, no folders of copies.
  EXPECT_EQ(FolderListing(Dir.Path()),
            (std::vector<std::string>{"read_only.cp1", "read_only.kvp", "read_only.zlf",
                                      "w.zlf"}));
}

TEST_F(HostileFaults, ProjectSaveFailingAtEachStepLeavesThePreviousProjectReadable) {
  const std::string project = Dir.File("p.kvp");
  const std::string folder = Dir.File("pTempSaveFiles");
  Prompter.SaveAnswers = {project};
  Form->ProjectNew->trigger();
  ASSERT_EQ(Form->Project->ProjectFile(), project);

  // Step 1, the folder of copies: a file stands where it must be created. The previous
  // project has no copies and so no folder.
  TMDIChildWave* kept = OpenCopy(Dir, "kept.zlf");
  kept->GetUnitFract()->SetName("Kept");
  Form->ProjectSave->trigger();
  ASSERT_TRUE(Prompter.Messages.empty());
  std::map<std::string, std::string> saved = Windows();
  const std::string previous = FileBytes(project);
  kept->MarkModified();
  WriteFileBytes(folder, Previous);
  Form->ProjectSave->trigger();
  EXPECT_EQ(Prompter.Texts(), std::vector<std::string>{"Cannot save Project File: Cannot create "
                                                       "the folder \"" + folder +
                                                       "\": Not a directory."});
  EXPECT_EQ(FileBytes(project), previous);
  Reopen(project);
  EXPECT_EQ(Windows(), saved);
  fs::remove(folder);

  // A project with copies: a changed window and a new one.
  const auto changeActiveWindow = [this] {
    TMDIChildWave* active = Form->Workspace->ActiveWaveWindow();
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
  const std::string projectBytes = FileBytes(project);
  const std::string copy = folder + "/savedProjectWindowFile0.wav";
  const std::string copyBytes = FileBytes(copy);
  ASSERT_FALSE(copyBytes.empty());

  // The new copies take numbers that the project on disk does not use: 2 is the first.
  const std::string firstCopy = folder + "/savedProjectWindowFile2.wav";
  const struct {
    const char* Step;
    std::function<void()> Break, Mend;
    std::string Message;
  } steps[] = {
      // Step 1 again, a copy: the disk is full once the copy grows past a few bytes.
      {"copy", [] {}, [] {},
       "Cannot save Project File: Cannot write the copy \"" + firstCopy + "\": File too large."},
      // Step 2, the project file: read-only.
      {"project file", [&] { ::chmod(project.c_str(), 0444); },
       [&] { ::chmod(project.c_str(), 0644); },
       "Cannot save Project File: " + CannotOpen},
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
    EXPECT_EQ(FileBytes(project), projectBytes);
    EXPECT_EQ(FileBytes(copy), copyBytes);
    // A failed save takes its copies and temporary files away.
    EXPECT_EQ(FolderListing(folder), (std::vector<std::string>{"savedProjectWindowFile0.wav",
                                                                "savedProjectWindowFile1.wav"}));
    // Beside them only the lock of the open project.
    EXPECT_EQ(FolderListing(Dir.Path()),
              (std::vector<std::string>{".pTempSaveFiles.lock", "kept.zlf", "p.kvp",
                                        "pTempSaveFiles"}));
    Reopen(project);
    EXPECT_EQ(Windows(), saved);
    EXPECT_EQ(Form->Project->ProjectFile(), project);
  }
  Form->Project->SetProjectFile("");
}
