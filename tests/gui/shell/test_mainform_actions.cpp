// The main window's actions, menus, tool bar, status bar, action states and keyboard rules.
#include <set>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolTip>
#include <QWidgetAction>

#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/support/MainFormFixture.h"
#include "gui/support/guitest.h"

namespace {

// Object names of a menu's entries; "-" for a separator, "(hidden)" appended to hidden ones.
QStringList Entries(const QMenu* menu) {
  QStringList names;
  for (QAction* a : menu->actions())
    names << (a->isSeparator() ? QStringLiteral("-")
                               : a->objectName() + (a->isVisible() ? "" : "(hidden)"));
  return names;
}

// A focusable widget that records the text of the keys it receives.
class TKeyRecorder : public QWidget {
public:
  TKeyRecorder() { setFocusPolicy(Qt::StrongFocus); }
  QString Typed;

protected:
  void keyPressEvent(QKeyEvent* event) override { Typed += event->text(); }
};

bool IsInside(const QWidget* inner, const QWidget* outer) {
  for (const QWidget* w = inner; w != nullptr; w = w->parentWidget()) {
    if (w == outer) return true;
  }
  return false;
}

// The menu that is open now, closed again; null when none was open.
QWidget* CloseOpenMenu() {
  QWidget* menu = QApplication::activePopupWidget();
  if (menu) QTest::keyClick(menu, Qt::Key_Escape);
  QApplication::processEvents();
  return menu;
}

}  // namespace

class MainFormActions : public MainFormFixture {
protected:
  // The commands on a fractal window as the user meets them: every entry of the Fractal and
  // Mode menus and every tool-bar button but New, Open, Save and Save As.
  std::vector<QAction*> FractalCommands() const {
    std::vector<QAction*> commands;
    for (QMenu* menu : {Form->MenuFractal, Form->MenuMode})
      for (QAction* a : menu->actions())
        if (!a->isSeparator()) commands.push_back(a);
    for (QAction* a : Form->ToolBarBasic->actions()) {
      if (a->isSeparator() || qobject_cast<QWidgetAction*>(a)) continue;
      if (a == Form->FileNewWave || a == Form->FileOpenWave || a == Form->FileSave ||
          a == Form->FileSaveAs)
        continue;
      commands.push_back(a);
    }
    return commands;
  }

  // The fractal, mode and window menus are shown and the fractal commands enabled, or not.
  void ExpectFractalCommands(bool on) {
    for (QMenu* menu : {Form->MenuFractal, Form->MenuMode, Form->MenuWindow})
      EXPECT_EQ(menu->menuAction()->isVisible(), on) << menu->title().toStdString();
    const std::vector<QAction*> commands = FractalCommands();
    EXPECT_GE(commands.size(), 6u);
    for (QAction* a : commands) EXPECT_EQ(a->isEnabled(), on) << a->objectName().toStdString();
  }
};

TEST_F(MainFormActions, EveryKeyHasOneActionAndWorksWhateverTheMenusShow) {
  std::set<QString> keys;
  for (QAction* a : Form->ActionList1()) {
    SCOPED_TRACE(a->objectName().toStdString());
    // Hidden menu entries must not take their shortcuts with them.
    EXPECT_TRUE(Form->actions().contains(a));
    for (const QKeySequence& k : a->shortcuts())
      EXPECT_TRUE(keys.insert(k.toString()).second) << "key " << k.toString().toStdString();
  }
  // Of the pairs that share a key, the menu's own command holds it.
  EXPECT_EQ(Form->FileProperties->shortcut(), QKeySequence(Qt::Key_F));
  EXPECT_TRUE(Form->FractProps->shortcut().isEmpty());
  EXPECT_EQ(Form->DuplicateWave->shortcut(), QKeySequence(Qt::Key_D));
  EXPECT_TRUE(Form->keyD->shortcut().isEmpty());
  // Tool-bar commands show their drawn images.
  for (QAction* a : Form->ToolBarBasic->actions()) {
    if (!a->isSeparator() && Form->ToolBarBasic->widgetForAction(a) != Form->EditName) {
      EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
    }
  }
}

TEST_F(MainFormActions, MenusHoldTheirEntriesInOrder) {
  QList<QAction*> bar;
  for (QMenu* menu : {Form->MenuFile, Form->MenuEdit, Form->MenuProject, Form->MenuFractal,
                      Form->MenuMode, Form->MenuWindow, Form->MenuHelp})
    bar << menu->menuAction();
  EXPECT_EQ(Form->menuBar()->actions(), bar);
  EXPECT_EQ(Entries(Form->MenuFile),
            QStringList({"FileNewWave", "FileOpenWave", "RecentFiles", "DuplicateWave", "-",
                         "FileClose", "FileSave", "FileSaveAs", "ExportImage", "ExportMovie", "-",
                         "RegisterItem(hidden)", "-", "OptionsItem(hidden)", "FileExit"}));
  EXPECT_EQ(Entries(Form->MenuEdit), QStringList({"Undo", "Redo", "-", "DeleteUndo"}));
  EXPECT_EQ(Entries(Form->MenuProject),
            QStringList({"ProjectNewItem", "ProjectOpenItem", "ProjectCloseItem", "-",
                         "ProjectSaveItem", "ProjectExportItem"}));
  EXPECT_EQ(Entries(Form->MenuFractal),
            QStringList({"FileProperties", "ViewVold", "AutoMaxDepth", "-", "AddNextPoints",
                         "GroupAsPolynoom", "RemovePoints"}));
  EXPECT_EQ(Entries(Form->MenuMode), QStringList({"ZoomIn", "ZoomOut", "DrawPoints",
                                                  "CreateJuliaFromMandelbrot"}));
  EXPECT_EQ(Entries(Form->MenuWindow),
            QStringList({"WindowCascade", "WindowTileHorizontal", "WindowTileVertical",
                         "WindowMinimizeAll", "WindowArrangeAll"}));
  QStringList projectCaptions;
  for (QAction* a : Form->MenuProject->actions())
    if (!a->isSeparator()) projectCaptions << a->text().section(u'\t', 0, 0);
  EXPECT_EQ(projectCaptions,
            QStringList({"&New...", "&Open...", "&Close", "&Save", "&Export..."}));
}

TEST_F(MainFormActions, ProjectCommandsNeedAProjectAndTheirMenuEntriesFollow) {
  QAction* close = nullptr;
  for (QAction* a : Form->MenuProject->actions())
    if (a->objectName() == "ProjectCloseItem") close = a;
  ASSERT_NE(close, nullptr);
  EXPECT_FALSE(close->isEnabled());
  for (const bool open : {true, false}) {
    Form->Project->SetProjectFile(open ? "/p/a.kvp" : "");
    for (QAction* a : {close, Form->ProjectClose, Form->ProjectSave, Form->ProjectExport})
      EXPECT_EQ(a->isEnabled(), open) << a->objectName().toStdString();
  }
  QSignalSpy spy(Form->ProjectClose, &QAction::triggered);
  Form->Project->SetProjectFile("/p/a.kvp");
  close->trigger();
  EXPECT_EQ(spy.count(), 1);
}

TEST_F(MainFormActions, WithoutWindowTheFractalMenusAndCommandsAreOff) {
  EXPECT_TRUE(Form->MenuFile->menuAction()->isVisible());
  EXPECT_TRUE(Form->MenuProject->menuAction()->isVisible());
  EXPECT_TRUE(Form->MenuHelp->menuAction()->isVisible());
  ExpectFractalCommands(false);
  for (QAction* a : {Form->FileSave, Form->FileSaveAs, Form->FileRevert, Form->ExportImage,
                     Form->ExportMovie, Form->ProjectClose, Form->ProjectSave, Form->ProjectExport, Form->Undo,
                     Form->Redo, Form->DeleteUndo}) {
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  }
  for (QAction* a : {Form->FileNewWave, Form->FileOpenWave, Form->FileClose, Form->ProjectOpen,
                     Form->ProjectNew, Form->HelpAbout, Form->WindowCascade}) {
    EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
  }
  EXPECT_EQ(Form->ActiveChildKind, 0);
  EXPECT_FALSE(Form->EditName->isEnabled());
  EXPECT_TRUE(Form->EditName->text().isEmpty());
}

TEST_F(MainFormActions, AFractalWindowShowsTheMenusAndClosingItHidesThemAgain) {
  TTestChild* child = AddChild("Alpha");
  EXPECT_EQ(Form->Workspace->ActiveChild(), child);
  EXPECT_EQ(Form->ActiveChildKind, 1);
  ExpectFractalCommands(true);
  EXPECT_TRUE(Form->EditName->isEnabled());
  EXPECT_EQ(Form->EditName->text(), "Alpha");
  const QColor normalBase = Form->EditName->palette().color(QPalette::Base);

  child->close();
  QApplication::processEvents();
  EXPECT_EQ(child->Closes, 1);
  EXPECT_EQ(Form->ActiveChildKind, 0);
  ExpectFractalCommands(false);
  EXPECT_FALSE(Form->EditName->isEnabled());
  EXPECT_TRUE(Form->EditName->text().isEmpty());
  EXPECT_NE(Form->EditName->palette().color(QPalette::Base), normalBase);
  EXPECT_EQ(Form->EditName->palette().color(QPalette::Base),
            Form->palette().color(QPalette::Button));
}

TEST_F(MainFormActions, OnlyTheActiveWindowSpeaksToTheActionsAndThePanels) {
  const auto panels = [this] {
    std::string texts;
    for (int i = 1; i <= 6; ++i) texts += Form->StatusPanel(i)->text().toStdString() + "|";
    return texts;
  };
  TTestChild* a = AddChild("A", "/f/a.zlf");
  TTestChild* b = AddChild("B", "/f/b.zlf");
  a->SetStatus({"a1", "a2", "a3", "", "", "Changed"});
  a->SetDirty(true);
  EXPECT_EQ(panels(), "||||||");
  EXPECT_FALSE(Form->FileSave->isEnabled());

  b->SetStatus({"b1", "b2", "b3", "", "", ""});
  EXPECT_EQ(panels(), "b1|b2|b3||||");
  Form->Workspace->setActiveSubWindow(a);
  EXPECT_EQ(panels(), "a1|a2|a3|||Changed|");
  EXPECT_TRUE(Form->FileSave->isEnabled());
  b->SetDirty(true);
  b->SetStatus({"b", "", "", "", "", ""});
  EXPECT_EQ(panels(), "a1|a2|a3|||Changed|");
}

TEST_F(MainFormActions, SaveAndRevertFollowTheDocument) {
  const struct {
    const char* File;
    bool Dirty;
    bool Save;
    bool Revert;
  } cases[] = {
      {"/f/a.zlf", true, true, true},
      {"/f/a.zlf", false, false, false},
      {"", true, true, false},
  };
  TTestChild* child = AddChild("A");
  for (const auto& c : cases) {
    child->Unit->SetFileName(c.File);
    child->SetDirty(c.Dirty);
    EXPECT_EQ(Form->FileSave->isEnabled(), c.Save) << c.File << c.Dirty;
    EXPECT_EQ(Form->FileRevert->isEnabled(), c.Revert) << c.File << c.Dirty;
    EXPECT_TRUE(Form->FileSaveAs->isEnabled());
  }
}

TEST_F(MainFormActions, TheLongHintGoesToTheFirstStatusPanelAndLeavesTheOthers) {
  for (int i = 0; i < TMainForm::StatusPanelCount; ++i) EXPECT_NE(Form->StatusPanel(i), nullptr);
  EXPECT_EQ(Form->StatusPanel(TMainForm::StatusPanelCount), nullptr);

  Form->SetStatusText(3, "kept");
  Form->ZoomOut->showStatusText(Form->menuBar());
  EXPECT_EQ(Form->StatusPanel(0)->text(), "Zoom the selected part out");
  EXPECT_EQ(Form->StatusPanel(3)->text(), "kept");
  EXPECT_TRUE(Form->StatusPanel(3)->isVisible());
  EXPECT_TRUE(Form->statusBar()->currentMessage().isEmpty());
}

TEST_F(MainFormActions, ButtonHintsOverrideTheirActions) {
  const struct {
    QAction* Action;
    const char* ShortHint;
    const char* LongHint;
  } cases[] = {
      {Form->FileNewWave, "New fractal", "Create a new fractal window"},
      {Form->FileOpenWave, "Open", "Open a fractal file"},
      {Form->FileSaveAs, "Save As", "Save current file under a different name"},
      {Form->ZoomIn, "Zoom In", "Zoom the selected part in"},  // no override
  };
  for (const auto& c : cases) {
    QWidget* button = Form->ToolBarBasic->widgetForAction(c.Action);
    ASSERT_NE(button, nullptr);
    // What the application sends when the mouse enters the button.
    QStatusTipEvent tip(button->statusTip());
    QApplication::sendEvent(button, &tip);
    EXPECT_EQ(Form->StatusPanel(0)->text().toStdString(), c.LongHint);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &help);
    EXPECT_EQ(QToolTip::text().toStdString(), c.ShortHint);
    QToolTip::hideText();
  }
}

TEST_F(MainFormActions, RegisterKeyOpensTheDialogWhileItsMenuEntryIsHidden) {
  AddChild("Named");
  QAction* entry = nullptr;
  for (QAction* a : Form->MenuFile->actions())
    if (a->objectName() == "RegisterItem") entry = a;
  ASSERT_NE(entry, nullptr);
  EXPECT_FALSE(entry->isVisible());
  QString shownName;
  auto ran = WhenDialog<TDlgRegisterWave>([&](TDlgRegisterWave* dialog) {
    shownName = dialog->EditName->text();
    dialog->reject();
  });
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_N);
  EXPECT_TRUE(*ran);
  EXPECT_EQ(shownName, "Named");
}

TEST_F(MainFormActions, CapturedKeysAreTypedInsteadOfRunningShortcuts) {
  TTestChild* child = AddChild("Keys");
  auto* recorder = new TKeyRecorder;
  child->setWidget(recorder);
  recorder->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), recorder);
  QSignalSpy zoom(Form->ZoomIn, &QAction::triggered);
  QSignalSpy remove(Form->RemovePoints, &QAction::triggered);

  QTest::keyClick(recorder, Qt::Key_Z);
  EXPECT_EQ(zoom.count(), 1);
  EXPECT_EQ(recorder->Typed, "");

  Form->SetKeyCapture(true);
  QTest::keyClick(recorder, Qt::Key_Z);
  EXPECT_EQ(zoom.count(), 1);
  EXPECT_EQ(recorder->Typed, "z");
  // Delete keeps its meaning, so its shortcut still runs.
  QTest::keyClick(recorder, Qt::Key_Delete, Qt::AltModifier);
  EXPECT_EQ(remove.count(), 1);

  // Activating a window ends the capture.
  child->EvFormOnActivate();
  EXPECT_FALSE(Form->KeyCapture);
  QTest::keyClick(recorder, Qt::Key_Z);
  EXPECT_EQ(zoom.count(), 2);
}

TEST_F(MainFormActions, EditingTheNameKeepsKeysFromTheShortcuts) {
  TTestChild* child = AddChild("Edit");
  child->SetDirty(true);
  ASSERT_TRUE(Form->FileSave->isEnabled());
  QSignalSpy save(Form->FileSave, &QAction::triggered);
  Form->EditName->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(Form->NameEditing);
  QTest::keyClick(Form->EditName, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(save.count(), 0);

  // Leaving the field ends the edit and the key reaches its command again.
  child->setFocus();
  QApplication::processEvents();
  EXPECT_FALSE(Form->NameEditing);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(save.count(), 1);
}

TEST_F(MainFormActions, EnterInTheNameFieldRenamesTheWindow) {
  TTestChild* child = AddChild("Old", "/f/old.zlf");
  Form->EditName->setFocus();
  Form->EditName->setText("  Fractal_1 ");
  QTest::keyClick(Form->EditName, Qt::Key_Return);
  EXPECT_EQ(child->Unit->GetName(), "Fractal_1");
  EXPECT_EQ(child->windowTitle(), "Fractal_1 - /f/old.zlf");
  EXPECT_EQ(Form->EditName->text(), "Fractal_1");
  EXPECT_FALSE(Form->NameEditing);
}

TEST_F(MainFormActions, KeyDRunsDuplicateOnlyWithAFractalWindow) {
  QSignalSpy duplicate(Form->DuplicateWave, &QAction::triggered);
  Form->keyD->trigger();
  EXPECT_EQ(duplicate.count(), 0);
  AddChild("D");
  Form->keyD->trigger();
  EXPECT_EQ(duplicate.count(), 1);
}

TEST_F(MainFormActions, BusyCursorsNest) {
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  BeginBusy(Qt::WaitCursor);
  BeginBusy(Qt::IBeamCursor);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::IBeamCursor);
  // Ending a name edit leaves a command's busy cursor alone.
  Form->EndNameEdit();
  EXPECT_EQ(BusyDepth(), 2);
  EndBusy();
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  EndBusy();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EndBusy();
  EXPECT_EQ(BusyDepth(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainFormActions, WindowListFollowsTheChildren) {
  AddChild("One");
  AddChild("Two & more");
  emit Form->MenuWindow->aboutToShow();
  QStringList listed;
  for (QAction* a : Form->MenuWindow->actions())
    if (a->isCheckable()) listed << a->text() + (a->isChecked() ? "*" : "");
  EXPECT_EQ(listed, QStringList({"&1 One", "&2 Two && more*"}));
}

TEST_F(MainFormActions, CommandKeysComeBeforeTheMenuMnemonics) {
  AddChild("Keys");
  ASSERT_TRUE(Form->MenuProject->menuAction()->isVisible());
  ASSERT_TRUE(Form->MenuWindow->menuAction()->isVisible());
  const struct {
    Qt::Key Key;
    QAction* Action;
  } cases[] = {{Qt::Key_W, Form->AddNextPoints}, {Qt::Key_P, Form->GroupAsPolynoom}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Action->objectName().toStdString());
    QSignalSpy spy(c.Action, &QAction::triggered);
    QTest::keyClick(Form.get(), c.Key, Qt::AltModifier);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(CloseOpenMenu(), nullptr);
  }

  // The menus still open by their other keys, by F10 and by the mouse.
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::AltModifier);
  EXPECT_EQ(CloseOpenMenu(), Form->MenuFile);
  QTest::keyClick(Form.get(), Qt::Key_F10);
  EXPECT_EQ(CloseOpenMenu(), Form->MenuFile);
  QTest::mouseClick(Form->menuBar(), Qt::LeftButton, {},
                    Form->menuBar()->actionGeometry(Form->MenuProject->menuAction()).center());
  EXPECT_EQ(CloseOpenMenu(), Form->MenuProject);

  // Without a fractal window the key is still its command's, which then does nothing.
  Form->FileClose->trigger();
  QApplication::processEvents();
  ASSERT_FALSE(Form->GroupAsPolynoom->isEnabled());
  QSignalSpy group(Form->GroupAsPolynoom, &QAction::triggered);
  QTest::keyClick(Form.get(), Qt::Key_P, Qt::AltModifier);
  EXPECT_EQ(CloseOpenMenu(), nullptr);
  EXPECT_EQ(group.count(), 0);
}

TEST_F(MainFormActions, AnAutoHintGoesWithTheMouseAndWithItsMenu) {
  AddChild("Hints");
  QLabel* panel = Form->StatusPanel(0);
  QTest::mouseMove(Form->EditName, QPoint(5, 5));
  EXPECT_EQ(panel->text(), "a unique name of the window");
  QTest::mouseMove(Form->Workspace, QPoint(100, 100));
  EXPECT_EQ(panel->text(), "");

  // Opened by the mouse and closed by Escape, the menu leaves its title highlighted.
  const QPoint title = Form->menuBar()->actionGeometry(Form->MenuWindow->menuAction()).center();
  QTest::mouseMove(Form->menuBar(), title);
  QTest::mouseClick(Form->menuBar(), Qt::LeftButton, {}, title);
  EXPECT_EQ(panel->text(), "Window related commands");
  EXPECT_EQ(CloseOpenMenu(), Form->MenuWindow);
  EXPECT_EQ(panel->text(), "");
  QTest::keyClick(Form->menuBar(), Qt::Key_Escape);

  // Another text in the panel is not a hint of the control and stays.
  QTest::mouseMove(Form->EditName, QPoint(5, 5));
  Form->SetStatusText(0, "something else");
  QTest::mouseMove(Form->Workspace, QPoint(100, 100));
  EXPECT_EQ(panel->text(), "something else");
}

TEST_F(MainFormActions, TheChangedPanelShowsItsWordInFullAtTheStartSize) {
  ASSERT_EQ(Form->size(), QSize(763, 463));
  QStatusBar* bar = Form->statusBar();
  QLabel* panel = Form->StatusPanel(6);
  panel->setText("Changed");
  const QRect shown(panel->mapTo(bar, QPoint(0, 0)), panel->size());
  EXPECT_TRUE(bar->rect().contains(shown));
  const QWidget* strip = panel->parentWidget();
  EXPECT_TRUE(QRect(strip->mapTo(bar, QPoint(0, 0)), strip->size()).contains(shown));
  for (const QSizeGrip* grip : bar->findChildren<QSizeGrip*>()) {
    if (grip->isVisible()) {
      EXPECT_FALSE(grip->geometry().intersects(shown));
    }
  }
  const int needed = panel->fontMetrics().horizontalAdvance("Changed") + panel->indent();
  EXPECT_LE(needed, panel->contentsRect().width());
}

TEST_F(MainFormActions, TheNameFieldGivesWayToTheWindowsName) {
  AddChild("Taken");
  TTestChild* child = AddChild("Mine");
  QSignalSpy zoom(Form->ZoomIn, &QAction::triggered);
  const auto typeInField = [&](const QString& text) {
    QTest::mouseClick(Form->EditName, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), Form->EditName);
    Form->EditName->selectAll();
    QTest::keyClicks(Form->EditName, text);
    ASSERT_EQ(Form->EditName->text(), text);
  };
  const auto expectBackInTheWindow = [&] {
    EXPECT_EQ(Form->EditName->text(), "Mine");
    EXPECT_FALSE(Form->NameEditing);
    EXPECT_TRUE(IsInside(QApplication::focusWidget(), child));
    // A plain letter is a command again.
    const int before = zoom.count();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z);
    EXPECT_EQ(zoom.count(), before + 1);
  };

  typeInField("Zebra");
  QTest::keyClick(Form->EditName, Qt::Key_Escape);
  expectBackInTheWindow();
  EXPECT_EQ(child->Unit->GetName(), "Mine");

  typeInField("Taken");
  QTest::keyClick(Form->EditName, Qt::Key_Return);
  EXPECT_EQ(Prompter.Texts(),
            std::vector<std::string>({"A window with name \"Taken\" already exists."}));
  expectBackInTheWindow();
  EXPECT_EQ(child->Unit->GetName(), "Mine");

  // Leaving the field without Enter drops the edit too.
  typeInField("Zebra");
  child->setFocus();
  EXPECT_EQ(Form->EditName->text(), "Mine");
  EXPECT_EQ(child->Unit->GetName(), "Mine");
}
