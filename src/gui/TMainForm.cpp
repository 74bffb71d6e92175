// Construction of the main window: menus, tool bar, status bar, events, keyboard filter and the
// command line.
#include "gui/TMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include "core/pathsplit.h"
#include "core/tracelog.h"
#include "document/TUnit.h"
#include "document/fractalfile.h"
#include "gui/TDlgRegisterWave.h"
#include "gui/TMDIChildZenolith.h"
#include "gui/TPrompter.h"
#include "gui/cursors.h"
#include "gui/icons.h"

namespace {

TMainForm* TheMainForm = nullptr;

const char* const Version = "1.0";
const int StatusPanelWidths[TMainForm::StatusPanelCount] = {300, 160, 75, 70, 45, 24, 65, 60};

// Keys that keep their ordinary meaning while plain keys are captured.
bool PassesKeyFilter(int key) {
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
      return true;
    default:
      return false;
  }
}

// Whether `inner` is `outer` or lies inside it.
bool IsInside(const QObject* inner, const QObject* outer) {
  for (const QObject* o = inner; o != nullptr; o = o->parent()) {
    if (o == outer) return true;
  }
  return false;
}

// The name field gives way to the window again: it shows the window's name, and the keys go to
// the window, so that a plain letter is a command again.
void ReturnToWindow(TMainForm& form) {
  form.EndNameEdit();
  const TUnit* unit = form.ActiveUnit();
  form.SetEditName(unit ? unit->GetName() : std::string());
  if (TMDIChildZenolith* child = form.ActiveChild()) child->setFocus();
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  TheMainForm = this;
  LogOpen();
  LogWrite("---- START --------------------------------------\n");
  setObjectName(QStringLiteral("MainForm"));
  CommandLine = QCoreApplication::arguments().mid(1);

  MdiArea = new QMdiArea(this);
  MdiArea->setObjectName(QStringLiteral("MdiArea"));
  MdiArea->setBackground(QColor(96, 96, 96));
  MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(MdiArea);

  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  ConnectShellActions();

  resize(763, 463);
  move(223, 152);
  setWindowIcon(ApplicationIcon());
  QApplication::setWindowIcon(ApplicationIcon());
  LoadCursors();
  SetProjectCaption("");
  // The grammars of the palette, project and fractal files are built here, in that order,
  // once the readers exist. The fractal commands are connected here (ConnectCommands), then
  // the project commands (ConnectProject).
  FractalFileGrammar();
  ConnectCommands();
  ConnectProject();
  // Export, undo, recent files and drops.
  CreateExtras();

  FormCreate();
  UpdateActions();
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(this);
  UpdateTimer->stop();
  // The child windows go with the frame; their going must not run the activation rules.
  disconnect(MdiArea, nullptr, this, nullptr);
  while (BusyCount > 0) EndBusy();
  LogWrite("---- END ----------------------------------------\n");
  LogClose();
  if (TheMainForm == this) TheMainForm = nullptr;
}

TMainForm* TMainForm::Instance() { return TheMainForm; }

void TMainForm::FormCreate() {
  NameEditing = false;
  KeyCapture = false;
  qApp->installEventFilter(this);
  connect(MdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    if (auto* child = qobject_cast<TMDIChildZenolith*>(window)) {
      if (!child->IsClosing()) child->EvFormOnActivate();
    } else if (!ActiveChild()) {
      ChildActivated(nullptr);
    }
  });
  UpdateTimer = new QTimer(this);
  UpdateTimer->setInterval(250);
  connect(UpdateTimer, &QTimer::timeout, this, &TMainForm::UpdateActions);
  UpdateTimer->start();
}

void TMainForm::ConnectShellActions() {
  connect(Register, &QAction::triggered, this, &TMainForm::RegisterExecute);
  connect(HelpAbout, &QAction::triggered, this, &TMainForm::HelpAboutExecute);
  connect(HelpContents, &QAction::triggered, this, &TMainForm::HelpContentsExecute);
  connect(FileClose, &QAction::triggered, this, &TMainForm::FileCloseExecute);
  connect(FileExit, &QAction::triggered, this, &TMainForm::FileExitExecute);
  connect(keyD, &QAction::triggered, this, &TMainForm::keyDExecute);
  connect(WindowCascade, &QAction::triggered, this, &TMainForm::WindowCascadeExecute);
  connect(WindowTileHorizontal, &QAction::triggered, this,
          &TMainForm::WindowTileHorizontalExecute);
  connect(WindowTileVertical, &QAction::triggered, this, &TMainForm::WindowTileVerticalExecute);
  connect(WindowMinimizeAll, &QAction::triggered, this, &TMainForm::WindowMinimizeAllExecute);
  connect(WindowArrangeAll, &QAction::triggered, this, &TMainForm::WindowArrangeAllExecute);
  // After every command, whoever handles it, the states follow.
  for (QAction* a : Actions) {
    connect(a, &QAction::triggered, this, &TMainForm::UpdateActions, Qt::QueuedConnection);
  }
}

QAction* TMainForm::AddMenuProxy(QMenu* menu, QAction* action, const QString& caption,
                                 bool visible) {
  QString text = caption;
  if (!action->shortcut().isEmpty()) {
    text += u'\t' + action->shortcut().toString(QKeySequence::NativeText);
  }
  auto* proxy = new QAction(action->icon(), text, menu);
  proxy->setObjectName(action->objectName() + QStringLiteral("Item"));
  proxy->setToolTip(action->toolTip());
  proxy->setStatusTip(action->statusTip());
  proxy->setVisible(visible);
  proxy->setEnabled(action->isEnabled());
  connect(action, &QAction::changed, proxy, [action, proxy] {
    proxy->setEnabled(action->isEnabled());
  });
  connect(proxy, &QAction::triggered, action, &QAction::trigger);
  menu->addAction(proxy);
  return proxy;
}

void TMainForm::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenuAll"));

  MenuFile = bar->addMenu(QStringLiteral("&File"));
  MenuFile->setObjectName(QStringLiteral("MenuFile"));
  MenuFile->menuAction()->setStatusTip(QStringLiteral("File related commands"));
  MenuFile->addAction(FileNewWave);
  MenuFile->addAction(FileOpenWave);
  MenuRecentFiles = MenuFile->addMenu(QStringLiteral("Recent &Files"));
  MenuRecentFiles->setObjectName(QStringLiteral("MenuRecentFiles"));
  MenuRecentFiles->menuAction()->setObjectName(QStringLiteral("RecentFiles"));
  MenuFile->addAction(DuplicateWave);
  MenuFile->addSeparator();
  MenuFile->addAction(FileClose);
  MenuFile->addAction(FileSave);
  MenuFile->addAction(FileSaveAs);
  MenuFile->addAction(ExportImage);
  MenuFile->addSeparator();
  // Hidden entries: their actions keep their keys on the window.
  AddMenuProxy(MenuFile, Register, Register->text(), false);
  MenuFile->addSeparator();
  AddMenuProxy(MenuFile, Options, Options->text(), false);
  MenuFile->addAction(FileExit);

  MenuEdit = bar->addMenu(QStringLiteral("&Edit"));
  MenuEdit->setObjectName(QStringLiteral("MenuEdit"));
  MenuEdit->menuAction()->setStatusTip(QStringLiteral("Undo and redo changes of a fractal"));
  MenuEdit->addAction(Undo);
  MenuEdit->addAction(Redo);
  MenuEdit->addSeparator();
  MenuEdit->addAction(DeleteUndo);

  MenuProject = bar->addMenu(QStringLiteral("&Project"));
  MenuProject->setObjectName(QStringLiteral("MenuProject"));
  AddMenuProxy(MenuProject, ProjectNew, QStringLiteral("&New..."), true);
  AddMenuProxy(MenuProject, ProjectOpen, QStringLiteral("&Open..."), true);
  AddMenuProxy(MenuProject, ProjectClose, QStringLiteral("&Close"), true);
  MenuProject->addSeparator();
  AddMenuProxy(MenuProject, ProjectSave, QStringLiteral("&Save"), true);
  AddMenuProxy(MenuProject, ProjectExport, QStringLiteral("&Export..."), true);

  MenuFractal = bar->addMenu(QStringLiteral("&Fractal"));
  MenuFractal->setObjectName(QStringLiteral("MenuFractal"));
  MenuFractal->addAction(FileProperties);
  MenuFractal->addAction(ViewVold);
  MenuFractal->addSeparator();
  MenuFractal->addAction(AddNextPoints);
  MenuFractal->addAction(GroupAsPolynoom);
  MenuFractal->addAction(RemovePoints);

  MenuMode = bar->addMenu(QStringLiteral("&Mode"));
  MenuMode->setObjectName(QStringLiteral("MenuMode"));
  MenuMode->addAction(ZoomIn);
  MenuMode->addAction(ZoomOut);
  MenuMode->addAction(DrawPoints);
  MenuMode->addAction(CreateJuliaFromMandelbrot);

  MenuWindow = bar->addMenu(QStringLiteral("&Window"));
  MenuWindow->setObjectName(QStringLiteral("MenuWindow"));
  MenuWindow->menuAction()->setStatusTip(QStringLiteral("Window related commands"));
  MenuWindow->addAction(WindowCascade);
  MenuWindow->addAction(WindowTileHorizontal);
  MenuWindow->addAction(WindowTileVertical);
  MenuWindow->addAction(WindowMinimizeAll);
  MenuWindow->addAction(WindowArrangeAll);
  connect(MenuWindow, &QMenu::aboutToShow, this, &TMainForm::RebuildWindowList);

  MenuHelp = bar->addMenu(QStringLiteral("&Help"));
  MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
  MenuHelp->menuAction()->setStatusTip(QStringLiteral("Help topics"));
  MenuHelp->addAction(HelpContents);
  MenuHelp->addSeparator();
  MenuHelp->addAction(HelpAbout);
}

void TMainForm::RebuildWindowList() {
  for (QAction* a : WindowListActions) {
    MenuWindow->removeAction(a);
    a->deleteLater();
  }
  WindowListActions.clear();
  const std::vector<TMDIChildZenolith*> children = ChildWindows();
  if (children.empty()) return;
  WindowListActions.push_back(MenuWindow->addSeparator());
  TMDIChildZenolith* active = ActiveChild();
  int number = 0;
  for (TMDIChildZenolith* child : children) {
    ++number;
    QString title = child->windowTitle();
    title.replace(u'&', QStringLiteral("&&"));
    const QString text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                     : QStringLiteral("%1 %2").arg(number).arg(title);
    QAction* a = MenuWindow->addAction(text);
    a->setCheckable(true);
    a->setChecked(child == active);
    connect(a, &QAction::triggered, this, [this, child] {
      for (TMDIChildZenolith* c : ChildWindows()) {
        if (c == child) {
          if (c->isMinimized()) c->showNormal();
          MdiArea->setActiveSubWindow(c);
        }
      }
    });
    WindowListActions.push_back(a);
  }
}

void TMainForm::CreateToolBar() {
  ToolBarBasic = addToolBar(QStringLiteral("Basic"));
  ToolBarBasic->setObjectName(QStringLiteral("ToolBarBasic"));
  ToolBarBasic->setIconSize(QSize(ToolBarImageSize, ToolBarImageSize));
  ToolBarBasic->setMovable(true);
  ToolBarBasic->setFloatable(true);

  const auto button = [this](QAction* action) {
    ToolBarBasic->addAction(action);
    if (QWidget* w = ToolBarBasic->widgetForAction(action)) w->setFixedSize(35, 32);
  };
  const auto hint = [this](QAction* action, const QString& shortHint, const QString& longHint) {
    if (QWidget* w = ToolBarBasic->widgetForAction(action)) {
      ButtonHints[w] = {shortHint, longHint};
    }
  };

  button(FileNewWave);
  hint(FileNewWave, QStringLiteral("New fractal"), QStringLiteral("Create a new fractal window"));
  button(FileOpenWave);
  hint(FileOpenWave, QStringLiteral("Open"), QStringLiteral("Open a fractal file"));
  ToolBarBasic->addSeparator();
  button(FileSave);
  button(FileSaveAs);
  hint(FileSaveAs, QStringLiteral("Save As"),
       QStringLiteral("Save current file under a different name"));
  ToolBarBasic->addSeparator();
  button(DuplicateWave);
  ToolBarBasic->addSeparator();
  button(CreateJuliaFromMandelbrot);
  ToolBarBasic->addSeparator();

  EditName = new QLineEdit(ToolBarBasic);
  EditName->setObjectName(QStringLiteral("EditName"));
  EditName->setMaxLength(TDlgRegisterWave::NameMaxLength);
  EditName->setFixedWidth(139);
  QFont nameFont = EditName->font();
  nameFont.setPixelSize(14);
  EditName->setFont(nameFont);
  EditName->setToolTip(QStringLiteral("Name of window"));
  EditName->setStatusTip(QStringLiteral("a unique name of the window"));
  ToolBarBasic->addWidget(EditName);
  connect(EditName, &QLineEdit::returnPressed, this, &TMainForm::EvEditNameOnKeyPress);
  connect(EditName, &QLineEdit::textEdited, this, [this] { EditNameClick(); });

  button(FractProps);
  button(ViewVold);
  ToolBarBasic->addSeparator();
  button(ZoomIn);
  button(ZoomOut);
  ToolBarBasic->addSeparator();
  button(DrawPoints);
  button(AddNextPoints);
  button(GroupAsPolynoom);
  button(RemovePoints);
}

void TMainForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  // No size grip: at the start size it would take the room the seventh panel needs to show
  // "Changed"; the window's frame resizes it.
  bar->setSizeGripEnabled(false);
  // The panels keep their widths and touch each other; a narrow window cuts the last ones off
  // instead of letting them overlap.
  auto* strip = new QWidget(bar);
  strip->setObjectName(QStringLiteral("StatusPanels"));
  strip->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  const int height = QFontMetrics(strip->font()).height() + 6;
  strip->setFixedHeight(height);
  int x = 0;
  for (int i = 0; i < StatusPanelCount; ++i) {
    auto* panel = new QLabel(strip);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
    panel->setFrameStyle(QFrame::Panel | (i == 1 ? QFrame::Raised : QFrame::Sunken));
    panel->setLineWidth(1);
    panel->setTextFormat(Qt::PlainText);
    panel->setIndent(3);
    panel->setGeometry(x, 0, StatusPanelWidths[i], height);
    x += StatusPanelWidths[i];
    StatusPanels.push_back(panel);
  }
  bar->addWidget(strip, 1);
}

QLabel* TMainForm::StatusPanel(int index) const {
  return index >= 0 && index < StatusPanelCount ? StatusPanels[index] : nullptr;
}

void TMainForm::SetStatusText(int index, const QString& text) {
  if (QLabel* panel = StatusPanel(index)) panel->setText(text);
}

void TMainForm::SetEditNameEnabled(bool enabled) {
  EditName->setEnabled(enabled);
  QPalette pal = EditName->palette();
  const QColor base = enabled ? palette().color(QPalette::Active, QPalette::Base)
                              : palette().color(QPalette::Active, QPalette::Button);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Base, base);
  }
  EditName->setPalette(pal);
}

std::string TMainForm::NextNoName() {
  ++NoNameCounter;
  return "NONAME" + std::to_string(NoNameCounter);
}

void TMainForm::SetProjectCaption(const std::string& path) {
  std::string caption = std::string("Zenolith ") + Version;
  if (!path.empty()) caption += " - " + path;
  setWindowTitle(QString::fromStdString(caption));
}

void TMainForm::BeginBusy(const QCursor& cursor) {
  QApplication::setOverrideCursor(cursor);
  ++BusyCount;
}

void TMainForm::EndBusy() {
  if (BusyCount == 0) return;
  QApplication::restoreOverrideCursor();
  --BusyCount;
}

void TMainForm::EditNameClick() { NameEditing = true; }

void TMainForm::EvEditNameOnKeyPress() {
  // A refused name has been reported; either way the field shows the window's name again.
  CommitEditName();
  ReturnToWindow(*this);
}

bool TMainForm::KeyFilter(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride || !(NameEditing || KeyCapture)) return false;
  // A modal dialog owns its keys; the main window's shortcuts are not active then anyway.
  if (QApplication::activeModalWidget()) return false;
  if (PassesKeyFilter(static_cast<QKeyEvent*>(event)->key())) return false;
  // Accepted: the key goes to the focused widget as input instead of to a shortcut.
  event->accept();
  return true;
}

QAction* TMainForm::ActionForKey(const QKeyEvent& event) const {
  const QKeyCombination pressed(event.modifiers() & ~Qt::KeypadModifier,
                                static_cast<Qt::Key>(event.key()));
  for (QAction* a : Actions) {
    for (const QKeySequence& k : a->shortcuts()) {
      if (k.count() == 1 && k[0] == pressed) return a;
    }
  }
  return nullptr;
}

QAction* TMainForm::MenuForKey(const QKeyEvent& event) const {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  const bool f10 = event.key() == Qt::Key_F10 && modifiers == Qt::NoModifier;
  const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(event.key())));
  for (QAction* title : menuBar()->actions()) {
    if (!title->isVisible()) continue;
    if (f10) return title;
    const QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
    if (!mnemonic.isEmpty() && mnemonic == pressed) return title;
  }
  return nullptr;
}

bool TMainForm::ActionKeyFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
    return false;
  }
  // Keys of this window only; an open menu, and the menu bar while the keyboard moves through
  // it, keep their own keys.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this || QApplication::activePopupWidget() ||
      qobject_cast<QMenuBar*>(widget)) {
    return false;
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  if ((NameEditing || KeyCapture) && !PassesKeyFilter(key->key())) return false;
  QAction* action = ActionForKey(*key);
  if (action == nullptr) {
    // Then the menus: Alt and an underlined letter opens the first menu that has it ("&File"
    // before "&Fractal", which Qt would find ambiguous); F10 opens the first menu, from where
    // the arrows reach the others.
    QAction* title = MenuForKey(*key);
    if (title == nullptr) return false;
    if (event->type() == QEvent::ShortcutOverride) {
      event->accept();
    } else {
      menuBar()->setActiveAction(title);
    }
    return true;
  }
  if (event->type() == QEvent::ShortcutOverride) {
    // Claimed before the shortcut map, where a menu's mnemonic (Alt+P, Alt+W) would make the
    // key ambiguous; the key press that follows runs the command.
    event->accept();
    return true;
  }
  if (action->isEnabled()) action->trigger();
  return true;
}

void TMainForm::TrackAutoHint(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::StatusTip: {
      const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
      // The first receiver is the control the hint is about; its parents see the same event
      // after it.
      if (!tip.isEmpty() && !(HintSource && IsInside(HintSource, watched))) {
        HintSource = watched;
      }
      break;
    }
    case QEvent::Leave:
      // The menu bar loses the mouse to the menu it opens: its hint stays while a title is
      // chosen, and goes when the menu closes.
      if (HintSource && IsInside(HintSource, watched) &&
          !(HintSource == menuBar() && menuBar()->activeAction())) {
        ClearAutoHint();
      }
      break;
    case QEvent::Hide:
      if (watched == HintSource) {
        ClearAutoHint();
      } else if (qobject_cast<QMenu*>(watched)) {
        // A closing menu takes the hints of its entries and of its title with it. The menu bar
        // shows the title's hint again as the menu goes, so this waits for that; moving on to
        // the next menu keeps that menu's hint.
        QTimer::singleShot(0, this, [this] {
          if (!QApplication::activePopupWidget()) ClearAutoHint();
        });
      }
      break;
    default:
      break;
  }
}

void TMainForm::ClearAutoHint() {
  if (!HintSource) return;
  HintSource = nullptr;
  // Another text put there since (a refused zoom, for one) stays.
  if (StatusPanel(0)->text() == ShownHint) SetStatusText(0, QString());
  ShownHint.clear();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (KeyFilter(event)) return true;
  if (ActionKeyFilter(watched, event)) return true;
  TrackAutoHint(watched, event);
  if (watched == EditName) {
    if (event->type() == QEvent::FocusIn) {
      EditNameClick();
    } else if (event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      ReturnToWindow(*this);
      return true;
    } else if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      // Leaving the field for another place in this window ends the edit; an uncommitted
      // text gives way to the window's name again.
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
          NameEditing) {
        EndNameEdit();
        const TUnit* unit = ActiveUnit();
        SetEditName(unit ? unit->GetName() : std::string());
      }
    }
  }
  if (event->type() == QEvent::ToolTip || event->type() == QEvent::StatusTip) {
    const auto it = ButtonHints.find(watched);
    if (it != ButtonHints.end()) {
      if (event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), it->second.first,
                           static_cast<QWidget*>(watched));
        return true;
      }
      if (!static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        SetStatusText(0, it->second.second);
        ShownHint = it->second.second;
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    // The long hint goes to the first panel only; the others keep their texts.
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    // An empty tip takes back a hint; another text (a refused zoom) waits for the next hint.
    if (!tip.isEmpty() || StatusPanel(0)->text() == ShownHint) {
      SetStatusText(0, tip);
      ShownHint = tip;
    }
    return true;
  }
  return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Shown) {
    Shown = true;
    QTimer::singleShot(0, this, [this] { FormShow(); });
  }
}

void TMainForm::FormShow() { OpenCommandLine(CommandLine); }

void TMainForm::OpenCommandLine(const QStringList& arguments) {
  if (arguments.isEmpty()) {
    ProjectFile.clear();
    return;
  }
  const std::string path = arguments.front().toStdString();
  std::string extension;
  if (!LowerFileExtension(path, extension) || extension != "kvp") ProjectFile.clear();
  OpenFileByExtension(path, false);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!CloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  QMainWindow::closeEvent(event);
}
