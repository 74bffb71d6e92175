// The running program under load: many windows computing at once and closed while they
// compute, a storm of zoom clicks during a computation, a thousand windows opened and closed,
// and the deepest computation a user can ask for. Nothing crashes, the GUI thread stays free,
// closing is immediate and the heap comes back to where it was.
#include <malloc.h>

#include <algorithm>

#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "gui/TDlgFractal.h"
#include "wavetestsupport.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Their allocators keep freed blocks in quarantine and glibc sees none of them; there the
// leak checker is the judge.
constexpr bool HeapMeasured = false;
#else
constexpr bool HeapMeasured = true;
#endif

// Bytes the C heap hands out, small blocks and mapped ones alike.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void ExpectHeapBack(size_t before, size_t tolerance) {
  if (!HeapMeasured) return;
  const size_t after = HeapInUse();
  EXPECT_LT(after, before + tolerance) << "heap grew from " << before << " to " << after;
}

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
  p.MapField = TFractProps::MapC;
  p.InnerDist.SetDouble(1e-300);
  p.MaxDepth.SetInt(2147483647);
  return p;
}

}  // namespace

using GuiLoad = ExtrasFixture;

TEST_F(GuiLoad, DeepestComputationKeepsTheGuiTickingAndClosesAtOnce) {
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

  // A timer of 10 ms keeps ticking while the workers run flat out.
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longestGap = 0;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longestGap = std::max(longestGap, now - last);
    last = now;
    ++ticks;
  });
  clock.start();
  timer.start(10);
  QTest::qWait(1000);
  timer.stop();
  EXPECT_TRUE(child->GetView()->Computing());
  EXPECT_GT(ticks, 20);
  EXPECT_LT(longestGap, 300);

  // The window was changed, so closing asks; it closes at once.
  Prompter.Answers = {TMsgResult::No};
  clock.restart();
  Form->FileClose->trigger();
  DeleteClosedWindows();
  EXPECT_LT(clock.elapsed(), 2000);
  EXPECT_TRUE(Form->ChildWindows().empty());
  EXPECT_EQ(Prompter.Messages.size(), 1u);
}

TEST_F(GuiLoad, TwentyWindowsComputingCloseAtOnce) {
  size_t heap = 0;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    for (int i = 0; i < 20; ++i) {
      const std::string name = "W" + std::to_string(i);
      AddWave(Endless(16, 12), {}, name, "/f/" + name + ".zlf")->StartComputation();
    }
    QTest::qWait(100);
    for (TMDIChildZenolith* child : Form->ChildWindows())
      EXPECT_TRUE(static_cast<TMDIChildWave*>(child)->GetView()->Computing());

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(Form->CloseAllWindows());
    DeleteClosedWindows();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(Form->ChildWindows().empty());
    EXPECT_TRUE(Prompter.Messages.empty());
    // The first round warms up what Qt keeps for the run.
    if (round == 0) heap = HeapInUse();
  }
  ExpectHeapBack(heap, 1 << 20);
}

TEST_F(GuiLoad, ThousandZoomClicksDuringAComputationEndInTheRightPicture) {
  TFractProps params = SmallMandelbrot(160, 120);
  params.MaxDepth.SetInt(4000);
  params.MaxCycle.SetInt(0);
  TMDIChildWave* child = AddWave(params, {}, "", "/f/zoom.zlf");
  TViewWave* view = child->GetView();
  child->StartComputation();
  child->SetMouseMode(mmZoomIn);
  const QPoint at(view->width() / 3, view->height() / 3);

  // Zoom in, turn to zoom out with a right click, zoom out at the same point, turn back.
  int whileComputing = 0;
  const auto clicks = [&](int zooms) {
    for (int i = 0; i < zooms; ++i) {
      whileComputing += view->Computing();
      Click(view, at);
      Click(view, at, Qt::RightButton);
    }
  };
  // The undo history fills up (it keeps a hundred steps) before the heap is measured.
  clicks(200);
  ASSERT_TRUE(WaitForPicture(view));
  const size_t heap = HeapInUse();
  whileComputing = 0;
  clicks(1000);
  EXPECT_GT(whileComputing, 900);
  EXPECT_EQ(child->GetMouseMode(), mmZoomIn);

  // An even number of zooms returns to the start, up to rounding.
  const TFractProps now = child->GetParams();
  EXPECT_NEAR(now.Left.GetDouble(), -2.2, 1e-9);
  EXPECT_NEAR(now.Right.GetDouble(), 0.8, 1e-9);
  EXPECT_NEAR(now.Top.GetDouble(), 1.2, 1e-9);
  EXPECT_NEAR(now.Bottom.GetDouble(), -1.2, 1e-9);
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(DifferentFromEngine(child), 0);
  ExpectHeapBack(heap, 1 << 20);
}

TEST_F(GuiLoad, ThousandWindowsOpenedAndClosedLeaveNothingBehind) {
  TScratchDir dir("gui_load");
  const std::string path = dir.File("small.zlf");
  ASSERT_TRUE(TUnitFract().SaveAs(path, TStoredFractal(SmallMandelbrot(12, 8), {})));
  const auto openAndClose = [&](int times) {
    for (int i = 0; i < times; ++i) {
      ASSERT_NE(Form->OpenFractalFile(path), nullptr);
      // Closed at once, while it computes.
      Form->FileClose->trigger();
      DeleteClosedWindows();
    }
  };
  openAndClose(50);
  const size_t heap = HeapInUse();
  QElapsedTimer clock;
  clock.start();
  openAndClose(1000);
  // Gone for good, not only hidden.
  EXPECT_EQ(Form->MdiArea->findChildren<QMdiSubWindow*>().size(), 0);
  EXPECT_TRUE(Prompter.Messages.empty());
  ExpectHeapBack(heap, 1 << 20);
  RecordProperty("milliseconds", static_cast<int>(clock.elapsed()));
}
