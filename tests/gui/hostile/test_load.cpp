// The running program under load: many windows computing at once and closed while they
// compute, a storm of zoom clicks during a computation, a thousand windows opened and closed,
// and the deepest computation a user can ask for. Nothing crashes, the GUI thread stays free,
// closing does not wait for the computations (a close that waited would never return: these
// computations do not end), and the memory the windows hold is given back.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "engine/TMemoryBudget.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/support/wavetestsupport.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"

namespace {

void DeleteClosedWindows() {
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every pixel is c = -1.9 on the real axis, where the orbit neither escapes nor settles, and
// InnerDist 1e-300 sees no cycle: each pixel takes 2147483647 steps.
TFractProps Endless(int width, int height) {
  TFractProps p = WithArea(TFractProps(), -1.9, -1.9, 0, 0);
  p.XResolution.SetInt(width);
  p.YResolution.SetInt(height);
  p.MapField = TKernelParams::MapC;
  p.InnerDist.SetDouble(1e-300);
  p.MaxDepth.SetInt(2147483647);
  return p;
}

// A part of the main cardioid, where every orbit stays bounded: without cycle detection each
// pixel takes 2147483647 steps, so no computation here ends during a test.
TFractProps EndlessInside(int width, int height) {
  TFractProps p = WithArea(TFractProps(), -0.3, 0.0, 0.15, -0.15);
  p.XResolution.SetInt(width);
  p.YResolution.SetInt(height);
  p.MapField = TKernelParams::MapC;
  p.MaxCycle.SetInt(0);
  p.MaxDepth.SetInt(2147483647);
  return p;
}

// Runs the event loop once a queued call has come through: the GUI thread is free.
bool GuiThreadAnswers() {
  bool answered = false;
  QMetaObject::invokeMethod(qApp, [&answered] { answered = true; }, Qt::QueuedConnection);
  return WaitUntil([&answered] { return answered; });
}

}  // namespace

using GuiLoad = ExtrasFixture;

TEST_F(GuiLoad, DeepestComputationLeavesTheGuiThreadFreeAndClosesWithoutWaiting) {
  const uint64_t held = TMemoryBudget::Shared().Used();
  TMDIChildWave* child = AddWave(SmallMandelbrot(40, 30), {}, "", "/f/deep.zlf");
  auto ran = WhenDialog<TDlgFractal>([](TDlgFractal* dialog) {
    for (QLineEdit* edit : {dialog->editSelLeft, dialog->editSelRight}) edit->setText("-1.9");
    for (QLineEdit* edit : {dialog->editSelTop, dialog->editSelBottom}) edit->setText("0");
    dialog->editInnerDist->setText("0." + QString(299, u'0') + "1");
    dialog->editMaxDepth->setText("2147483647");
    dialog->OKBtn->click();
    // A refused field would keep the dialog open for ever.
    if (dialog->isVisible()) dialog->CancelBtn->click();
  });
  Form->FractProps->trigger();
  ASSERT_TRUE(*ran);
  ASSERT_EQ(child->GetParams().MaxDepth.GetInt(), 2147483647);

  for (int i = 0; i < 3; ++i) EXPECT_TRUE(GuiThreadAnswers());
  EXPECT_TRUE(child->GetView()->Computing());

  // The window was changed, so closing asks; it closes while its computation runs.
  Prompter.Answers = {TMsgResult::No};
  Form->FileClose->trigger();
  DeleteClosedWindows();
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
  EXPECT_EQ(Prompter.Messages.size(), 1u);
  EXPECT_EQ(TMemoryBudget::Shared().Used(), held);
}

TEST_F(GuiLoad, TwentyWindowsComputingCloseTogether) {
  const uint64_t held = TMemoryBudget::Shared().Used();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    for (int i = 0; i < 20; ++i) {
      const std::string name = "W" + std::to_string(i);
      AddWave(Endless(16, 12), {}, name, "/f/" + name + ".zlf")->StartComputation();
    }
    for (TMDIChildZenolith* child : Form->Workspace->ChildWindows())
      EXPECT_TRUE(static_cast<TMDIChildWave*>(child)->GetView()->Computing());
    EXPECT_GT(TMemoryBudget::Shared().Used(), held);

    EXPECT_TRUE(Form->Project->CloseAllWindows());
    DeleteClosedWindows();
    EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
    EXPECT_TRUE(Prompter.Messages.empty());
    EXPECT_EQ(TMemoryBudget::Shared().Used(), held);
  }
}

TEST_F(GuiLoad, ThousandZoomClicksDuringComputationsEndInTheRightPicture) {
  TMDIChildWave* child = AddWave(EndlessInside(160, 120), {}, "", "/f/zoom.zlf");
  TViewWave* view = child->GetView();
  child->StartComputation();
  child->SetMouseMode(mmZoomIn);
  const QPoint at(view->width() / 3, view->height() / 3);
  const TFractProps start = child->GetParams();

  // Zoom in, turn to zoom out with a right click, zoom out at the same point, turn back.
  int whileComputing = 0;
  for (int i = 0; i < 1000; ++i) {
    whileComputing += view->Computing();
    Click(view, at);
    Click(view, at, Qt::RightButton);
  }
  EXPECT_EQ(whileComputing, 1000);
  EXPECT_EQ(child->GetMouseMode(), mmZoomIn);

  // An even number of zooms returns to the start, up to rounding.
  const TFractProps now = child->GetParams();
  EXPECT_NEAR(now.Left.GetDouble(), start.Left.GetDouble(), 1e-9);
  EXPECT_NEAR(now.Right.GetDouble(), start.Right.GetDouble(), 1e-9);
  EXPECT_NEAR(now.Top.GetDouble(), start.Top.GetDouble(), 1e-9);
  EXPECT_NEAR(now.Bottom.GetDouble(), start.Bottom.GetDouble(), 1e-9);

  // The window still computes a picture that ends, and it is the right one.
  TFractProps finite = now;
  finite.MaxDepth.SetInt(200);
  child->SetParams(finite);
  child->StartComputation();
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(DifferentFromEngine(child), 0);
}

TEST_F(GuiLoad, ThousandWindowsOpenedAndClosedLeaveNothingBehind) {
  TScratchDir dir("gui_load");
  const std::string path = dir.File("small.zlf");
  ASSERT_TRUE(TUnitFract().SaveAs(path, TStoredFractal(SmallMandelbrot(12, 8), {})));
  const uint64_t held = TMemoryBudget::Shared().Used();
  for (int i = 0; i < 1000; ++i) {
    ASSERT_NE(Form->Fractal->OpenFractalFile(path), nullptr);
    // Closed at once, while it computes.
    Form->FileClose->trigger();
    DeleteClosedWindows();
  }
  // Gone for good, not only hidden.
  EXPECT_EQ(Form->Workspace->findChildren<QMdiSubWindow*>().size(), 0);
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(TMemoryBudget::Shared().Used(), held);
}
