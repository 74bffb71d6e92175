// The file named on the command line: opened by its extension, once, on the first show.
#include "gui/common/filekinds.h"
#include "gui/support/MainFormFixture.h"

namespace {

struct TCommandLineCase {
  std::vector<std::string> Arguments;
  const char* Message;  // nullptr = none
  const char* FractalOpened;
  const char* ProjectOpened;
};

const TCommandLineCase Cases[] = {
    {{"picture"}, "Cannot read the file: \"picture\" File has no extension", nullptr, nullptr},
    // The dot of a folder does not make an extension.
    {{"/data/set.v2/picture"},
     "Cannot read the file: \"/data/set.v2/picture\" File has no extension", nullptr, nullptr},
    {{"D:\\a.b\\pic"}, "Cannot read the file: \"D:\\a.b\\pic\" File has no extension", nullptr,
     nullptr},
    {{"pic.txt"}, "Invalid extension \"txt\" used.", nullptr, nullptr},
    {{"archive.tar.gz"}, "Invalid extension \"gz\" used.", nullptr, nullptr},
    // Palettes open only when dropped on a window; pictures are only written.
    {{"warm.cp1"}, "Invalid extension \"cp1\" used.", nullptr, nullptr},
    {{"export.png"}, "Invalid extension \"png\" used.", nullptr, nullptr},
    {{"/data/set.v2/pic.zlf"}, nullptr, "/data/set.v2/pic.zlf", nullptr},
    {{"D:\\a.b\\pic.zlf"}, nullptr, "D:\\a.b\\pic.zlf", nullptr},
    {{"PIC.ZLF"}, nullptr, "PIC.ZLF", nullptr},
    {{"/p/my.project.kvp"}, nullptr, nullptr, "/p/my.project.kvp"},
    // The name's bytes reach the opener as the system gave them, UTF-8 or not.
    {{"/data/caf\xE9.zlf"}, nullptr, "/data/caf\xE9.zlf", nullptr},
    {{"/data/new\nline.zlf"}, nullptr, "/data/new\nline.zlf", nullptr},
    // Only the first argument counts.
    {{"a.zlf", "b.zlf", "c.txt"}, nullptr, "a.zlf", nullptr},
};

}  // namespace

class CommandLine : public MainFormFixture {
protected:
  void SetUp() override {
    MainFormFixture::SetUp();
    Form->Opener.SetOpener(FileKind::Fractal,
                           [this](const std::string& path) { Fractals.push_back(path); });
    Form->Opener.SetOpener(FileKind::Project,
                           [this](const std::string& path) { Projects.push_back(path); });
  }
  std::vector<std::string> Fractals;
  std::vector<std::string> Projects;
};

TEST_F(CommandLine, TheExtensionOfTheFileNameDecides) {
  for (const TCommandLineCase& c : Cases) {
    std::string arguments;
    for (const std::string& a : c.Arguments) arguments += a + " ";
    SCOPED_TRACE(arguments);
    Prompter.Messages.clear();
    Fractals.clear();
    Projects.clear();
    Form->Project->SetProjectFile("/old/project.kvp");
    Form->OpenCommandLine(c.Arguments);
    if (c.Message) {
      EXPECT_TRUE(Prompter.ShowedOnly(c.Message, "File Error", TMsgIcon::Information));
    } else {
      EXPECT_TRUE(Prompter.Messages.empty());
    }
    EXPECT_EQ(Fractals, c.FractalOpened ? std::vector<std::string>{c.FractalOpened}
                                        : std::vector<std::string>{});
    EXPECT_EQ(Projects, c.ProjectOpened ? std::vector<std::string>{c.ProjectOpened}
                                        : std::vector<std::string>{});
    // Only a project argument may leave a project open (its opener decides).
    if (!c.ProjectOpened) {
      EXPECT_EQ(Form->Project->ProjectFile(), "");
    }
  }
}

TEST_F(CommandLine, WithoutOpenersNothingHappensAndNothingIsReported) {
  Form->Opener.SetOpener(FileKind::Fractal, nullptr);
  Form->Opener.SetOpener(FileKind::Project, nullptr);
  Form->OpenCommandLine({"a.zlf"});
  Form->OpenCommandLine({"a.kvp"});
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
}

TEST(CommandLineAtStart, IsReadOnTheFirstShowOnly) {
  TScriptedPrompter prompter;
  TMainForm form;
  form.CommandLine = {"/data/first.zlf"};
  std::vector<std::string> opened;
  form.Opener.SetOpener(FileKind::Fractal,
                        [&](const std::string& path) { opened.push_back(path); });
  form.show();
  QApplication::processEvents();
  form.hide();
  form.show();
  QApplication::processEvents();
  EXPECT_EQ(opened, std::vector<std::string>({"/data/first.zlf"}));
}
