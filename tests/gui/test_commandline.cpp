// The file named on the command line: opened by its extension, once, on the first show.
#include "gui/support/MainFormFixture.h"

namespace {

struct TCommandLineCase {
  const char* Argument;
  const char* Message;  // nullptr = none
  const char* FractalOpened;
  const char* ProjectOpened;
};

const TCommandLineCase Cases[] = {
    {"picture", "Cannot read the file: \"picture\" File has no extension", nullptr, nullptr},
    // The dot of a folder does not make an extension.
    {"/data/set.v2/picture", "Cannot read the file: \"/data/set.v2/picture\" File has no extension",
     nullptr, nullptr},
    {"D:\\a.b\\pic", "Cannot read the file: \"D:\\a.b\\pic\" File has no extension", nullptr,
     nullptr},
    {"pic.txt", "Invalid extension \"txt\" used.", nullptr, nullptr},
    {"archive.tar.gz", "Invalid extension \"gz\" used.", nullptr, nullptr},
    {"/data/set.v2/pic.zlf", nullptr, "/data/set.v2/pic.zlf", nullptr},
    {"D:\\a.b\\pic.zlf", nullptr, "D:\\a.b\\pic.zlf", nullptr},
    {"PIC.ZLF", nullptr, "PIC.ZLF", nullptr},
    {"/p/my.project.kvp", nullptr, nullptr, "/p/my.project.kvp"},
};

}  // namespace

class CommandLine : public MainFormFixture {
protected:
  void SetUp() override {
    MainFormFixture::SetUp();
    Form->OpenFractalFileHook = [this](const std::string& path) {
      Fractals.push_back(path);
      return nullptr;
    };
    Form->OpenProjectFileHook = [this](const std::string& path) { Projects.push_back(path); };
  }
  std::vector<std::string> Fractals;
  std::vector<std::string> Projects;
};

TEST_F(CommandLine, TheExtensionOfTheFileNameDecides) {
  for (const TCommandLineCase& c : Cases) {
    SCOPED_TRACE(c.Argument);
    Prompter.Messages.clear();
    Fractals.clear();
    Projects.clear();
    Form->ProjectFile = "/old/project.kvp";
    Form->OpenCommandLine({QString::fromStdString(c.Argument)});
    if (c.Message) {
      ASSERT_EQ(Prompter.Messages.size(), 1u);
      EXPECT_EQ(Prompter.Messages[0].Text, c.Message);
      EXPECT_EQ(Prompter.Messages[0].Title, "File Error");
      EXPECT_EQ(Prompter.Messages[0].Icon, TMsgIcon::Information);
    } else {
      EXPECT_TRUE(Prompter.Messages.empty());
    }
    EXPECT_EQ(Fractals, c.FractalOpened ? std::vector<std::string>{c.FractalOpened}
                                        : std::vector<std::string>{});
    EXPECT_EQ(Projects, c.ProjectOpened ? std::vector<std::string>{c.ProjectOpened}
                                        : std::vector<std::string>{});
    // Only a project argument may leave a project open (its opener decides).
    if (!c.ProjectOpened) {
      EXPECT_EQ(Form->ProjectFile, "");
    }
  }
}

TEST_F(CommandLine, OnlyTheFirstArgumentCounts) {
  Form->OpenCommandLine({"a.zlf", "b.zlf", "c.txt"});
  EXPECT_EQ(Fractals, std::vector<std::string>({"a.zlf"}));
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(CommandLine, WithoutOpenersNothingHappensAndNothingIsReported) {
  Form->OpenFractalFileHook = nullptr;
  Form->OpenProjectFileHook = nullptr;
  Form->OpenCommandLine({"a.zlf"});
  Form->OpenCommandLine({"a.kvp"});
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_TRUE(Form->ChildWindows().empty());
}

TEST(CommandLineAtStart, IsReadOnTheFirstShowOnly) {
  TScriptedPrompter prompter;
  TMainForm form;
  form.CommandLine = {"/data/first.zlf"};
  std::vector<std::string> opened;
  form.OpenFractalFileHook = [&](const std::string& path) {
    opened.push_back(path);
    return nullptr;
  };
  form.show();
  QApplication::processEvents();
  form.hide();
  form.show();
  QApplication::processEvents();
  EXPECT_EQ(opened, std::vector<std::string>({"/data/first.zlf"}));
}
