// The project file without windows: the reader's walk through the project walker and the
// folder of copies.
#include <set>
#include <sstream>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "core/TXMLItem.h"
#include "document/TProjectRecord.h"
#include "document/projectfile.h"
#include "support/TProjectWalker.h"
#include "support/files.h"
#include "support/testdata.h"

namespace {

// The walker, with files that fail to open and windows that were open before the read.
class TRecordingHost : public TProjectWalker {
public:
  TUnit* OpenFractalFile(const std::string& path) override {
    Opened.push_back(path);
    return Unreadable.count(path) ? nullptr : TProjectWalker::OpenFractalFile(path);
  }
  TUnit* FindWindowByName(const std::string& name) const override {
    return Existing.count(name) ? &Other : TProjectWalker::FindWindowByName(name);
  }
  const TUnitFract& Unit(size_t i) const { return *Windows.at(i).Unit; }

  std::vector<std::string> Opened;
  std::set<std::string> Unreadable;
  std::set<std::string> Existing;
  mutable TUnitFract Other;
};

// A project text; the frame's lines are 7 to 13 and the first window starts at line 14.
std::string Project(const std::string& windows, const std::string& version = "1.0",
                    const std::string& counter = "3", const std::string& frameWidth = "700") {
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
         "<!DOCTYPE Project SYSTEM \"Project.dtd\">\n\n<Project>\n"
         "  <Version>" + version + "</Version>\n"
         "  <NoNameCounter>" + counter + "</NoNameCounter>\n"
         "  <Frame>\n    <Left>10</Left>\n    <Top>20</Top>\n"
         "    <Width>" + frameWidth + "</Width>\n    <Height>500</Height>\n    <Maximized />\n"
         "  </Frame>\n" + windows + "</Project>\n";
}

// A window of eight lines (nine with a name): the document on its second line.
std::string Window(const std::string& document, const std::string& name = "",
                   const std::string& width = "300") {
  return "  <Window>\n    " + document + "\n" +
         (name.empty() ? "" : "    <Name>" + name + "</Name>\n") +
         "    <Left>5</Left>\n    <Top>6</Top>\n    <Width>" + width +
         "</Width>\n    <Height>200</Height>\n    <Normal />\n  </Window>\n";
}

TProjectReadOutcome Read(const std::string& text, TRecordingHost& host, std::string& errorText,
                         const std::string& projectFile = "/home/u/p/my.kvp") {
  std::istringstream in(text);
  return ReadProjectStream(in, projectFile, host, errorText);
}

}  // namespace

TEST(ProjectReader, OpensEachWindowFromItsCopyOrItsFile) {
  const std::string text = Project(
      Window("<Wave><File>/data/a.zlf</File></Wave>", "A") +
      Window("<Wave><File>/data/b.zlf</File><TempFile>0</TempFile></Wave>", "B") +
      Window("<Wave><TempFile>1</TempFile></Wave>") +
      Window("<Music><File>/data/m.kvm</File></Music>") + Window("<Wave />", "Last"));
  TRecordingHost host;
  std::string errorText;
  ASSERT_EQ(Read(text, host, errorText), TProjectReadOutcome::Read) << errorText;
  EXPECT_EQ(host.NoNameCounter, 3);
  EXPECT_EQ(host.Frame.Left, 10);
  EXPECT_EQ(host.Frame.Top, 20);
  EXPECT_EQ(host.Frame.Width, 700);
  EXPECT_EQ(host.Frame.Height, 500);
  EXPECT_EQ(host.Frame.State, TProjectWindowState::Maximized);
  // Copies live beside the project; music windows and empty waves open nothing.
  EXPECT_EQ(host.Opened, std::vector<std::string>(
                             {"/data/a.zlf",
                              "/home/u/p/myTempSaveFiles/savedProjectWindowFile0.wav",
                              "/home/u/p/myTempSaveFiles/savedProjectWindowFile1.wav"}));
  ASSERT_EQ(host.Windows.size(), 3u);
  const TUnitFract& a = host.Unit(0);
  const TUnitFract& b = host.Unit(1);
  const TUnitFract& fresh = host.Unit(2);
  EXPECT_EQ(a.GetName(), "A");
  EXPECT_EQ(b.GetName(), "B");
  EXPECT_EQ(fresh.GetName(), "");
  // A restored copy takes its document's own file only when that is a fractal file, which
  // /data/b.zlf is not; a window without a file needs saving.
  EXPECT_EQ(a.GetFileName(), "/data/a.zlf");
  EXPECT_EQ(b.GetFileName(), "");
  EXPECT_EQ(fresh.GetFileName(), "");
  EXPECT_FALSE(a.NeedsSave());
  EXPECT_TRUE(b.NeedsSave());
  EXPECT_TRUE(fresh.NeedsSave());
  EXPECT_EQ(host.Windows[2].Place.Width, 300);
  EXPECT_EQ(host.Windows[2].Place.State, TProjectWindowState::Normal);
  EXPECT_EQ(host.EditName, "Last");
  EXPECT_TRUE(host.NameCollisions.empty());
}

TEST(ProjectReader, BrokenProjectsFailWithOneMessageAndPosition) {
  struct TCase {
    const char* What;
    std::string Text;
    std::string Error;  // exact text
    size_t Opened;      // windows opened before the failure
    const char* ProjectFile = "/home/u/p/my.kvp";
  };
  const std::string good = Window("<Wave><File>/data/a.zlf</File></Wave>");
  const std::string empty = Project("");
  const std::string noFrame = empty.substr(0, empty.find("  <Frame>")) + "</Project>\n";
  const TCase cases[] = {
      {"version", Project("", "2.0"),
       "Project version \"2.0\" cannot be read; expect version \"1.0\". At line 5, column 12.", 0},
      {"counter beyond 32 bits", Project("", "1.0", "99999999999"),
       "In NoNameCounter: Value must be between -2147483648 and 2147483647. At line 6, column "
       "18.",
       0},
      {"negative counter", Project("", "1.0", "-1"),
       "In NoNameCounter: Value must be between 0 and 1000000000. At line 6, column 18.", 0},
      {"huge frame", Project("", "1.0", "3", "20000"),
       "In Width: Value must be between 0 and 16384. At line 10, column 12.", 0},
      {"huge second window", Project(good + Window("<Wave><File>/data/b.zlf</File></Wave>", "",
                                                   "90000")),
       "In Width: Value must be between 0 and 16384. At line 26, column 12.", 1},
      {"copy number leaving the folder",
       Project(Window("<Wave><TempFile>../../x</TempFile></Wave>")),
       "In TempFile: Value must be a number from 0 to 999999999. At line 15, column 21.", 0},
      // Two windows on one copy would save over each other.
      {"copy named by two windows",
       Project(Window("<Wave><TempFile>0</TempFile></Wave>") +
               Window("<Wave><TempFile>0</TempFile></Wave>")),
       "In TempFile: The copy 0 belongs to an earlier window. At line 23, column 21.", 1},
      {"escaped file name with a bad escape",
       Project(Window("<Wave><EscapedFile>/data/a%4G.zlf</EscapedFile></Wave>")),
       "In EscapedFile: \"%\" must be followed by two hexadecimal digits. At line 15, column 24.",
       0},
      {"copy of a project without folder", Project(Window("<Wave><TempFile>0</TempFile></Wave>")),
       "Function PathOfPathFile: PathFile (\"my.kvp\") has no path\". At line 15, column 21.", 0,
       "my.kvp"},
      // The open's own message has been shown; the project adds where it stopped.
      {"unreadable window file", Project(good + Window("<Wave><File>/data/bad.zlf</File></Wave>")),
       " At line 23, column 11.", 1},
      // The parser's own messages carry their position.
      {"no frame", noFrame,
       "unexpected end of element \"Project\", expect begin of element \"Frame\", at line 7, "
       "column 10.",
       0},
      {"empty file", "",
       "unexpected end-of-file, expect begin of element \"Project\", at line 3, column 0.", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TRecordingHost host;
    host.Unreadable = {"/data/bad.zlf"};
    std::string errorText;
    EXPECT_EQ(Read(c.Text, host, errorText, c.ProjectFile), TProjectReadOutcome::Failed);
    EXPECT_EQ(errorText, c.Error);
    EXPECT_EQ(host.Windows.size(), c.Opened);
  }
  // A file that is not there is no broken project.
  TRecordingHost host;
  std::string errorText;
  EXPECT_EQ(ReadProjectFile("/nonexistent/zenolith/p.kvp", host, errorText),
            TProjectReadOutcome::NotOpened);
  EXPECT_EQ(errorText, "");
  // A pipe is refused at once, not waited on, and says why.
  TScratchDir dir("project-pipe");
  ASSERT_EQ(::mkfifo(dir.File("pipe.kvp").c_str(), 0600), 0);
  EXPECT_EQ(ReadProjectFile(dir.File("pipe.kvp"), host, errorText), TProjectReadOutcome::Failed);
  EXPECT_EQ(errorText, ", not a regular file");
  EXPECT_TRUE(host.Windows.empty());
}

TEST(ProjectWriter, TheRecordIsWrittenAsTheReaderReadsIt) {
  TProjectRecord project;
  project.NoNameCounter = 3;
  project.Frame = {10, 20, 700, 500, TProjectWindowState::Maximized};
  TProjectWindow a;
  a.File = "/data/a.zlf";
  a.Name = "A";
  a.Place = {5, 6, 300, 200, TProjectWindowState::Normal};
  TProjectWindow fresh;
  fresh.TempFile = "1";
  fresh.Place = {-7, 0, 0, 16384, TProjectWindowState::Minimized};
  project.Windows = {a, fresh};

  std::string text;
  std::string errorText;
  ASSERT_TRUE(ProjectFileText(project, text, errorText)) << errorText;
  const std::string window =
      "  <Window>\n    <Wave>\n      <TempFile>1</TempFile>\n    </Wave>\n    <Left>-7</Left>\n"
      "    <Top>0</Top>\n    <Width>0</Width>\n    <Height>16384</Height>\n    <Minimized />\n"
      "  </Window>\n";
  EXPECT_EQ(text, WithCrLf(ReplaceFirst(
                      Project(Window("<Wave><File>/data/a.zlf</File></Wave>", "A") + window),
                      "<Wave><File>/data/a.zlf</File></Wave>",
                      "<Wave>\n      <File>/data/a.zlf</File>\n    </Wave>")));

  TRecordingHost host;
  std::istringstream in(text);
  ASSERT_EQ(ReadProjectStream(in, "/home/u/p/my.kvp", host, errorText), TProjectReadOutcome::Read)
      << errorText;
  EXPECT_EQ(host.NoNameCounter, 3);
  EXPECT_EQ(host.Frame.State, TProjectWindowState::Maximized);
  EXPECT_EQ(host.Opened,
            std::vector<std::string>(
                {"/data/a.zlf", "/home/u/p/myTempSaveFiles/savedProjectWindowFile1.wav"}));
  ASSERT_EQ(host.Windows.size(), 2u);
  EXPECT_EQ(host.Windows[1].Place.Left, -7);
  EXPECT_EQ(host.Windows[1].Place.Height, 16384);
  EXPECT_EQ(host.Windows[1].Place.State, TProjectWindowState::Minimized);
  EXPECT_EQ(host.EditName, "");
}

TEST(ProjectFolder, CopiesLiveInAFolderNamedAfterTheProject) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/u/p/my.kvp", "/home/u/p/myTempSaveFiles"},
      {"/home/u/p/my.set.kvp", "/home/u/p/my.setTempSaveFiles"},
      {"/home/u/p.d/plain", "/home/u/p.d/plainTempSaveFiles"},
      {"/top.kvp", "/topTempSaveFiles"},
  };
  for (const auto& [project, expected] : cases) {
    std::string folder;
    std::string errorText;
    EXPECT_TRUE(ProjectTempFolder(project, folder, errorText)) << project;
    EXPECT_EQ(folder, expected);
  }
  EXPECT_EQ(ProjectCopyPath("/f", SavedCopyPrefix, 12), "/f/savedProjectWindowFile12.wav");
}

TEST(ProjectWriter, EveryFileNameComesBackByteForByte) {
  const struct {
    const char* Case;
    std::string File;
    bool Escaped;  // written as "EscapedFile"; else "File", byte for byte
  } rows[] = {
      {"plain", "/data/a.zlf", false},
      {"ampersand", "/data/a&b.zlf", false},
      {"Latin-1 bytes", "/data/caf\xE9 \xFC" "ber.zlf", false},
      {"percent sign", "/data/100%.zlf", false},
      {"inner blanks", "/data/my  fractal.zlf", false},
      {"angle brackets", "/data/<a>.zlf", true},
      {"line feed", "/data/a\nb.zlf", true},
      {"carriage return", "/data/a\rb.zlf", true},
      {"tab", "/data/a\tb.zlf", true},
      {"trailing space", "/data/a.zlf ", true},
      {"leading space", " a.zlf", true},
      {"percent among escapes", "/data/100%<1>.zlf", true},
      {"control byte at the end", "/data/a.zlf\x01", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    TProjectRecord project;
    TProjectWindow window;
    window.File = row.File;
    window.TempFile = "4";
    window.Place = {1, 2, 30, 40, TProjectWindowState::Normal};
    project.Windows = {window};
    std::string text;
    std::string errorText;
    ASSERT_TRUE(ProjectFileText(project, text, errorText)) << errorText;
    EXPECT_EQ(FileElementHolds(row.File), !row.Escaped);
    if (row.Escaped) {
      EXPECT_EQ(text.find("<File>"), std::string::npos);
      EXPECT_NE(text.find("<EscapedFile>" + EscapeFileName(row.File) + "</EscapedFile>"),
                std::string::npos);
    } else {
      EXPECT_NE(text.find("      <File>" + row.File + "</File>\r\n"), std::string::npos);
      EXPECT_EQ(text.find("EscapedFile"), std::string::npos);
    }
    std::istringstream in(text);
    TProjectRecord read;
    ASSERT_TRUE(ReadProjectRecord(in, read, errorText)) << errorText;
    ASSERT_EQ(read.Windows.size(), 1u);
    EXPECT_EQ(read.Windows[0].File, row.File);
    EXPECT_EQ(read.Windows[0].TempFile, "4");
  }
  std::string path;
  EXPECT_TRUE(UnescapeFileName("%3c%3E%25", path));
  EXPECT_EQ(path, "<>%");
  EXPECT_FALSE(UnescapeFileName("a%2", path));
}

TEST(ProjectReader, RelativeFileIsTakenFromTheProjectsFolder) {
  const std::string text = Project(Window("<Wave><File>rel.zlf</File></Wave>", "R") +
                                   Window("<Wave><File>sub/x.zlf</File></Wave>") +
                                   Window("<Wave><File>/abs/y.zlf</File></Wave>"));
  TRecordingHost host;
  std::string errorText;
  ASSERT_EQ(Read(text, host, errorText), TProjectReadOutcome::Read) << errorText;
  EXPECT_EQ(host.Opened, (std::vector<std::string>{"/home/u/p/rel.zlf", "/home/u/p/sub/x.zlf",
                                                   "/abs/y.zlf"}));
  ASSERT_EQ(host.Windows.size(), 3u);
  EXPECT_EQ(host.Unit(0).GetFileName(), "/home/u/p/rel.zlf");
}

TEST(ProjectReader, WindowsPastTheCapAreRefusedBeforeTheyTakeMemory) {
  const std::string window = "<Window><Wave /><Left>0</Left><Top>0</Top><Width>9</Width>"
                             "<Height>9</Height><Normal /></Window>\n";
  std::string full;
  for (int i = 0; i < MaxProjectWindows; ++i) full += window;
  std::string errorText;
  {
    std::istringstream in(Project(full));
    TProjectRecord read;
    ASSERT_TRUE(ReadProjectRecord(in, read, errorText)) << errorText;
    EXPECT_EQ(read.Windows.size(), static_cast<size_t>(MaxProjectWindows));
    // What the program writes of so many windows reads again.
    std::string text;
    ASSERT_TRUE(ProjectFileText(read, text, errorText)) << errorText;
    read.Windows.push_back(read.Windows.back());
    EXPECT_FALSE(ProjectFileText(read, text, errorText));
    EXPECT_EQ(errorText, "A project holds at most 10000 windows.");
  }
  TRecordingHost host;
  EXPECT_EQ(Read(Project(full + window), host, errorText), TProjectReadOutcome::Failed);
  EXPECT_EQ(errorText, "A project holds at most 10000 windows at line 10014, column 8.");
  EXPECT_EQ(host.NoNameCounter, -1) << "refused before anything was read";
}
