// File > Export Zoom Movie: the dialog's settings against zenolith-render's movie of the same
// fractal, and Cancel in the middle of the keyframes.
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "gui/export/TDlgExportMovie.h"
#include "gui/export/TMovieExportCommand.h"
#include "gui/support/wavetestsupport.h"
#include "movie/TPngSequenceWriter.h"
#include "support/fixturefractal.h"
#include "support/runprogram.h"

namespace {

TStoredFractal Seahorse() { return FixtureFractal("movie/seahorse.zlf"); }

}  // namespace

class MovieExport : public ExtrasFixture {};

TEST_F(MovieExport, TheDialogsMovieIsTheOneZenolithRenderMakesOfTheWindowsFractal) {
  TScratchDir dir("extras_movie");
  const TStoredFractal seahorse = Seahorse();
  AddWave(seahorse.Params, seahorse.View, "S", "/f/s.zlf");
  const std::string movie = dir.File("zoom.png");
  Prompter.SaveAnswers = {movie};
  auto ran = WhenDialog<TDlgExportMovie>([](TDlgExportMovie* dialog) {
    dialog->editWidth->setText("64");
    dialog->editHeight->setText("48");
    dialog->editFramesPerSecond->setText("10");
    dialog->radZoomPerSecond->setChecked(true);
    dialog->editZoomPerSecond->setText("8");
    EXPECT_TRUE(dialog->radZoomOut->isChecked());
    dialog->OKBtn->click();
  });
  Form->ExportMovie->trigger();
  EXPECT_TRUE(*ran);
  EXPECT_TRUE(Prompter.Messages.empty());

  const std::string cli = dir.File("cli.png");
  const TRun run = RunProgram(std::string(ZENOLITH_BINARY_DIR) + "/src/cli/zenolith-render",
                              {TestData("movie/seahorse.zlf"), "--movie", cli, "--size", "64x48",
                               "--fps", "10", "--zoom-rate", "8"},
                              dir.File("out.txt"), dir.File("err.txt"));
  ASSERT_EQ(run.Status, 0) << run.Err;
  for (int i = 0; i < 33; ++i) {
    const std::string frame = TPngSequenceWriter::FrameName(movie, i);
    ASSERT_TRUE(std::filesystem::exists(frame)) << i;
    EXPECT_EQ(FileBytes(frame), FileBytes(TPngSequenceWriter::FrameName(cli, i))) << i;
  }
  EXPECT_FALSE(std::filesystem::exists(TPngSequenceWriter::FrameName(movie, 33)));
}

TEST_F(MovieExport, BadSettingsKeepTheDialogOpenWithTheirMessage) {
  TDlgExportMovie dialog(Form.get(), 301, 201);
  // The window's size, made even for MP4.
  EXPECT_EQ(dialog.editWidth->text(), "300");
  EXPECT_EQ(dialog.editHeight->text(), "200");
  EXPECT_FALSE(dialog.editSeconds->isEnabled());
  dialog.radSeconds->setChecked(true);
  EXPECT_TRUE(dialog.editSeconds->isEnabled());
  EXPECT_FALSE(dialog.editZoomPerSecond->isEnabled());
  dialog.editFramesPerSecond->setText("0");
  bool stayedOpen = false;
  RunModal(dialog, [&] {
    dialog.OKBtn->click();
    stayedOpen = dialog.isVisible();
    dialog.CancelBtn->click();
  });
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(Prompter.Messages.size(), 1u);
  EXPECT_EQ(Prompter.Messages[0].Text, "In Frames a second: Value must be positive and more than 0.");
}

TEST_F(MovieExport, CancelStopsAtOnceKeepsTheFinishedKeyframesAndWritesNoMovie) {
  TScratchDir dir("extras_movie_cancel");
  // Near the whole set the keyframes hold millions of points that never escape: minutes.
  TStoredFractal slow = Seahorse();
  slow.Params.MaxDepth.SetInt(2000000);
  slow.Params.MaxCycle.SetInt(0);
  AddWave(slow.Params, slow.View, "S", "/f/s.zlf");
  int keyframesShown = 0;
  QObject::connect(Form->MovieExport, &TMovieExportCommand::ProgressShown, Form.get(),
          [&](bool keyframes, int done, int total) {
            if (!keyframes || done < 1 || keyframesShown > 0) return;
            keyframesShown = done;
            EXPECT_EQ(total, 11);
            auto* progress = Form->findChild<QProgressDialog*>("MovieProgress");
            ASSERT_NE(progress, nullptr);
            EXPECT_EQ(progress->windowTitle(), "Export Zoom Movie");
            EXPECT_TRUE(progress->labelText().startsWith("Keyframe "))
                << progress->labelText().toStdString();
            for (QPushButton* button : progress->findChildren<QPushButton*>())
              if (button->text() == "Cancel") button->click();
          });
  TMovieSettings settings;
  settings.Width = 64;
  settings.Height = 48;
  settings.FramesPerSecond = 10;
  settings.ZoomPerSecond = 8;
  const std::string movie = dir.File("slow.mp4");
  EXPECT_FALSE(Form->MovieExport->ExportMovieFile(movie, settings));
  EXPECT_GE(keyframesShown, 1);
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_FALSE(std::filesystem::exists(movie));
  // The finished keyframes stay for the next export; none is half written.
  const std::vector<std::string> keys = FolderListing(dir.File("slow.keyframes"));
  EXPECT_GE(keys.size(), static_cast<size_t>(keyframesShown));
  EXPECT_LT(keys.size(), 11u);
  for (const std::string& key : keys) EXPECT_EQ(key.rfind("key-", 0), 0u) << key;
}
