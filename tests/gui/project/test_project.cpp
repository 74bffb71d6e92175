// Projects in the main window: saving the windows into a project and reading them back, the
// project commands and their dialogs, and broken project files.
#include <QMdiArea>

#include "core/TErrorReport.h"
#include "core/TXMLItem.h"
#include "core/xmlread.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "document/projectfile.h"
#include "engine/TMemoryBudget.h"
#include "document/projectfile.h"
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
  // A fixture project of tests/data/project copied beside its copy 0 (the fixture fractal).
  std::string FixtureProject(const std::string& name) {
    fs::create_directory(Dir.File(name + "TempSaveFiles"));
    CopyFixture(Dir, name + "TempSaveFiles/savedProjectWindowFile0.wav");
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
  Form->OpenCommandLine({QString::fromStdString(ProjectPath)});
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
    fs::copy_file(Dir.File("twinsTempSaveFiles/savedProjectWindowFile0.wav"),
                  Dir.File("hostileTempSaveFiles/savedProjectWindowFile0.wav"),
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
  const std::string memory = TErrorReport::NotEnoughMemoryText;
  EXPECT_TRUE(Prompter.ShowedOnly(memory, "System Error"));
  Form->ProjectSave->trigger();

  Prompter.Messages.clear();
  Reopen(ProjectPath);
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
