// The fractal child window: its look, mouse modes, the close question, stopping its work, and
// the values it gives to and takes from a project and a fractal file.
#include <QLabel>

#include "document/TProjectGeometry.h"
#include "document/TStoredFractal.h"
#include "gui/support/wavetestsupport.h"
#include "support/formulaids.h"

using ChildWave = WaveFixture;

TEST_F(ChildWave, NewWindowLooksAndStartsAsDescribed) {
  // Room for the whole window: a smaller frame cuts it to what it shows.
  Form->resize(900, 700);
  TMDIChildWave* child = AddWave(TFractProps(), TVoldViewProps(), "A", "/f/a.zlf");
  EXPECT_EQ(child->size(), QSize(328, 418));
  EXPECT_EQ(child->GetMouseMode(), mmNone);
  EXPECT_EQ(child->GetView()->SelectionSize, 0.5);
  EXPECT_FALSE(child->windowIcon().isNull());
  EXPECT_EQ(child->windowTitle(), "A - /f/a.zlf");
  // The window owns the document, the view fills it and has nothing computed yet.
  EXPECT_EQ(Form->Workspace->WaveWindowOf(child->GetUnitFract()), child);
  EXPECT_EQ(child->widget(), child->GetView());
  EXPECT_EQ(child->GetView()->GetFractArray(), nullptr);
  EXPECT_EQ(child->GetKind(), 1);
  EXPECT_EQ(Form->Workspace->ActiveWaveWindow(), child);
}

TEST_F(ChildWave, CloseQuestionNamesTheWindowAndItsFile) {
  const struct {
    const char* Name;
    const char* File;
    const char* Question;
  } cases[] = {
      {"", "", "Do you want to save the Wave without name to a new file?"},
      {"Spiral", "", "Do you want to save the Wave with name \"Spiral\" to a new file?"},
      {"", "/f/a.zlf", "Do you want to save the Wave without name to current file \"/f/a.zlf\"?"},
      {"Spiral", "/f/a.zlf",
       "Do you want to save the Wave with name \"Spiral\" to current file \"/f/a.zlf\"?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Question);
    Prompter.Messages.clear();
    TMDIChildWave* child = AddWave(TFractProps(), {}, c.Name, c.File);
    child->MarkModified();
    Prompter.Answers = {TMsgResult::Cancel};
    EXPECT_FALSE(child->close());
    ASSERT_TRUE(Prompter.ShowedOnly(c.Question, "You have unsaved changes"));
    EXPECT_EQ(Prompter.Messages[0].Buttons, TMsgButtons::YesNoCancel);
    // No closes without saving.
    Prompter.Answers = {TMsgResult::No};
    EXPECT_TRUE(child->close());
    QApplication::processEvents();
  }
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
}

TEST_F(ChildWave, OnlyUnsavedWorkIsAskedAbout) {
  TMDIChildWave* saved = AddWave(TFractProps(), {}, "S", "/f/s.zlf");
  EXPECT_TRUE(saved->close());
  EXPECT_TRUE(Prompter.Messages.empty());

  // Never saved: asked even without a change.
  TMDIChildWave* fresh = AddWave(TFractProps(), {}, "N");
  EXPECT_FALSE(fresh->GetUnitFract()->Modified());
  EXPECT_FALSE(fresh->close());
  EXPECT_TRUE(Prompter.ShowedOnly("Do you want to save the Wave with name \"N\" to a new file?"));
}

TEST_F(ChildWave, CancelKeepsTheWindowAndItsComputationGoing) {
  TMDIChildWave* child = AddWave(SlowMandelbrot(), {}, "Busy");
  TViewWave* view = child->GetView();
  child->StartComputation();
  ASSERT_TRUE(WaitUntil([view] { return view->GetFractArray()->ColumnsDone.load() >= 4; }));
  Prompter.Answers = {TMsgResult::Cancel};
  EXPECT_FALSE(child->close());
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_TRUE(view->Computing());
  const int done = view->GetFractArray()->ColumnsDone.load();
  EXPECT_TRUE(WaitUntil([&] { return view->GetFractArray()->ColumnsDone.load() > done + 8; }));

  // No: the window goes without waiting for the rest of its computation.
  Prompter.Answers = {TMsgResult::No};
  EXPECT_TRUE(child->close());
  EXPECT_FALSE(view->Computing());
  EXPECT_LT(view->GetFractArray()->ColumnsDone.load(), view->GetFractArray()->Width);
  QApplication::processEvents();
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
}

TEST_F(ChildWave, YesSavesThroughTheMainWindowAndClosesOnlyWhenSaved) {
  TScratchDir dir("childwave_yes");
  TMDIChildWave* child = AddWave(TFractProps(), {}, "Keep");

  // Never saved: a file name is asked; cancelling it keeps the window.
  Prompter.Answers = {TMsgResult::Yes};
  EXPECT_FALSE(child->close());
  EXPECT_EQ(Prompter.OnlyFileDialog(),
            "Save Fractal [zlf] Fractals (*.zlf)|*.zlf|All files (*.*)|*.* exist overwrite");
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);

  // A file that cannot be written keeps the window too.
  Prompter.Answers = {TMsgResult::Yes};
  Prompter.SaveAnswers = {dir.File("missing/folder/a.zlf")};
  EXPECT_FALSE(child->close());
  EXPECT_EQ(Prompter.Messages.back().Title, "FileError");
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);

  const std::string path = dir.File("keep.zlf");
  Prompter.Answers = {TMsgResult::Yes};
  Prompter.SaveAnswers = {path};
  EXPECT_TRUE(child->close());
  EXPECT_TRUE(std::filesystem::exists(path));
  QApplication::processEvents();
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
}

TEST_F(ChildWave, ClosingTheMainWindowAsksAndStopsEveryWindow) {
  TMDIChildWave* a = AddWave(SlowMandelbrot(), {}, "A", "/f/a.zlf");
  TMDIChildWave* b = AddWave(SlowMandelbrot(), {}, "B");
  a->StartComputation();
  b->StartComputation();
  // B asks (never saved) and is refused: nothing closes.
  Prompter.Answers = {TMsgResult::Cancel};
  EXPECT_FALSE(Form->close());
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 2u);
  EXPECT_TRUE(a->GetView()->Computing());
  // Closing stops the computations rather than waiting for their ends.
  Prompter.Answers = {TMsgResult::No};
  EXPECT_TRUE(Form->close());
  for (TMDIChildWave* child : {a, b}) {
    const TFractArray* array = child->GetView()->GetFractArray();
    EXPECT_LT(array->ColumnsDone.load(), array->Width);
  }
  EXPECT_FALSE(a->GetView()->Computing());
  EXPECT_FALSE(b->GetView()->Computing());
}

TEST_F(ChildWave, ActionStatesFollowTheModeTheGroupingAndTheDocument) {
  TMDIChildWave* child = AddWave(TFractProps(), {}, "S", "/f/s.zlf");
  const std::pair<TMouseMode, QAction*> modes[] = {
      {mmZoomIn, Form->ZoomIn},
      {mmZoomOut, Form->ZoomOut},
      {mmDrawPoints, Form->DrawPoints},
      {mmCreateJulia, Form->CreateJuliaFromMandelbrot}};
  for (const auto& [mode, action] : modes) {
    child->SetMouseMode(mode);
    for (const auto& [other, otherAction] : modes)
      EXPECT_EQ(otherAction->isChecked(), other == mode) << otherAction->objectName().toStdString();
  }
  EXPECT_FALSE(Form->GroupAsPolynoom->isChecked());
  child->GetView()->SetGroupPoints(true);
  EXPECT_TRUE(Form->GroupAsPolynoom->isChecked());

  for (int panel = 1; panel <= 6; ++panel) EXPECT_EQ(Form->StatusPanel(panel)->text(), "");
  child->MarkModified();
  EXPECT_EQ(Form->StatusPanel(6)->text(), "Changed");
  EXPECT_TRUE(Form->FileSave->isEnabled());
  EXPECT_TRUE(Form->FileRevert->isEnabled());
  AddWave(TFractProps(), {}, "New one");
  EXPECT_EQ(Form->StatusPanel(6)->text(), "New");
  EXPECT_FALSE(Form->GroupAsPolynoom->isChecked());
  EXPECT_FALSE(Form->ZoomIn->isChecked());
}

TEST_F(ChildWave, WheelOverTheFrameReachesTheView) {
  TMDIChildWave* child = AddWave(TFractProps());
  child->SetMouseMode(mmZoomIn);
  // Over the title bar, above the view.
  SendWheel(child, QPoint(20, 5), -120);
  EXPECT_DOUBLE_EQ(child->GetView()->SelectionSize, 0.4455);
  const QPoint inView = child->GetView()->mapFrom(child, QPoint(20, 5));
  EXPECT_EQ(child->GetView()->GetSelection(),
            child->GetView()->SelectionAt(inView.x(), inView.y(), 0.4455));
}

TEST_F(ChildWave, PlaceForAProjectIsTakenBackAsGiven) {
  TMDIChildWave* source = AddWave(TFractProps(), {}, "Fern");
  source->setGeometry(12, 34, 300, 260);
  const TProjectGeometry place = source->GetProjectPlace();
  EXPECT_EQ(place.Left, 12);
  EXPECT_EQ(place.Height, 260);
  EXPECT_EQ(place.State, TProjectWindowState::Normal);

  TMDIChildWave* target = AddWave(TFractProps(), {}, "", "/f/t.zlf");
  target->SetProjectPlace("Fern", place);
  EXPECT_EQ(target->geometry(), QRect(12, 34, 300, 260));
  EXPECT_EQ(target->GetUnitFract()->GetName(), "Fern");
  EXPECT_EQ(target->windowTitle(), "Fern - /f/t.zlf");
  // Without a name the caption is the file alone.
  target->SetProjectPlace("", place);
  EXPECT_EQ(target->windowTitle(), "/f/t.zlf");
}

TEST_F(ChildWave, MaximizedWindowKeepsItsNormalPlace) {
  TMDIChildWave* source = AddWave(TFractProps(), {}, "Big");
  source->setGeometry(5, 6, 250, 200);
  source->showMaximized();
  QApplication::processEvents();
  const TProjectGeometry place = source->GetProjectPlace();
  EXPECT_EQ(place.State, TProjectWindowState::Maximized);
  EXPECT_EQ(place.Width, 250);

  TMDIChildWave* target = AddWave(TFractProps());
  target->SetProjectPlace("Big", place);
  QApplication::processEvents();
  EXPECT_TRUE(target->isMaximized());
  target->showNormal();
  QApplication::processEvents();
  EXPECT_EQ(target->geometry(), QRect(5, 6, 250, 200));
}

TEST_F(ChildWave, RecordsOfAFractalFileReadBackIntoAnotherWindow) {
  TFractProps params = SmallMandelbrot(123, 45);
  params.Formula = formula::ZTimesQuotient;
  params.N.SetInt(4);
  TVoldViewProps colours;
  colours.SensOutside = SensLow;
  colours.CursorColor = 0x102030;
  colours.UsePalOutside = true;
  TMDIChildWave* source = AddWave(params, colours);

  // Through the file, as a document saves and loads it.
  TScratchDir dir("childwave_view");
  ASSERT_TRUE(source->GetUnitFract()->SaveAs(dir.File("v.zlf"), source->GetStoredFractal()));
  auto document = std::make_unique<TUnitFract>("", dir.File("v.zlf"));
  TUnitFract* unit = document.get();
  TMDIChildWave* target = Form->Fractal->CreateChildWindow(std::move(document), TFractProps(), {});
  Form->Workspace->AddChildWindow(target);
  TStoredFractal read = target->GetStoredFractal();
  std::string errorText;
  ASSERT_TRUE(unit->Load(read, errorText)) << errorText;
  target->SetStoredFractal(read);
  EXPECT_EQ(Xml(target->GetParams()), Xml(params));
  EXPECT_EQ(Xml(target->GetViewProps()), Xml(colours));
}

