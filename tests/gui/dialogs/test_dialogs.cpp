// The dialog bases, the selection dialog, the register dialog's form and the about box.

#include "gui/common/icons.h"
#include "gui/dialogs/TAboutBox.h"
#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/dialogs/TDlgSelZoom.h"
#include "gui/dialogs/TOKHelpBottomDlg.h"
#include "gui/dialogs/TOKHelpRightDlg.h"
#include "gui/dialogs/dialogwidgets.h"
#include "gui/help/THelpViewer.h"
#include "gui/support/guitest.h"

namespace {

struct TBaseCase {
  const char* Name;
  std::function<std::unique_ptr<TOKDialog>()> Make;
  bool Help;
};

const TBaseCase BaseCases[] = {
    {"TOKRightDlg", [] { return std::make_unique<TOKRightDlg>(); }, false},
    {"TOKHelpRightDlg", [] { return std::make_unique<TOKHelpRightDlg>(); }, true},
    {"TOKBottomDlg", [] { return std::make_unique<TOKBottomDlg>(); }, false},
    {"TOKHelpBottomDlg", [] { return std::make_unique<TOKHelpBottomDlg>(); }, true},
    // The selection dialog is the right-hand dialog with help, untouched.
    {"TDlgSelZoom", [] { return std::make_unique<TDlgSelZoom>(); }, true},
};

QPushButton* HelpButton(QWidget* dialog) {
  return dialog->findChild<QPushButton*>(QStringLiteral("HelpBtn"));
}

// Pixels of `image` in `area` that are clearly red.
int RedPixels(const QImage& image, const QRect& area) {
  int red = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      red += c.red() > 100 && c.green() < 60 && c.blue() < 60;
    }
  return red;
}

}  // namespace

TEST(DialogBases, AreFixedInSizeWithOkAsDefaultAndHelpWhereTheyHaveIt) {
  for (const TBaseCase& c : BaseCases) {
    SCOPED_TRACE(c.Name);
    std::unique_ptr<TOKDialog> dialog = c.Make();
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_TRUE(dialog->OKBtn->isDefault());
    EXPECT_EQ(HelpButton(dialog.get()) != nullptr, c.Help);
  }
}

TEST(DialogBases, ButtonsAndKeysGiveTheModalResults) {
  const struct {
    const char* What;
    std::function<void(TOKDialog&)> Act;
    int Result;
  } cases[] = {
      {"OK", [](TOKDialog& d) { d.OKBtn->click(); }, QDialog::Accepted},
      {"Cancel", [](TOKDialog& d) { d.CancelBtn->click(); }, QDialog::Rejected},
      {"Escape", [](TOKDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
      {"Enter", [](TOKDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, QDialog::Accepted},
  };
  for (const TBaseCase& base : BaseCases) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(base.Name) + " " + c.What);
      std::unique_ptr<TOKDialog> dialog = base.Make();
      EXPECT_EQ(RunModal(*dialog, [&] { c.Act(*dialog); }), c.Result);
    }
  }
}

TEST(DialogBases, HelpButtonAndF1ShowTheDialogsTopic) {
  for (const TBaseCase& base : {BaseCases[1], BaseCases[3]}) {
    SCOPED_TRACE(base.Name);
    for (bool byKey : {false, true}) {
      std::unique_ptr<TOKDialog> dialog = base.Make();
      dialog->HelpContext = byKey ? 53 : 24;
      int shown = 0;
      RunModal(*dialog, [&] {
        if (byKey) {
          // A key reaches the active window: a shortcut of a dialog not yet active does not fire.
          EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
          QTest::keyClick(dialog.get(), Qt::Key_F1);
        } else {
          HelpButton(dialog.get())->click();
        }
        THelpViewer& viewer = THelpViewer::Instance();
        if (viewer.isVisible()) shown = viewer.CurrentContext();
        viewer.close();
        dialog->reject();
      });
      EXPECT_EQ(shown, dialog->HelpContext);
    }
  }
}

TEST(DialogBases, ADialogWithoutContextShowsNoHelp) {
  TOKHelpBottomDlg dialog;
  if (THelpViewer::Exists()) THelpViewer::Instance().close();
  RunModal(dialog, [&] {
    HelpButton(&dialog)->click();
    dialog.reject();
  });
  EXPECT_FALSE(THelpViewer::Exists() && THelpViewer::Instance().isVisible());
}

TEST(SmallDialogs, RegisterDialogOpensOnTheNameWithTheCurrentName) {
  TDlgRegisterWave dialog(nullptr, "Current");
  QWidget* focus = nullptr;
  QString text;
  RunModal(dialog, [&] {
    focus = dialog.focusWidget();
    text = dialog.EditName->text();
    dialog.reject();
  });
  EXPECT_EQ(focus, dialog.EditName);
  EXPECT_EQ(text, "Current");
  EXPECT_EQ(dialog.GetResultName(), "Current");
}

TEST(AboutBox, PlacementRule) {
  const struct {
    QSize Screen;
    QSize Box;
    QPoint At;
  } cases[] = {
      {{1024, 768}, {255, 224}, {370, 272}},
      {{1920, 1080}, {255, 224}, {818, 428}},
      {{800, 600}, {300, 201}, {233, 200}},
      {{1025, 769}, {9, 3}, {507, 383}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TAboutBox::Placement(c.Screen, c.Box), c.At)
        << c.Screen.width() << "x" << c.Screen.height();
  }
}

TEST(AboutBox, IsPlacedByItsRuleWhenShown) {
  TAboutBox box;
  EXPECT_TRUE(box.OKButton->isDefault());
  QPoint at;
  QWidget* focus = nullptr;
  RunModal(box, [&] {
    at = box.frameGeometry().topLeft();
    focus = box.focusWidget();
    box.OKButton->click();
  });
  const QRect screen = box.screen()->geometry();
  const QSize outer = box.frameGeometry().size() != box.size() ? box.frameGeometry().size()
                                                                : TAboutBox::DesignOuterSize;
  EXPECT_EQ(at, screen.topLeft() + TAboutBox::Placement(screen.size(), outer));
  EXPECT_EQ(focus, box.OKButton);
}

TEST(AboutBox, PaintsTheIconAndTheRedName) {
  TAboutBox box;
  const QImage image = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  // Units of the designed 255 x 224 box: X = 2 * 1.1, Y = 2; the icon at (7X, 13Y).
  const QPoint iconAt(15, 26);
  const QImage icon = IconImage(0).toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(image.copy(QRect(iconAt, icon.size())), icon);
  // "Zenolith" in red 150 at (54.9X, 16.1Y) = (120, 32), and nothing red below the name.
  EXPECT_GT(RedPixels(image, QRect(120, 32, 110, 28)), 20);
  EXPECT_EQ(RedPixels(image, QRect(0, 70, image.width(), 80)), 0);
}

// ---- Dialogs built from a table of controls.

namespace {

struct TTableDialog : QDialog {
  QGroupBox* Group = nullptr;
  QLineEdit* Edit = nullptr;
  QCheckBox* Check = nullptr;
};

}  // namespace

TEST(ControlTable, RowsLandInTheirGroupsAtTheirPlacesAndInTheirSlots) {
  using K = TControlKind;
  const TControlRow<TTableDialog> rows[] = {
      {K::Group, "grp", nullptr, {10, 10, 200, 100}, "Group", &TTableDialog::Group},
      {K::Edit, "edit", "grp", {5, 20, 50, 21}, nullptr, &TTableDialog::Edit},
      {K::Label, nullptr, "grp", {5, 50, 0, 0}, "A caption"},
      {K::Check, "check", nullptr, {10, 120, 0, 0}, "Checked", &TTableDialog::Check},
  };
  TTableDialog dialog;
  BuildControls(dialog, rows);
  ASSERT_NE(dialog.Group, nullptr);
  ASSERT_NE(dialog.Edit, nullptr);
  ASSERT_NE(dialog.Check, nullptr);
  EXPECT_EQ(dialog.Group->title(), "Group");
  EXPECT_EQ(dialog.Edit->parentWidget(), dialog.Group);
  EXPECT_EQ(dialog.Edit->objectName(), "edit");
  EXPECT_EQ(dialog.Edit->geometry(), QRect(5, 20, 50, 21));
  // A row without a size is sized to its caption.
  auto* label = dialog.Group->findChild<QLabel*>();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "A caption");
  EXPECT_EQ(label->geometry(), QRect(QPoint(5, 50), label->sizeHint()));
  EXPECT_EQ(dialog.Check->parentWidget(), &dialog);
  EXPECT_EQ(dialog.Check->geometry(), QRect(QPoint(10, 120), dialog.Check->sizeHint()));
  // Made in table order: the focus chain follows it.
  EXPECT_EQ(dialog.Edit->nextInFocusChain(), label);
  EXPECT_EQ(label->nextInFocusChain(), dialog.Check);
}
