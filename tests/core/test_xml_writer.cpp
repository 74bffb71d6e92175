#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "core/TXMLComplexElement.h"
#include "core/TXMLStringElement.h"
#include "core/safefile.h"
#include "core/systemerror.h"
#include "support/files.h"
#include "support/testdata.h"

namespace {

const std::string Header(const std::string& root) {
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<!DOCTYPE " + root + " SYSTEM \"" +
         root + ".dtd\">\r\n\r\n";
}

std::unique_ptr<TXMLComplexElement> SampleTree() {
  auto root = std::make_unique<TXMLComplexElement>("Sample");
  root->AddText("Version", "1.0");
  root->AddText("Name", "50 % of 100% \xE9t\xE9");
  root->AddComplex("Flag");
  TXMLComplexElement* list = root->AddComplex("List");
  list->AddText("Item", "1");
  list->AddComplex("Inner")->AddText("Deep", "x");
  return root;
}

}  // namespace

TEST(XmlWriter, RootWithoutChildrenIsHeaderBlankLineAndEmptyTag) {
  TScratchDir dir("xmlw-empty");
  TXMLComplexElement root("Project");
  std::string error;
  ASSERT_TRUE(root.SaveToFile(dir.File("a.xml"), error)) << error;
  EXPECT_EQ(FileBytes(dir.File("a.xml")), Header("Project") + "<Project />\r\n");
}

TEST(XmlWriter, LayoutIsTwoSpacesPerLevelWithCrLfAndTextsVerbatim) {
  TScratchDir dir("xmlw-layout");
  std::string error;
  ASSERT_TRUE(SampleTree()->SaveToFile(dir.File("s.xml"), error)) << error;
  const std::string expected = Header("Sample") +
                               "<Sample>\r\n"
                               "  <Version>1.0</Version>\r\n"
                               "  <Name>50 % of 100% \xE9t\xE9</Name>\r\n"
                               "  <Flag />\r\n"
                               "  <List>\r\n"
                               "    <Item>1</Item>\r\n"
                               "    <Inner>\r\n"
                               "      <Deep>x</Deep>\r\n"
                               "    </Inner>\r\n"
                               "  </List>\r\n"
                               "</Sample>\r\n";
  EXPECT_EQ(FileBytes(dir.File("s.xml")), expected);
}

TEST(XmlWriter, RefusesTreesItsReaderCouldNotReadAndWritesNothing) {
  struct TCase {
    const char* Name;
    std::string Text;
    std::string Message;
  };
  const TCase cases[] = {
      {"Name", "", "The text of element \"Name\" is empty and cannot be stored."},
      {"Name", " \t\r\n", "The text of element \"Name\" is empty and cannot be stored."},
      {"Name", "a<b", "The text of element \"Name\" contains '<' or '>' and cannot be stored."},
      {"Name", "a>b", "The text of element \"Name\" contains '<' or '>' and cannot be stored."},
      {"Bad_Name", "x",
       "The element name \"Bad_Name\" is not made of letters and digits and cannot be stored."},
      {"", "x", "The element name \"\" is not made of letters and digits and cannot be stored."},
  };
  TScratchDir dir("xmlw-refuse");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    const std::string file = dir.File("r.xml");
    WriteFileBytes(file, "previous");
    TXMLComplexElement root("Root");
    root.AddComplex("Outer")->AddText(c.Name, c.Text);
    std::string error;
    EXPECT_FALSE(root.SaveToFile(file, error));
    EXPECT_EQ(error, c.Message);
    EXPECT_EQ(FileBytes(file), "previous");
  }
  // A root name whose DOCTYPE line would not fit in the reader's skipped lines.
  TXMLComplexElement longRoot(std::string(37, 'R'));
  std::string error;
  EXPECT_FALSE(longRoot.SaveToFile(dir.File("long.xml"), error));
  EXPECT_EQ(error, "The root element name \"" + std::string(37, 'R') + "\" is too long to be stored.");
  EXPECT_FALSE(std::filesystem::exists(dir.File("long.xml")));
  TXMLComplexElement longestRoot(std::string(36, 'R'));
  EXPECT_TRUE(longestRoot.SaveToFile(dir.File("longest.xml"), error)) << error;
}

TEST(XmlWriter, ReplacesTheFileAndLeavesNoTemporaryBehind) {
  TScratchDir dir("xmlw-replace");
  const std::string file = dir.File("p.xml");
  WriteFileBytes(file, "old contents");
  ::chmod(file.c_str(), 0640);
  std::string error;
  ASSERT_TRUE(SampleTree()->SaveToFile(file, error)) << error;
  EXPECT_EQ(FileBytes(file).substr(0, 5), "<?xml");
  EXPECT_EQ(FolderListing(dir.Path()), std::vector<std::string>{"p.xml"});
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the permissions of the replaced file are kept";

  // A name close to the file system's limit still leaves room for the temporary file.
  const std::string longName = dir.File(std::string(250, 'n').append(".xml"));
  ASSERT_TRUE(SampleTree()->SaveToFile(longName, error)) << error;
  ASSERT_TRUE(SampleTree()->SaveToFile(longName, error)) << error;
  EXPECT_EQ(FileBytes(longName).substr(0, 5), "<?xml");
}

TEST(XmlWriter, UnwritablePlacesFailWithTheirReasonAndKeepThePreviousFile) {
  TScratchDir dir("xmlw-unwritable");
  const std::string cannotOpen = CannotOpenForWritingText;
  const std::string readOnly = dir.File("ro.xml");
  WriteFileBytes(readOnly, "keep me");
  ::chmod(readOnly.c_str(), 0444);
  const std::string plain = dir.File("plain.txt");
  WriteFileBytes(plain, "keep me too");
  std::filesystem::create_directory(dir.File("locked"));
  ::chmod(dir.File("locked").c_str(), 0555);
  const struct {
    std::string Path, Message;
  } rows[] = {
      {readOnly, cannotOpen},
      {dir.File("missing/x.xml"), cannotOpen},
      {plain + "/under_a_file.xml", cannotOpen},  // a regular file is no folder
      {dir.Path().string(), cannotOpen},          // a folder is no file
      {dir.File("locked/x.xml"), cannotOpen},
      {"/proc/zenolith.xml", cannotOpen},  // not even root may create a file here
      {"/dev/full", NotRegularFileText},  // a device is never written
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Path);
    // Root may write into any folder.
    if (row.Path == dir.File("locked/x.xml") && ::geteuid() == 0) continue;
    if (row.Path == "/dev/full" && !std::filesystem::exists(row.Path)) continue;
    std::string error;
    EXPECT_FALSE(SampleTree()->SaveToFile(row.Path, error));
    EXPECT_EQ(error, row.Message);
  }
  EXPECT_EQ(FileBytes(readOnly), "keep me");
  EXPECT_EQ(FileBytes(plain), "keep me too");
  // No temporary file is left behind.
  ::chmod(dir.File("locked").c_str(), 0755);
  EXPECT_EQ(FolderListing(dir.Path()), (std::vector<std::string>{"locked", "plain.txt", "ro.xml"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("locked")));
}

TEST(XmlTree, AddDeleteAfterAndLastKeepTheChildList) {
  TXMLComplexElement parent("P");
  EXPECT_EQ(parent.GetFirst(), nullptr);
  EXPECT_EQ(parent.GetLast(), nullptr);
  parent.AddText("A", "1");
  TXMLItem* b = parent.Add(std::make_unique<TXMLStringElement>("B", "2"));
  parent.AddComplex("C")->AddText("D", "3");
  EXPECT_EQ(parent.GetFirst()->GetElement(), "A");
  EXPECT_EQ(parent.GetFirst()->GetNext(), b);
  EXPECT_EQ(parent.GetLast()->GetElement(), "C");
  EXPECT_FALSE(parent.GetLast()->IsText());
  EXPECT_EQ(parent.GetLast()->GetFirst()->GetText(), "3");

  parent.DeleteAfter(b);
  EXPECT_EQ(parent.GetLast(), b);
  EXPECT_EQ(b->GetNext(), nullptr);
  parent.AddText("E", "4");
  EXPECT_EQ(b->GetNext()->GetElement(), "E");

  parent.DeleteAfter(nullptr);
  EXPECT_EQ(parent.GetFirst(), nullptr);
  EXPECT_EQ(parent.GetLast(), nullptr);
  parent.AddText("F", "5");
  EXPECT_EQ(parent.GetFirst(), parent.GetLast());
}

TEST(XmlTree, LongSiblingListsAndDeepNestingAreDestroyedWithoutRecursion) {
  auto wide = std::make_unique<TXMLComplexElement>("Wide");
  for (int i = 0; i < 1000000; ++i) wide->AddText("I", "x");
  wide.reset();

  auto deep = std::make_unique<TXMLComplexElement>("Deep");
  TXMLComplexElement* p = deep.get();
  for (int i = 0; i < 1000000; ++i) {
    p = p->AddComplex("D");
    p->AddText("T", "t");
  }
  deep->DeleteAfter(nullptr);
  EXPECT_EQ(deep->GetFirst(), nullptr);
}

TEST(XmlTreeDeathTest, AskingAnElementForWhatItDoesNotHoldIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TXMLComplexElement complex("C");
  TXMLStringElement text("S", "x");
  EXPECT_DEATH(complex.GetText(), "Assertion failed: false");
  EXPECT_DEATH(text.GetFirst(), "Assertion failed: false");
}
