// The fractal properties dialog "Fractal" and the edit-box look it uses.
#include <QButtonGroup>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>

#include "engine/deep/deepzoom.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/dialogs/guialg.h"
#include "gui/help/helpcontexts.h"
#include "gui/support/guitest.h"
#include "support/formulaids.h"

namespace {

// The texts of the fields of a record, in the order of the dialog's edits.
std::vector<std::string> FieldTexts(const TFractProps& r) {
  return {r.Left.GetText(),     r.Right.GetText(),       r.Top.GetText(),
          r.Bottom.GetText(),   r.XResolution.GetText(), r.YResolution.GetText(),
          r.CR.GetText(),       r.CI.GetText(),          r.DR.GetText(),
          r.DI.GetText(),       r.ZR.GetText(),          r.ZI.GetText(),
          r.N.GetText(),        r.M.GetText(),           r.MaxDepth.GetText(),
          r.OuterCircle.GetText(), r.InnerDist.GetText(), r.MaxCycle.GetText(),
          r.Cont.GetText()};
}

QColor Background(const QLineEdit* edit) {
  return edit->palette().color(edit->isEnabled() ? QPalette::Active : QPalette::Disabled,
                               QPalette::Base);
}

}  // namespace

TEST(EditLook, DisabledKeepsItsTextOnTheButtonFaceUnlessCleared) {
  QLineEdit edit;
  edit.setText("1.5");
  const QPalette standard = QApplication::palette(&edit);

  DisableEdit(&edit, false);
  EXPECT_FALSE(edit.isEnabled());
  EXPECT_EQ(edit.text(), "1.5");
  EXPECT_EQ(Background(&edit), standard.color(QPalette::Active, QPalette::Button));
  // The surface really shows it: a pixel inside the frame, right of the text.
  edit.resize(120, 21);
  const QImage image = edit.grab().toImage();
  EXPECT_EQ(image.pixel(110, 10), standard.color(QPalette::Active, QPalette::Button).rgb());

  SetEditEnabled(&edit, true, true);
  EXPECT_TRUE(edit.isEnabled());
  EXPECT_EQ(edit.text(), "1.5");
  EXPECT_EQ(Background(&edit), standard.color(QPalette::Active, QPalette::Base));

  SetEditEnabled(&edit, false, true);
  EXPECT_FALSE(edit.isEnabled());
  EXPECT_EQ(edit.text(), "");
}

class DlgFractal : public ::testing::Test {
protected:
  void Show(TDlgFractal& dialog) {
    dialog.show();
    QApplication::processEvents();
  }
  // Every edit with the value it shows, in the order OK reads them.
  std::vector<QLineEdit*> Edits(TDlgFractal& d) {
    return {d.editSelLeft, d.editSelRight, d.editSelTop, d.editSelBottom, d.editHorizontal,
            d.editVertical, d.editCR, d.editCI, d.editDR, d.editDI, d.editZR, d.editZI,
            d.editN, d.editM, d.editMaxDepth, d.editOuterCircle, d.editInnerDist,
            d.editMaxCycleDetect, d.editCont};
  }
  TScriptedPrompter Prompter;
  TFractProps Default;
};

TEST_F(DlgFractal, FormShowsTheRecord) {
  TFractProps record;
  record.Formula = formula::ZTimesPoly;
  record.MapField = TKernelParams::MapD;
  record.ColorMode = TKernelParams::ColorDiscontinue;
  std::string error;
  ASSERT_TRUE(record.Left.SetText("-250 %", "x", error));
  TDlgFractal dialog(nullptr, 300, 400, &Default, record);
  EXPECT_EQ(dialog.HelpContext, HelpContext::Fractal);
  EXPECT_EQ(dialog.editHorizontal->maxLength(), 99);
  EXPECT_EQ(dialog.editVertical->maxLength(), 99);
  ASSERT_EQ(dialog.lstFormulas->count(), 13);
  EXPECT_EQ(dialog.lstFormulas->item(8)->text(), "z ( c + d z^n) / (1 + z^n)");
  Show(dialog);
  const std::vector<QString> expected = {"-250 %", "1.5", "1.5", "-1.5", "250", "250",
                                         "-0.122561", "-0.744862", "-0.3", "-0.3", "0", "0",
                                         "5", "3", "200", "1000", "0.0001", "3", "1"};
  const std::vector<QLineEdit*> edits = Edits(dialog);
  for (size_t i = 0; i < edits.size(); ++i)
    EXPECT_EQ(edits[i]->text(), expected[i]) << edits[i]->objectName().toStdString();
  EXPECT_EQ(dialog.lstFormulas->currentRow(), 6);
  EXPECT_TRUE(dialog.optD->isChecked());
  EXPECT_EQ(dialog.rgrContItems->checkedId(), 1);
  for (QLineEdit* edit : {dialog.editSelLeft, dialog.editSelRight, dialog.editSelTop,
                          dialog.editSelBottom}) {
    const auto* group = qobject_cast<QGroupBox*>(edit->parentWidget());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "Map to Field");
  }
  dialog.reject();
}

TEST_F(DlgFractal, EnablingFollowsTheFormulaAndTheMapField) {
  const struct {
    int Formula;
    uint8_t Map;
    // Enabled: CR CI DR DI ZR ZI N M
    std::vector<bool> Enabled;
  } cases[] = {
      {0, TKernelParams::MapC, {false, false, false, false, true, true, false, false}},
      {5, TKernelParams::MapZ, {true, true, true, true, false, false, true, true}},
      {8, TKernelParams::MapD, {true, true, false, false, true, true, true, false}},
      {4, TKernelParams::MapZ, {true, true, true, true, false, false, false, false}},
      {3, TKernelParams::MapC, {false, false, false, false, true, true, true, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Formula);
    TFractProps record;
    record.Formula = static_cast<uint8_t>(c.Formula);
    record.MapField = c.Map;
    TDlgFractal dialog(nullptr, 100, 100, &Default, record);
    Show(dialog);
    const std::vector<QLineEdit*> edits = {dialog.editCR, dialog.editCI, dialog.editDR,
                                           dialog.editDI, dialog.editZR, dialog.editZI,
                                           dialog.editN,  dialog.editM};
    const QPalette standard = QApplication::palette(dialog.editCR);
    for (size_t i = 0; i < edits.size(); ++i) {
      SCOPED_TRACE(edits[i]->objectName().toStdString());
      EXPECT_EQ(edits[i]->isEnabled(), c.Enabled[i]);
      EXPECT_EQ(Background(edits[i]),
                standard.color(QPalette::Active, c.Enabled[i] ? QPalette::Base : QPalette::Button));
      EXPECT_FALSE(edits[i]->text().isEmpty());
    }
    dialog.reject();
  }
}

TEST_F(DlgFractal, ClicksApplyTheRulesAgain) {
  TFractProps record;  // formula 0, map Z
  TDlgFractal dialog(nullptr, 100, 100, &Default, record);
  Show(dialog);
  EXPECT_FALSE(dialog.editN->isEnabled());
  dialog.lstFormulas->setCurrentRow(5);
  EXPECT_TRUE(dialog.editN->isEnabled());
  EXPECT_TRUE(dialog.editM->isEnabled());
  EXPECT_TRUE(dialog.editDR->isEnabled());
  QTest::mouseClick(dialog.optD, Qt::LeftButton);
  EXPECT_TRUE(dialog.optD->isChecked());
  EXPECT_FALSE(dialog.editDR->isEnabled());
  EXPECT_TRUE(dialog.editZR->isEnabled());
  dialog.optC->click();
  EXPECT_TRUE(dialog.editDR->isEnabled());
  EXPECT_FALSE(dialog.editCI->isEnabled());
  dialog.reject();
}

TEST_F(DlgFractal, BadLeftAndRightAreReportedOneAtATime) {
  TFractProps record;
  TDlgFractal dialog(nullptr, 100, 100, &Default, record);
  std::vector<bool> openAfter;
  const int result = RunModal(dialog, [&] {
    dialog.editSelLeft->setText("abc");
    dialog.editSelRight->setText("1/0");
    dialog.OKBtn->click();
    openAfter.push_back(dialog.isVisible());
    EXPECT_EQ(dialog.editSelLeft->text(), "abc");  // the user's texts stay
    dialog.editSelLeft->setText("-2");
    dialog.OKBtn->click();
    openAfter.push_back(dialog.isVisible());
    dialog.editSelRight->setText("2");
    dialog.OKBtn->click();
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(openAfter, (std::vector<bool>{true, true}));
  EXPECT_EQ(Prompter.Texts(), (std::vector<std::string>{"In Selection Left: Input has no value.",
                                                        "In Selection Right: Broke is invalid."}));
  EXPECT_EQ(Prompter.Messages[0].Title, "Input Error");
  EXPECT_EQ(dialog.GetFractProps().Left.GetDouble(), -2.0);
  EXPECT_EQ(dialog.GetFractProps().Right.GetDouble(), 2.0);
}

TEST_F(DlgFractal, EveryFieldIsReportedUnderItsName) {
  const struct {
    QLineEdit* TDlgFractal::*Edit;
    const char* Text;
    const char* Message;
  } cases[] = {
      {&TDlgFractal::editSelTop, "x", "In Selection Top: Input has no value."},
      {&TDlgFractal::editSelBottom, "1 cm",
       "In Selection Bottom: Wrong unit used, use: '%' or no unit."},
      {&TDlgFractal::editHorizontal, "0",
       "In Horizontal Resolution: Value must be positive and more than 0."},
      {&TDlgFractal::editVertical, "-4",
       "In Vertical Resolution: Value must be positive and more than 0."},
      {&TDlgFractal::editCR, "", "In C Real: Input has no value."},
      {&TDlgFractal::editCI, "", "In C Imaginair: Input has no value."},
      {&TDlgFractal::editDR, "", "In D Real: Input has no value."},
      {&TDlgFractal::editDI, "", "In D Imaginair: Input has no value."},
      {&TDlgFractal::editZR, "", "In Z Real: Input has no value."},
      {&TDlgFractal::editZI, "", "In Z Imarigair: Input has no value."},
      {&TDlgFractal::editN, "0", "In N: Value must be positive and more than 0."},
      {&TDlgFractal::editM, "", "In M: Value must be positive and more than 0."},
      {&TDlgFractal::editMaxDepth, "0", "In Max Depth: Value must be positive and more than 0."},
      {&TDlgFractal::editOuterCircle, "1", "In Outer Circle: Value must be more than 1."},
      {&TDlgFractal::editInnerDist, "1", "In Inner Distance: Value must be less than 1."},
      {&TDlgFractal::editMaxCycleDetect, "-1", "In Max Cycles to Detect: Value must be positive."},
      {&TDlgFractal::editCont, "0", "In Discontinue: Value must be positive and more than 0."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Message);
    Prompter.Messages.clear();
    TFractProps record;
    TDlgFractal dialog(nullptr, 100, 100, &Default, record);
    const int result = RunModal(dialog, [&] {
      (dialog.*c.Edit)->setText(c.Text);
      dialog.OKBtn->click();
      EXPECT_TRUE(dialog.isVisible());
      dialog.CancelBtn->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(Prompter.ShowedOnly(c.Message));
  }
}

TEST_F(DlgFractal, AFailedOkStillTakesFormulaMapAndColourMode) {
  TFractProps record;
  TDlgFractal dialog(nullptr, 100, 100, &Default, record);
  RunModal(dialog, [&] {
    dialog.lstFormulas->setCurrentRow(9);
    dialog.optC->click();
    dialog.rgrContItems->button(1)->click();
    dialog.editSelTop->setText("?");
    dialog.editMaxDepth->setText("77");
    dialog.OKBtn->click();
    dialog.CancelBtn->click();
  });
  const TFractProps& result = dialog.GetFractProps();
  EXPECT_EQ(result.Formula, 9);
  EXPECT_EQ(result.MapField, TKernelParams::MapC);
  EXPECT_EQ(result.ColorMode, TKernelParams::ColorDiscontinue);
  // Fields after the bad one are not read.
  EXPECT_EQ(result.MaxDepth.GetInt(), 200);
}

TEST_F(DlgFractal, UseAsDefaultChangesTheDefaultOnlyWhenEveryFieldIsAccepted) {
  TFractProps record;
  record.Formula = formula::Z4;
  const std::string before = Xml(Default);
  TDlgFractal dialog(nullptr, 100, 100, &Default, record);
  RunModal(dialog, [&] {
    dialog.chkDefault->setChecked(true);
    dialog.editHorizontal->setText("640");
    dialog.editInnerDist->setText("2");
    dialog.OKBtn->click();
    dialog.CancelBtn->click();
  });
  EXPECT_EQ(Xml(Default), before);

  // Bad only in the last field, which is read after the others.
  TDlgFractal second(nullptr, 100, 100, &Default, record);
  RunModal(second, [&] {
    second.chkDefault->setChecked(true);
    second.editHorizontal->setText("640");
    second.editCont->setText("-1");
    second.OKBtn->click();
    EXPECT_TRUE(second.isVisible());
    EXPECT_EQ(Xml(Default), before);
    second.editCont->setText("2");
    second.OKBtn->click();
  });
  EXPECT_EQ(Default.XResolution.GetInt(), 640);
  EXPECT_EQ(Default.Formula, 2);
  EXPECT_EQ(Xml(Default), Xml(second.GetFractProps()));
}

TEST_F(DlgFractal, WindowButtonsFillOnlyTheResolutions) {
  TFractProps record;
  TDlgFractal dialog(nullptr, 321, 654, &Default, record);
  Show(dialog);
  std::vector<QString> before;
  for (QLineEdit* edit : Edits(dialog)) before.push_back(edit->text());
  dialog.btnXResWindow->click();
  EXPECT_EQ(dialog.editHorizontal->text(), "654");
  EXPECT_EQ(dialog.editVertical->text(), "250");
  dialog.btnYResWindow->click();
  EXPECT_EQ(dialog.editVertical->text(), "321");
  const std::vector<QLineEdit*> edits = Edits(dialog);
  for (size_t i = 0; i < edits.size(); ++i) {
    if (edits[i] == dialog.editHorizontal || edits[i] == dialog.editVertical) continue;
    EXPECT_EQ(edits[i]->text(), before[i]) << edits[i]->objectName().toStdString();
  }
  dialog.reject();
}

TEST_F(DlgFractal, OkTakesEveryField) {
  TFractProps record;
  TDlgFractal dialog(nullptr, 100, 100, &Default, record);
  const std::vector<QString> typed = {"-0.75", "25 %", "1/8", "-1,25", "640", "480", "0.285",
                                      "0.01", "0.5", "-0.5", "0.1", "0.2", "7", "2", "1000",
                                      "4", "1 %", "0", "50 %"};
  const int result = RunModal(dialog, [&] {
    const std::vector<QLineEdit*> edits = Edits(dialog);
    for (size_t i = 0; i < edits.size(); ++i) edits[i]->setText(typed[i]);
    dialog.lstFormulas->setCurrentRow(12);
    dialog.optD->click();
    dialog.rgrContItems->button(1)->click();
    dialog.OKBtn->click();
  });
  ASSERT_EQ(result, QDialog::Accepted);
  EXPECT_TRUE(Prompter.Messages.empty());
  const TFractProps& r = dialog.GetFractProps();
  EXPECT_EQ(FieldTexts(r), (std::vector<std::string>{"-0.75", "25 %", "0.125", "-1.25", "640",
                                                     "480", "0.285", "0.01", "0.5", "-0.5",
                                                     "0.1", "0.2", "7", "2", "1000", "4", "1 %",
                                                     "0", "50 %"}));
  EXPECT_EQ(r.Formula, 12);
  EXPECT_EQ(r.MapField, TKernelParams::MapD);
  EXPECT_EQ(r.ColorMode, TKernelParams::ColorDiscontinue);
  EXPECT_EQ(r.InnerDist.GetDouble(), 0.01);
  // The caller's record is a separate copy.
  EXPECT_EQ(record.XResolution.GetInt(), 250);
}

TEST_F(DlgFractal, DeepViewsShowAndTakeTheirBoundsInFull) {
  // A Mandelbrot view 2e-40 across around c = i, in texts.
  const std::string zeros(39, '0');
  TFractProps record;
  record.MapField = TKernelParams::MapC;
  std::string error;
  ASSERT_TRUE(record.SetDeepArea("-0." + zeros + "1", "1." + zeros + "1", "0." + zeros + "1",
                                 "0." + std::string(40, '9'), error));
  ASSERT_TRUE(record.UsesDeepKernel());
  TDlgFractal dialog(nullptr, 100, 100, &Default, record);
  const int result = RunModal(dialog, [&] {
    EXPECT_EQ(dialog.editSelLeft->text().toStdString(), "-0." + zeros + "1");
    EXPECT_EQ(dialog.editSelBottom->text().toStdString(), "0." + std::string(40, '9'));
    // Half the width, typed in full: taken as the new area of the deep view.
    dialog.editSelLeft->setText(QString::fromStdString("-0." + zeros + "05"));
    dialog.editSelRight->setText(QString::fromStdString("0." + zeros + "05"));
    dialog.OKBtn->click();
  });
  ASSERT_EQ(result, QDialog::Accepted);
  EXPECT_TRUE(Prompter.Messages.empty());
  const TFractProps& r = dialog.GetFractProps();
  EXPECT_TRUE(r.UsesDeepKernel());
  EXPECT_EQ(r.DeepParams().Left, "-0." + zeros + "05");
  EXPECT_EQ(r.DeepParams().Top, "1." + zeros + "1");

  // More digits than a bound may have are refused as out of range.
  TDlgFractal second(nullptr, 100, 100, &Default, record);
  RunModal(second, [&] {
    second.editSelTop->setText(QString::fromStdString("1." + std::string(MaxDecimalDigits, '0')));
    second.OKBtn->click();
    second.reject();
  });
  EXPECT_EQ(Prompter.Texts(),
            (std::vector<std::string>{"In Selection Top: Value is out of range."}));
}
