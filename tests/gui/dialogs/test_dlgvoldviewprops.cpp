// The colouring dialog "Color Fractal" and its way into the palette editor.
#include <QButtonGroup>
#include <QRadioButton>

#include "gui/dialogs/TColorBox.h"
#include "gui/dialogs/TDlgColorPalette1D.h"
#include "gui/dialogs/TDlgVoldViewProps.h"
#include "gui/support/guitest.h"

namespace {

int StopCount(const TColorPalette1DItem& palette) {
  int n = 0;
  for (const TColorPalette1DItem* p = &palette; p; p = p->GetNext()) ++n;
  return n;
}

// A record unlike the defaults in every field the dialog shows.
TVoldViewProps Unusual() {
  TVoldViewProps r;
  std::string error;
  r.SensOutside = SensVeryHigh;
  EXPECT_TRUE(r.StrengthOutside.SetText("250 %", "x", error));
  r.BackgroundColorOutside = 0x123456;
  r.ForegroundColorOutside = 0x0000FF;
  r.UsePalOutside = true;
  r.PalOutside.AddItem(unitFactorPosMoreLess1(0.3), 0x00FF00);
  r.SensInside = SensLow;
  EXPECT_TRUE(r.StrengthInside.SetText("0.125", "x", error));
  r.UsePalDepthInside = false;
  r.UsePalDepthBackgroundInside = true;
  r.ColorBackgroundInside = 0xA4A0A0;
  r.UsePalDepthForegroundInside = false;
  r.ColorForegroundInside = 0x010203;
  r.CursorColor = 0x00FFFF;
  r.MaxDepthColor = 0x808080;
  return r;
}

class DlgVoldViewProps : public ::testing::Test {
protected:
  TScriptedPrompter Prompter;
  TVoldViewProps Default;
};

}  // namespace

TEST_F(DlgVoldViewProps, OkWithoutChangesGivesAnEqualRecord) {
  for (const TVoldViewProps& record : {TVoldViewProps(), Unusual()}) {
    TDlgVoldViewProps dialog(nullptr, &Default, record);
    const int result = RunModal(dialog, [&] { dialog.OKBtn->click(); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(Xml(dialog.GetViewProps()), Xml(record));
  }
  EXPECT_TRUE(Prompter.Messages.empty());
  EXPECT_EQ(Xml(Default), Xml(TVoldViewProps()));
}

TEST_F(DlgVoldViewProps, OkTakesTheControls) {
  TDlgVoldViewProps dialog(nullptr, &Default, TVoldViewProps());
  RunModal(dialog, [&] {
    dialog.rgrSensitivityOutsideItems->button(0)->click();
    dialog.rgrSensitivityInsideItems->button(3)->click();
    dialog.editStrengthOutside->setText("40 %");
    dialog.editStrengthInside->setText("7");
    dialog.optDepthPaletteOutside->click();
    dialog.optDepthPaletteInside->click();
    dialog.optForegroundPaletteInside->click();
    dialog.colbBackgroundOutside->setCurrentIndex(dialog.colbBackgroundOutside->findText("Navy"));
    dialog.colbForegroundOutside->setCurrentIndex(dialog.colbForegroundOutside->findText("Lime"));
    dialog.colbBackgroundInside->setCurrentIndex(dialog.colbBackgroundInside->findText("Teal"));
    dialog.colbForegroundInside->setCurrentIndex(dialog.colbForegroundInside->findText("Cream"));
    dialog.colbCursor->setCurrentIndex(dialog.colbCursor->findText("White"));
    dialog.colbMaxDepth->setCurrentIndex(dialog.colbMaxDepth->findText("Maroon"));
    dialog.OKBtn->click();
  });
  const TVoldViewProps& r = dialog.GetViewProps();
  EXPECT_EQ(r.SensOutside, SensLow);
  EXPECT_EQ(r.SensInside, SensVeryHigh);
  EXPECT_EQ(r.StrengthOutside.GetText(), "40 %");
  EXPECT_EQ(r.StrengthInside.GetDouble(), 7.0);
  EXPECT_TRUE(r.UsePalOutside);
  EXPECT_TRUE(r.UsePalDepthInside);
  EXPECT_FALSE(r.UsePalDepthBackgroundInside);
  EXPECT_TRUE(r.UsePalDepthForegroundInside);
  EXPECT_EQ(r.BackgroundColorOutside, 0x800000u);
  EXPECT_EQ(r.ForegroundColorOutside, 0x00FF00u);
  EXPECT_EQ(r.ColorBackgroundInside, 0x808000u);
  EXPECT_EQ(r.ColorForegroundInside, 0xF0FBFFu);
  EXPECT_EQ(r.CursorColor, 0xFFFFFFu);
  EXPECT_EQ(r.MaxDepthColor, 0x000080u);
}

TEST_F(DlgVoldViewProps, OnlyTheFirstBadStrengthIsReportedAndTheDialogStaysUntilFixed) {
  const struct {
    const char* Outside;
    const char* Inside;
    const char* Message;
  } cases[] = {
      {"0", "1", "In Strength Outside: Value must be positive and more than 0."},
      {"-1", "x", "In Strength Outside: Value must be positive and more than 0."},
      {"2", "0 %", "In Strength Inside: Value must be positive and more than 0."},
      {"5 m", "2", "In Strength Outside: Wrong unit used, use: '%' or no unit."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Message);
    Prompter.Messages.clear();
    TDlgVoldViewProps dialog(nullptr, &Default, TVoldViewProps());
    bool openAfterBad = false;
    const int result = RunModal(dialog, [&] {
      dialog.editStrengthOutside->setText(c.Outside);
      dialog.editStrengthInside->setText(c.Inside);
      dialog.OKBtn->click();
      openAfterBad = dialog.isVisible();
      // The user's texts stay; fixed, OK closes.
      EXPECT_EQ(dialog.editStrengthOutside->text(), c.Outside);
      dialog.editStrengthOutside->setText("1.5");
      dialog.editStrengthInside->setText("2");
      dialog.OKBtn->click();
    });
    EXPECT_TRUE(openAfterBad);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(Prompter.ShowedOnly(c.Message, "Input Error"));
    EXPECT_EQ(dialog.GetViewProps().StrengthOutside.GetDouble(), 1.5);
  }
}

TEST_F(DlgVoldViewProps, UseAsDefaultChangesTheDefaultOnlyWhenValid) {
  const TVoldViewProps record = Unusual();
  const std::string before = Xml(Default);
  TDlgVoldViewProps dialog(nullptr, &Default, record);
  RunModal(dialog, [&] {
    dialog.chkDefault->setChecked(true);
    dialog.editStrengthInside->setText("-3");
    dialog.OKBtn->click();
    dialog.CancelBtn->click();
  });
  EXPECT_EQ(Xml(Default), before);

  TDlgVoldViewProps second(nullptr, &Default, record);
  RunModal(second, [&] {
    second.chkDefault->setChecked(true);
    second.OKBtn->click();
  });
  EXPECT_EQ(Xml(Default), Xml(record));

  // Not ticked: the default stays as it is.
  TDlgVoldViewProps third(nullptr, &Default, TVoldViewProps());
  RunModal(third, [&] { third.OKBtn->click(); });
  EXPECT_EQ(Xml(Default), Xml(record));
}

TEST_F(DlgVoldViewProps, EditingAPaletteSelectsUsePaletteAndTakesIt) {
  const struct {
    const char* Name;
    QPushButton* TDlgVoldViewProps::*Button;
    QRadioButton* TDlgVoldViewProps::*UsePalette;
    const TColorPalette1DItem& (TDlgVoldViewProps::*Working)() const;
    const TColorPalette1DItem TVoldViewProps::*Palette;
    bool TVoldViewProps::*Flag;
  } cases[] = {
      {"outside", &TDlgVoldViewProps::btnDepthColorPaletteOutside,
       &TDlgVoldViewProps::optDepthPaletteOutside, &TDlgVoldViewProps::WorkPalOutside,
       &TVoldViewProps::PalOutside, &TVoldViewProps::UsePalOutside},
      {"depth", &TDlgVoldViewProps::btnDepthPaletteInside,
       &TDlgVoldViewProps::optDepthPaletteInside, &TDlgVoldViewProps::WorkPalDepthInside,
       &TVoldViewProps::PalDepthInside, &TVoldViewProps::UsePalDepthInside},
      {"background", &TDlgVoldViewProps::btnBackgroundPaletteInside,
       &TDlgVoldViewProps::optBackgroundPaletteInside, &TDlgVoldViewProps::WorkPalBackgroundInside,
       &TVoldViewProps::PalDepthBackgroundInside, &TVoldViewProps::UsePalDepthBackgroundInside},
      {"foreground", &TDlgVoldViewProps::btnForegroundPaletteInside,
       &TDlgVoldViewProps::optForegroundPaletteInside, &TDlgVoldViewProps::WorkPalForegroundInside,
       &TVoldViewProps::PalDepthForegroundInside, &TVoldViewProps::UsePalDepthForegroundInside},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TVoldViewProps record;  // every "Use Palette" off
    TDlgVoldViewProps dialog(nullptr, &Default, record);
    bool selectedAfterEdit = false;
    const int result = RunModal(dialog, [&] {
      auto edited = WhenDialog<TDlgColorPalette1D>([](TDlgColorPalette1D* editor) {
        editor->btnPalItemAddClick();
        editor->OKBtn->click();
      });
      (dialog.*c.Button)->click();
      EXPECT_TRUE(*edited);
      selectedAfterEdit = (dialog.*c.UsePalette)->isChecked();
      EXPECT_EQ(StopCount((dialog.*c.Working)()), 3);
      dialog.OKBtn->click();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(selectedAfterEdit);
    const TVoldViewProps& r = dialog.GetViewProps();
    EXPECT_TRUE(r.*c.Flag);
    ASSERT_EQ(StopCount(r.*c.Palette), 3);
    EXPECT_EQ((r.*c.Palette).GetNext()->Position().GetText(), "50 %");
    // The other palettes are untouched.
    int changed = 0;
    for (const auto& other : cases)
      if (Xml(r.*other.Palette) != Xml(record.*other.Palette)) ++changed;
    EXPECT_EQ(changed, 1);
  }
}

TEST_F(DlgVoldViewProps, CancellingTheEditorChangesNothing) {
  const TVoldViewProps record = Unusual();
  TDlgVoldViewProps dialog(nullptr, &Default, record);
  RunModal(dialog, [&] {
    const bool usedBefore = dialog.optBackgroundPaletteInside->isChecked();
    const bool mixBefore = dialog.optDepthMixInside->isChecked();
    for (QPushButton* button : {dialog.btnDepthPaletteInside, dialog.btnBackgroundPaletteInside}) {
      auto cancelled = WhenDialog<TDlgColorPalette1D>([](TDlgColorPalette1D* editor) {
        editor->btnPalItemAddClick();
        editor->btnPalItemAddClick();
        editor->CancelBtn->click();
      });
      button->click();
      EXPECT_TRUE(*cancelled);
    }
    EXPECT_EQ(dialog.optBackgroundPaletteInside->isChecked(), usedBefore);
    EXPECT_EQ(dialog.optDepthMixInside->isChecked(), mixBefore);
    EXPECT_EQ(Xml(dialog.WorkPalDepthInside()), Xml(record.PalDepthInside));
    EXPECT_EQ(Xml(dialog.WorkPalBackgroundInside()), Xml(record.PalDepthBackgroundInside));
    dialog.OKBtn->click();
  });
  EXPECT_EQ(Xml(dialog.GetViewProps()), Xml(record));
}

TEST_F(DlgVoldViewProps, TheEditorOpensOnTheWorkingCopy) {
  TDlgVoldViewProps dialog(nullptr, &Default, TVoldViewProps());
  std::vector<int> stopsSeen;
  RunModal(dialog, [&] {
    for (int round = 0; round < 2; ++round) {
      auto edited = WhenDialog<TDlgColorPalette1D>([&](TDlgColorPalette1D* editor) {
        stopsSeen.push_back(StopCount(editor->Palette()));
        editor->btnPalItemAddClick();
        editor->OKBtn->click();
      });
      dialog.btnDepthColorPaletteOutside->click();
      EXPECT_TRUE(*edited);
    }
    dialog.OKBtn->click();
  });
  // The second opening shows the stop added by the first.
  EXPECT_EQ(stopsSeen, (std::vector<int>{2, 3}));
  EXPECT_EQ(StopCount(dialog.GetViewProps().PalOutside), 4);
}
