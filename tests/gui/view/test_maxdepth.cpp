// Auto Max Depth: the option in the Fractal menu and the settings, the raise after a zoom and
// its undo, views it leaves alone, and the hint of a picture mostly at Max Depth.
#include <string>

#include <QLabel>
#include <QMenu>
#include <QSettings>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/support/wavetestsupport.h"

namespace {

// The Mandelbrot set around the Misiurewicz point c = i, `width` wide, without a cycle test:
// a boundary point at every scale, whose detail needs more steps the deeper the view.
TFractProps AroundI(double width, int maxDepth) {
  const double half = width / 2;
  TFractProps p = WithArea(TFractProps(), -half, half, 1 + half, 1 - half);
  p.MapField = TKernelParams::MapC;
  p.XResolution.SetInt(64);
  p.YResolution.SetInt(64);
  p.MaxDepth.SetInt(maxDepth);
  p.MaxCycle.SetInt(0);
  return p;
}

// Inside the main cardioid of the Mandelbrot set: every point stays, none escapes.
TFractProps Interior(int maxCycle) {
  TFractProps p = WithArea(AroundI(1, 50), -0.15, -0.05, 0.05, -0.05);
  p.MaxCycle.SetInt(maxCycle);
  return p;
}

// Pixels of `params` that reach MaxDepth, computed by the engine alone.
int PixelsAtLimit(const TFractProps& params) {
  const TKernelParams k = params.KernelParams();
  TFractArray array(k.XResolution, k.YResolution);
  EXPECT_TRUE(ComputeBand(k, array, TBand{0, 0, k.XResolution, k.YResolution}, k.XResolution));
  int count = 0;
  for (int x = 0; x < k.XResolution; ++x)
    for (int y = 0; y < k.YResolution; ++y)
      count += array.GetDepth(x, y) == 0 && array.GetCycle(x, y) == 0;
  return count;
}

}  // namespace

class AutoMaxDepth : public ExtrasFixture {
protected:
  // Switches the option through its menu entry, as the user does.
  void Switch() {
    ASSERT_TRUE(Form->MenuFractal->actions().contains(Form->AutoMaxDepth));
    ASSERT_TRUE(Form->AutoMaxDepth->isEnabled());
    Form->AutoMaxDepth->trigger();
    QApplication::processEvents();
  }

  // A window of `params` on a 64 x 64 view, computed, and its document unchanged.
  TMDIChildWave* Window(const TFractProps& params, const std::string& name) {
    TMDIChildWave* child = ComputedWave(params, {}, 64, 64, name, "/tmp/" + name + ".zlf");
    child->ClearModified();
    return child;
  }

  TScratchDir Dir{"extras_maxdepth"};
};

TEST_F(AutoMaxDepth, IsOffAtFirstKeptBetweenRunsAndNeverInAFractalFile) {
  EXPECT_TRUE(Form->AutoMaxDepth->isCheckable());
  EXPECT_FALSE(Form->AutoMaxDepth->isChecked());
  EXPECT_EQ(Form->AutoMaxDepth->text(), "Auto Max Depth");
  TMDIChildWave* first = Window(AroundI(1e-3, 16), "first");
  EXPECT_FALSE(first->GetView()->GetAutoMaxDepth());
  const std::string off = Dir.File("off.zlf");
  Prompter.SaveAnswers = {off};
  Form->FileSaveAs->trigger();

  Switch();
  EXPECT_TRUE(Form->AutoMaxDepth->isChecked());
  EXPECT_TRUE(first->GetView()->GetAutoMaxDepth());
  const std::string on = Dir.File("on.zlf");
  Prompter.SaveAnswers = {on};
  Form->FileSaveAs->trigger();
  ASSERT_FALSE(FileBytes(off).empty());
  EXPECT_EQ(FileBytes(on), FileBytes(off));
  EXPECT_TRUE(QSettings(TRecentFiles::SettingsFile, QSettings::IniFormat)
                  .value("AutoMaxDepth")
                  .toBool());

  // A new run: the option is on from the start, for every window it opens.
  Restart();
  EXPECT_TRUE(Form->AutoMaxDepth->isChecked());
  TMDIChildWave* later = Window(AroundI(1e-3, 16), "later");
  EXPECT_TRUE(later->GetView()->GetAutoMaxDepth());
  // Without windows the command is off, and the option stays as it is.
  later->CloseWithoutQuery();
  QApplication::processEvents();
  EXPECT_FALSE(Form->AutoMaxDepth->isEnabled());
  EXPECT_TRUE(Form->AutoMaxDepth->isChecked());
  TMDIChildWave* again = Window(AroundI(1e-3, 16), "again");
  EXPECT_TRUE(again->GetView()->GetAutoMaxDepth());
  Switch();
  EXPECT_FALSE(Form->AutoMaxDepth->isChecked());
  EXPECT_FALSE(again->GetView()->GetAutoMaxDepth());
  Restart();
  EXPECT_FALSE(Form->AutoMaxDepth->isChecked());
}

TEST_F(AutoMaxDepth, AZoomRaisesMaxDepthForTheDetailAndUndoTakesBothBack) {
  // The seahorse valley, where the escapes slow down towards -0.75 and the bulbs on either side
  // are interior.
  TMDIChildWave* child = Window(WithArea(AroundI(1, 24), -0.8, -0.7, 0.2, 0.1), "valley");
  TViewWave* view = child->GetView();
  Switch();
  const TFractProps opened = child->GetParams();
  child->SetMouseMode(mmZoomIn);
  Press(view, QPoint(32, 32));
  // The zoom itself keeps Max Depth; the raises follow its picture.
  EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 24);
  ASSERT_TRUE(WaitForPicture(view));
  const TFractProps zoomed = child->GetParams();
  EXPECT_NEAR(zoomed.Right.GetDouble() - zoomed.Left.GetDouble(), 0.05, 1e-15);
  // Raised and looked at again, until the pixels left at the limit are mostly interior: before
  // the most raises a zoom may make.
  const int depth = zoomed.MaxDepth.GetInt();
  int raises = 0;
  while (raises < TViewWave::AutoMaxDepthRaises && 24 << raises < depth) ++raises;
  EXPECT_EQ(depth, 24 << raises);
  EXPECT_GE(raises, 2);
  EXPECT_LT(raises, TViewWave::AutoMaxDepthRaises);
  // The raise shows detail that the limit hid, and the picture is that of the new limit.
  TFractProps unraised = zoomed;
  unraised.MaxDepth.SetInt(24);
  EXPECT_LT(PixelsAtLimit(zoomed), PixelsAtLimit(unraised));
  EXPECT_EQ(DifferentFromEngine(child), 0);
  // One change, marked as any zoom is.
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  EXPECT_EQ(view->GetHistory().UndoCount(), 1u);

  // Undo gives back the area and the Max Depth before the zoom, and raises nothing.
  Form->Undo->trigger();
  EXPECT_EQ(Xml(child->GetParams()), Xml(opened));
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 24);
  // Redo gives the zoom as it ended.
  Form->Redo->trigger();
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(Xml(child->GetParams()), Xml(zoomed));
  EXPECT_EQ(view->GetHistory().UndoCount(), 1u);
}

TEST_F(AutoMaxDepth, OnlyZoomsRaiseIt) {
  // Switched off, a zoom keeps Max Depth.
  TMDIChildWave* off = Window(AroundI(1e-3, 16), "off");
  off->SetMouseMode(mmZoomIn);
  Press(off->GetView(), QPoint(32, 32));
  ASSERT_TRUE(WaitForPicture(off->GetView()));
  EXPECT_EQ(off->GetParams().MaxDepth.GetInt(), 16);
  Switch();
  // A file opens as it was saved.
  const std::string path = Dir.File("low.zlf");
  std::string errorText;
  ASSERT_TRUE(WriteFractalFile(path, TStoredFractal(AroundI(5e-4, 16), {}), errorText))
      << errorText;
  ASSERT_NE(Form->Fractal->OpenFractalFile(path), nullptr);
  TMDIChildWave* opened = Form->Workspace->ActiveWaveWindow();
  ASSERT_TRUE(WaitForPicture(opened->GetView()));
  EXPECT_EQ(opened->GetParams().MaxDepth.GetInt(), 16);
  // New properties are taken as they are.
  auto ran = WhenDialog<TDlgFractal>([](TDlgFractal* dialog) {
    dialog->editMaxDepth->setText("17");
    dialog->OKBtn->click();
  });
  Form->FractProps->trigger();
  EXPECT_TRUE(*ran);
  ASSERT_TRUE(WaitForPicture(opened->GetView()));
  EXPECT_EQ(opened->GetParams().MaxDepth.GetInt(), 17);
  // A zoom out is a zoom too.
  opened->SetMouseMode(mmZoomOut);
  Press(opened->GetView(), QPoint(32, 32));
  ASSERT_TRUE(WaitForPicture(opened->GetView()));
  EXPECT_GT(opened->GetParams().MaxDepth.GetInt(), 17);
}

TEST_F(AutoMaxDepth, ViewsOfInteriorKeepTheirMaxDepthAndSayWhy) {
  const QString hint = QString::fromLatin1(TViewWave::MostAtMaxDepth);
  EXPECT_EQ(hint.toStdString(),
            "Most of the picture reached Max Depth or a cycle. Raise Max Depth in Fractal "
            "Properties, or switch on Auto Max Depth.");
  QLabel* panel = Form->StatusPanel(0);
  // A picture of escapes says nothing, whatever the option.
  Window(AroundI(1e-3, 200), "escapes");
  EXPECT_EQ(panel->text().toStdString(), "");

  // Points that reach the limit, and points in cycles, both count; the option need not be on.
  for (const int maxCycle : {0, 3}) {
    SCOPED_TRACE(maxCycle);
    panel->clear();
    TMDIChildWave* child = Window(Interior(maxCycle), "inside" + std::to_string(maxCycle));
    EXPECT_EQ(panel->text(), hint) << panel->text().toStdString();
    EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 50);
  }

  // With the option on, a zoom into interior does not raise Max Depth for ever: not at all.
  Switch();
  TMDIChildWave* child = Window(Interior(0), "zoomed");
  panel->clear();
  child->SetMouseMode(mmZoomIn);
  Press(child->GetView(), QPoint(32, 32));
  ASSERT_TRUE(WaitForPicture(child->GetView()));
  EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 50);
  EXPECT_EQ(panel->text(), hint) << panel->text().toStdString();

  // A window in the background does not speak over the active one.
  TMDIChildWave* behind = AddWave(Interior(0), {}, "behind");
  Window(AroundI(1e-3, 200), "front");
  panel->clear();
  behind->StartComputation();
  ASSERT_TRUE(WaitForPicture(behind->GetView()));
  EXPECT_EQ(panel->text().toStdString(), "");
}
