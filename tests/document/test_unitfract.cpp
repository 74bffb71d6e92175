#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/TDTDAttribute.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TXMLComplexElement.h"
#include "engine/TFractProps.h"
#include "document/TFractWindowLink.h"
#include "document/TUnitFract.h"
#include "support/TRecordingPresenter.h"
#include "support/files.h"
#include "support/testdata.h"

namespace {

// A window whose view part is one text element standing in for the colouring record.
class TFakeWindow : public TFractWindowLink {
public:
  TFractProps Params;
  std::string Colouring = "blue";
  std::vector<std::string> Events;

  void NameChanged(const std::string& oldName) override { Events.push_back("name " + oldName); }
  void UpdateCaption() override { Events.push_back("caption"); }
  void AddViewXML(TXMLComplexElement& parent) const override {
    parent.AddComplex("View");
    parent.AddText("FractalView", Colouring);
  }
  void AddFractalXML(TXMLComplexElement& parent) const override { parent.Add(Params.WriteXML()); }
  bool ReadViewXML(const TXMLItem* view, std::string& errorText, int& line,
                   int& column) override {
    const TXMLItem* colouring = view->GetNext();
    if (colouring->GetText() == "bad") {
      errorText = "In FractalView: bad colouring.";
      line = colouring->GetLine();
      column = colouring->GetColumn();
      return false;
    }
    Colouring = colouring->GetText();
    return Params.ReadXML(colouring->GetNext(), errorText, line, column);
  }
};

void RegisterGrammar() {
  static TDTDGrammar g;
  static const TDTDCompound* root = TUnitFract::BuildDTD(
      g,
      g.Make<TDTDConcat>(g.Make<TDTDCompound>("View", g.Make<TDTDEmpty>()),
                         g.Make<TDTDAttribute>("FractalView")),
      TFractProps::BuildDTD(g));
  TUnitFract::SetFileGrammar(root);
}

// A file as the fake window writes it, with its parameters' default texts.
std::string SavedText(const TFakeWindow& window, const TScratchDir& dir) {
  TUnitFract unit("", "");
  TFakeWindow copy(window);
  unit.SetWindow(&copy);
  const std::string path = dir.File("saved.zlf");
  EXPECT_TRUE(unit.SaveAs(path));
  return FileBytes(path);
}

class UnitFract : public ::testing::Test {
protected:
  void SetUp() override { RegisterGrammar(); }

  // Loads `bytes` from a file through a new document; returns the outcome.
  bool LoadBytes(const std::string& bytes, std::string& errorText) {
    const std::string path = Dir.File("load.zlf");
    WriteFileBytes(path, bytes);
    TUnitFract unit("", path);
    unit.SetWindow(&Loaded);
    return unit.Load(errorText);
  }

  TScratchDir Dir{"unitfract"};
  TRecordingPresenter Presenter;
  TFakeWindow Loaded;
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
  TFakeWindow window;
  const std::string path = Dir.File("doc.zlf");
  TUnitFract unit("doc", path);
  unit.SetWindow(&window);
  EXPECT_TRUE(unit.Save());
  EXPECT_FALSE(std::filesystem::exists(path));

  unit.MarkModified();
  EXPECT_TRUE(unit.Save());
  EXPECT_TRUE(std::filesystem::exists(path));
  // Clearing the flag is the caller's step after a save.
  EXPECT_TRUE(unit.Modified());
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(UnitFract, SavedAsFileLoadsBackIntoTheWindow) {
  TFakeWindow window;
  window.Colouring = "green";
  window.Params.MapField = TFractProps::MapC;
  window.Params.MaxDepth.SetInt(777);
  TUnitFract saved("doc", Dir.File("elsewhere.zlf"));
  saved.SetWindow(&window);
  ASSERT_TRUE(saved.SaveAs(Dir.File("doc.zlf")));
  EXPECT_EQ(saved.GetFileName(), Dir.File("elsewhere.zlf"));
  EXPECT_EQ(FileBytes(Dir.File("doc.zlf")).substr(0, 149),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!DOCTYPE UnitFractal SYSTEM \"UnitFractal.dtd\">\r\n\r\n"
            "<UnitFractal>\r\n"
            "  <Version>1.0</Version>\r\n"
            "  <View />\r\n");

  TFakeWindow target;
  TUnitFract unit("doc", Dir.File("doc.zlf"));
  unit.SetWindow(&target);
  std::string error = "stale";
  ASSERT_TRUE(unit.Load(error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(target.Colouring, "green");
  EXPECT_EQ(target.Params.MapField, TFractProps::MapC);
  EXPECT_EQ(target.Params.MaxDepth.GetInt(), 777);
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(UnitFract, LoadAddsThePositionOnlyToReaderMessages) {
  const std::string good = SavedText(TFakeWindow(), Dir);
  // Line 6 is "  <View />", line 7 the colouring, line 8 "  <Fractal>".
  const struct {
    std::string Case;
    std::string Bytes;
    std::string Message;
  } rows[] = {
      {"tokenizer", ReplaceFirst(good, "<View />", "<View_ />"),
       "unexpected '_' found in line 6, column 8."},
      {"grammar", ReplaceFirst(good, "  <View />\r\n", ""),
       "unexpected begin of element \"FractalView\", expect begin of element \"View\", at line 6, "
       "column 15."},
      {"window", ReplaceFirst(good, "blue", "bad"), "In FractalView: bad colouring. At line 7, column 15."},
      {"parameters", ReplaceFirst(good, "<MaxDepth>200</MaxDepth>", "<MaxDepth>-4</MaxDepth>"),
       "In MaxDepth: Value must be positive and more than 0. At line 15, column 14."},
  };
  for (const auto& row : rows) {
    std::string error;
    EXPECT_FALSE(LoadBytes(row.Bytes, error)) << row.Case;
    EXPECT_EQ(error, row.Message) << row.Case;
  }
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(UnitFract, MissingFileFailsWithoutAMessage) {
  TFakeWindow window;
  TUnitFract unit("doc", Dir.File("nothing.zlf"));
  unit.SetWindow(&window);
  std::string error = "stale";
  EXPECT_FALSE(unit.Load(error));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(Presenter.Messages.empty());
}

TEST_F(UnitFract, OtherVersionIsReportedAndReadingGoesOn) {
  TFakeWindow source;
  source.Colouring = "red";
  const std::string bytes =
      ReplaceFirst(SavedText(source, Dir), "<Version>1.0</Version>", "<Version>2.0</Version>");
  std::string error;
  EXPECT_TRUE(LoadBytes(bytes, error)) << error;
  EXPECT_EQ(Loaded.Colouring, "red");
  // Once for the tokenizer's version, once for the element read.
  ASSERT_EQ(Presenter.Messages.size(), 2u);
  for (const auto& m : Presenter.Messages) {
    EXPECT_EQ(m.Title, "Assertion failed");
    EXPECT_NE(m.Text.find("Condition \"version == \"1.0\"\"failed!"), std::string::npos) << m.Text;
  }
}

TEST_F(UnitFract, LoadWithoutAWindowIsReported) {
  TUnitFract unit("doc", Dir.File("x.zlf"));
  std::string error;
  EXPECT_FALSE(unit.Load(error));
  ASSERT_EQ(Presenter.Messages.size(), 1u);
  EXPECT_NE(Presenter.Messages[0].Text.find("Window != NULL"), std::string::npos);
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
  TFakeWindow window;
  TUnitFract unit("first");
  unit.SetWindow(&window);
  unit.SetName("second");
  unit.SetFileName("/x/y.zlf");
  EXPECT_EQ(window.Events, (std::vector<std::string>{"name first", "caption"}));
}
