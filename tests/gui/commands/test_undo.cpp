// Undo and redo: the orbit journal, the history and its saved state, and the Edit menu on
// real fractal windows.
#include "engine/TKernelParams.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/dialogs/TDlgVoldViewProps.h"
#include "gui/support/wavetestsupport.h"
#include "gui/view/TOrbitJournal.h"
#include "gui/view/TUndoHistory.h"
#include "render/TDrawPointsList.h"
#include "support/formulaids.h"

namespace {

// Everything a list holds, in order: per orbit its points, constants, mark and the position of
// its ring link (-1 none).
struct TOrbitDump {
  std::vector<std::pair<double, double>> Points;
  double CR, CI, DR, DI;
  bool Mark;
  int Link;
  bool operator==(const TOrbitDump&) const = default;
};

std::vector<TOrbitDump> Dump(const TDrawPointsList& list) {
  std::vector<const TStartDrawPoint*> orbits;
  for (const TStartDrawPoint* o = list.GetHead(); o; o = o->GetNextOrbit()) orbits.push_back(o);
  std::vector<TOrbitDump> dump;
  for (const TStartDrawPoint* o : orbits) {
    TOrbitDump d{{}, o->C().re, o->C().im, o->D().re, o->D().im, o->GetMark(), -1};
    for (const TDrawPoint* p = o->GetFirst(); p; p = p->GetNext())
      d.Points.emplace_back(p->X(), p->Y());
    for (size_t i = 0; i < orbits.size(); ++i)
      if (orbits[i] == o->GetRingLink()) d.Link = static_cast<int>(i);
    dump.push_back(d);
  }
  return dump;
}

TViewState StateWithLeft(double left, bool unchanged, int orbitSteps = 0) {
  TFractProps params;
  params.Left.SetDouble(left);
  std::vector<TOrbitStep> steps(static_cast<size_t>(orbitSteps));
  return TViewState(params, TVoldViewProps(), steps, false, unchanged);
}

double LeftOf(const TViewState& state) { return state.Params().Left.GetDouble(); }

struct TArea {
  double Left, Right, Top, Bottom;
  bool operator==(const TArea&) const = default;
};

TArea AreaOf(const TMDIChildWave* child) {
  const TFractProps p = child->GetParams();
  return {p.Left.GetDouble(), p.Right.GetDouble(), p.Top.GetDouble(), p.Bottom.GetDouble()};
}

}  // namespace

TEST(OrbitJournal, ReplayRebuildsEveryPointConstantMarkAndLink) {
  TKernelParams mapC;
  mapC.MapField = TKernelParams::MapC;
  TKernelParams mapD;
  mapD.MapField = TKernelParams::MapD;
  mapD.Formula = formula::ZNDZM;
  mapD.N = 4;
  mapD.M = 2;
  mapD.CR = 0.31;
  mapD.CI = -0.17;

  TDrawPointsList list;
  TOrbitJournal journal;
  journal.AddOrbit(list, 0.1, 0.2, false, mapC);
  journal.AddOrbit(list, -0.5, 0.4, true, mapD);
  EXPECT_TRUE(journal.AddNextPoints(list, mapC));
  journal.AddOrbit(list, 0.25, -0.1, true, mapC);
  // A later step with another formula and other exponents than the first.
  EXPECT_TRUE(journal.AddNextPoints(list, mapD));
  EXPECT_TRUE(journal.Group(list));
  // An orbit whose first step overflows keeps its single point.
  journal.AddOrbit(list, 1e200, 0.0, false, mapC);
  EXPECT_TRUE(journal.AddNextPoints(list, mapC));
  ASSERT_EQ(list.GetHead()->Length(), 1);
  ASSERT_EQ(list.Count(), 4);

  TDrawPointsList copy;
  TOrbitJournal copyJournal;
  copyJournal.Restore(copy, journal.Steps());
  EXPECT_TRUE(Dump(copy) == Dump(list));
  EXPECT_TRUE(copyJournal.Steps() == journal.Steps());
  // The ring: newest of the grouped run -> older marked -> back to the newest.
  const std::vector<TOrbitDump> dump = Dump(copy);
  EXPECT_EQ(dump[1].Link, 2);
  EXPECT_EQ(dump[2].Link, 1);
  EXPECT_EQ(dump[3].Link, -1);
  // Restoring over a list that holds other orbits replaces them.
  copyJournal.Restore(copy, std::vector<TOrbitStep>(journal.Steps().begin(),
                                                    journal.Steps().begin() + 2));
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.GetHead()->Length(), 1);
}

TEST(OrbitJournal, StepsThatChangeNothingAreNotKept) {
  TDrawPointsList list;
  TOrbitJournal journal;
  EXPECT_FALSE(journal.AddNextPoints(list, TKernelParams()));
  EXPECT_FALSE(journal.Group(list));
  EXPECT_TRUE(journal.Steps().empty());
  // A single unmarked orbit forms no ring.
  journal.AddOrbit(list, 0.1, 0.1, false, TKernelParams());
  EXPECT_FALSE(journal.Group(list));
  // Only orbits that overflow: no point is added.
  journal.Clear(list);
  journal.AddOrbit(list, 1e200, 1e200, false, TKernelParams());
  EXPECT_FALSE(journal.AddNextPoints(list, TKernelParams()));
  EXPECT_EQ(journal.Steps().size(), 1u);
  journal.Clear(list);
  EXPECT_TRUE(list.Empty());
  EXPECT_TRUE(journal.Steps().empty());
}

TEST(UndoHistory, UndoAndRedoWalkTheChangesAndANewChangeForgetsRedo) {
  TUndoHistory history;
  EXPECT_TRUE(history.Empty());
  history.Record(StateWithLeft(1, false));
  history.Record(StateWithLeft(2, false));
  EXPECT_EQ(LeftOf(history.Undo(StateWithLeft(3, false))), 2);
  EXPECT_EQ(LeftOf(history.Undo(StateWithLeft(2, false))), 1);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.RedoCount(), 2u);
  EXPECT_EQ(LeftOf(history.Redo(StateWithLeft(1, false))), 2);
  EXPECT_TRUE(history.CanUndo());
  EXPECT_TRUE(history.CanRedo());
  // A change made now forgets what could be redone.
  history.Record(StateWithLeft(2, false));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(LeftOf(history.Undo(StateWithLeft(4, false))), 2);
  EXPECT_EQ(LeftOf(history.Undo(StateWithLeft(2, false))), 1);
  history.Clear();
  EXPECT_TRUE(history.Empty());
}

TEST(UndoHistory, KnowsTheSavedStateFromStatesHandedInWhileUnchanged) {
  TUndoHistory history;
  EXPECT_FALSE(history.IsSavedState(StateWithLeft(1, true)));
  // Opened as 1 and unchanged, then changed to 2.
  history.Record(StateWithLeft(1, true));
  EXPECT_TRUE(history.IsSavedState(StateWithLeft(1, false)));
  EXPECT_FALSE(history.IsSavedState(StateWithLeft(2, false)));
  // Orbits are not saved: a state that differs only in them stores alike.
  EXPECT_TRUE(history.IsSavedState(StateWithLeft(1, false, 3)));
  // 2 was saved; undoing to 1 leaves the saved state behind.
  const TViewState back = history.Undo(StateWithLeft(2, true));
  EXPECT_FALSE(history.IsSavedState(back));
  EXPECT_TRUE(history.IsSavedState(StateWithLeft(2, false)));
  // Clearing the steps keeps what was saved.
  history.Clear();
  EXPECT_TRUE(history.IsSavedState(StateWithLeft(2, false)));
}

TEST(UndoHistory, KeepsTheLatestHundredSteps) {
  TUndoHistory history;
  for (int i = 0; i < 105; ++i) history.Record(StateWithLeft(i, false));
  EXPECT_EQ(history.UndoCount(), TUndoHistory::MaxSteps);
  double left = 0;
  while (history.CanUndo()) left = LeftOf(history.Undo(StateWithLeft(-1, false)));
  EXPECT_EQ(left, 5);
}

TEST(ViewState, ComparesWhatAFileStoresAndTheOrbits) {
  TFractProps params;
  TVoldViewProps colours;
  const TViewState base(params, colours, {}, false, true);
  TFractProps otherMode = params;
  otherMode.ColorMode = TKernelParams::ColorDiscontinue;
  TVoldViewProps otherColours = colours;
  otherColours.PalOutside.SetColorBefore(0x123456);
  TOrbitStep start;
  start.X = 0.5;

  const TViewState sameButUnsaved(params, colours, {}, false, false);
  EXPECT_TRUE(base == sameButUnsaved);
  const TViewState mode(otherMode, colours, {}, false, true);
  EXPECT_FALSE(mode.SameParams(base));
  const TViewState palette(params, otherColours, {}, false, true);
  EXPECT_TRUE(palette.SameParams(base));
  EXPECT_FALSE(palette.SameViewProps(base));
  const TViewState orbit(params, colours, {start}, false, true);
  EXPECT_TRUE(orbit.SameFile(base));
  EXPECT_FALSE(orbit == base);
  const TViewState grouping(params, colours, {}, true, true);
  EXPECT_FALSE(grouping.SameOrbits(base));
}

class Undo : public ExtrasFixture {
protected:
  // A window on a copy of the fixture fractal, its view width x height pixels.
  TMDIChildWave* OpenSized(int width, int height) {
    TMDIChildWave* child = OpenCopy(Dir, "m.zlf");
    if (child) SetViewSize(child, width, height);
    return child;
  }

  TScratchDir Dir{"extras_undo"};
};

TEST_F(Undo, UndoAfterZoomRestoresTheExactAreaAndTheSavedState) {
  TMDIChildWave* child = OpenSized(200, 160);
  ASSERT_NE(child, nullptr);
  TViewWave* view = child->GetView();
  ASSERT_TRUE(WaitForPicture(view));
  const TArea opened = AreaOf(child);
  const std::string openedColours = Xml(child->GetViewProps());

  child->SetMouseMode(mmZoomIn);
  Click(view, QPoint(70, 50));
  const TArea first = AreaOf(child);
  Click(view, QPoint(120, 90));
  const TArea second = AreaOf(child);
  ASSERT_FALSE(first == opened);
  ASSERT_FALSE(second == first);
  ASSERT_TRUE(child->GetUnitFract()->Modified());
  EXPECT_TRUE(Form->Undo->isEnabled());
  EXPECT_FALSE(Form->Redo->isEnabled());
  EXPECT_TRUE(Form->DeleteUndo->isEnabled());

  Form->Undo->trigger();
  EXPECT_TRUE(AreaOf(child) == first);
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  Form->Undo->trigger();
  EXPECT_TRUE(AreaOf(child) == opened);
  EXPECT_EQ(Xml(child->GetViewProps()), openedColours);
  // Back to what the file holds: nothing to save.
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  EXPECT_FALSE(Form->Undo->isEnabled());
  EXPECT_TRUE(Form->Redo->isEnabled());
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(DifferentFromEngine(child), 0);

  Form->Redo->trigger();
  EXPECT_TRUE(AreaOf(child) == first);
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  // The keys do the same.
  for (const auto& [key, area] : {std::pair{Qt::Key_Y, second}, std::pair{Qt::Key_Z, first}}) {
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : Form.get();
    QTest::keyClick(focus, key, Qt::ControlModifier);
    EXPECT_TRUE(AreaOf(child) == area);
  }
  ASSERT_TRUE(WaitForPicture(view));
}

TEST_F(Undo, SavingMovesTheSavedStateAndAChangeForgetsRedo) {
  TMDIChildWave* child = OpenSized(200, 160);
  ASSERT_NE(child, nullptr);
  TViewWave* view = child->GetView();
  child->SetMouseMode(mmZoomOut);
  Click(view, QPoint(100, 80));
  const TArea zoomed = AreaOf(child);
  Form->FileSave->trigger();
  ASSERT_FALSE(child->GetUnitFract()->Modified());

  // The file now holds the zoomed area: going back is a change, coming forward is not.
  Form->Undo->trigger();
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  Form->Redo->trigger();
  EXPECT_TRUE(AreaOf(child) == zoomed);
  EXPECT_FALSE(child->GetUnitFract()->Modified());

  Form->Undo->trigger();
  child->SetMouseMode(mmZoomIn);
  Click(view, QPoint(30, 30));
  EXPECT_FALSE(Form->Redo->isEnabled());
  EXPECT_TRUE(Form->Undo->isEnabled());

  Form->DeleteUndo->trigger();
  EXPECT_TRUE(view->GetHistory().Empty());
  EXPECT_FALSE(Form->Undo->isEnabled());
  EXPECT_FALSE(Form->DeleteUndo->isEnabled());
  ASSERT_TRUE(WaitForPicture(view));
}

TEST_F(Undo, ColouringUndoRepaintsWithoutComputingAgain) {
  TMDIChildWave* child = ComputedWave(SmallMandelbrot(), {}, 0, 0, "C", "/f/c.zlf");
  TViewWave* view = child->GetView();
  const std::string colours = Xml(child->GetViewProps());
  const TPixelBuffer picture = view->GetSurface();
  WhenDialog<TDlgVoldViewProps>([](TDlgVoldViewProps* dialog) {
    dialog->editStrengthOutside->setText("0.5");
    dialog->OKBtn->click();
  });
  Form->ViewVold->trigger();
  ASSERT_TRUE(WaitForRepaint(view));
  ASSERT_NE(DifferentPixels(view->GetSurface(), picture), 0);
  ASSERT_TRUE(child->GetUnitFract()->Modified());
  const TFractArray* array = view->GetFractArray();

  Form->Undo->trigger();
  EXPECT_EQ(Xml(child->GetViewProps()), colours);
  EXPECT_EQ(view->GetFractArray(), array);
  EXPECT_FALSE(view->Computing());
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  ASSERT_TRUE(WaitForRepaint(view));
  EXPECT_EQ(DifferentPixels(view->GetSurface(), picture), 0);

  // A dialog confirmed without a change leaves nothing to undo.
  view->GetHistory().Clear();
  WhenDialog<TDlgVoldViewProps>([](TDlgVoldViewProps* dialog) { dialog->OKBtn->click(); });
  Form->ViewVold->trigger();
  EXPECT_TRUE(view->GetHistory().Empty());
}

TEST_F(Undo, OrbitCommandsAreUndoneOneByOne) {
  TMDIChildWave* child = ComputedWave(SmallMandelbrot(), {}, 200, 160, "O", "/f/o.zlf");
  TViewWave* view = child->GetView();
  const TPixelBuffer plain = view->GetSurface();

  Form->DrawPoints->trigger();
  Form->GroupAsPolynoom->trigger();
  Click(view, QPoint(50, 40));
  Click(view, QPoint(150, 120));
  Form->AddNextPoints->trigger();
  Form->GroupAsPolynoom->trigger();
  const std::vector<TOrbitDump> full = Dump(view->GetDrawPoints());
  ASSERT_EQ(full.size(), 2u);
  ASSERT_EQ(full[0].Link, 1);
  const TPixelBuffer withOrbits = view->GetSurface();
  Form->RemovePoints->trigger();
  ASSERT_TRUE(view->GetDrawPoints().Empty());

  struct TExpect {
    int Orbits;
    int NewestLength;
    bool Ringed;
    bool Grouping;
  };
  // After each undo, newest change first: remove, group, next points, two clicks, grouping on.
  const TExpect steps[] = {{2, 2, true, false}, {2, 2, false, true}, {2, 1, false, true},
                           {1, 1, false, true}, {0, 0, false, true}, {0, 0, false, false}};
  for (const TExpect& e : steps) {
    SCOPED_TRACE(&e - steps);
    ASSERT_TRUE(view->GetHistory().CanUndo());
    Form->Undo->trigger();
    EXPECT_EQ(view->GetDrawPoints().Count(), e.Orbits);
    if (e.Orbits > 0) {
      EXPECT_EQ(view->GetDrawPoints().GetHead()->Length(), e.NewestLength);
      EXPECT_EQ(view->GetDrawPoints().GetHead()->GetRingLink() != nullptr, e.Ringed);
    }
    EXPECT_EQ(view->GetGroupPoints(), e.Grouping);
    // Orbits are not stored in the file: the document stays unchanged.
    EXPECT_FALSE(child->GetUnitFract()->Modified());
    ASSERT_TRUE(WaitForRepaint(view));
    if (&e == steps) {
      EXPECT_EQ(DifferentPixels(view->GetSurface(), withOrbits), 0);
    }
  }
  EXPECT_FALSE(view->GetHistory().CanUndo());
  EXPECT_EQ(DifferentPixels(view->GetSurface(), plain), 0);

  for (int i = 0; i < 5; ++i) Form->Redo->trigger();
  EXPECT_TRUE(Dump(view->GetDrawPoints()) == full);
  EXPECT_FALSE(view->GetGroupPoints());
  ASSERT_TRUE(WaitForRepaint(view));
  EXPECT_EQ(DifferentPixels(view->GetSurface(), withOrbits), 0);
}

TEST_F(Undo, PropertiesAndRevertAreUndoneAndEachWindowHasItsOwnHistory) {
  TMDIChildWave* child = OpenCopy(Dir, "m.zlf");
  ASSERT_NE(child, nullptr);
  const int depth = child->GetParams().MaxDepth.GetInt();
  WhenDialog<TDlgFractal>([](TDlgFractal* dialog) {
    dialog->editMaxDepth->setText("31");
    dialog->OKBtn->click();
  });
  Form->FractProps->trigger();
  ASSERT_EQ(child->GetParams().MaxDepth.GetInt(), 31);
  Form->FileRevert->trigger();
  ASSERT_EQ(child->GetParams().MaxDepth.GetInt(), depth);
  ASSERT_FALSE(child->GetUnitFract()->Modified());

  // Another window knows nothing of these steps.
  Form->DuplicateWave->trigger();
  TMDIChildWave* copy = Form->Workspace->ActiveWaveWindow();
  ASSERT_NE(copy, child);
  EXPECT_FALSE(Form->Undo->isEnabled());
  Form->Undo->trigger();
  EXPECT_EQ(copy->GetParams().MaxDepth.GetInt(), depth);

  Form->Workspace->setActiveSubWindow(child);
  QApplication::processEvents();
  ASSERT_EQ(Form->Workspace->ActiveWaveWindow(), child);
  Form->Undo->trigger();
  EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 31);
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  Form->Undo->trigger();
  EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), depth);
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  ASSERT_TRUE(WaitForPicture(child->GetView()));
  ASSERT_TRUE(WaitForPicture(copy->GetView()));
}
