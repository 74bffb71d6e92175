// Projects in the main window: saving the windows into a project and reading them back, the
// project commands and their dialogs, broken and crafted project files, file names of every
// kind, and windows past the memory the windows may take.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "core/TErrorReport.h"
#include "core/TXMLItem.h"
#include "core/xmlread.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "document/projectfile.h"
#include "engine/TMemoryBudget.h"
#include "gui/common/filenames.h"
#include "gui/dialogs/TAboutBox.h"
#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/support/wavetestsupport.h"

namespace {

namespace fs = std::filesystem;

// Per "Window" of a written project, the children of its document: "File=...,TempFile=...".
std::vector<std::string> StoredDocuments(const std::string& projectPath) {
  std::vector<std::string> documents;
  const TXMLReadResult read = ReadXMLFile(projectPath, ProjectGrammar());
  EXPECT_EQ(read.Outcome, TXMLReadOutcome::Read) << read.ErrorText;
  if (!read.Root) return documents;
  for (const TXMLItem* item = read.Root->GetFirst()->GetFirst(); item; item = item->GetNext()) {
    if (item->GetElement() != "Window") continue;
    std::string parts;
    for (const TXMLItem* e = item->GetFirst()->GetFirst(); e; e = e->GetNext())
      parts += (parts.empty() ? "" : ",") + e->GetElement() + "=" + e->GetText();
    documents.push_back(parts);
  }
  return documents;
}

std::string FileText(const TMDIChildWave* child) {
  std::string bytes;
  std::string errorText;
  EXPECT_TRUE(FractalFileText(child->GetStoredFractal(), bytes, errorText)) << errorText;
  return bytes;
}

}  // namespace

class Project : public WaveFixture {
protected:
  // A fixture project of tests/data/project copied beside its copies 0 and 1 (the fixture
  // fractal).
  std::string FixtureProject(const std::string& name) {
    fs::create_directory(Dir.File(name + "TempSaveFiles"));
    CopyFixture(Dir, name + "TempSaveFiles/savedProjectWindowFile0.wav");
    CopyFixture(Dir, name + "TempSaveFiles/savedProjectWindowFile1.wav");
    return CopyFixture(Dir, name + ".kvp", "project/" + name + ".kvp");
  }
  TMDIChildWave* WindowNamed(const std::string& name) const {
    for (TMDIChildZenolith* child : Form->Workspace->ChildWindows())
      if (child->GetDocument()->GetName() == name) return qobject_cast<TMDIChildWave*>(child);
    return nullptr;
  }
  std::map<std::string, std::string> Windows() const { return ProjectState(true); }
  // Closes every window without a question and opens `project` (no project open before).
  void Reopen(const std::string& project) {
    for (TMDIChildZenolith* child : Form->Workspace->ChildWindows()) child->CloseWithoutQuery();
    QApplication::processEvents();
    Form->Project->SetProjectFile("");
    Form->Project->OpenProjectFile(project);
  }
  // Changes the parameters of `child` as an edit would.
  static void Change(TMDIChildWave* child) {
    TFractProps params = child->GetParams();
    params.MaxDepth.SetInt(params.MaxDepth.GetInt() + 1);
    child->SetParams(params);
    child->MarkModified();
  }

  TScratchDir Dir{"project"};
  std::string ProjectPath = Dir.File("my.kvp");
  std::string Folder = Dir.File("myTempSaveFiles");
};

TEST_F(Project, ProjectWithoutWindowsRoundTrips) {
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  EXPECT_EQ(Form->Project->ProjectFile(), ProjectPath);
  EXPECT_EQ(Form->windowTitle().toStdString(), "Zenolith 1.0 - " + ProjectPath);
  EXPECT_FALSE(fs::exists(ProjectPath)) << "nothing is written before a save";

  Form->Workspace->NoNameCounter = 7;
  Form->setGeometry(60, 70, 640, 480);
  Form->ProjectSave->trigger();
  const std::string text = FileBytes(ProjectPath);
  EXPECT_NE(text.find("<NoNameCounter>7</NoNameCounter>"), std::string::npos) << text;
  EXPECT_EQ(text.find("Window"), std::string::npos) << text;
  EXPECT_FALSE(fs::exists(Folder)) << "no copies, no folder";

  Form->ProjectClose->trigger();
  EXPECT_EQ(Form->Project->ProjectFile(), "");
  EXPECT_EQ(Form->windowTitle(), "Zenolith 1.0");
  Form->Workspace->NoNameCounter = 0;
  Form->setGeometry(10, 10, 500, 400);
  Form->Project->OpenProjectFile(ProjectPath);
  EXPECT_EQ(Form->Project->ProjectFile(), ProjectPath);
  EXPECT_EQ(Form->Workspace->NoNameCounter, 7);
  EXPECT_EQ(Form->geometry(), QRect(60, 70, 640, 480));
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(Project, SaveCopiesOnlyTheWindowsWithUnsavedWork) {
  TMDIChildWave* kept = OpenCopy(Dir, "kept.zlf");
  TMDIChildWave* changed = OpenCopy(Dir, "changed.zlf");
  changed->MarkModified();
  TMDIChildWave* fresh = AddWave(SmallMandelbrot(), {}, "Fresh");
  // A copy left by an earlier failed save is not taken for this save's.
  fs::create_directory(Folder);
  WriteFileBytes(Folder + "/newProjectWindowFile2.wav", "stale");

  ASSERT_TRUE(Form->Project->SaveProject(ProjectPath, false));
  EXPECT_EQ(StoredDocuments(ProjectPath),
            std::vector<std::string>({"File=" + Dir.File("kept.zlf"),
                                      "File=" + Dir.File("changed.zlf") + ",TempFile=0",
                                      "TempFile=1"}));
  EXPECT_EQ(FileBytes(Folder + "/savedProjectWindowFile0.wav"), FileText(changed));
  EXPECT_EQ(FileBytes(Folder + "/savedProjectWindowFile1.wav"), FileText(fresh));
  EXPECT_FALSE(fs::exists(Folder + "/savedProjectWindowFile2.wav"));
  EXPECT_FALSE(fs::exists(Folder + "/newProjectWindowFile0.wav"));
  EXPECT_FALSE(fs::exists(Folder + "/newProjectWindowFile2.wav"));
  // The documents' own files are not written: their changes stay unsaved.
  EXPECT_TRUE(changed->GetUnitFract()->Modified());
  EXPECT_EQ(kept->GetUnitFract()->TempFileNumber, -1);
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(Project, ExportCopiesEveryWindowAndKeepsTheProject) {
  OpenCopy(Dir, "kept.zlf");
  AddWave(SmallMandelbrot(), {}, "Fresh");
  Form->Project->SetProjectFile(ProjectPath);
  const std::string exportPath = Dir.File("out.kvp");
  Prompter.SaveAnswers = {exportPath};
  Form->ProjectExport->trigger();
  EXPECT_EQ(StoredDocuments(exportPath), std::vector<std::string>({"TempFile=0", "TempFile=1"}));
  EXPECT_TRUE(fs::exists(Dir.File("outTempSaveFiles/savedProjectWindowFile1.wav")));
  EXPECT_EQ(Form->Project->ProjectFile(), ProjectPath);
  EXPECT_FALSE(fs::exists(ProjectPath));
}

TEST_F(Project, ProjectDialogsAskForProjectFiles) {
  struct TCase {
    QAction* Action;
    const char* Title;
    int Help;
    bool Overwrite;
  };
  Form->Project->SetProjectFile(ProjectPath);
  const TCase cases[] = {{Form->ProjectOpen, "Open Project", 53, false},
                         {Form->ProjectNew, "New Project", 54, true},
                         {Form->ProjectExport, "Export Project", 56, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Title);
    Prompter.FileDialogs.clear();
    c.Action->trigger();  // cancelled: nothing changes
    EXPECT_EQ(Prompter.OnlyFileDialog(),
              std::string(c.Title) +
                  " [kvp] Project Files (*.kvp)|*.kvp|XML Files (*.xml)|*.xml|All files (*.*)|*.*"
                  " exist" + (c.Overwrite ? " overwrite" : "") + " help=" + std::to_string(c.Help));
    EXPECT_EQ(Form->Project->ProjectFile(), ProjectPath);
  }
  EXPECT_FALSE(fs::exists(ProjectPath));
}

TEST_F(Project, BrokenProjectIsReportedOnceAndKeepsTheWindowsOpened) {
  const std::string path = FixtureProject("broken");
  Form->Project->OpenProjectFile(path);
  EXPECT_TRUE(Prompter.ShowedOnly(
      "Cannot read the file: \"" + path +
          "\"In Width: Value must be between 0 and 16384. At line 32, column 12.",
      "File Error"));
  EXPECT_EQ(Form->Project->ProjectFile(), "");
  EXPECT_EQ(Form->windowTitle(), "Zenolith 1.0");
  ASSERT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_NE(WindowNamed("First"), nullptr);
}

TEST_F(Project, NameTakenWhileReadingIsDroppedAndTheReadGoesOn) {
  AddWave(SmallMandelbrot(), {}, "Twin");
  const std::string path = FixtureProject("twins");
  Form->Project->OpenProjectFile(path);
  EXPECT_TRUE(Prompter.ShowedOnly("When opening file \"/nonexistent/zenolith/twin.zlf\" from "
                                  "project, a window with name \"Twin\" already exists",
                                  "Error"));
  EXPECT_EQ(Form->Project->ProjectFile(), path);
  ASSERT_EQ(Form->Workspace->ChildWindows().size(), 3u);
  EXPECT_EQ(Form->Workspace->ChildWindows()[1]->GetDocument()->GetName(), "");
  // Its own file is not there: the window forgets it.
  EXPECT_EQ(Form->Workspace->ChildWindows()[1]->GetDocument()->GetFileName(), "");
  EXPECT_NE(WindowNamed("Other"), nullptr);
}

TEST_F(Project, WithoutAProjectEachWindowIsAskedBeforeAnotherIsOpened) {
  TTestChild* child = AddChild("Asked");
  child->AllowClose = false;
  const std::string path = FixtureProject("twins");
  Prompter.OpenAnswers = {{path}};
  Form->ProjectOpen->trigger();
  EXPECT_EQ(child->Questions, 1);
  EXPECT_EQ(Form->Project->ProjectFile(), "");
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);

  child->AllowClose = true;
  Prompter.OpenAnswers = {{path}};
  Form->ProjectOpen->trigger();
  EXPECT_EQ(Form->Project->ProjectFile(), path);
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 2u);
}

TEST_F(Project, ProjectDroppedOrRecentIsOpenedOnlyAfterTheOpenOneIsSavedAndClosed) {
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  AddWave(SmallMandelbrot(), {}, "Fresh");
  const std::string other = FixtureProject("twins");
  Form->Recent->OpenRecentFile(other);
  EXPECT_EQ(Form->Project->ProjectFile(), other);
  EXPECT_EQ(WindowNamed("Fresh"), nullptr);
  EXPECT_EQ(StoredDocuments(ProjectPath), std::vector<std::string>{"TempFile=0"});

  // Without a project, a window with unsaved work is asked about first; No keeps everything.
  Form->ProjectClose->trigger();
  TTestChild* child = AddChild("Asked");
  child->AllowClose = false;
  Form->Recent->OpenRecentFile(other);
  EXPECT_EQ(child->Questions, 1);
  EXPECT_EQ(Form->Project->ProjectFile(), "");
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);
}

// Saved, changed and never-saved windows survive closing the program and starting it again
// with the project on the command line.
TEST_F(Project, WindowsComeBackWhenTheProgramStartsWithTheProject) {
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  ASSERT_EQ(Form->Project->ProjectFile(), ProjectPath);

  TMDIChildWave* kept = OpenCopy(Dir, "kept.zlf");
  kept->GetUnitFract()->SetName("Kept");
  TMDIChildWave* changed = OpenCopy(Dir, "changed.zlf");
  changed->GetUnitFract()->SetName("Changed");
  TFractProps params = changed->GetParams();
  params.MaxDepth.SetInt(77);
  changed->SetParams(params);
  TVoldViewProps view = changed->GetViewProps();
  view.MaxDepthColor = 0x123456;
  changed->SetViewProps(view);
  changed->MarkModified();
  AddWave(SmallMandelbrot(50, 30), {}, "Fresh");
  kept->setGeometry(0, 0, 300, 250);
  changed->setGeometry(310, 0, 320, 260);
  WindowNamed("Fresh")->setGeometry(20, 270, 280, 200);
  Form->Workspace->setActiveSubWindow(kept);
  Form->setGeometry(40, 50, 1000, 700);
  Form->Workspace->NoNameCounter = 4;
  const std::map<std::string, std::string> before = Windows();
  ASSERT_EQ(before.size(), 3u);

  Form->close();
  EXPECT_FALSE(Form->isVisible());
  EXPECT_TRUE(Prompter.Messages.empty()) << "a project is saved without asking";
  Form.reset();
  QApplication::processEvents();
  EXPECT_EQ(FileBytes(Dir.File("changed.zlf")), FileBytes(TestData("gui/mandelbrot.zlf")));

  Form = std::make_unique<TMainForm>();
  Form->CommandLine.clear();
  Form->show();
  QApplication::processEvents();
  Form->OpenCommandLine({ProjectPath});
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(Form->windowTitle().toStdString(), "Zenolith 1.0 - " + ProjectPath);
  EXPECT_EQ(Form->Workspace->NoNameCounter, 4);
  EXPECT_EQ(Form->geometry(), QRect(40, 50, 1000, 700));
  EXPECT_EQ(Windows(), before);
  ASSERT_NE(Form->Workspace->ActiveUnit(), nullptr);
  EXPECT_EQ(Form->Workspace->ActiveUnit()->GetName(), "Kept");

  // The never-saved window has no file: Save asks for one.
  TMDIChildWave* fresh = WindowNamed("Fresh");
  ASSERT_NE(fresh, nullptr);
  Form->Workspace->setActiveSubWindow(fresh);
  Prompter.SaveAnswers = {Dir.File("fresh.zlf")};
  Form->FileSave->trigger();
  ASSERT_FALSE(Prompter.FileDialogs.empty());
  EXPECT_EQ(Prompter.FileDialogs.back().Title, "Save Fractal");
  EXPECT_EQ(fresh->GetUnitFract()->GetFileName(), Dir.File("fresh.zlf"));
  EXPECT_EQ(FileBytes(Dir.File("fresh.zlf")), FileText(fresh));

  // The restored changed window still asks before its changes are lost.
  Prompter.Answers = {TMsgResult::Cancel};
  EXPECT_FALSE(WindowNamed("Changed")->CloseQuery());
  EXPECT_TRUE(Prompter.ShowedOnly("Do you want to save the Wave with name \"Changed\" to current "
                                  "file \"" + Dir.File("changed.zlf") + "\"?",
                                  "You have unsaved changes"));
}

TEST_F(Project, FolderOfCopiesOfAnotherProjectIsRefusedAndEachProjectKeepsItsWindows) {
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  AddWave(SmallMandelbrot(), {}, "A");
  TMDIChildWave* b = AddWave(SmallMandelbrot(50, 30), {}, "B");
  const auto refused = [this](const std::string& target, const std::string& folder,
                              const std::string& owner) {
    return Prompter.ShowedOnly("Cannot use \"" + target + "\" as a project: its folder of copies \"" +
                                   folder + "\" belongs to the project \"" + owner + "\".",
                               "Error");
  };
  const std::string beside = Dir.File("my.xml");
  for (QAction* command : {Form->ProjectExport, Form->ProjectNew}) {
    for (const std::string& target : {beside, ProjectPath}) {
      SCOPED_TRACE(command->objectName().toStdString() + " " + target);
      Prompter.Messages.clear();
      Prompter.SaveAnswers = {target};
      command->trigger();
      EXPECT_TRUE(refused(target, Folder, ProjectPath));
      EXPECT_EQ(Form->Project->ProjectFile(), ProjectPath);
      EXPECT_EQ(Form->Workspace->ChildWindows().size(), 2u);
    }
  }
  EXPECT_FALSE(fs::exists(beside));
  EXPECT_FALSE(fs::exists(Folder)) << "the open project was not touched";

  const std::string other = Dir.File("other.kvp");
  Prompter.Messages.clear();
  Prompter.SaveAnswers = {other};
  Form->ProjectExport->trigger();
  ASSERT_TRUE(Prompter.Messages.empty());
  const auto exported = ProjectState(false);
  Change(b);
  const auto atExit = ProjectState(false);
  Form->close();
  ASSERT_FALSE(Form->isVisible());
  Form->show();
  Reopen(ProjectPath);
  EXPECT_EQ(ProjectState(false), atExit);
  Reopen(other);
  EXPECT_EQ(ProjectState(false), exported);
  EXPECT_TRUE(Prompter.Messages.empty());

  // Beside a project file that is not open.
  Form->Project->SetProjectFile("");
  Prompter.SaveAnswers = {Dir.File("other.xml")};
  Form->ProjectNew->trigger();
  EXPECT_TRUE(refused(Dir.File("other.xml"), Dir.File("otherTempSaveFiles"), other));
  EXPECT_EQ(Form->Project->ProjectFile(), "");
}

TEST_F(Project, ProjectThatCannotBeSavedCanStillBeLeftAsItIsOnDisk) {
  const struct {
    QAction* Command;
    bool ProgramEnds;
  } rows[] = {{Form->ProjectClose, false}, {Form->FileExit, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Command->objectName().toStdString());
    Form->Project->SetProjectFile(ProjectPath);
    OpenCopy(Dir, "kept.zlf");
    AddWave(SmallMandelbrot(), {}, "Fresh");
    WriteFileBytes(Folder, "in the way");
    const std::string question =
        "Cannot save Project File: Cannot create the folder \"" + Folder +
        "\": Not a directory.\nClose without saving the project \"" + ProjectPath +
        "\"? Its files stay as they were.";

    Prompter.Messages.clear();
    Prompter.Answers = {TMsgResult::No};
    row.Command->trigger();
    EXPECT_TRUE(Prompter.ShowedOnly(question, "FileError"));
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->Project->ProjectFile(), ProjectPath);
    EXPECT_EQ(Form->Workspace->ChildWindows().size(), 2u);

    // Only the window with unsaved work asks; No leaves it unsaved.
    Prompter.Messages.clear();
    Prompter.Answers = {TMsgResult::Yes, TMsgResult::No};
    row.Command->trigger();
    EXPECT_EQ(Prompter.Texts(),
              (std::vector<std::string>{
                  question, "Do you want to save the Wave with name \"Fresh\" to a new file?"}));
    EXPECT_EQ(Form->isVisible(), !row.ProgramEnds);
    EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
    if (!row.ProgramEnds) {
      EXPECT_EQ(Form->Project->ProjectFile(), "");
    }
    EXPECT_EQ(FileBytes(Folder), "in the way");
    EXPECT_FALSE(fs::exists(ProjectPath));
    fs::remove(Folder);
  }
}

TEST_F(Project, RestoredWindowSavesOnlyIntoAFractalFileOfItsOwn) {
  const std::string important = Dir.File("important.txt");
  WriteFileBytes(important, "important");
  const std::string fractal = CopyFixture(Dir, "mine.zlf");
  const std::string fixture = FixtureProject("twins");
  for (const std::string& file : {important, fractal}) {
    SCOPED_TRACE(file);
    const std::string path = Dir.File("hostile.kvp");
    fs::create_directory(Dir.File("hostileTempSaveFiles"));
    for (const char* copy : {"savedProjectWindowFile0.wav", "savedProjectWindowFile1.wav"})
      fs::copy_file(Dir.File(std::string("twinsTempSaveFiles/") + copy),
                    Dir.File(std::string("hostileTempSaveFiles/") + copy),
                    fs::copy_options::overwrite_existing);
    WriteFileBytes(path, ReplaceFirst(FileBytes(fixture), "/nonexistent/zenolith/twin.zlf", file));
    Reopen(path);
    TMDIChildWave* twin = WindowNamed("Twin");
    ASSERT_NE(twin, nullptr);
    Form->Workspace->setActiveSubWindow(twin);
    Change(twin);
    Prompter.FileDialogs.clear();
    Form->FileSave->trigger();  // the save dialog, if any, is cancelled
    if (file == important) {
      EXPECT_EQ(twin->GetUnitFract()->GetFileName(), "");
      ASSERT_EQ(Prompter.FileDialogs.size(), 1u);
      EXPECT_EQ(Prompter.FileDialogs[0].Title, "Save Fractal");
    } else {
      EXPECT_TRUE(Prompter.FileDialogs.empty());
      EXPECT_EQ(FileBytes(fractal), FileText(twin));
    }
  }
  EXPECT_EQ(FileBytes(important), "important");
}

TEST_F(Project, WindowPastTheMemoryBudgetOpensEmptyAndKeepsItsPlace) {
  struct TBudgetGuard {
    uint64_t Saved = TMemoryBudget::Shared().Limit();
    ~TBudgetGuard() { TMemoryBudget::Shared().SetLimit(Saved); }
  } guard;
  TMemoryBudget::Shared().SetLimit(uint64_t(64) << 20);
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  // At the bottom of the stack, so that the others stay in sight.
  TMDIChildWave* huge = AddWave(SmallMandelbrot(), {}, "Huge");
  AddWave(SmallMandelbrot(), {}, "A");
  AddWave(SmallMandelbrot(), {}, "C");
  // The largest size a project stores: a 1 GiB picture.
  huge->setGeometry(0, 0, MaxProjectWindowSize, MaxProjectWindowSize);
  QApplication::processEvents();
  const QSize view = huge->GetView()->size();
  const std::string memory =
      std::string(TErrorReport::NotEnoughMemoryText) +
      "\nWindow \"Huge\" stays empty: its picture of " + std::to_string(view.width()) + " x " +
      std::to_string(view.height()) + " pixels needs " +
      std::to_string((uint64_t(view.width()) * view.height() * 4 + (1 << 20) - 1) >> 20) +
      " MB.\nThe windows may take 64 MB together.";
  EXPECT_TRUE(Prompter.ShowedOnly(memory, "System Error"));
  Form->ProjectSave->trigger();

  Prompter.Messages.clear();
  Reopen(ProjectPath);
  QApplication::processEvents();
  EXPECT_TRUE(Prompter.ShowedOnly(memory, "System Error"));
  ASSERT_EQ(Form->Workspace->ChildWindows().size(), 3u);
  huge = WindowNamed("Huge");
  EXPECT_EQ(huge->geometry().size(), QSize(MaxProjectWindowSize, MaxProjectWindowSize));
  EXPECT_EQ(huge->GetView()->GetSurface().Width(), 0);
  for (const char* name : {"A", "C"}) {
    TMDIChildWave* child = WindowNamed(name);
    ASSERT_TRUE(WaitForPicture(child->GetView()));
    EXPECT_EQ(DifferentFromEngine(child), 0) << name;
  }
  EXPECT_LE(TMemoryBudget::Shared().Used(), TMemoryBudget::Shared().Limit());
  Form->ProjectSave->trigger();
  EXPECT_NE(FileBytes(ProjectPath).find("<Width>16384</Width>"), std::string::npos);
}

TEST_F(Project, NamesLoseTheirBlanksAndABlankNameIsNoName) {
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  const struct {
    const char* Typed;
    bool Register;  // else the name field
    std::string Name;
  } rows[] = {{"   ", true, ""}, {"  Spaced  ", true, "Spaced"}, {" \t", false, ""},
              {" Field ", false, "Field"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Typed);
    TMDIChildWave* child = AddWave(SmallMandelbrot(), {}, "Before");
    if (row.Register) {
      auto ran = WhenDialog<TDlgRegisterWave>([&](TDlgRegisterWave* dialog) {
        dialog->EditName->setText(row.Typed);
        dialog->OKBtn->click();
      });
      Form->Register->trigger();
      EXPECT_TRUE(*ran);
    } else {
      Form->EditName->setText(row.Typed);
      Form->CommitEditName();
    }
    EXPECT_EQ(child->GetUnitFract()->GetName(), row.Name);
    EXPECT_EQ(Form->EditName->text().toStdString(), row.Name);
  }
  Form->ProjectSave->trigger();
  EXPECT_TRUE(Prompter.Messages.empty());
  std::vector<std::string> names;
  Reopen(ProjectPath);
  for (TMDIChildZenolith* child : Form->Workspace->ChildWindows())
    names.push_back(child->GetDocument()->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"", "Spaced", "", "Field"}));
}

TEST_F(Project, DeepWindowsComeBackWithTheirAreaInFull) {
  // A Mandelbrot window 2e-80 across around c = i, never saved: the project keeps a copy.
  const std::string zeros(79, '0');
  TFractProps deep = SmallMandelbrot();
  std::string error;
  ASSERT_TRUE(deep.SetDeepArea("-0." + zeros + "1", "1." + zeros + "1", "0." + zeros + "1",
                               "0." + std::string(80, '9'), error));
  ASSERT_TRUE(deep.UsesDeepKernel());
  AddWave(deep, {}, "Deep");
  ASSERT_TRUE(Form->Project->SaveProject(ProjectPath, false));
  Reopen(ProjectPath);
  TMDIChildWave* back = WindowNamed("Deep");
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->GetParams().UsesDeepKernel());
  const TDeepParams area = back->GetParams().DeepParams();
  EXPECT_EQ(area.Left, "-0." + zeros + "1");
  EXPECT_EQ(area.Top, "1." + zeros + "1");
  EXPECT_EQ(area.Bottom, "0." + std::string(80, '9'));
  EXPECT_TRUE(Prompter.Messages.empty());
}

// A window larger than the memory the windows may take at every size the area gives it, and
// one whose results do not fit, while the windows are arranged over and over: each cause is
// told once, no message opens while another is open, and the program answers throughout.
TEST_F(Project, MemoryPressureTellsEachCauseOnceAndTheProgramAnswers) {
  struct TBudgetGuard {
    uint64_t Saved = TMemoryBudget::Shared().Limit();
    ~TBudgetGuard() { TMemoryBudget::Shared().SetLimit(Saved); }
  } guard;
  Form->setGeometry(50, 50, 900, 700);
  TMDIChildWave* small = AddWave(SmallMandelbrot(8, 6), {}, "Small");
  small->setGeometry(40, 40, 60, 50);
  QApplication::processEvents();
  // Room for the small window, not for a window of the usual size.
  TMemoryBudget::Shared().SetLimit(TMemoryBudget::Shared().Used() + (uint64_t(100) << 10));
  TMDIChildWave* big = AddWave(SmallMandelbrot(), {}, "Big");
  TMDIChildWave* other = AddWave(SmallMandelbrot(), {}, "Other");
  const auto place = [&] {
    big->setGeometry(0, 0, 400, 300);
    other->setGeometry(20, 20, 380, 290);
    small->setGeometry(40, 40, 60, 50);
    QApplication::processEvents();
  };
  place();
  EXPECT_EQ(Prompter.Texts().size(), 2u) << "one message for each window made";
  Prompter.Messages.clear();

  // A message box runs the events while it is open; the scripted one does the same.
  int open = 0;
  int deepest = 0;
  Prompter.OnMessage = [&](const TMessageScript::TMessage&) {
    deepest = std::max(deepest, ++open);
    QApplication::processEvents();
    --open;
  };
  const auto arrange = [&] {
    Form->WindowCascade->trigger();
    Form->WindowTileHorizontal->trigger();
    Form->WindowTileVertical->trigger();
    for (TMDIChildWave* w : {big, other, small}) {
      Form->Workspace->setActiveSubWindow(w);
      w->showMaximized();
      QApplication::processEvents();
    }
    for (TMDIChildWave* w : {small, other, big}) {
      Form->Workspace->setActiveSubWindow(w);
      QApplication::processEvents();
    }
    for (TMDIChildWave* w : {big, other, small}) w->showNormal();
    place();
  };
  arrange();
  QApplication::processEvents();
  const std::vector<std::string> firstTime = Prompter.Texts();
  ASSERT_FALSE(firstTime.empty());
  for (const std::string& text : firstTime)
    EXPECT_EQ(text.rfind(TErrorReport::NotEnoughMemoryText, 0), 0u) << text;
  EXPECT_EQ(deepest, 1) << "a message opened while another was open";
  // The same arrangements again are the same causes: nothing more is said.
  Prompter.Messages.clear();
  for (int round = 0; round < 5; ++round) arrange();
  QApplication::processEvents();
  EXPECT_TRUE(Prompter.Messages.empty()) << Prompter.Messages.size() << " messages";
  EXPECT_EQ(deepest, 1);

  // The program answers: a queued call comes through, and the about box opens.
  bool answered = false;
  QMetaObject::invokeMethod(qApp, [&answered] { answered = true; }, Qt::QueuedConnection);
  EXPECT_TRUE(WaitUntil([&answered] { return answered; }));
  auto about = WhenDialog<TAboutBox>([](TAboutBox* box) { box->close(); });
  Form->HelpAbout->trigger();
  EXPECT_TRUE(*about);

  // The windows that did not fit stay empty and keep their places; the small one fits again.
  EXPECT_EQ(big->geometry(), QRect(0, 0, 400, 300));
  EXPECT_EQ(big->GetView()->GetSurface().Width(), 0);
  EXPECT_EQ(other->GetView()->GetSurface().Width(), 0);
  // In front, so that it is painted.
  Form->Workspace->setActiveSubWindow(small);
  small->StartComputation();
  ASSERT_TRUE(WaitForPicture(small->GetView()));
  EXPECT_EQ(DifferentFromEngine(small), 0);
  EXPECT_LE(TMemoryBudget::Shared().Used(), TMemoryBudget::Shared().Limit());

  // Results that do not fit, asked for twice: told each time the user asks, once each.
  Prompter.Messages.clear();
  TFractProps large = SmallMandelbrot(1000, 1000);
  for (int i = 0; i < 2; ++i) {
    small->SetParams(large);
    small->StartComputation();
    QApplication::processEvents();
    EXPECT_TRUE(Prompter.ShowedOnly(std::string(TErrorReport::NotEnoughMemoryText) +
                                        "\nWindow \"Small\" keeps its picture: results of 1000 "
                                        "x 1000 points need " +
                                        std::to_string((uint64_t(1000) * 1000 *
                                                            TFractArray::BytesPerCell +
                                                        (1 << 20) - 1) >>
                                                       20) +
                                        " MB...",
                                    "System Error"));
    Prompter.Messages.clear();
  }
  Prompter.OnMessage = nullptr;
}

// A project crafted so that a window's own file is another window's copy, or a name relative to
// some folder: no Save writes over a copy, and a relative name is the project's folder's.
TEST_F(Project, CraftedProjectCannotMakeSaveWriteOverACopy) {
  fs::create_directory(Folder);
  TFractProps first = SmallMandelbrot();
  first.MaxDepth.SetInt(71);
  TFractProps second = SmallMandelbrot();
  second.MaxDepth.SetInt(72);
  const std::string copy0 = Folder + "/savedProjectWindowFile0.wav";
  ASSERT_TRUE(TUnitFract().SaveAs(copy0, TStoredFractal(first, {})));
  ASSERT_TRUE(TUnitFract().SaveAs(Folder + "/savedProjectWindowFile1.wav",
                                  TStoredFractal(second, {})));
  const std::string rel = CopyFixture(Dir, "rel.zlf");
  const std::string copy0Bytes = FileBytes(copy0);
  const auto window = [](const std::string& document, const std::string& name) {
    return "<Window><Wave>" + document + "</Wave><Name>" + name +
           "</Name><Left>0</Left><Top>0</Top><Width>200</Width><Height>150</Height><Normal/>"
           "</Window>";
  };
  WriteFileBytes(ProjectPath,
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!DOCTYPE Project SYSTEM "
                 "\"Project.dtd\">\n<Project><Version>1.0</Version><NoNameCounter>0</NoNameCounter>"
                 "<Frame><Left>0</Left><Top>0</Top><Width>900</Width><Height>700</Height><Normal/>"
                 "</Frame>" +
                     window("<TempFile>0</TempFile>", "One") +
                     window("<File>" + copy0 + "</File><TempFile>1</TempFile>", "Two") +
                     window("<File>rel.zlf</File>", "Rel") + "</Project>\n");
  Form->Project->OpenProjectFile(ProjectPath);
  EXPECT_TRUE(Prompter.Messages.empty());
  ASSERT_EQ(Form->Project->ProjectFile(), ProjectPath);
  TMDIChildWave* two = WindowNamed("Two");
  TMDIChildWave* relative = WindowNamed("Rel");
  ASSERT_NE(two, nullptr);
  ASSERT_NE(relative, nullptr);
  EXPECT_EQ(two->GetUnitFract()->GetFileName(), "");
  EXPECT_EQ(relative->GetUnitFract()->GetFileName(), rel);

  // Save asks for a name instead of writing over the first window's copy (cancelled here).
  Form->Workspace->setActiveSubWindow(two);
  Change(two);
  Form->FileSave->trigger();
  EXPECT_EQ(Prompter.OnlyFileDialog().rfind("Save Fractal", 0), 0u);
  EXPECT_EQ(FileBytes(copy0), copy0Bytes);
  // A relative name is written where the project is, whatever folder the program started in.
  Form->Workspace->setActiveSubWindow(relative);
  Change(relative);
  Form->FileSave->trigger();
  EXPECT_EQ(FileBytes(rel), FileText(relative));

  // Saved and read again, each window has its own fractal.
  Form->ProjectSave->trigger();
  EXPECT_TRUE(Prompter.Messages.empty());
  const int twoDepth = two->GetParams().MaxDepth.GetInt();
  Reopen(ProjectPath);
  EXPECT_TRUE(Prompter.Messages.empty());
  ASSERT_NE(WindowNamed("One"), nullptr);
  ASSERT_NE(WindowNamed("Two"), nullptr);
  EXPECT_EQ(WindowNamed("One")->GetParams().MaxDepth.GetInt(), 71);
  EXPECT_EQ(WindowNamed("Two")->GetParams().MaxDepth.GetInt(), twoDepth);
}

TEST_F(Project, DamagedProjectKeepsItsFolderOfCopies) {
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  AddWave(SmallMandelbrot(), {}, "A");
  Form->ProjectClose->trigger();
  ASSERT_TRUE(Prompter.Messages.empty());
  // Cut short, as a full disk or a copy broken off would leave it.
  WriteFileBytes(ProjectPath, FileBytes(ProjectPath).substr(0, 300));
  const std::vector<std::string> copies = FolderListing(Folder);
  ASSERT_EQ(copies.size(), 1u);

  Form->Project->SetProjectFile(Dir.File("open.kvp"));
  const std::string beside = Dir.File("my.xml");
  for (QAction* command : {Form->ProjectExport, Form->ProjectNew}) {
    for (const std::string& target : {beside, ProjectPath}) {
      SCOPED_TRACE(command->objectName().toStdString() + " " + target);
      Prompter.Messages.clear();
      Prompter.SaveAnswers = {target};
      command->trigger();
      EXPECT_TRUE(Prompter.ShowedOnly(
          target == beside
              ? "Cannot use \"" + beside + "\" as a project: its folder of copies \"" + Folder +
                    "\" belongs to the project \"" + ProjectPath + "\"."
              : "Cannot use \"" + ProjectPath + "\" as a project: it is a damaged project, and "
                "its folder of copies \"" + Folder + "\" may hold all that is left of its windows.",
          "Error"));
      EXPECT_EQ(Form->Project->ProjectFile(), Dir.File("open.kvp"));
    }
  }
  EXPECT_EQ(FolderListing(Folder), copies);
  EXPECT_FALSE(fs::exists(beside));
  Form->Project->SetProjectFile("");
}

TEST_F(Project, WindowsStopAtTheMostAProjectHolds) {
  EXPECT_EQ(Form->Workspace->WindowLimit, MaxProjectWindows);
  Form->Workspace->WindowLimit = 3;
  const std::string file = CopyFixture(Dir, "one.zlf");
  for (int i = 0; i < 3; ++i) ASSERT_NE(Form->Fractal->OpenFractalFile(file), nullptr);
  const std::string full = "No more than 3 windows can be open, as many as a project holds: "
                           "close a window before another opens.";
  const struct {
    const char* Command;
    std::function<void()> Run;
  } commands[] = {
      {"open", [&] { EXPECT_EQ(Form->Fractal->OpenFractalFile(file), nullptr); }},
      {"new", [&] { Form->FileNewWave->trigger(); }},
      {"duplicate", [&] { Form->DuplicateWave->trigger(); }},
  };
  for (const auto& command : commands) {
    SCOPED_TRACE(command.Command);
    Prompter.Messages.clear();
    command.Run();
    EXPECT_TRUE(Prompter.ShowedOnly(full, "Error"));
    EXPECT_EQ(Form->Workspace->ChildWindows().size(), 3u);
  }
  // A project with more windows than there is room for opens those that fit.
  Form->Workspace->WindowLimit = 4;
  AddWave(SmallMandelbrot(), {}, "Fourth");
  ASSERT_TRUE(Form->Project->SaveProject(ProjectPath, false));
  Form->Workspace->WindowLimit = 2;
  Prompter.Messages.clear();
  Reopen(ProjectPath);
  ASSERT_EQ(Prompter.Messages.size(), 2u);
  EXPECT_EQ(Prompter.Messages[0].Text, "No more than 2 windows can be open, as many as a project "
                                       "holds: close a window before another opens.");
  EXPECT_EQ(Prompter.Messages[1].Text.rfind("Cannot read the file: \"" + ProjectPath + "\"", 0),
            0u);
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 2u);
}

// Windows whose files have names the project file's "File" cannot hold, or that are not UTF-8:
// each opens (from the command line where its extension allows), keeps its name through a
// project and in Recent Files, is titled with it, and saves back into it.
class ProjectFileNames : public ExtrasFixture {
protected:
  TScratchDir Dir{"project-names"};
};

TEST_F(ProjectFileNames, EveryNameTheSystemAllowsComesBackWhole) {
  const std::string project = Dir.File("names.kvp");
  const std::vector<std::string> names = {"new\nline.zlf", "tab\there.zlf", "<angle>.zlf",
                                          "a&b.zlf",        "trailing.zlf ", "caf\xE9.zlf"};
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string path = CopyFixture(Dir, name);
    paths.push_back(path);
    // The open dialog's way; the command line goes by the extension, which a trailing space
    // changes.
    if (path.back() == ' ') {
      ASSERT_NE(Form->Fractal->OpenFractalFileAndRemember(path), nullptr);
    } else {
      Form->OpenCommandLine({path});
    }
    EXPECT_TRUE(Prompter.Messages.empty());
    TMDIChildWave* child = Form->Workspace->ActiveWaveWindow();
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->GetUnitFract()->GetFileName(), path);
    EXPECT_EQ(child->windowTitle(), DisplayFileName(path));
    EXPECT_EQ(child->windowTitle().count(u'\n'), 0);
    TFractProps params = child->GetParams();
    params.MaxDepth.SetInt(100 + static_cast<int>(paths.size()));
    child->SetParams(params);
    child->MarkModified();
  }
  Form->Project->SetProjectFile(project);
  Form->ProjectSave->trigger();
  EXPECT_TRUE(Prompter.Messages.empty());
  const std::string text = FileBytes(project);
  // Names the file can hold are written as they are.
  EXPECT_NE(text.find("<File>" + Dir.File("a&b.zlf") + "</File>"), std::string::npos);
  EXPECT_NE(text.find("<File>" + Dir.File("caf\xE9.zlf") + "</File>"), std::string::npos);

  Restart();
  Form->OpenCommandLine({project});
  EXPECT_TRUE(Prompter.Messages.empty());
  const std::vector<TMDIChildWave*> windows = Form->Workspace->ProjectWindows();
  ASSERT_EQ(windows.size(), paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(windows[i]->GetUnitFract()->GetFileName(), paths[i]);
    EXPECT_EQ(windows[i]->GetParams().MaxDepth.GetInt(), 101 + static_cast<int>(i));
    // Save writes the window's own file.
    Form->Workspace->setActiveSubWindow(windows[i]);
    Form->FileSave->trigger();
    EXPECT_TRUE(Prompter.FileDialogs.empty());
    EXPECT_EQ(FileBytes(paths[i]), FileText(windows[i]));
    // Recent Files keep the name, byte for byte.
    EXPECT_NE(std::find(Form->Recent->Files().begin(), Form->Recent->Files().end(), paths[i]),
              Form->Recent->Files().end());
  }
  EXPECT_TRUE(Prompter.Messages.empty());
}
