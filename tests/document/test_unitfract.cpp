#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/TXMLItem.h"
#include "document/TStoredFractal.h"
#include "document/TUnitFract.h"
#include "support/TRecordingPresenter.h"
#include "support/files.h"
#include "support/testdata.h"
#include "support/xmltext.h"

namespace {

// A fractal unlike the defaults in its colouring and its parameters.
TStoredFractal Changed() {
  TStoredFractal f;
  f.View.CursorColor = 0x00FF00;
  f.Params.MapField = TKernelParams::MapC;
  f.Params.MaxDepth.SetInt(777);
  return f;
}

class UnitFract : public ::testing::Test {
protected:
  // Loads `bytes` from a file through a new document into Loaded; returns the outcome.
  bool LoadBytes(const std::string& bytes, std::string& errorText) {
    const std::string path = Dir.File("load.zlf");
    WriteFileBytes(path, bytes);
    return TUnitFract("", path).Load(Loaded, errorText);
  }

  TScratchDir Dir{"unitfract"};
  TRecordingPresenter Presenter;
  TStoredFractal Loaded;
  const std::string Default = FileBytes(TestData("zlf/default.zlf"));
};

}  // namespace

TEST_F(UnitFract, NewDocumentNeedsSaveEvenWhenUnchanged) {
  TUnitFract unit("NONAME1");
  EXPECT_EQ(unit.GetKind(), 1);
  EXPECT_EQ(unit.GetName(), "NONAME1");
  EXPECT_FALSE(unit.Modified());
  EXPECT_TRUE(unit.CanSaveFract());
  EXPECT_TRUE(unit.NeedsSave());
  EXPECT_EQ(unit.TempFileNumber, -1);
  EXPECT_TRUE(unit.Loaded);
}

TEST_F(UnitFract, ChangeFlagMovesOnlyWhileLoaded) {
  TUnitFract unit("a", "/x/a.zlf");
  EXPECT_FALSE(unit.NeedsSave());
  unit.Loaded = false;
  unit.MarkModified();
  EXPECT_FALSE(unit.Modified());
  unit.Loaded = true;
  unit.MarkModified();
  EXPECT_TRUE(unit.Modified());
  EXPECT_TRUE(unit.NeedsSave());
  unit.Loaded = false;
  unit.ClearModified();
  EXPECT_TRUE(unit.Modified());
  unit.Loaded = true;
  unit.ClearModified();
  EXPECT_FALSE(unit.Modified());
  EXPECT_FALSE(unit.NeedsSave());
}

TEST_F(UnitFract, SaveWritesOnlyAChangedDocumentWithAFile) {
  const std::string path = Dir.File("doc.zlf");
  TUnitFract unit("doc", path);
  EXPECT_TRUE(unit.Save(Changed()));
  EXPECT_FALSE(std::filesystem::exists(path));

  unit.MarkModified();
  EXPECT_TRUE(unit.Save(Changed()));
  EXPECT_TRUE(std::filesystem::exists(path));
  // Clearing the flag is the caller's step after a save.
  EXPECT_TRUE(unit.Modified());
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(UnitFract, SavedAsFileLoadsBackAndKeepsTheFileName) {
  TUnitFract saved("doc", Dir.File("elsewhere.zlf"));
  ASSERT_TRUE(saved.SaveAs(Dir.File("doc.zlf"), Changed()));
  EXPECT_EQ(saved.GetFileName(), Dir.File("elsewhere.zlf"));
  EXPECT_EQ(FileBytes(Dir.File("doc.zlf")).substr(0, 149),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!DOCTYPE UnitFractal SYSTEM \"UnitFractal.dtd\">\r\n\r\n"
            "<UnitFractal>\r\n"
            "  <Version>1.0</Version>\r\n"
            "  <View />\r\n");

  std::string error = "stale";
  ASSERT_TRUE(TUnitFract("doc", Dir.File("doc.zlf")).Load(Loaded, error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(StoredText(Loaded), StoredText(Changed()));
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(UnitFract, MissingFileFailsWithoutAMessage) {
  std::string error = "stale";
  EXPECT_FALSE(TUnitFract("doc", Dir.File("nothing.zlf")).Load(Loaded, error));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(UnitFract, OtherVersionIsReportedAndReadingGoesOn) {
  const std::string path = Dir.File("changed.zlf");
  ASSERT_TRUE(TUnitFract().SaveAs(path, Changed()));
  std::string error;
  EXPECT_TRUE(LoadBytes(
      ReplaceFirst(FileBytes(path), "<Version>1.0</Version>", "<Version>2.0</Version>"), error))
      << error;
  EXPECT_EQ(StoredText(Loaded), StoredText(Changed()));
  // Once for the tokenizer's version, once for the element read.
  ASSERT_EQ(Presenter.Messages.size(), 2u);
  for (const auto& m : Presenter.Messages) {
    EXPECT_EQ(m.Title, "Assertion failed");
    EXPECT_NE(m.Text.find("Condition \"version == \"1.0\"\"failed!"), std::string::npos) << m.Text;
  }
}

TEST_F(UnitFract, StatusTextsShowTheDocumentState) {
  TUnitFract unit("doc");
  auto texts = unit.StatusTexts();
  EXPECT_EQ(texts[0], "oningevuld");
  EXPECT_EQ(texts[1], "oningevuld kHz");
  EXPECT_EQ(texts[2], "8");
  EXPECT_EQ(texts[3], "MO");
  EXPECT_EQ(texts[4], "xyz");
  EXPECT_EQ(texts[5], "New");
  unit.MarkModified();
  EXPECT_EQ(unit.StatusTexts()[5], "New");
  unit.SetFileName("/x/doc.zlf");
  EXPECT_EQ(unit.StatusTexts()[5], "Changed");
  unit.ClearModified();
  EXPECT_EQ(unit.StatusTexts()[5], "");
}

TEST_F(UnitFract, ProjectElementsNameTheFileAndTheTemporaryCopy) {
  TUnitFract unit("doc");
  EXPECT_EQ(unit.FileElement(), nullptr);
  EXPECT_EQ(unit.TempFileElement(), nullptr);
  unit.SetFileName("/x/doc.zlf");
  unit.TempFileNumber = 7;
  const auto file = unit.FileElement();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->GetElement(), "File");
  EXPECT_EQ(file->GetText(), "/x/doc.zlf");
  const auto temp = unit.TempFileElement();
  ASSERT_NE(temp, nullptr);
  EXPECT_EQ(temp->GetElement(), "TempFile");
  EXPECT_EQ(temp->GetText(), "7");
}

TEST_F(UnitFract, WindowHearsOfNameAndFileChanges) {
  std::vector<std::string> events;
  TUnitFract unit("first");
  unit.SetName("unheard");
  unit.NameChanged = [&](const std::string& oldName) { events.push_back("name " + oldName); };
  unit.FileNameChanged = [&] { events.push_back("file " + unit.GetFileName()); };
  unit.SetName("second");
  unit.SetFileName("/x/y.zlf");
  EXPECT_EQ(events, (std::vector<std::string>{"name unheard", "file /x/y.zlf"}));
}
