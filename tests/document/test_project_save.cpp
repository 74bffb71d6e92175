// The file steps of a project save: a kill at any of them leaves the previous project or the
// new one whole; copies take free numbers and unnamed ones go only after the switch (failures
// are tested through the program, in tests/gui/test_hostile_faults.cpp); only the process that
// holds a project saves into it. Also what a project may name: its windows' own files, and
// folders of copies that belong to another project.
#include <algorithm>
#include <csignal>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/TXMLItem.h"
#include "core/xmlread.h"
#include "document/TProjectLock.h"
#include "document/TProjectSave.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "document/fractalfile.h"
#include "document/projectfile.h"
#include "support/TProjectWalker.h"
#include "support/childprocess.h"
#include "support/files.h"
#include "support/projectsavestates.h"
#include "support/testdata.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs the save helper for `state`, killed before its `killAt`th file operation (0: never).
// True when it was killed; a normal end must be a successful save.
bool RunKilledSave(const std::string& project, const std::string& state, long killAt) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string var = *e;
    if (var.rfind("LD_PRELOAD=", 0) != 0 && var.rfind("ASAN_OPTIONS=", 0) != 0) env.push_back(var);
  }
  const char* asan = std::getenv("ASAN_OPTIONS");
  // In a sanitized build the preloaded library comes before the sanitizer's runtime.
  env.push_back("ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0");
  env.push_back(std::string("LD_PRELOAD=") + ZENOLITH_KILLPOINT);
  env.push_back("ZENOLITH_KILL_AT=" + std::to_string(killAt));
  std::vector<char*> envp;
  for (std::string& var : env) envp.push_back(var.data());
  envp.push_back(nullptr);
  std::string helper = ZENOLITH_PROJECTSAVE_HELPER;
  std::string path = project;
  std::string which = state;
  char* argv[] = {helper.data(), path.data(), which.data(), nullptr};
  pid_t pid = 0;
  EXPECT_EQ(::posix_spawn(&pid, helper.c_str(), nullptr, nullptr, argv, envp.data()), 0);
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, 0), pid);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return true;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  return false;
}

// The save helper run as a second process that holds a project until Release or Kill.
class THoldingProcess {
public:
  explicit THoldingProcess(const std::string& project)
      : Process({ZENOLITH_PROJECTSAVE_HELPER, project, "hold"}) {
    // Its first line says whether it holds the project.
    char c;
    while (::read(Process.Output, &c, 1) == 1 && c != '\n') State += c;
    ::close(Process.Output);
    Process.Output = -1;
  }
  /// Lets it give the project up and end.
  void Release() { Process.End(); }
  /// Ends it as a crash would: its lock file stays behind.
  void Kill() { Process.Kill(); }
  std::string Id() const { return std::to_string(Process.Pid); }

  TPipedProcess Process;
  std::string State;
};

// A walker that reads every file a project opens as a fractal.
class TLoadingWalker : public TProjectWalker {
public:
  TUnit* OpenFractalFile(const std::string& path) override {
    TStoredFractal fractal;
    std::string errorText;
    if (!ReadFractalFile(path, fractal, errorText)) return nullptr;
    Depths.push_back(fractal.Params.MaxDepth.GetInt());
    return TProjectWalker::OpenFractalFile(path);
  }
  std::vector<int> Depths;
};

// Each window of the project as opened: its name and its fractal.
std::vector<TSavedWindow> Restored(const std::string& project) {
  TLoadingWalker walker;
  std::string errorText;
  EXPECT_EQ(ReadProjectFile(project, walker, errorText), TProjectReadOutcome::Read) << errorText;
  std::vector<TSavedWindow> windows;
  for (size_t i = 0; i < walker.Windows.size(); ++i)
    windows.push_back({walker.Windows[i].Unit->GetName(), walker.Depths[i]});
  return windows;
}

// The files the project at `project` names in its folder of copies, sorted.
std::vector<std::string> NamedCopyFiles(const std::string& project) {
  const TXMLReadResult read = ReadXMLFile(project, ProjectGrammar());
  std::vector<std::string> names;
  if (!read.Root) return names;
  for (const std::string& n : ProjectCopyNumbers(read.Root->GetFirst()))
    names.push_back(SavedCopyPrefix + n + CopyExtension);
  std::sort(names.begin(), names.end());
  return names;
}

// A project text whose windows are the copies numbered `copies`.
std::string ProjectNaming(const std::vector<std::string>& copies) {
  std::string windows;
  for (const std::string& n : copies)
    windows += "<Window><Wave><TempFile>" + n +
               "</TempFile></Wave><Left>0</Left><Top>0</Top><Width>9</Width><Height>9</Height>"
               "<Normal/></Window>";
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<!DOCTYPE Project SYSTEM \"Project.dtd\">\n<Project><Version>1.0</Version>"
         "<NoNameCounter>0</NoNameCounter><Frame><Left>0</Left><Top>0</Top><Width>9</Width><Height>9</Height>"
         "<Normal/></Frame>" + windows + "</Project>\n";
}

}  // namespace

TEST(ProjectSave, KillAtEveryStepLeavesTheOldOrTheNewProjectWhole) {
  TScratchDir dir("project-kill");
  const std::string project = dir.File("p.kvp");
  const std::string folder = dir.File("pTempSaveFiles");
  const std::vector<TSavedWindow> before = SaveState("old");
  const std::vector<TSavedWindow> after = SaveState("new");
  std::set<std::string> outcomes;
  long killAt = 1;
  for (;; ++killAt) {
    SCOPED_TRACE("killed before file operation " + std::to_string(killAt));
    for (const auto& entry : fs::directory_iterator(dir.Path())) fs::remove_all(entry.path());
    ASSERT_FALSE(RunKilledSave(project, "old", 0));
    const bool killed = RunKilledSave(project, "new", killAt);
    const std::vector<TSavedWindow> restored = Restored(project);
    if (killed) {
      EXPECT_TRUE(restored == before || restored == after);
      outcomes.insert(restored == before ? "old" : "new");
    } else {
      EXPECT_EQ(restored, after);
    }
    // The next save puts the new project in place and leaves nothing else behind.
    ASSERT_FALSE(RunKilledSave(project, "new", 0));
    EXPECT_EQ(Restored(project), after);
    EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"p.kvp", "pTempSaveFiles"}));
    EXPECT_EQ(FolderListing(folder), NamedCopyFiles(project));
    if (!killed) break;
    ASSERT_LT(killAt, 500) << "the save never ends";
  }
  // Each copy is written, flushed and renamed; then the project file is replaced and the
  // old copies deleted.
  EXPECT_GE(killAt - 1, static_cast<long>(3 * after.size() + before.size()));
  EXPECT_EQ(outcomes, (std::set<std::string>{"old", "new"}));
}

TEST(ProjectSave, CopiesTakeFreeNumbersAndWhatNoProjectNamesGoesAfterTheSwitch) {
  TScratchDir dir("project-numbers");
  const std::string project = dir.File("p.kvp");
  const std::string folder = dir.File("pTempSaveFiles");
  fs::create_directories(folder + "/savedProjectWindowFile5.wav");  // not a copy: kept
  // The id of a process that has ended.
  pid_t ended = 0;
  char* argv[] = {const_cast<char*>("true"), nullptr};
  ASSERT_EQ(::posix_spawnp(&ended, "true", nullptr, nullptr, argv, environ), 0);
  ::waitpid(ended, nullptr, 0);
  const std::string dead = std::to_string(ended);
  const std::string running = std::to_string(::getpid());
  const std::string previous = ProjectNaming({"0", "2"});
  WriteFileBytes(project, previous);
  for (const char* name : {"savedProjectWindowFile0.wav", "savedProjectWindowFile2.wav",
                           "savedProjectWindowFile1.kvm", "savedProjectWindowFile3.wav",
                           "newProjectWindowFile4.wav", "oldProjectWindowFile0.wav"})
    WriteFileBytes(folder + "/" + name, name);
  const std::vector<std::string> leftovers = {
      folder + "/newProjectWindowFile7-" + dead + ".wav", folder + "/.zenolith-" + dead + "-0.tmp",
      dir.File(".zenolith-" + dead + "-3.tmp")};
  const std::vector<std::string> inUse = {folder + "/newProjectWindowFile8-" + running + ".wav",
                                          dir.File(".zenolith-" + running + "-0.tmp")};
  for (const std::string& path : leftovers) WriteFileBytes(path, "half");
  for (const std::string& path : inUse) WriteFileBytes(path, "busy");

  TProjectSave save(project);
  std::string errorText;
  ASSERT_TRUE(save.Begin(errorText)) << errorText;
  for (const std::string& path : leftovers) EXPECT_FALSE(fs::exists(path)) << path;
  for (const std::string& path : inUse) EXPECT_TRUE(fs::exists(path)) << path;
  // 0 and 2 are named, 1 and 3 are there, 5 is taken by a folder.
  EXPECT_EQ(save.WriteCopy("copy 4", errorText), 4);
  EXPECT_EQ(save.WriteCopy("copy 6", errorText), 6);
  EXPECT_EQ(FileBytes(project), previous);
  EXPECT_EQ(FileBytes(folder + "/savedProjectWindowFile2.wav"), "savedProjectWindowFile2.wav");

  ASSERT_TRUE(save.Commit(ProjectNaming({"4", "6"}), errorText)) << errorText;
  EXPECT_EQ(FileBytes(folder + "/savedProjectWindowFile4.wav"), "copy 4");
  EXPECT_EQ(FolderListing(folder),
            (std::vector<std::string>{"newProjectWindowFile8-" + running + ".wav",
                                      "savedProjectWindowFile4.wav",
                                      "savedProjectWindowFile5.wav",
                                      "savedProjectWindowFile6.wav"}));
}

TEST(ProjectReader, RestoredWindowKeepsOnlyAFractalFileOfItsOwnOutsideEveryFolderOfCopies) {
  TScratchDir dir("project-files");
  const std::string fractal = dir.File("mine.zlf");
  ASSERT_TRUE(TUnitFract().SaveAs(fractal, TStoredFractal()));
  const std::string important = dir.File("important.txt");
  WriteFileBytes(important, "not a fractal");
  fs::create_directory(dir.File("folder.zlf"));
  ASSERT_EQ(::mkfifo(dir.File("pipe.zlf").c_str(), 0600), 0);
  // Copies that read as fractal files: this project's, another project's, a damaged
  // project's (its file cut short) and those of a folder no project owns.
  const std::string project = ProjectNaming({"0", "1"});
  WriteFileBytes(dir.File("other.kvp"), project);
  WriteFileBytes(dir.File("cut.kvp"), project.substr(0, 300));
  for (const char* folder : {"pTempSaveFiles", "otherTempSaveFiles", "cutTempSaveFiles",
                             "strayTempSaveFiles"}) {
    fs::create_directory(dir.File(folder));
    fs::copy_file(fractal, dir.File(std::string(folder) + "/savedProjectWindowFile1.wav"));
  }
  fs::copy_file(fractal, dir.File("pTempSaveFiles/savedProjectWindowFile0.wav"));
  const struct {
    std::string File;
    std::string Kept;
  } rows[] = {{fractal, fractal},
              {dir.File("sub/../mine.zlf"), dir.File("sub/../mine.zlf")},
              // A relative name belongs to the project's folder.
              {"mine.zlf", fractal},
              {important, ""},
              {dir.File("gone.zlf"), ""},
              {dir.File("folder.zlf"), ""},
              {dir.File("pipe.zlf"), ""},
              // Save would write over a copy, and a project save would then delete it.
              {dir.File("pTempSaveFiles/savedProjectWindowFile1.wav"), ""},
              {"pTempSaveFiles/savedProjectWindowFile1.wav", ""},
              {dir.File("sub/../pTempSaveFiles/savedProjectWindowFile1.wav"), ""},
              {dir.File("otherTempSaveFiles/savedProjectWindowFile1.wav"), ""},
              {dir.File("cutTempSaveFiles/savedProjectWindowFile1.wav"), ""},
              {dir.File("strayTempSaveFiles/savedProjectWindowFile1.wav"),
               dir.File("strayTempSaveFiles/savedProjectWindowFile1.wav")}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.File);
    fs::create_directory(dir.File("sub"));
    // Restored from its copy, and opened from the file itself.
    for (const bool fromCopy : {true, false}) {
      std::string text = ProjectNaming({"0"});
      text = ReplaceFirst(text, "<Wave><TempFile>0</TempFile>",
                          "<Wave><File>" + row.File + "</File>" +
                              (fromCopy ? "<TempFile>0</TempFile>" : ""));
      std::istringstream in(text);
      TProjectWalker walker;
      std::string errorText;
      ASSERT_EQ(ReadProjectStream(in, dir.File("p.kvp"), walker, errorText),
                TProjectReadOutcome::Read) << errorText;
      ASSERT_EQ(walker.Windows.size(), 1u);
      if (fromCopy) {
        EXPECT_EQ(walker.Windows[0].OpenedPath,
                  dir.File("pTempSaveFiles/savedProjectWindowFile0.wav"));
        EXPECT_EQ(walker.Windows[0].Unit->GetFileName(), row.Kept);
        // A window without its own file needs a name before Save writes anything.
        EXPECT_TRUE(walker.Windows[0].Unit->NeedsSave());
      } else if (row.Kept.empty() && row.File.find("TempSaveFiles/") != std::string::npos) {
        // Shown from the copy it names, but not saved over it.
        EXPECT_EQ(walker.Windows[0].Unit->GetFileName(), "");
      }
    }
  }
  EXPECT_EQ(FileBytes(important), "not a fractal");
}

TEST(ProjectLock, OneProcessHoldsAProjectAndALockLeftByAKillNeverBlocks) {
  TScratchDir dir("project-lock");
  fs::create_directory(dir.File("sub"));
  const std::string project = dir.File("p.kvp");
  std::string expectedLock;
  std::string errorText;
  ASSERT_TRUE(TProjectLock::LockFileOf(project, expectedLock, errorText));
  EXPECT_EQ(expectedLock, dir.File(".pTempSaveFiles.lock"));
  const std::string previous = ProjectNaming({"0"});
  WriteFileBytes(project, previous);
  fs::create_directory(dir.File("pTempSaveFiles"));
  WriteFileBytes(dir.File("pTempSaveFiles/savedProjectWindowFile0.wav"), "copy 0");
  WriteFileBytes(dir.File("pTempSaveFiles/savedProjectWindowFile1.wav"), "unnamed");

  THoldingProcess holder(project);
  ASSERT_EQ(holder.State, "held");
  // Every way to the project meets the holder: another spelling of its path, and another
  // project file that shares its folder of copies.
  for (const std::string& path : {project, dir.File("sub/../p.kvp"), dir.File("p.xml")}) {
    SCOPED_TRACE(path);
    const TProjectLock lock(path);
    EXPECT_EQ(lock.State(), TProjectLock::TState::HeldElsewhere);
    EXPECT_EQ(lock.Holder(), holder.Id());
    EXPECT_FALSE(TProjectLock::HeldHere(path));
    // A save gives up before it writes or deletes anything.
    TProjectSave save(path);
    EXPECT_FALSE(save.Begin(errorText));
    EXPECT_EQ(errorText, "The project \"" + path + "\" is open in another Zenolith (process " +
                             holder.Id() + ").");
  }
  EXPECT_EQ(FileBytes(project), previous);
  EXPECT_EQ(FolderListing(dir.File("pTempSaveFiles")),
            (std::vector<std::string>{"savedProjectWindowFile0.wav",
                                      "savedProjectWindowFile1.wav"}));

  // Killed, the holder leaves its lock file, which blocks nobody.
  holder.Kill();
  EXPECT_TRUE(fs::exists(expectedLock));
  {
    const TProjectLock lock(project);
    ASSERT_EQ(lock.State(), TProjectLock::TState::Held);
    // The process's locks on one project share one hold.
    const TProjectLock twin(dir.File("p.xml"));
    EXPECT_TRUE(twin.Held());
    EXPECT_TRUE(TProjectLock::HeldHere(dir.File("sub/../p.kvp")));
    THoldingProcess other(project);
    EXPECT_EQ(other.State, "elsewhere " + std::to_string(::getpid()));
    // The holder saves; what no project names goes.
    TProjectSave save(project);
    ASSERT_TRUE(save.Begin(errorText)) << errorText;
    ASSERT_TRUE(save.Commit(ProjectNaming({"0"}), errorText)) << errorText;
  }
  EXPECT_EQ(FolderListing(dir.File("pTempSaveFiles")),
            std::vector<std::string>{"savedProjectWindowFile0.wav"});
  // Given up, the lock leaves nothing behind.
  EXPECT_FALSE(TProjectLock::HeldHere(project));
  EXPECT_EQ(FolderListing(dir.Path()),
            (std::vector<std::string>{"p.kvp", "pTempSaveFiles", "sub"}));
  // A lock file with no process behind it, or with rubbish in it, is taken over as well.
  for (const std::string& stale : {std::string("999999999\n"), std::string("rubbish")}) {
    WriteFileBytes(expectedLock, stale);
    THoldingProcess next(project);
    EXPECT_EQ(next.State, "held");
    next.Release();
    EXPECT_FALSE(fs::exists(expectedLock));
  }
}

TEST(ProjectFolder, FolderOfCopiesBelongsToOneProject) {
  TScratchDir dir("project-share");
  WriteFileBytes(dir.File("my.kvp"), ProjectNaming({}));
  // A project cut short still owns its folder of copies.
  WriteFileBytes(dir.File("cut.kvp"), ProjectNaming({"0"}).substr(0, 300));
  WriteFileBytes(dir.File("notes.txt"), "not a project");
  fs::create_directory(dir.File("sub"));
  const std::string open = dir.File("my.kvp");
  const struct {
    std::string Target;
    std::string Open;
    std::string Owner;
  } rows[] = {
      {dir.File("my.xml"), open, open},                 // beside the open project
      {dir.File("sub/../my.xml"), open, open},          // the same place by another path
      {dir.File("my.kvp"), open, open},                 // the open project itself
      {dir.File("my.xml"), "", open},                   // beside another project file
      {dir.File("my"), "", open},                       // no extension, same name
      {dir.File("my.kvp"), "", ""},                     // its own folder
      {dir.File("notes.kvp"), open, ""},                // beside a file that is no project
      {dir.File("my.set.kvp"), open, ""},               // another name
      {dir.File("cut.xml"), open, dir.File("cut.kvp")}, // beside a damaged project
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Target + " with " + row.Open + " open");
    std::string folder;
    EXPECT_EQ(ProjectSharingCopies(row.Target, row.Open, folder), row.Owner);
  }
  std::string folder;
  ProjectSharingCopies(dir.File("my.xml"), "", folder);
  EXPECT_EQ(folder, dir.File("myTempSaveFiles"));

  // A damaged project in the place itself: its copies may be all that is left of it.
  WriteFileBytes(dir.File("blank.kvp"), "");
  fs::create_directory(dir.File("blankTempSaveFiles"));
  WriteFileBytes(dir.File("blankTempSaveFiles/savedProjectWindowFile3.wav"), "copy");
  const struct {
    std::string Target;
    bool Damaged;
  } targets[] = {{dir.File("cut.kvp"), true},     {dir.File("blank.kvp"), true},
                 {dir.File("my.kvp"), false},     {dir.File("notes.txt"), false},
                 {dir.File("missing.kvp"), false}};
  for (const auto& row : targets) {
    SCOPED_TRACE(row.Target);
    EXPECT_EQ(IsDamagedProject(row.Target, folder), row.Damaged);
  }
}
