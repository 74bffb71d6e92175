// Broken files opened the way a user opens them: File > Open, the palette editor's Open and
// Project > Open.
#include "core/TErrorReport.h"
#include "gui/dialogs/TDlgColorPalette1D.h"
#include "gui/support/wavetestsupport.h"
#include "render/TColorPalette1DItem.h"

using BadFilesGui = WaveFixture;

TEST_F(BadFilesGui, FilesOfAnotherVersionOpenAfterTheirFailedChecks) {
  Prompter.OpenAnswers = {{TestData("bad/wrong_version.zlf")}};
  Form->FileOpenWave->trigger();
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_EQ(BusyDepth(), 0);

  TColorPalette1DItem held(0x111111, 0x222222);
  held.AddItem(unitFactorPosMoreLess1(0.6, ukPercent), 0x333333);
  TDlgColorPalette1D dialog(Form.get(), held);
  dialog.show();
  Prompter.OpenAnswers = {{TestData("bad/wrong_version.cp1")}};
  dialog.btnOpen->click();
  EXPECT_EQ(dialog.Palette().GetNext()->GetDPosition(), 0.5);  // the file's stop
  // The editor stands on a stop of the palette it now holds.
  const TColorPalette1DItem* stop = &dialog.Palette();
  while (stop && stop != dialog.Current()) stop = stop->GetNext();
  EXPECT_NE(stop, nullptr);

  // Two failed checks per file, each its own message.
  ASSERT_EQ(Prompter.Messages.size(), 4u);
  for (const auto& m : Prompter.Messages) EXPECT_EQ(m.Title, "Assertion failed");
}

TEST_F(BadFilesGui, ProjectOpenReportsABrokenProjectOnceAndOpensNothing) {
  const std::string copies = TestData("bad/project_missing_copyTempSaveFiles");
  const struct {
    const char* Name;
    std::vector<std::string> Messages;  // the last follows the project's own message prefix
  } rows[] = {
      {"project_truncated.kvp", {"unexpected end-of-file  found in line 21, column 13."}},
      // The copy's own message comes first; the project then says where it stopped.
      {"project_missing_copy.kvp",
       {TErrorReport::CannotReadText(copies + "/savedProjectWindowFile7.wav", ""),
        " At line 15, column 11."}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string path = TestData(std::string("bad/") + row.Name);
    Prompter.Messages.clear();
    Prompter.OpenAnswers = {{path}};
    Form->ProjectOpen->trigger();
    std::vector<std::string> expected = row.Messages;
    expected.back() = "Cannot read the file: \"" + path + "\"" + expected.back();
    EXPECT_EQ(Prompter.Texts(), expected);
    EXPECT_EQ(Prompter.Messages.back().Title, "File Error");
    EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
    EXPECT_EQ(Form->Project->ProjectFile(), "");
    EXPECT_EQ(Form->windowTitle(), "Zenolith 1.0");
    EXPECT_EQ(BusyDepth(), 0);
  }
}
