// The Qt prompter (message boxes, file dialogs), its filters, and the GUI-thread dispatcher.
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include "gui/common/TGuiThreadDispatcher.h"
#include "gui/common/TQtPrompter.h"
#include "gui/common/filefilter.h"
#include "gui/help/THelpViewer.h"
#include "gui/support/guitest.h"

TEST(FileFilters, BecomeQtNameFilters) {
  const struct {
    const char* Filter;
    QStringList Expected;
  } cases[] = {
      {"Fractals (*.zlf)|*.zlf|All files (*.*)|*.*", {"Fractals (*.zlf)", "All files (*)"}},
      {"Project Files (*.kvp)|*.kvp|XML Files (*.xml)|*.xml|All files (*.*)|*.*",
       {"Project Files (*.kvp)", "XML Files (*.xml)", "All files (*)"}},
      {"Pictures|*.bmp;*.png", {"Pictures (*.bmp *.png)"}},
      {"Pictures (*.bmp)|*.bmp;*.png", {"Pictures (*.bmp *.png)"}},
      {"|*.cp1", {"*.cp1 (*.cp1)"}},
      {"Half pair", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(QtNameFilters(c.Filter), c.Expected) << c.Filter;
}

TEST(QtPrompter, MessageBoxShowsTitleTextIconAndReturnsTheButton) {
  const struct {
    TMsgIcon Icon;
    QMessageBox::Icon QtIcon;
    TMsgButtons Buttons;
    QMessageBox::StandardButton Press;
    TMsgResult Result;
  } cases[] = {
      {TMsgIcon::Information, QMessageBox::Information, TMsgButtons::Ok, QMessageBox::Ok,
       TMsgResult::Ok},
      {TMsgIcon::Error, QMessageBox::Critical, TMsgButtons::OkCancel, QMessageBox::Cancel,
       TMsgResult::Cancel},
      {TMsgIcon::Question, QMessageBox::Question, TMsgButtons::YesNoCancel, QMessageBox::No,
       TMsgResult::No},
      {TMsgIcon::Warning, QMessageBox::Warning, TMsgButtons::YesNo, QMessageBox::Yes,
       TMsgResult::Yes},
  };
  TQtPrompter prompter;
  for (const auto& c : cases) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool hasPress = false;
    WhenDialog<QMessageBox>([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      QAbstractButton* b = box->button(c.Press);
      hasPress = b != nullptr;
      if (b) b->click();
    });
    const TMsgResult result = prompter.Message("Cannot read the file: \"a\", b", "File Error",
                                               c.Icon, c.Buttons);
    EXPECT_EQ(title, "File Error");
    EXPECT_EQ(text, "Cannot read the file: \"a\", b");
    EXPECT_EQ(icon, c.QtIcon);
    EXPECT_TRUE(hasPress);
    EXPECT_EQ(result, c.Result);
  }
}

TEST(QtPrompter, CoreMessagesFromAnotherThreadAreShownOnTheGuiThread) {
  TQtPrompter prompter;
  prompter.Install();
  QThread* shownOn = nullptr;
  WhenModal([&](QWidget* w) {
    shownOn = QThread::currentThread();
    qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
  });
  std::atomic<TMsgResult> result{TMsgResult::Cancel};
  std::thread worker([&] {
    result = ShowMessage("Go on?", "Question", TMsgIcon::Question, TMsgButtons::YesNo);
  });
  // The message box runs on this thread's event loop; the worker waits for its answer.
  EXPECT_TRUE(WaitUntil([&] { return result != TMsgResult::Cancel; }));
  worker.join();
  prompter.Uninstall();
  EXPECT_EQ(result, TMsgResult::Yes);
  EXPECT_EQ(shownOn, qApp->thread());
  EXPECT_EQ(TPrompter::Installed(), nullptr);
}

TEST(QtPrompter, OpenDialogTakesTheRequestAndReturnsTheChosenFiles) {
  TScratchDir dir("qtprompter_open");
  const std::string a = dir.File("a.zlf"), b = dir.File("b.zlf");
  for (const std::string& f : {a, b}) QFile(QString::fromStdString(f)).open(QIODevice::WriteOnly);
  TFileDialogRequest request;
  request.Title = "Open Fractal";
  request.DefaultExt = "zlf";
  request.Filter = "Fractals (*.zlf)|*.zlf|All files (*.*)|*.*";
  request.AllowMultiSelect = true;
  request.MustExist = true;
  request.InitialDir = dir.Path().string();
  request.HelpContext = 53;
  QString title, suffix;
  QStringList filters;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  bool helpShown = false;
  WhenDialog<QFileDialog>([&](QFileDialog* dialog) {
    title = dialog->windowTitle();
    suffix = dialog->defaultSuffix();
    filters = dialog->nameFilters();
    mode = dialog->fileMode();
    auto* box = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->button(QDialogButtonBox::Help), nullptr);
    box->button(QDialogButtonBox::Help)->click();
    helpShown = THelpViewer::Instance().isVisible() &&
                THelpViewer::Instance().CurrentContext() == 53;
    THelpViewer::Instance().close();
    dialog->selectFile("\"a.zlf\" \"b.zlf\"");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  TQtPrompter prompter;
  std::vector<std::string> chosen = prompter.OpenFileNames(request);
  std::sort(chosen.begin(), chosen.end());
  EXPECT_EQ(title, "Open Fractal");
  EXPECT_EQ(suffix, "zlf");
  EXPECT_EQ(filters, QStringList({"Fractals (*.zlf)", "All files (*)"}));
  EXPECT_EQ(mode, QFileDialog::ExistingFiles);
  EXPECT_TRUE(helpShown);
  EXPECT_EQ(chosen, std::vector<std::string>({a, b}));
}

TEST(QtPrompter, SaveDialogAsksBeforeOverwritingOnlyWhenTold) {
  TScratchDir dir("qtprompter_save");
  for (bool prompt : {true, false}) {
    TFileDialogRequest request;
    request.Title = "Save Fractal";
    request.DefaultExt = "zlf";
    request.OverwritePrompt = prompt;
    request.InitialDir = dir.Path().string();
    bool confirms = !prompt;
    QFileDialog::AcceptMode accept = QFileDialog::AcceptOpen;
    WhenDialog<QFileDialog>([&](QFileDialog* dialog) {
      confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
      accept = dialog->acceptMode();
      dialog->reject();
    });
    TQtPrompter prompter;
    EXPECT_EQ(prompter.SaveFileName(request), "");
    EXPECT_EQ(confirms, prompt);
    EXPECT_EQ(accept, QFileDialog::AcceptSave);
  }
}

TEST(GuiThreadDispatcher, RunsPostedCallsOnTheGuiThreadInOrder) {
  TGuiThreadDispatcher dispatcher;
  std::vector<int> order;
  std::vector<QThread*> threads;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      dispatcher.Post([&, i] {
        order.push_back(i);
        threads.push_back(QThread::currentThread());
      });
    }
  });
  worker.join();
  // Queued: nothing runs before the event loop does.
  EXPECT_TRUE(order.empty());
  QApplication::processEvents();
  EXPECT_EQ(order, std::vector<int>({0, 1, 2}));
  for (QThread* t : threads) EXPECT_EQ(t, qApp->thread());
}

TEST(GuiThreadDispatcher, CallsBehindOneThatOpensAnEventLoopRunInsideItInOrder) {
  TGuiThreadDispatcher dispatcher;
  std::vector<int> order;
  // The first call stands for a message box shown from a progress call.
  dispatcher.Post([&] {
    order.push_back(0);
    QEventLoop modal;
    QTimer::singleShot(0, &modal, &QEventLoop::quit);
    modal.exec();
    order.push_back(-1);
  });
  for (int i = 1; i < 3; ++i) dispatcher.Post([&, i] { order.push_back(i); });
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(order, std::vector<int>({0, 1, 2, -1}));
}

namespace {

// Throws from its event handler, as a faulty command would.
class TThrowingObject : public QObject {
public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("Something broke.");
    return QObject::event(e);
  }
};

}  // namespace

TEST(Application, ShowsAnExceptionFromAnEventHandlerAndGoesOn) {
  TScriptedPrompter prompter;
  TThrowingObject object;
  QEvent first(QEvent::User);
  EXPECT_FALSE(QApplication::sendEvent(&object, &first));
  QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
  QApplication::processEvents();
  ASSERT_EQ(prompter.Messages.size(), 2u);
  EXPECT_EQ(prompter.Messages[0].Text, "Something broke.");
  EXPECT_EQ(prompter.Messages[0].Title, "Zenolith 1.0");
  EXPECT_EQ(prompter.Messages[0].Icon, TMsgIcon::Error);
}
