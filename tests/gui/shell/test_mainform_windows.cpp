// The window commands, the naming services, activation and the close queries of the main window.
#include <QScrollBar>

#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/support/MainFormFixture.h"
#include "gui/support/guitest.h"

namespace {

QRect Viewport(const TMainForm& form) { return form.Workspace->viewport()->rect(); }

}  // namespace

using MainFormWindows = MainFormFixture;

TEST_F(MainFormWindows, TileHorizontallyStacksFullWidthWindows) {
  std::vector<TTestChild*> children = {AddChild("A"), AddChild("B"), AddChild("C")};
  Form->WindowTileHorizontal->trigger();
  const QRect area = Viewport(*Form);
  int nextTop = area.top();
  for (TTestChild* c : children) {
    EXPECT_EQ(c->geometry().left(), area.left());
    EXPECT_EQ(c->geometry().width(), area.width());
    EXPECT_EQ(c->geometry().top(), nextTop);
    EXPECT_NEAR(c->geometry().height(), area.height() / 3.0, 1.0);
    nextTop = c->geometry().bottom() + 1;
  }
  EXPECT_EQ(nextTop, area.bottom() + 1);
}

TEST_F(MainFormWindows, TileVerticallyPutsFullHeightWindowsSideBySide) {
  std::vector<TTestChild*> children = {AddChild("A"), AddChild("B")};
  Form->WindowTileVertical->trigger();
  const QRect area = Viewport(*Form);
  EXPECT_EQ(children[0]->geometry(), QRect(0, 0, area.width() / 2, area.height()));
  EXPECT_EQ(children[1]->geometry(),
            QRect(area.width() / 2, 0, area.width() - area.width() / 2, area.height()));
}

TEST_F(MainFormWindows, TilingLeavesMinimizedWindowsAndTheirRowAlone) {
  TTestChild* a = AddChild("A");
  TTestChild* icon = AddChild("Icon");
  TTestChild* b = AddChild("B");
  icon->showMinimized();
  QApplication::processEvents();
  Form->WindowTileHorizontal->trigger();
  const QRect area = Viewport(*Form);
  EXPECT_TRUE(icon->isMinimized());
  EXPECT_EQ(a->geometry().top(), 0);
  EXPECT_EQ(b->geometry().top(), a->geometry().bottom() + 1);
  EXPECT_EQ(b->geometry().bottom() + 1, area.height() - icon->height());
}

TEST_F(MainFormWindows, CascadeKeepsEachWindowsSizeCutToTheArea) {
  TTestChild* small = AddChild("Small");
  TTestChild* wide = AddChild("Wide");
  TTestChild* huge = AddChild("Huge");
  TTestChild* maximized = AddChild("Maximized");
  wide->resize(420, 120);
  huge->resize(3000, 2000);
  maximized->resize(250, 180);
  maximized->showMaximized();
  QApplication::processEvents();
  Form->WindowCascade->trigger();
  const QRect area = Viewport(*Form);
  const std::vector<std::pair<TTestChild*, QSize>> expected = {
      {small, QSize(200, 150)}, {wide, QSize(420, 120)}, {huge, QSize(3000, 2000)},
      {maximized, QSize(250, 180)}};
  // Back to front, each one step further down and right, the active window in front.
  int lastOffset = -1;
  for (const auto& [child, size] : expected) {
    SCOPED_TRACE(child->Unit->GetName());
    EXPECT_FALSE(child->isMaximized());
    const QRect g = child->geometry();
    EXPECT_EQ(g.left() - area.left(), g.top() - area.top());
    EXPECT_GT(g.left(), lastOffset);
    lastOffset = g.left();
    EXPECT_EQ(g.size(), size.boundedTo(QSize(area.right() + 1 - g.left(),
                                             area.bottom() + 1 - g.top())));
    EXPECT_TRUE(area.contains(g));
  }
  EXPECT_EQ(Form->Workspace->ActiveChild(), maximized);
  EXPECT_EQ(Form->Workspace->subWindowList(QMdiArea::StackingOrder).back(), maximized);
}

TEST_F(MainFormWindows, NewWindowsOpenInsideTheVisibleArea) {
  Form->resize(420, 300);
  QApplication::processEvents();
  const QRect area = Viewport(*Form);
  // As large as a new fractal window, which does not fit.
  const QSize size(328, 418);
  ASSERT_LT(area.height(), size.height());
  for (const char* name : {"A", "B", "C", "D", "E"}) {
    auto* child = new TTestChild(name);
    child->resize(size);
    Form->Workspace->AddChildWindow(child);
    QApplication::processEvents();
    EXPECT_TRUE(area.contains(child->geometry())) << name;
    EXPECT_EQ(child->width(), std::min(size.width(), area.width())) << name;
  }
  EXPECT_FALSE(Form->Workspace->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(Form->Workspace->verticalScrollBar()->isVisible());
}

TEST_F(MainFormWindows, MinimizeAllAndArrangeLinesIconsAlongTheBottom) {
  std::vector<TTestChild*> children = {AddChild("A"), AddChild("B"), AddChild("C")};
  Form->WindowMinimizeAll->trigger();
  QApplication::processEvents();
  for (TTestChild* c : children) EXPECT_TRUE(c->isMinimized());
  // Scatter them, then arrange.
  children[0]->move(200, 10);
  children[1]->move(20, 60);
  children[2]->move(120, 30);
  Form->WindowArrangeAll->trigger();
  const QRect area = Viewport(*Form);
  int x = 0;
  for (TTestChild* c : children) {
    EXPECT_EQ(c->pos(), QPoint(x, area.height() - c->height()));
    x += c->width();
  }
}

TEST_F(MainFormWindows, ActivationShowsTheNameAndEndsEditingAndCapture) {
  TTestChild* a = AddChild("First");
  AddChild("Second");
  EXPECT_EQ(Form->EditName->text(), "Second");
  Form->NameEditing = true;
  Form->SetKeyCapture(true);
  Form->Workspace->setActiveSubWindow(a);
  QApplication::processEvents();
  EXPECT_EQ(Form->Workspace->ActiveChild(), a);
  EXPECT_EQ(Form->Workspace->ActiveUnit(), a->GetDocument());
  EXPECT_EQ(Form->EditName->text(), "First");
  EXPECT_FALSE(Form->NameEditing);
  EXPECT_FALSE(Form->KeyCapture);
}

TEST_F(MainFormWindows, FindWindowByNameSearchesLastToFirstAndMatchesExactly) {
  TTestChild* first = AddChild("Twin");
  TTestChild* last = AddChild("Twin");
  AddChild("Other");
  EXPECT_EQ(Form->Workspace->FindWindowByName("Twin"), last->GetDocument());
  EXPECT_NE(Form->Workspace->FindWindowByName("Twin"), first->GetDocument());
  EXPECT_EQ(Form->Workspace->FindWindowByName("twin"), nullptr);
  EXPECT_EQ(Form->Workspace->FindWindowByName("Nobody"), nullptr);
}

TEST_F(MainFormWindows, CheckUniqueNameAcceptsFreeNamesAndReportsTheOthers) {
  TTestChild* a = AddChild("A");
  AddChild("B");
  const struct {
    const char* Name;
    bool Accepted;
    const char* Message;
    const char* Title;
  } cases[] = {
      {"", true, nullptr, nullptr},
      {"A", true, nullptr, nullptr},  // its own name
      {"Fractal_1", true, nullptr, nullptr},
      {"two words, 3.5%", true, nullptr, nullptr},
      {"B", false, "A window with name \"B\" already exists.", "Error"},
      {"a<b", false, "A window name cannot contain \"<\" or \">\".", "Input Error"},
      {"x>", false, "A window name cannot contain \"<\" or \">\".", "Input Error"},
  };
  for (const auto& c : cases) {
    Prompter.Messages.clear();
    EXPECT_EQ(Form->Workspace->CheckUniqueName(c.Name, a->GetDocument()), c.Accepted) << c.Name;
    EXPECT_EQ(Form->Workspace->RegisterName(c.Name, a->GetDocument()), c.Accepted) << c.Name;
    if (c.Message) {
      ASSERT_EQ(Prompter.Messages.size(), 2u) << c.Name;
      EXPECT_EQ(Prompter.Messages[0].Text, c.Message);
      EXPECT_EQ(Prompter.Messages[0].Title, c.Title);
    } else {
      EXPECT_TRUE(Prompter.Messages.empty()) << c.Name;
    }
  }
}

TEST_F(MainFormWindows, CommitEditNameTrimsAndRefusesTakenNames) {
  AddChild("Taken");
  TTestChild* child = AddChild("Mine", "/f/m.zlf");
  Form->EditName->setText("  Taken  ");
  Form->CommitEditName();
  EXPECT_EQ(child->Unit->GetName(), "Mine");
  EXPECT_EQ(Prompter.Texts(),
            std::vector<std::string>({"A window with name \"Taken\" already exists."}));
  Form->EditName->setText("\tNew name ");
  Form->CommitEditName();
  EXPECT_EQ(child->Unit->GetName(), "New name");
  EXPECT_EQ(child->windowTitle(), "New name - /f/m.zlf");
}

TEST_F(MainFormWindows, CaptionFollowsNameAndFile) {
  const struct {
    const char* Name;
    const char* File;
    const char* Caption;
  } cases[] = {
      {"A", "D:\\fractals\\a.zlf", "A - D:\\fractals\\a.zlf"},
      {"A", "", "A"},
      {"", "/f/a.zlf", "/f/a.zlf"},
      {"", "", ""},
  };
  TTestChild* child = AddChild("start");
  for (const auto& c : cases) {
    child->Unit->SetName(c.Name);
    child->Unit->SetFileName(c.File);
    EXPECT_EQ(child->windowTitle().toStdString(), c.Caption);
  }
}

TEST_F(MainFormWindows, FileCloseAsksTheWindow) {
  TTestChild* child = AddChild("Stay");
  child->AllowClose = false;
  Form->FileClose->trigger();
  QApplication::processEvents();
  EXPECT_EQ(child->Questions, 1);
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 1u);
  EXPECT_EQ(child->Closes, 0);
  child->AllowClose = true;
  Form->FileClose->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
  EXPECT_EQ(Form->ActiveChildKind, 0);
}

TEST_F(MainFormWindows, ExitAsksLastToFirstAndOneRefusalKeepsEverything) {
  TTestChild* a = AddChild("A");
  TTestChild* b = AddChild("B");
  TTestChild* c = AddChild("C");
  b->AllowClose = false;
  Form->FileExit->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(Form->isVisible());
  EXPECT_EQ(c->Questions, 1);
  EXPECT_EQ(b->Questions, 1);
  EXPECT_EQ(a->Questions, 0);
  EXPECT_EQ(Form->Workspace->ChildWindows().size(), 3u);

  b->AllowClose = true;
  QPointer<TTestChild> gone = a;
  Form->FileExit->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(Form->isVisible());
  EXPECT_TRUE(Form->Workspace->ChildWindows().empty());
  EXPECT_TRUE(gone.isNull());
}

TEST_F(MainFormWindows, ExitWithAProjectSavesItAndClosesTheWindowsWithoutAsking) {
  TScratchDir dir("mainform_exit_project");
  TTestChild* a = AddChild("A");
  a->AllowClose = false;
  Form->Project->SetProjectFile(dir.File("set.kvp"));
  QPointer<TTestChild> gone = a;
  Form->FileExit->trigger();
  QApplication::processEvents();
  // Asked, the window would have refused.
  EXPECT_TRUE(gone.isNull());
  EXPECT_FALSE(Form->isVisible());
  EXPECT_TRUE(std::filesystem::exists(dir.File("set.kvp")));
  EXPECT_TRUE(Prompter.Messages.empty());
}

// ---- The register dialog, run through the Register command.

class RegisterDialog : public MainFormFixture {
protected:
  // Runs Register on the active window, typing each of `names` in turn and pressing OK.
  void Register(const std::vector<QString>& names, bool cancelAtEnd = false) {
    Opened = false;
    WhenDialog<TDlgRegisterWave>([this, names, cancelAtEnd](TDlgRegisterWave* dialog) {
      Opened = true;
      ShownName = dialog->EditName->text();
      for (const QString& name : names) {
        dialog->EditName->setText(name);
        dialog->OKBtn->click();
        StillOpen.push_back(dialog->isVisible());
      }
      if (cancelAtEnd && dialog->isVisible()) dialog->CancelBtn->click();
    });
    Form->RegisterExecute();
  }
  bool Opened = false;
  QString ShownName;
  std::vector<bool> StillOpen;
};

TEST_F(RegisterDialog, RenamesTheActiveWindowAndAcceptsAnEmptyName) {
  TTestChild* child = AddChild("Old", "/f/a.zlf");
  const std::pair<QString, QString> cases[] = {{"Fractal_1", "Fractal_1 - /f/a.zlf"},
                                               {"", "/f/a.zlf"}};  // name, caption
  for (const auto& [name, caption] : cases) {
    SCOPED_TRACE(caption.toStdString());
    const QString before = Form->EditName->text();
    Register({name});
    EXPECT_TRUE(Opened);
    EXPECT_EQ(ShownName, before);
    EXPECT_EQ(StillOpen, std::vector<bool>({false}));
    StillOpen.clear();
    EXPECT_EQ(child->Unit->GetName(), name.toStdString());
    EXPECT_EQ(child->windowTitle(), caption);
    EXPECT_EQ(Form->EditName->text(), name);
  }
  EXPECT_EQ(ShownName, "Fractal_1");
  EXPECT_TRUE(Prompter.Messages.empty());
}

TEST_F(RegisterDialog, ATakenNameKeepsTheDialogOpenAfterTheMessage) {
  AddChild("Taken");
  TTestChild* child = AddChild("Mine");
  bool openDuringMessage = false;
  Prompter.OnMessage = [&](const TScriptedPrompter::TMessage&) {
    openDuringMessage = QApplication::activeModalWidget() != nullptr;
  };
  Register({"Taken", "Free"});
  EXPECT_TRUE(openDuringMessage);
  EXPECT_EQ(StillOpen, std::vector<bool>({true, false}));
  EXPECT_EQ(Prompter.Texts(),
            std::vector<std::string>({"A window with name \"Taken\" already exists."}));
  EXPECT_EQ(child->Unit->GetName(), "Free");
}

TEST_F(RegisterDialog, AngleBracketsAreRefusedAndCancelKeepsTheName) {
  TTestChild* child = AddChild("Mine");
  Register({"<b>"}, true);
  EXPECT_EQ(StillOpen, std::vector<bool>({true}));
  EXPECT_TRUE(Prompter.ShowedOnly("A window name cannot contain \"<\" or \">\".", "Input Error"));
  EXPECT_EQ(child->Unit->GetName(), "Mine");
}

TEST_F(RegisterDialog, NothingOpensWithoutAWindow) {
  // Counts the dialogs shown and closes each at once, so that a dialog run by the command would
  // let it return.
  struct TDialogCounter : QObject {
    int Shown = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && event->type() == QEvent::Show) {
        ++Shown;
        QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
      }
      return false;
    }
  } counter;
  qApp->installEventFilter(&counter);
  Form->RegisterExecute();
  qApp->removeEventFilter(&counter);
  EXPECT_EQ(counter.Shown, 0);
  // The counter sees a dialog when one opens.
  AddChild("Named");
  qApp->installEventFilter(&counter);
  Form->RegisterExecute();
  qApp->removeEventFilter(&counter);
  EXPECT_EQ(counter.Shown, 1);
}
