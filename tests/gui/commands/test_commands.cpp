// The fractal commands of the main window: new, open, save, revert, duplicate, Julia windows,
// the properties dialogs, the modes and the orbit commands.
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/dialogs/TDlgVoldViewProps.h"
#include "gui/dialogs/TOKDialog.h"
#include "gui/support/wavetestsupport.h"

namespace {

const std::string FractalFilter = "Fractals (*.zlf)|*.zlf|All files (*.*)|*.*";
const std::string SaveFractalDialog = "Save Fractal [zlf] " + FractalFilter + " exist overwrite";

std::vector<std::string> WindowNames(const TMainForm& form) {
  std::vector<std::string> names;
  for (TMDIChildZenolith* child : form.Workspace->ChildWindows())
    names.push_back(child->GetDocument()->GetName());
  return names;
}

}  // namespace

class Commands : public WaveFixture {
protected:
  /// Runs New; `onDialog` acts on the fractal dialog while it is open.
  void RunNew(const std::function<void(TDlgFractal*)>& onDialog) {
    auto ran = WhenDialog<TDlgFractal>(onDialog);
    Form->FileNewWave->trigger();
    EXPECT_TRUE(*ran);
  }

  TMDIChildWave* Open(const std::string& path) {
    Form->OpenCommandLine({path});
    return Form->Workspace->ActiveWaveWindow();
  }
};

TEST_F(Commands, NewWindowTakesTheDialogsParametersAndStarts) {
  Form->Fractal->DefaultFractal.XResolution.SetInt(50);
  Form->Fractal->DefaultFractal.YResolution.SetInt(30);
  QString windowWidth, windowHeight;
  RunNew([&](TDlgFractal* dialog) {
    // The "< Window" buttons give the new view's size in pixels.
    dialog->btnXResWindow->click();
    dialog->btnYResWindow->click();
    windowWidth = dialog->editHorizontal->text();
    windowHeight = dialog->editVertical->text();
    dialog->editMaxDepth->setText("77");
    dialog->OKBtn->click();
  });
  TMDIChildWave* child = Form->Workspace->ActiveWaveWindow();
  ASSERT_NE(child, nullptr);
  TViewWave* view = child->GetView();
  EXPECT_EQ(windowWidth.toInt(), view->width());
  EXPECT_EQ(windowHeight.toInt(), view->height());
  EXPECT_EQ(child->GetParams().XResolution.GetInt(), view->width());
  EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 77);
  EXPECT_EQ(child->GetUnitFract()->GetName(), "NONAME1");
  EXPECT_EQ(Form->EditName->text(), "NONAME1");
  EXPECT_TRUE(child->GetUnitFract()->Loaded);
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  EXPECT_TRUE(child->GetUnitFract()->NeedsSave());
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(DifferentFromEngine(child), 0);
}

TEST_F(Commands, CancelledNewLeavesNoWindowButUsesItsNumber) {
  RunNew([](TDlgFractal* dialog) { dialog->CancelBtn->click(); });
  QApplication::processEvents();
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
  EXPECT_EQ(Form->Workspace->ActiveWaveWindow(), nullptr);
  EXPECT_EQ(Form->Workspace->NoNameCounter, 1);
  RunNew([](TDlgFractal* dialog) { dialog->OKBtn->click(); });
  EXPECT_EQ(WindowNames(*Form), std::vector<std::string>{"NONAME2"});
}

TEST_F(Commands, CancelledNewGivesBackTheMaximizedWindow) {
  TMDIChildWave* child = AddWave(TFractProps(), {}, "Big");
  child->showMaximized();
  QApplication::processEvents();
  RunNew([](TDlgFractal* dialog) { dialog->CancelBtn->click(); });
  QApplication::processEvents();
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_EQ(Form->Workspace->ActiveWaveWindow(), child);
  EXPECT_TRUE(child->isMaximized());
  EXPECT_EQ(Form->EditName->text(), "Big");
}

TEST_F(Commands, UnnamedWindowsAreNumberedAcrossNewDuplicateAndJulia) {
  RunNew([](TDlgFractal* dialog) { dialog->OKBtn->click(); });
  Form->DuplicateWave->trigger();
  TMDIChildWave* duplicate = Form->Workspace->ActiveWaveWindow();
  duplicate->SetMouseMode(mmCreateJulia);
  Click(duplicate->GetView(), QPoint(10, 10));
  RunNew([](TDlgFractal* dialog) { dialog->OKBtn->click(); });
  EXPECT_EQ(WindowNames(*Form),
            (std::vector<std::string>{"NONAME1", "NONAME2", "NONAME3", "NONAME4"}));
}

TEST_F(Commands, UnnamedWindowsSkipNamesAlreadyInUse) {
  AddWave(TFractProps(), {}, "NONAME1");
  AddWave(TFractProps(), {}, "NONAME3");
  Form->DuplicateWave->trigger();
  Form->DuplicateWave->trigger();
  EXPECT_EQ(WindowNames(*Form),
            (std::vector<std::string>{"NONAME1", "NONAME3", "NONAME2", "NONAME4"}));
  // Renaming a window to another's name is refused with the message.
  Form->EditName->setText("NONAME1");
  Form->CommitEditName();
  EXPECT_TRUE(Prompter.ShowedOnly("A window with name \"NONAME1\" already exists."));
  EXPECT_EQ(Form->Workspace->ActiveWaveWindow()->GetUnitFract()->GetName(), "NONAME4");
}

TEST_F(Commands, DuplicateCopiesBothRecordsAndStarts) {
  TFractProps params = SmallMandelbrot();
  TVoldViewProps colours;
  colours.MaxDepthColor = 0x0000FF;
  TMDIChildWave* original = AddWave(params, colours, "Orig", "/f/o.zlf");
  original->SetMouseMode(mmDrawPoints);
  Click(original->GetView(), QPoint(40, 40));
  Form->DuplicateWave->trigger();
  TMDIChildWave* copy = Form->Workspace->ActiveWaveWindow();
  ASSERT_NE(copy, original);
  EXPECT_EQ(Xml(copy->GetParams()), Xml(params));
  EXPECT_EQ(Xml(copy->GetViewProps()), Xml(colours));
  EXPECT_EQ(copy->GetUnitFract()->GetFileName(), "");
  EXPECT_FALSE(copy->GetUnitFract()->Modified());
  // Orbits are not copied and the mode starts afresh.
  EXPECT_TRUE(copy->GetView()->GetDrawPoints().Empty());
  EXPECT_EQ(copy->GetMouseMode(), mmNone);
  EXPECT_TRUE(WaitForPicture(copy->GetView()));
}

TEST_F(Commands, JuliaWindowFromAMandelbrotTakesTheClickedPoint) {
  TFractProps mandelbrot = SmallMandelbrot();
  mandelbrot.DR.SetDouble(0.25);
  TVoldViewProps colours;
  colours.CursorColor = 0x445566;
  TMDIChildWave* source = AddWave(mandelbrot, colours, "M", "/f/m.zlf");
  SetViewSize(source, 400, 400);
  source->SetMouseMode(mmCreateJulia);
  Click(source->GetView(), QPoint(200, 100));
  TMDIChildWave* julia = Form->Workspace->ActiveWaveWindow();
  ASSERT_NE(julia, source);
  const TFractProps p = julia->GetParams();
  // Pixel (200, 100) of -2.2 .. 0.8 by 1.2 .. -1.2.
  EXPECT_DOUBLE_EQ(p.CR.GetDouble(), -0.7);
  EXPECT_DOUBLE_EQ(p.CI.GetDouble(), 0.6);
  EXPECT_DOUBLE_EQ(p.DR.GetDouble(), 0.25);
  EXPECT_DOUBLE_EQ(p.DI.GetDouble(), -0.3);
  EXPECT_EQ(p.Left.GetDouble(), -1.4);
  EXPECT_EQ(p.Right.GetDouble(), 1.4);
  EXPECT_EQ(p.Top.GetDouble(), -1.3);
  EXPECT_EQ(p.Bottom.GetDouble(), 1.3);
  EXPECT_EQ(p.MapField, TKernelParams::MapZ);
  EXPECT_EQ(p.MaxDepth.GetInt(), mandelbrot.MaxDepth.GetInt());
  EXPECT_EQ(julia->GetViewProps().CursorColor, 0x445566u);
  EXPECT_EQ(julia->GetUnitFract()->GetName(), "NONAME1");
  EXPECT_FALSE(julia->GetUnitFract()->Modified());
  EXPECT_TRUE(julia->GetUnitFract()->Loaded);
  // The source keeps its area, its mode and its state.
  EXPECT_EQ(source->GetParams().Left.GetDouble(), -2.2);
  EXPECT_EQ(source->GetMouseMode(), mmCreateJulia);
  EXPECT_FALSE(source->GetUnitFract()->Modified());
  EXPECT_TRUE(WaitForPicture(julia->GetView()));
}

TEST_F(Commands, JuliaWindowFromOtherMapsKeepsTheConstantsItDoesNotMap) {
  struct TCase {
    uint8_t Map;
    double CR, CI, DR, DI;
  };
  // The click at pixel (300, 100) of -1.5 .. 1.5 by 1.5 .. -1.5 is the point (0.75, 0.75).
  const TCase cases[] = {
      {TKernelParams::MapZ, -0.122561, -0.744862, -0.3, -0.3},
      {TKernelParams::MapD, -0.122561, -0.744862, 0.75, 0.75},
  };
  for (const TCase& c : cases) {
    TFractProps params = WithArea(SmallMandelbrot(), -1.5, 1.5, 1.5, -1.5);
    params.MapField = c.Map;
    TMDIChildWave* source = AddWave(params);
    SetViewSize(source, 400, 400);
    source->SetMouseMode(mmCreateJulia);
    Click(source->GetView(), QPoint(300, 100));
    const TFractProps p = Form->Workspace->ActiveWaveWindow()->GetParams();
    EXPECT_DOUBLE_EQ(p.CR.GetDouble(), c.CR);
    EXPECT_DOUBLE_EQ(p.CI.GetDouble(), c.CI);
    EXPECT_DOUBLE_EQ(p.DR.GetDouble(), c.DR);
    EXPECT_DOUBLE_EQ(p.DI.GetDouble(), c.DI);
    EXPECT_EQ(p.MapField, TKernelParams::MapZ);
  }
}

TEST_F(Commands, OpenAsksForFractalsAndOpensEveryReadableOne) {
  const std::string good = TestData("gui/mandelbrot.zlf");
  const std::string bad = TestData("gui/unknown_formula.zlf");
  const std::string missing = TestData("gui/no_such_file.zlf");
  Prompter.OpenAnswers = {{good, bad, missing, good}};
  Form->FileOpenWave->trigger();
  EXPECT_EQ(Prompter.OnlyFileDialog(),
            "Open Fractal [zlf] " + FractalFilter + " multi exist");

  const std::vector<TMDIChildZenolith*> windows = Form->Workspace->ChildWindows();
  ASSERT_EQ(windows.size(), 2u);
  for (TMDIChildZenolith* w : windows) {
    EXPECT_EQ(w->GetDocument()->GetFileName(), good);
    EXPECT_EQ(w->windowTitle().toStdString(), good);
    EXPECT_FALSE(w->GetDocument()->NeedsSave());
  }
  ASSERT_EQ(Prompter.Messages.size(), 2u);
  EXPECT_EQ(Prompter.Messages[0].Text.rfind("Cannot read the file: \"" + bad +
                                                "\", Unknown Formula: 'z^9+q' At line 63",
                                            0),
            0u)
      << Prompter.Messages[0].Text;
  EXPECT_EQ(Prompter.Messages[0].Title, "File Error");
  EXPECT_EQ(Prompter.Messages[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(Prompter.Messages[1].Text, "Cannot read the file: \"" + missing + "\", ");
  EXPECT_EQ(BusyDepth(), 0);
  EXPECT_TRUE(WaitForPicture(static_cast<TMDIChildWave*>(windows[1])->GetView()));
}

TEST_F(Commands, FileWithAResolutionTooLargeOpensWithTheMemoryMessage) {
  TMDIChildWave* child = Open(TestData("cli/huge.zlf"));
  ASSERT_NE(child, nullptr);
  // Told once the opening is done, naming the window and what did not fit.
  QApplication::processEvents();
  EXPECT_TRUE(Prompter.ShowedOnly("There is not enough memmory for this operation.\nWindow \"" +
                                      TestData("cli/huge.zlf") +
                                      "\" keeps its picture: results of ...",
                                  "System Error"));
  EXPECT_FALSE(child->GetView()->Computing());
  // The window still works: a sound resolution computes.
  TFractProps params = child->GetParams();
  params.XResolution.SetInt(40);
  params.YResolution.SetInt(30);
  child->SetParams(params);
  child->StartComputation();
  EXPECT_TRUE(WaitForPicture(child->GetView()));
}

TEST_F(Commands, SaveAsThenOpenGivesTheSameFractal) {
  TScratchDir dir("commands_saveas");
  TMDIChildWave* child = Open(TestData("gui/mandelbrot.zlf"));
  ASSERT_NE(child, nullptr);
  SetViewSize(child, 300, 300);
  child->SetMouseMode(mmZoomIn);
  Click(child->GetView(), QPoint(120, 170));
  ASSERT_TRUE(child->GetUnitFract()->Modified());
  EXPECT_TRUE(Form->FileSave->isEnabled());

  const std::string path = dir.File("zoomed.zlf");
  Prompter.SaveAnswers = {path};
  Form->FileSaveAs->trigger();
  EXPECT_EQ(Prompter.OnlyFileDialog(), SaveFractalDialog);
  EXPECT_EQ(child->GetUnitFract()->GetFileName(), path);
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  EXPECT_EQ(child->windowTitle().toStdString(), path);
  EXPECT_FALSE(Form->FileSave->isEnabled());

  TMDIChildWave* reopened = Open(path);
  ASSERT_NE(reopened, child);
  EXPECT_EQ(Xml(reopened->GetParams()), Xml(child->GetParams()));
  EXPECT_EQ(Xml(reopened->GetViewProps()), Xml(child->GetViewProps()));
  EXPECT_TRUE(WaitForPicture(reopened->GetView()));
}

TEST_F(Commands, SaveWritesAChangedFileAndAsksForANameOnlyWhenThereIsNone) {
  TScratchDir dir("commands_save");
  const std::string path = CopyFixture(dir, "m.zlf");
  TMDIChildWave* child = Open(path);
  ASSERT_NE(child, nullptr);
  TFractProps changed = child->GetParams();
  changed.MaxDepth.SetInt(33);
  child->SetParams(changed);
  child->MarkModified();
  Form->FileSave->trigger();
  EXPECT_TRUE(Prompter.FileDialogs.empty());
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  TStoredFractal stored;
  std::string errorText;
  ASSERT_TRUE(ReadFractalFile(path, stored, errorText)) << errorText;
  EXPECT_EQ(stored.Params.MaxDepth.GetInt(), 33);

  // A new window goes through Save As; cancelling it saves nothing.
  AddWave(TFractProps(), {}, "Fresh");
  Form->FileSave->trigger();
  EXPECT_EQ(Prompter.OnlyFileDialog(), SaveFractalDialog);
  EXPECT_TRUE(Form->Workspace->ActiveWaveWindow()->GetUnitFract()->HasNoFile());
}

TEST_F(Commands, RevertReadsTheFileAgainAndRecomputes) {
  TScratchDir dir("commands_revert");
  TMDIChildWave* child = Open(CopyFixture(dir, "m.zlf"));
  ASSERT_NE(child, nullptr);
  const std::string fileParams = Xml(child->GetParams());
  const std::string fileColours = Xml(child->GetViewProps());
  SetViewSize(child, 200, 150);
  child->SetMouseMode(mmZoomOut);
  Click(child->GetView(), QPoint(50, 50));
  TVoldViewProps colours = child->GetViewProps();
  colours.MaxDepthColor = 0x00FF00;
  child->SetViewProps(colours);
  ASSERT_NE(Xml(child->GetParams()), fileParams);
  ASSERT_TRUE(Form->FileRevert->isEnabled());

  Form->FileRevert->trigger();
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(Xml(child->GetParams()), fileParams);
  EXPECT_EQ(Xml(child->GetViewProps()), fileColours);
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  ASSERT_TRUE(WaitForPicture(child->GetView()));
  EXPECT_EQ(DifferentFromEngine(child), 0);
}

TEST_F(Commands, RevertOfAnUnreadableFileChangesNothingAndSaysWhy) {
  TScratchDir dir("commands_revert_bad");
  const std::string path = CopyFixture(dir, "m.zlf");
  TMDIChildWave* child = Open(path);
  ASSERT_NE(child, nullptr);
  TFractProps changed = child->GetParams();
  changed.MaxDepth.SetInt(41);
  child->SetParams(changed);
  child->MarkModified();

  CopyFixture(dir, "m.zlf", "gui/unknown_formula.zlf");
  Form->FileRevert->trigger();
  EXPECT_TRUE(Prompter.ShowedOnly(
      "Cannot revert the file: \"" + path + "\", Unknown Formula: 'z^9+q'...", "File Error",
      TMsgIcon::Information));
  EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 41);
  EXPECT_TRUE(child->GetUnitFract()->Modified());

  std::filesystem::remove(path);
  Form->FileRevert->trigger();
  ASSERT_EQ(Prompter.Messages.size(), 2u);
  EXPECT_EQ(Prompter.Messages[1].Text,
            "Cannot revert the file: \"" + path + "\", the file cannot be opened.");
  EXPECT_EQ(BusyDepth(), 0);
}

TEST_F(Commands, FractalPropertiesOkRecomputesAndMarksTheWindowChanged) {
  for (QAction* action : {Form->FractProps, Form->FileProperties}) {
    SCOPED_TRACE(action->objectName().toStdString());
    TMDIChildWave* child = AddWave(SmallMandelbrot(), {}, "", "/f/p.zlf");
    auto ran = WhenDialog<TDlgFractal>([](TDlgFractal* dialog) {
      dialog->editMaxDepth->setText("25");
      dialog->OKBtn->click();
    });
    action->trigger();
    EXPECT_TRUE(*ran);
    EXPECT_EQ(child->GetParams().MaxDepth.GetInt(), 25);
    EXPECT_TRUE(child->GetUnitFract()->Modified());
    ASSERT_TRUE(WaitForPicture(child->GetView()));
    EXPECT_EQ(DifferentFromEngine(child), 0);
    child->CloseWithoutQuery();
  }
}

TEST_F(Commands, CancelledPropertiesChangeNothing) {
  TMDIChildWave* child = AddWave(SmallMandelbrot(), {}, "", "/f/p.zlf");
  const std::string before = Xml(child->GetParams());
  for (QAction* command : {Form->FractProps, Form->ViewVold}) {
    WhenDialog<TOKDialog>([](TOKDialog* d) { d->CancelBtn->click(); });
    command->trigger();
  }
  EXPECT_EQ(Xml(child->GetParams()), before);
  EXPECT_FALSE(child->GetUnitFract()->Modified());
  EXPECT_EQ(child->GetView()->GetFractArray(), nullptr);
}

TEST_F(Commands, ColorFractalOkRepaintsWithTheNewColouring) {
  TMDIChildWave* child = ComputedWave(SmallMandelbrot(), {}, 0, 0, "", "/f/c.zlf");
  auto ran = WhenDialog<TDlgVoldViewProps>([](TDlgVoldViewProps* dialog) {
    dialog->editStrengthOutside->setText("0.5");
    dialog->OKBtn->click();
  });
  Form->ViewVold->trigger();
  EXPECT_TRUE(*ran);
  EXPECT_DOUBLE_EQ(child->GetViewProps().StrengthOutside.GetDouble(), 0.5);
  EXPECT_TRUE(child->GetUnitFract()->Modified());
  ASSERT_TRUE(WaitForRepaint(child->GetView()));
  EXPECT_EQ(DifferentFromEngine(child), 0);
}

TEST_F(Commands, ModeCommandsSwitchTheirModeOnAndOff) {
  const std::pair<QAction* TMainForm::*, TMouseMode> cases[] = {
      {&TMainForm::ZoomIn, mmZoomIn},
      {&TMainForm::ZoomOut, mmZoomOut},
      {&TMainForm::DrawPoints, mmDrawPoints},
      {&TMainForm::CreateJuliaFromMandelbrot, mmCreateJulia},
  };
  TMDIChildWave* child = AddWave(TFractProps());
  for (const auto& [member, mode] : cases) {
    QAction* action = (*Form).*member;
    action->trigger();
    EXPECT_EQ(child->GetMouseMode(), mode);
    EXPECT_TRUE(action->isChecked());
    action->trigger();
    EXPECT_EQ(child->GetMouseMode(), mmNone);
    EXPECT_FALSE(action->isChecked());
  }
  // One mode replaces another.
  Form->ZoomIn->trigger();
  Form->DrawPoints->trigger();
  EXPECT_EQ(child->GetMouseMode(), mmDrawPoints);
  EXPECT_FALSE(Form->ZoomIn->isChecked());
}

TEST_F(Commands, GroupAsPolynoomJoinsTheOrbitsClickedMeanwhileIntoARing) {
  TMDIChildWave* child = AddWave(TFractProps());
  TViewWave* view = child->GetView();
  Form->DrawPoints->trigger();
  Click(view, QPoint(20, 20));
  Form->GroupAsPolynoom->trigger();
  EXPECT_TRUE(view->GetGroupPoints());
  EXPECT_TRUE(Form->GroupAsPolynoom->isChecked());
  for (const QPoint at : {QPoint(60, 20), QPoint(60, 60), QPoint(20, 60)}) Click(view, at);
  Form->GroupAsPolynoom->trigger();
  EXPECT_FALSE(view->GetGroupPoints());
  EXPECT_FALSE(Form->GroupAsPolynoom->isChecked());

  // Newest -> middle -> oldest marked -> newest; the first, unmarked orbit stays out.
  const TStartDrawPoint* newest = view->GetDrawPoints().GetHead();
  const TStartDrawPoint* middle = newest->GetNextOrbit();
  const TStartDrawPoint* oldestMarked = middle->GetNextOrbit();
  const TStartDrawPoint* unmarked = oldestMarked->GetNextOrbit();
  ASSERT_NE(unmarked, nullptr);
  EXPECT_EQ(newest->GetRingLink(), middle);
  EXPECT_EQ(middle->GetRingLink(), oldestMarked);
  EXPECT_EQ(oldestMarked->GetRingLink(), newest);
  EXPECT_EQ(unmarked->GetRingLink(), nullptr);
  for (const TStartDrawPoint* o = newest; o; o = o->GetNextOrbit()) EXPECT_FALSE(o->GetMark());

  Form->AddNextPoints->trigger();
  EXPECT_EQ(newest->Length(), 2);
  EXPECT_EQ(unmarked->Length(), 2);
  Form->RemovePoints->trigger();
  EXPECT_TRUE(view->GetDrawPoints().Empty());
}

TEST_F(Commands, FractalCommandsNeedAFractalWindow) {
  // Without any window the commands do nothing, and nothing breaks.
  for (QAction* a : {Form->FileSave, Form->FileSaveAs, Form->FileRevert, Form->DuplicateWave,
                     Form->ZoomIn, Form->AddNextPoints, Form->GroupAsPolynoom,
                     Form->RemovePoints, Form->FractProps, Form->ViewVold}) {
    a->setEnabled(true);
    a->trigger();
  }
  Form->Fractal->CreateJuliaWindow(TFractProps(), TVoldViewProps(), 0.1, 0.2, 0.3, 0.4);
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_TRUE(Prompter.FileDialogs.empty());
  EXPECT_EQ(Form->Workspace->NoNameCounter, 0);
}
