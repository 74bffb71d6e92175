// Broken files opened the way a user opens them: File > Open, the palette editor's Open and
// Project > Open. Each gives its one message and leaves no window behind.
#include <algorithm>

#include "core/TErrorReport.h"
#include "gui/TDlgColorPalette1D.h"
#include "render/TColorPalette1DItem.h"
#include "render/TStoredFractal.h"
#include "wavetestsupport.h"

namespace {

// A file of tests/data/bad.
std::string Bad(const std::string& name) {
  return (std::filesystem::path(ZENOLITH_TEST_DATA) / "bad" / name).string();
}

// The files of tests/data/bad with the extension, sorted.
std::vector<std::string> BadFiles(const std::string& extension) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(Bad("")))
    if (entry.path().extension() == extension) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

using BadFilesGui = WaveFixture;

TEST_F(BadFilesGui, FileOpenGivesEachBrokenFractalItsOneMessageAndNoWindow) {
  const std::vector<std::string> files = BadFiles(".zlf");
  ASSERT_GE(files.size(), 15u);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    // The reader's own verdict, without any window.
    TStoredFractal stored;
    std::string reason;
    const bool readable = TStoredFractal::LoadFile(path, stored, reason);
    Prompter.Messages.clear();

    Prompter.OpenAnswers = {{path}};
    Form->FileOpenWave->trigger();
    const size_t windows = Form->ChildWindows().size();
    if (readable) {
      // Only a wrong version reads; it is reported as a failed check and opens.
      EXPECT_EQ(windows, 1u);
      for (const auto& m : Prompter.Messages) EXPECT_EQ(m.Title, "Assertion failed");
    } else {
      EXPECT_EQ(windows, 0u);
      EXPECT_FALSE(reason.empty());
      EXPECT_TRUE(Prompter.ShowedOnly(TErrorReport::CannotReadText(path, reason), "File Error"));
    }
    EXPECT_EQ(Form->BusyDepth(), 0);
    for (TMDIChildZenolith* child : Form->ChildWindows()) child->CloseWithoutQuery();
    QApplication::processEvents();
  }
}

TEST_F(BadFilesGui, PaletteEditorOpenGivesEachBrokenPaletteItsMessageAndKeepsThePalette) {
  const std::vector<std::string> files = BadFiles(".cp1");
  ASSERT_GE(files.size(), 10u);
  TColorPalette1DItem held(0x111111, 0x222222);
  held.AddItem(unitFactorPosMoreLess1(0.6, ukPercent), 0x333333);
  TDlgColorPalette1D dialog(Form.get(), held);
  dialog.show();
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TColorPalette1DItem reference(0, 0);
    std::string reason;
    const bool readable = reference.LoadFromFile(path, reason);
    Prompter.Messages.clear();
    const std::string before = dialog.Palette().ToFileText();

    Prompter.OpenAnswers = {{path}};
    dialog.btnOpen->click();
    if (readable) {
      EXPECT_EQ(dialog.Palette().ToFileText(), reference.ToFileText());
      for (const auto& m : Prompter.Messages) EXPECT_EQ(m.Title, "Assertion failed");
    } else {
      EXPECT_TRUE(Prompter.ShowedOnly(TErrorReport::CannotReadText(path, reason), "File Error"));
      EXPECT_EQ(dialog.Palette().ToFileText(), before);
    }
    // The editor stands on a stop of the palette it holds.
    const TColorPalette1DItem* stop = &dialog.Palette();
    while (stop && stop != dialog.Current()) stop = stop->GetNext();
    EXPECT_NE(stop, nullptr);
  }
}

TEST_F(BadFilesGui, ProjectOpenReportsEachBrokenProjectOnceAndOpensNothing) {
  const std::string copies = Bad("project_missing_copyTempSaveFiles");
  const struct {
    const char* Name;
    std::vector<std::string> Messages;  // "" stands for the project's own message prefix
  } rows[] = {
      {"project_version.kvp",
       {"Project version \"2.0\" cannot be read; expect version \"1.0\". At line 5, column 12."}},
      {"project_counter.kvp",
       {"In NoNameCounter: Value must be between 0 and 1000000000. At line 6, column 18."}},
      {"project_copy_outside.kvp",
       {"In TempFile: Value must be a number from 0 to 999999999. At line 16, column 17."}},
      {"project_frame_size.kvp",
       {"In Width: Value must be between 0 and 16384. At line 10, column 12."}},
      {"project_truncated.kvp",
       {"unexpected end-of-file  found in line 21, column 13."}},
      // The copy's own message comes first; the project then says where it stopped.
      {"project_missing_copy.kvp",
       {TErrorReport::CannotReadText(copies + "/savedProjectWindowFile7.wav", ""),
        " At line 15, column 11."}},
  };
  ASSERT_EQ(BadFiles(".kvp").size(), std::size(rows));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string path = Bad(row.Name);
    Prompter.Messages.clear();
    Prompter.OpenAnswers = {{path}};
    Form->ProjectOpen->trigger();
    std::vector<std::string> expected = row.Messages;
    expected.back() = "Cannot read the file: \"" + path + "\"" + expected.back();
    EXPECT_EQ(Prompter.Texts(), expected);
    EXPECT_EQ(Prompter.Messages.back().Title, "File Error");
    EXPECT_TRUE(Form->ChildWindows().empty());
    EXPECT_EQ(Form->ProjectFile, "");
    EXPECT_EQ(Form->windowTitle(), "Zenolith 1.0");
    EXPECT_EQ(Form->BusyDepth(), 0);
  }
}
