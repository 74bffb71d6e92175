// One project in two running programs: only the one that holds it saves into it, the other
// shows its windows read-only, and a program killed while it holds a project blocks nobody.
// The second program is a real one (project_helper.cpp), driven through its standard input.
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/TXMLComplexElement.h"
#include "core/xmlread.h"
#include "document/projectfile.h"
#include "gui/support/wavetestsupport.h"
#include "support/childprocess.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The helper program with its standard input and output as pipes.
class TOtherProgram {
public:
  explicit TOtherProgram(const std::string& settings)
      : Process({ZENOLITH_PROJECT_HELPER, settings}) {}

  /// Sends one command and returns its one line of answer; "(no answer)" when the program
  /// ended or did not answer within a minute (a guard against a hang, not a measure).
  std::string Ask(const std::string& command) {
    const std::string line = command + "\n";
    if (::write(Process.Input, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      return "(no answer)";
    std::string answer;
    for (;;) {
      pollfd ready{Process.Output, POLLIN, 0};
      if (::poll(&ready, 1, 60000) <= 0) return "(no answer)";
      char c;
      if (::read(Process.Output, &c, 1) != 1) return "(no answer)";
      if (c == '\n') return answer;
      answer += c;
    }
  }
  /// Ends it as a crash would.
  void Kill() { Process.Kill(); }
  std::string Id() const { return std::to_string(Process.Pid); }

private:
  TPipedProcess Process;
};

}  // namespace

class ProjectInTwoPrograms : public ExtrasFixture {
protected:
  // This program's windows as the helper's "state" lists them.
  std::string State() const {
    std::string state = "project=" + Form->Project->ProjectFile();
    for (TMDIChildWave* child : Form->Workspace->ProjectWindows()) {
      state += " " + child->GetUnitFract()->GetName() + ":" +
               std::to_string(child->GetParams().MaxDepth.GetInt()) + ":" +
               child->GetUnitFract()->GetFileName();
    }
    return state;
  }
  // Every window changed as an edit would.
  void ChangeAll() {
    for (TMDIChildWave* child : Form->Workspace->ProjectWindows()) {
      TFractProps params = child->GetParams();
      params.MaxDepth.SetInt(params.MaxDepth.GetInt() + 1);
      child->SetParams(params);
      child->MarkModified();
    }
  }
  // The files of the folder of copies and the project file itself.
  std::string OnDisk() const {
    std::string files = FileBytes(ProjectPath);
    for (const std::string& name : FolderListing(Folder))
      files += "\n" + name + ": " + FileBytes(Folder + "/" + name);
    return files;
  }
  // The copies that the project file names.
  std::vector<std::string> NamedCopies() const {
    const TXMLReadResult read = ReadXMLFile(ProjectPath, ProjectGrammar());
    std::vector<std::string> names;
    if (!read.Root) return names;
    for (const std::string& n : ProjectCopyNumbers(read.Root->GetFirst()))
      names.push_back(SavedCopyPrefix + n + CopyExtension);
    std::sort(names.begin(), names.end());
    return names;
  }
  // A state of State() as a program without the project lists it.
  static std::string WithoutProject(const std::string& state) {
    return "project=" + state.substr(state.find(' '));
  }
  std::string InUse(const std::string& holder) const {
    return "The project \"" + ProjectPath + "\" is open in another Zenolith (process " + holder +
           ").";
  }

  TScratchDir Dir{"project-two"};
  std::string ProjectPath = Dir.File("p.kvp");
  std::string Folder = Dir.File("pTempSaveFiles");
  std::string OtherSettings = Dir.File("other.ini");
};

TEST_F(ProjectInTwoPrograms, OnlyTheHolderSavesAndBothFindTheProjectWhole) {
  // This program makes the project: a window never saved and a changed one with its own file.
  Prompter.SaveAnswers = {ProjectPath};
  Form->ProjectNew->trigger();
  AddWave(SmallMandelbrot(), {}, "A");
  TMDIChildWave* b = OpenCopy(Dir, "b.zlf");
  b->GetUnitFract()->SetName("B");
  ChangeAll();
  Form->ProjectSave->trigger();
  ASSERT_TRUE(Prompter.Messages.empty());

  {
    // A second program opens it by accident: it names this one and opens the windows
    // read-only.
    TOtherProgram other(OtherSettings);
    ASSERT_EQ(other.Ask("answer yes"), "ok");
    ASSERT_EQ(other.Ask("open " + ProjectPath), "ok");
    const std::string asked = other.Ask("messages");
    EXPECT_EQ(asked.rfind("File Error: " + InUse(std::to_string(::getpid())) +
                              "\\nOpen its windows read-only?",
                          0),
              0u)
        << asked;
    EXPECT_EQ(other.Ask("state"), WithoutProject(State()));
    // Both change their windows and save in turn; only this program's saves reach the disk.
    for (int round = 0; round < 4; ++round) {
      SCOPED_TRACE(round);
      const std::string before = OnDisk();
      EXPECT_EQ(other.Ask("change"), "ok");
      EXPECT_EQ(other.Ask("add N" + std::to_string(round)), "ok");
      EXPECT_EQ(other.Ask("save"), "ok");
      EXPECT_EQ(OnDisk(), before);
      ChangeAll();
      Form->ProjectSave->trigger();
      EXPECT_TRUE(Prompter.Messages.empty());
      EXPECT_EQ(FolderListing(Folder), NamedCopies());
    }
    EXPECT_EQ(other.Ask("messages"), "");
    // Leaving, each of its windows asks about its changes; No keeps the project as it is.
    const std::string before = OnDisk();
    ASSERT_EQ(other.Ask("answer no"), "ok");
    EXPECT_EQ(other.Ask("quit"), "ok");
    EXPECT_EQ(OnDisk(), before);
  }

  // Reopened here, the project is this program's last save.
  const std::map<std::string, std::string> saved = ProjectState(false);
  const std::string savedState = State();
  for (TMDIChildZenolith* child : Form->Workspace->ChildWindows()) child->CloseWithoutQuery();
  QApplication::processEvents();
  Form->Project->SetProjectFile("");
  Form->Project->OpenProjectFile(ProjectPath);
  EXPECT_EQ(ProjectState(false), saved);
  EXPECT_TRUE(Prompter.Messages.empty());
  Form->ProjectClose->trigger();
  ASSERT_EQ(Form->Project->ProjectFile(), "");

  // The other way round: the other program holds it and saves, this one opens it read-only.
  std::string otherState;
  {
    TOtherProgram other(OtherSettings);
    ASSERT_EQ(other.Ask("open " + ProjectPath), "ok");
    EXPECT_EQ(other.Ask("messages"), "");
    EXPECT_EQ(other.Ask("state"), savedState);
    ASSERT_EQ(other.Ask("change"), "ok");
    ASSERT_EQ(other.Ask("add Other"), "ok");
    ASSERT_EQ(other.Ask("save"), "ok");
    otherState = other.Ask("state");

    Prompter.Answers = {TMsgResult::Yes};
    Form->Project->OpenProject(ProjectPath);
    ASSERT_EQ(Prompter.Messages.size(), 1u);
    EXPECT_EQ(Prompter.Messages[0].Text.rfind(
                  InUse(other.Id()) + "\nOpen its windows read-only?", 0),
              0u);
    EXPECT_EQ(Form->Project->ProjectFile(), "");
    EXPECT_EQ(State(), WithoutProject(otherState));
    // Read-only, nothing here reaches the project; each changed window asks when it closes.
    const std::string before = OnDisk();
    ChangeAll();
    Form->UpdateActions();
    EXPECT_FALSE(Form->ProjectSave->isEnabled());
    Form->ProjectSave->trigger();
    Prompter.Messages.clear();
    Prompter.Answers = {TMsgResult::No, TMsgResult::No, TMsgResult::No};
    EXPECT_TRUE(Form->Project->CloseAllWindows());
    EXPECT_EQ(Prompter.Messages.size(), 3u);
    EXPECT_EQ(OnDisk(), before);
    // The holder leaves, saving the project as it goes.
    EXPECT_EQ(other.Ask("quit"), "ok");
  }
  Prompter.Messages.clear();
  Form->Project->OpenProjectFile(ProjectPath);
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(State(), otherState);
  EXPECT_EQ(FolderListing(Folder), NamedCopies());
  Form->ProjectClose->trigger();

  // A program killed while it holds the project leaves its lock file, which blocks nobody.
  {
    TOtherProgram other(OtherSettings);
    ASSERT_EQ(other.Ask("open " + ProjectPath), "ok");
    other.Kill();
  }
  Form->Project->OpenProjectFile(ProjectPath);
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(Form->Project->ProjectFile(), ProjectPath);
  EXPECT_EQ(State(), otherState);
}
