// The palette editor "Color Palette": stops, positions, colours, the strip and palette files.
#include <filesystem>
#include <functional>
#include <limits>

#include "gui/dialogs/TColorBox.h"
#include "gui/dialogs/TDlgColorPalette1D.h"
#include "gui/dialogs/TPaintBox.h"
#include "gui/help/helpcontexts.h"
#include "gui/support/guitest.h"

namespace {

const std::string PaletteFilter =
    "Color Palette 1D (*.cp1)|*.cp1|XML Files (*.xml)|*.xml|All files (*.*)|*.*";

std::vector<double> Positions(const TColorPalette1DItem& palette) {
  std::vector<double> positions;
  for (const TColorPalette1DItem* p = &palette; p; p = p->GetNext())
    positions.push_back(p->GetDPosition());
  return positions;
}

// Types `text` into the position box and leaves it, as the user does.
void TypePosition(TDlgColorPalette1D& dialog, const QString& text) {
  dialog.editPosition->selectAll();
  dialog.editPosition->insert(text);
  dialog.editPositionExit();
}

class DlgColorPalette1D : public ::testing::Test {
protected:
  TScriptedPrompter Prompter;
  TColorPalette1DItem BlackWhite{0x000000, 0xFFFFFF};
};

}  // namespace

TEST_F(DlgColorPalette1D, ButtonsFollowTheCurrentStop) {
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  EXPECT_EQ(dialog.HelpContext, HelpContext::ColorPalette);
  // First Previous <Previous Delete position ColorAfter | Next Last <Next Add
  auto states = [&] {
    return EnabledStates({dialog.btnPalItemFirst, dialog.btnPalItemPrevious,
                          dialog.btnColorPrevious, dialog.btnPalItemDelete, dialog.editPosition,
                          dialog.chkColorAfter, dialog.btnPalItemNext, dialog.btnPalItemLast,
                          dialog.btnColorNext, dialog.btnPalItemAdd});
  };
  dialog.show();
  QApplication::processEvents();
  EXPECT_EQ(states(), "0000001111");
  EXPECT_FALSE(dialog.cboColorAfter->isEnabled());
  EXPECT_EQ(dialog.editPosition->text(), "0 %");
  EXPECT_EQ(dialog.cboColorBefore->currentText(), "Black");

  dialog.btnPalItemLast->click();
  EXPECT_EQ(states(), "1110000001");
  EXPECT_EQ(dialog.editPosition->text(), "100 %");
  EXPECT_EQ(dialog.cboColorBefore->currentText(), "White");

  dialog.btnPalItemAdd->click();  // an inner stop at 75 %
  EXPECT_EQ(states(), "1111111111");
  dialog.reject();
}

TEST_F(DlgColorPalette1D, AddPutsAStopHalfwayWithTheStripsColour) {
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  dialog.btnPalItemAddClick();  // begin stop current
  ASSERT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.5, 1}));
  EXPECT_EQ(dialog.Current(), dialog.Palette().GetNext());
  EXPECT_EQ(dialog.Current()->Position().GetText(), "50 %");
  EXPECT_EQ(dialog.editPosition->text(), "50 %");
  EXPECT_EQ(dialog.Current()->GetColorBefore(), 0x7F7F7Fu);
  EXPECT_EQ(dialog.cboColorBefore->GetSelected(), 0x7F7F7Fu);
  EXPECT_FALSE(dialog.Current()->GetUseColorAfter());

  dialog.btnPalItemLastClick();
  dialog.btnPalItemAddClick();  // end stop current: between the previous stop and 1
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.5, 0.75, 1}));
  EXPECT_EQ(dialog.Current()->Position().GetText(), "75 %");
  EXPECT_EQ(dialog.Current()->GetColorBefore(), 0xBFBFBFu);
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(DlgColorPalette1D, AddWithoutRoomAddsNothingAndSaysNothing) {
  TColorPalette1DItem crowded(0x000000, 0xFFFFFF);
  const double tiny = std::numeric_limits<double>::denorm_min();
  ASSERT_NE(crowded.AddItem(unitFactorPosMoreLess1(tiny), 0x0000FF), nullptr);
  TDlgColorPalette1D dialog(nullptr, crowded);
  dialog.btnPalItemAddClick();  // between 0 and the smallest double
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, tiny, 1}));
  EXPECT_EQ(dialog.Current(), &dialog.Palette());
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(DlgColorPalette1D, AddStopsNoMoreThanAPaletteFileHolds) {
  const int most = TColorPalette1DItem::MaxInnerStops;
  TColorPalette1DItem full(0x000000, 0xFFFFFF);
  TColorPalette1DItem* tail = &full;
  for (int i = 1; i <= most; ++i)
    tail = tail->AddItem(unitFactorPosMoreLess1(double(i) / (most + 1)), 0x0000FF);
  ASSERT_EQ(full.InnerStopCount(), most);
  TDlgColorPalette1D dialog(nullptr, full);
  dialog.btnPalItemAddClick();
  EXPECT_TRUE(Prompter.ShowedOnly(TColorPalette1DItem::TooManyStopsText() + ".", "Input Error"));
  EXPECT_EQ(dialog.Palette().InnerStopCount(), most);
  EXPECT_EQ(dialog.Current(), &dialog.Palette());
  // With a stop gone there is room for one again.
  dialog.btnPalItemNextClick();
  dialog.btnPalItemDeleteClick();
  Prompter.Messages.clear();
  dialog.btnPalItemAddClick();
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(dialog.Palette().InnerStopCount(), most);
}

TEST_F(DlgColorPalette1D, APositionTakenByAnotherStopIsRefused) {
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  dialog.btnPalItemAddClick();
  dialog.btnPalItemAddClick();  // 0.75 current
  TypePosition(dialog, "0.5");
  EXPECT_TRUE(Prompter.ShowedOnly("This Position already exists in the pallette.", "Input Error",
                                  TMsgIcon::Information));
  EXPECT_EQ(dialog.Current()->GetDPosition(), 0.75);
  EXPECT_EQ(dialog.Current()->Position().GetText(), "75 %");
  EXPECT_EQ(dialog.editPosition->text(), "75 %");
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.5, 0.75, 1}));
}

TEST_F(DlgColorPalette1D, ABadPositionIsReportedAndTheOldOneComesBack) {
  const struct {
    const char* Text;
    const char* Message;
  } cases[] = {
      {"1", "In Position: Value must be less than 1."},
      {"0", "In Position: Value must be positive and more than 0."},
      {"", "In Position: Input has no value."},
      {"0.5 s", "In Position: Wrong unit used, use: '%' or no unit."},
  };
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  RunModal(dialog, [&] {
    dialog.btnPalItemAddClick();
    for (const auto& c : cases) {
      SCOPED_TRACE(c.Text);
      Prompter.Messages.clear();
      // Through the focus, as the user leaves the box for another control.
      dialog.editPosition->setFocus();
      QApplication::processEvents();
      dialog.editPosition->selectAll();
      QTest::keyClicks(dialog.editPosition, c.Text);
      if (c.Text[0] == '\0') QTest::keyClick(dialog.editPosition, Qt::Key_Delete);
      dialog.btnPalItemAdd->setFocus();
      QApplication::processEvents();
      EXPECT_TRUE(Prompter.ShowedOnly(c.Message, "Input Error"));
      EXPECT_EQ(dialog.editPosition->text(), "50 %");
      EXPECT_EQ(dialog.Current()->GetDPosition(), 0.5);
      EXPECT_EQ(QApplication::focusWidget(), dialog.editPosition);
    }
    dialog.reject();
  });
}

TEST_F(DlgColorPalette1D, APositionPastTheNextStopResortsTheChain) {
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  dialog.btnPalItemAddClick();   // 0.5
  dialog.btnPalItemAddClick();   // 0.75
  dialog.btnPalItemPreviousClick();
  dialog.btnPalItemPreviousClick();
  dialog.btnPalItemAddClick();   // 0.25
  ASSERT_EQ(dialog.Current()->GetDPosition(), 0.25);
  const TColorPalette1DItem* moved = dialog.Current();
  TypePosition(dialog, "90 %abc");  // what follows the unit is ignored
  ASSERT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.5, 0.75, 0.9, 1}));
  EXPECT_EQ(dialog.Current(), moved);
  EXPECT_EQ(dialog.editPosition->text(), "90 %");

  // Walked with Next from the first stop, then with Previous back again.
  std::vector<double> walked;
  dialog.btnPalItemFirstClick();
  for (QPushButton* step : {dialog.btnPalItemNext, dialog.btnPalItemPrevious}) {
    walked.push_back(dialog.Current()->GetDPosition());
    while (step->isEnabled()) {
      step->click();
      walked.push_back(dialog.Current()->GetDPosition());
    }
  }
  EXPECT_EQ(walked, (std::vector<double>{0, 0.5, 0.75, 0.9, 1, 1, 0.9, 0.75, 0.5, 0}));

  // And down again, before the stop that was first.
  dialog.btnPalItemLastClick();
  dialog.btnPalItemPreviousClick();
  TypePosition(dialog, "1/10");
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.1, 0.5, 0.75, 1}));

  // Delete goes back to the stop before; the fixed stops cannot go.
  dialog.btnPalItemDeleteClick();
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.5, 0.75, 1}));
  EXPECT_EQ(dialog.Current(), &dialog.Palette());
  dialog.btnPalItemDeleteClick();
  dialog.btnPalItemLastClick();
  dialog.btnPalItemDeleteClick();
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.5, 0.75, 1}));
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(DlgColorPalette1D, EnterInThePositionBoxTakesItBeforeClosing) {
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  bool openAfterBad = false;
  const int result = RunModal(dialog, [&] {
    dialog.btnPalItemAddClick();
    dialog.editPosition->setFocus();
    dialog.editPosition->selectAll();
    QTest::keyClicks(dialog.editPosition, "2");
    QTest::keyClick(dialog.editPosition, Qt::Key_Return);
    openAfterBad = dialog.isVisible();
    dialog.editPosition->selectAll();
    QTest::keyClicks(dialog.editPosition, "0.4");
    QTest::keyClick(dialog.editPosition, Qt::Key_Return);
  });
  EXPECT_TRUE(openAfterBad);
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_TRUE(Prompter.ShowedOnly("In Position: Value must be less than 1."));
  EXPECT_EQ(Positions(*dialog.GetPalette()), (std::vector<double>{0, 0.4, 1}));
}

TEST_F(DlgColorPalette1D, ColourControlsChangeTheCurrentStop) {
  TColorPalette1DItem palette(0x00FF00, 0xFF0000);
  TDlgColorPalette1D dialog(nullptr, palette);
  dialog.btnPalItemAddClick();  // 0.5, colour between green and blue
  const TColorPalette1DItem* stop = dialog.Current();

  dialog.cboColorBefore->setCurrentIndex(dialog.cboColorBefore->findText("Red"));
  EXPECT_EQ(stop->GetColorBefore(), 0x0000FFu);
  EXPECT_EQ(dialog.cboColorAfter->GetSelected(), 0x0000FFu);  // follows without an after colour
  EXPECT_FALSE(dialog.cboColorAfter->isEnabled());

  dialog.chkColorAfter->click();
  EXPECT_TRUE(stop->GetUseColorAfter());
  EXPECT_TRUE(dialog.cboColorAfter->isEnabled());
  EXPECT_EQ(dialog.cboColorAfter->GetSelected(), 0x000000u);  // a new stop's after colour
  dialog.cboColorAfter->setCurrentIndex(dialog.cboColorAfter->findText("Yellow"));
  EXPECT_EQ(stop->GetColorAfter(), 0x00FFFFu);
  EXPECT_EQ(stop->GetColorBefore(), 0x0000FFu);
  EXPECT_EQ(dialog.Palette().GetColor(0.5), 0x0000FFu);

  // "< Next" with an after colour: the segment above becomes flat in the next stop's colour.
  dialog.btnColorNext->click();
  EXPECT_EQ(stop->GetColorAfter(), 0xFF0000u);
  EXPECT_EQ(stop->GetColorBefore(), 0x0000FFu);
  EXPECT_EQ(dialog.cboColorAfter->GetSelected(), 0xFF0000u);
  EXPECT_EQ(dialog.Palette().GetColor(0.8), 0xFF0000u);

  // "< Previous": the segment below becomes flat in the previous stop's colour.
  dialog.btnColorPrevious->click();
  EXPECT_EQ(stop->GetColorBefore(), 0x00FF00u);
  EXPECT_EQ(dialog.cboColorBefore->GetSelected(), 0x00FF00u);
  EXPECT_EQ(dialog.Palette().GetColor(0.3), 0x00FF00u);

  // Without an after colour "< Next" sets the colour before.
  dialog.chkColorAfter->click();
  EXPECT_FALSE(stop->GetUseColorAfter());
  EXPECT_EQ(dialog.cboColorAfter->GetSelected(), 0x00FF00u);
  dialog.btnColorNext->click();
  EXPECT_EQ(stop->GetColorBefore(), 0xFF0000u);
  EXPECT_EQ(dialog.cboColorBefore->GetSelected(), 0xFF0000u);
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(DlgColorPalette1D, CancelLeavesTheCallersPaletteUnchanged) {
  const struct {
    const char* Name;
    std::function<void(TDlgColorPalette1D&)> Edit;
  } cases[] = {
      {"Open",
       [this](TDlgColorPalette1D& d) {
         Prompter.OpenAnswers.push_back({TestData("palette/two_stops.cp1")});
         d.btnOpen->click();
       }},
      {"Add", [](TDlgColorPalette1D& d) { d.btnPalItemAdd->click(); }},
      {"Delete",
       [](TDlgColorPalette1D& d) {
         d.btnPalItemNext->click();
         d.btnPalItemDelete->click();
       }},
  };
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  palette.AddItem(unitFactorPosMoreLess1(0.5, ukPercent), 0x0000FF);
  const std::string before = Xml(palette);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TDlgColorPalette1D dialog(nullptr, palette);
    std::string during;
    const int result = RunModal(dialog, [&] {
      c.Edit(dialog);
      during = Xml(dialog.Palette());
      dialog.CancelBtn->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_NE(during, before);  // the edit did change the dialog's copy
    EXPECT_EQ(Xml(palette), before);
  }
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(DlgColorPalette1D, TheStripShowsThePaletteColumnByColumn) {
  TColorPalette1DItem palette(0x204080, 0xFFFFFF);
  TColorPalette1DItem* edge = palette.AddItem(unitFactorPosMoreLess1(0.4), 0x0000FF);
  edge->SetUseColorAfter(true);
  edge->SetColorAfter(0xFF0000);
  for (QSize size : {QSize(428, 264), QSize(533, 300)}) {
    SCOPED_TRACE(size.width());
    TDlgColorPalette1D dialog(nullptr, palette);
    dialog.resize(size);
    dialog.show();
    QApplication::processEvents();
    const QImage image = dialog.pboColor->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int w = image.width();
    const int h = image.height();
    ASSERT_EQ(w, dialog.pboColor->width());
    // Anchored: the strip keeps its margins, the buttons stay at the top right.
    EXPECT_EQ(dialog.pboColor->geometry(), QRect(8, 160, size.width() - 22, size.height() - 202));
    EXPECT_EQ(dialog.OKBtn->geometry(), QRect(size.width() - 91, 12, 75, 25));
    // A frame in the begin colour, inside it one column per palette position.
    const QColor frame = TColorBox::ToQColor(0x204080);
    int badFrame = 0, bad = 0;
    for (int x = 0; x < w; ++x)
      badFrame += (image.pixelColor(x, 0) != frame) + (image.pixelColor(x, h - 1) != frame);
    for (int y = 0; y < h; ++y)
      badFrame += (image.pixelColor(0, y) != frame) + (image.pixelColor(w - 1, y) != frame);
    for (int x = 1; x <= w - 2; ++x) {
      const QColor expected =
          TColorBox::ToQColor(palette.GetColor(static_cast<double>(x - 1) / (w - 2)));
      for (int y : {1, h / 2, h - 2}) bad += image.pixelColor(x, y) != expected;
    }
    EXPECT_EQ(badFrame, 0);
    EXPECT_EQ(bad, 0);
    // The hard edge at 40 % is there: red just below, blue just above.
    const int edgeColumn = 1 + static_cast<int>(0.4 * (w - 2));
    EXPECT_GT(image.pixelColor(edgeColumn - 1, h / 2).red(), 200);
    EXPECT_GT(image.pixelColor(edgeColumn + 2, h / 2).blue(), 200);
    dialog.reject();
  }
}

TEST_F(DlgColorPalette1D, TheRulerMarksEveryStopAndHighlightsTheCurrent) {
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  palette.AddItem(unitFactorPosMoreLess1(0.25), 0x0000FF);
  palette.AddItem(unitFactorPosMoreLess1(0.6), 0x00FF00);
  TDlgColorPalette1D dialog(nullptr, palette);
  dialog.show();
  QApplication::processEvents();
  // Compared as 8-bit RGB: the palette keeps 16 bits per channel.
  const QRgb mark = dialog.palette().color(QPalette::Active, QPalette::Mid).rgb();
  const QRgb current = dialog.palette().color(QPalette::Active, QPalette::Highlight).rgb();
  ASSERT_NE(mark, current);
  auto colourAt = [&](double position) {
    const QImage image = dialog.pboLineal->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return image.pixel(TDlgColorPalette1D::MarkColumn(position, dialog.pboColor->width()), 7);
  };
  dialog.btnPalItemNextClick();  // 0.25
  EXPECT_EQ(colourAt(0.25), current);
  EXPECT_EQ(colourAt(0.6), mark);
  EXPECT_EQ(colourAt(0.0), mark);
  EXPECT_EQ(colourAt(1.0), mark);
  // No mark where there is no stop.
  const QRgb empty = colourAt(0.45);
  EXPECT_NE(empty, mark);
  EXPECT_NE(empty, current);
  dialog.btnPalItemNextClick();  // 0.6
  EXPECT_EQ(colourAt(0.25), mark);
  EXPECT_EQ(colourAt(0.6), current);
  dialog.reject();
}

TEST_F(DlgColorPalette1D, OpenReadsAPaletteFileAndStartsAtTheBeginStop) {
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  dialog.btnPalItemLastClick();
  Prompter.OpenAnswers.push_back({TestData("palette/two_stops.cp1")});
  dialog.btnOpen->click();
  EXPECT_EQ(Prompter.OnlyFileDialog(), "Open Color Palette 1D [cp1] " + PaletteFilter + " exist");
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.25, 0.75, 1}));
  EXPECT_EQ(dialog.Current(), &dialog.Palette());
  EXPECT_EQ(dialog.cboColorBefore->currentText(), "Lime");
  EXPECT_FALSE(dialog.btnPalItemFirst->isEnabled());
  dialog.btnPalItemNextClick();
  EXPECT_TRUE(dialog.chkColorAfter->isChecked());
  EXPECT_EQ(dialog.cboColorAfter->currentText(), "Blue");
  dialog.btnPalItemNextClick();
  EXPECT_EQ(dialog.editPosition->text(), "75 %");

  // Cancelled: nothing happens.
  dialog.btnOpen->click();
  EXPECT_EQ(Positions(dialog.Palette()), (std::vector<double>{0, 0.25, 0.75, 1}));
  EXPECT_EQ(dialog.Current()->GetDPosition(), 0.75);
}

TEST_F(DlgColorPalette1D, OpeningABadFileSaysItCannotBeRead) {
  const struct {
    std::string File;
    std::string Reason;
  } cases[] = {
      {TestData("palette/bad_position.cp1"),
       "In Position: Value must be less than 1. At line 9, column 17."},
      {TestData("palette/no_such_file.cp1"), "the file cannot be opened."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    Prompter.Messages.clear();
    TColorPalette1DItem palette(0x000000, 0xFFFFFF);
    palette.AddItem(unitFactorPosMoreLess1(0.5), 0x0000FF);
    TDlgColorPalette1D dialog(nullptr, palette);
    dialog.btnPalItemNextClick();
    Prompter.OpenAnswers.push_back({c.File});
    dialog.btnOpenClick();
    EXPECT_TRUE(Prompter.ShowedOnly("Cannot read the file: \"" + c.File + "\", " + c.Reason,
                                    "File Error", TMsgIcon::Error));
    // The palette stays; the begin stop is current.
    EXPECT_EQ(Xml(dialog.Palette()), Xml(palette));
    EXPECT_EQ(dialog.Current(), &dialog.Palette());
  }
}

TEST_F(DlgColorPalette1D, SaveWritesAFileThatOpensAgain) {
  TScratchDir dir("dlgcolorpalette1d_save");
  const std::string file = dir.File("saved.cp1");
  TDlgColorPalette1D dialog(nullptr, BlackWhite);
  dialog.btnPalItemAddClick();
  dialog.chkColorAfter->click();
  dialog.cboColorAfter->setCurrentIndex(dialog.cboColorAfter->findText("Red"));
  Prompter.SaveAnswers.push_back(file);
  dialog.btnSave->click();
  EXPECT_EQ(Prompter.OnlyFileDialog(),
            "Save Color Palette 1D [cp1] " + PaletteFilter + " exist overwrite");
  ASSERT_TRUE(std::filesystem::exists(file));

  TDlgColorPalette1D other(nullptr, TColorPalette1DItem(0x0000FF, 0x0000FF));
  Prompter.OpenAnswers.push_back({file});
  other.btnOpenClick();
  EXPECT_EQ(Xml(other.Palette()), Xml(dialog.Palette()));

  // A folder cannot be written over: the palette's own message says so.
  Prompter.SaveAnswers.push_back(dir.Path().string());
  dialog.btnSaveClick();
  EXPECT_TRUE(Prompter.ShowedOnly("Cannot save Color Palette File: ...", "FileError"));
}
