// Construction of the main window: its parts, the connections between them, menus, tool bar,
// status bar, the first show with the command line, and the close.
#include "gui/shell/TMainForm.h"

#include <string>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "core/tracelog.h"
#include "document/TUnit.h"
#include "document/fractalfile.h"
#include "gui/commands/TFractalCommands.h"
#include "gui/commands/TRecentFiles.h"
#include "gui/common/busycursor.h"
#include "gui/common/cursors.h"
#include "gui/common/filekinds.h"
#include "gui/common/filenames.h"
#include "gui/common/icons.h"
#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/export/TImageExportCommand.h"
#include "gui/export/TMovieExportCommand.h"
#include "gui/project/TProjectCommands.h"
#include "gui/shell/TApplication.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TMDIChildZenolith.h"
#include "gui/view/TWorkspace.h"
#include "gui/view/viewstatus.h"

namespace {

const char* const Version = "1.0";
const int StatusPanelWidths[TMainForm::StatusPanelCount] = {300, 160, 75, 70, 45, 24, 65, 60};

// `text` as the point panel shows it: a deep view's width says how deep the view is, so it
// stays whole and the point before it gives way, elided in the middle.
QString FittedPointText(const QLabel& panel, const QString& text) {
  const QFontMetrics metrics = panel.fontMetrics();
  const int room = panel.contentsRect().width() - panel.indent() - 2 * panel.margin();
  if (metrics.horizontalAdvance(text) <= room) return text;
  const std::string full = text.toStdString();
  const size_t split = PlanePointWidthStart(full);
  if (split == std::string::npos) return text;
  const QString point = QString::fromStdString(full.substr(0, split));
  const QString width = QString::fromStdString(full.substr(split));
  // Kerning may make the joined text a pixel wider than its parts.
  for (int pointRoom = room - metrics.horizontalAdvance(width); pointRoom > 0; --pointRoom) {
    const QString fitted = metrics.elidedText(point, Qt::ElideMiddle, pointRoom) + width;
    if (metrics.horizontalAdvance(fitted) <= room) return fitted;
  }
  return width;
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  LogOpen();
  LogWrite("---- START --------------------------------------\n");
  setObjectName(QStringLiteral("MainForm"));
  CommandLine = TApplication::ProgramArguments();

  Workspace = new TWorkspace(this);
  setCentralWidget(Workspace);

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
  // The fractal file's grammar is built here, the project file's with the project commands;
  // both once, for the whole run.
  FractalFileGrammar();
  CreateParts();
  ConnectCommands();

  FormCreate();
  UpdateActions();
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(this);
  // The child windows go with the frame; their going must not run the activation rules.
  disconnect(Workspace, nullptr, this, nullptr);
  for (QMdiSubWindow* child : Workspace->subWindowList())
    disconnect(child, nullptr, this, nullptr);
  while (BusyDepth() > 0) EndBusy();
  LogWrite("---- END ----------------------------------------\n");
  LogClose();
}

void TMainForm::CreateParts() {
  Recent = new TRecentFiles(*MenuRecentFiles, this);
  Fractal = new TFractalCommands(*Workspace, *Recent, this);
  Project = new TProjectCommands(*Workspace, *Fractal, *Recent, this);
  Export = new TImageExportCommand(*Workspace, this);
  MovieExport = new TMovieExportCommand(*Workspace, this);
  Opener.SetOpener(FileKind::Fractal, [this](const std::string& path) {
    Fractal->OpenFractalFileAndRemember(path);
  });
  Opener.SetOpener(FileKind::Project,
                   [this](const std::string& path) { Project->OpenProject(path); });
  Opener.SetOpener(FileKind::Palette,
                   [this](const std::string& path) { Fractal->OpenPaletteFile(path); });
  setAcceptDrops(true);
}

void TMainForm::FormCreate() {
  NameEditing = false;
  KeyCapture = false;
  qApp->installEventFilter(this);
  connect(Workspace, &TWorkspace::ChildAdded, this, &TMainForm::ConnectChild);
  connect(Workspace, &TWorkspace::NoneActive, this, [this] { ChildActivated(nullptr); });
  connect(Project, &TProjectCommands::ProjectChanged, this, [this] {
    SetProjectCaption(Project->ProjectFile());
    UpdateActions();
  });
  connect(Fractal, &TFractalCommands::NameShown, this, &TMainForm::SetEditName);
  connect(Project, &TProjectCommands::NameShown, this, &TMainForm::SetEditName);
  connect(Recent, &TRecentFiles::OpenRequested, this,
          [this](const std::string& path) { OpenFileByExtension(path, false); });
}

void TMainForm::ConnectChild(TMDIChildZenolith* child) {
  connect(child, &TMDIChildZenolith::Activated, this, &TMainForm::ChildActivated);
  connect(child, &TMDIChildZenolith::StateChanged, this, [this](TMDIChildZenolith* changed) {
    if (changed == Workspace->ActiveChild()) UpdateActions();
  });
  connect(child, &TMDIChildZenolith::StatusChanged, this, [this](TMDIChildZenolith* changed) {
    if (changed == Workspace->ActiveChild()) ShowStatus(changed);
  });
  connect(child, &TMDIChildZenolith::CloseStarted, this, [this] {
    // The last window going leaves none active; otherwise the next one's activation follows.
    if (Workspace->ChildWindows().empty()) ChildActivated(nullptr);
  });
  auto* wave = qobject_cast<TMDIChildWave*>(child);
  if (wave == nullptr) return;
  connect(wave, &TMDIChildWave::JuliaRequested, Fractal, &TFractalCommands::CreateJuliaWindow);
  // A window in the background (a picture finishing there) does not speak over the active one.
  connect(wave, &TMDIChildWave::StatusHint, this, [this, wave](const QString& text) {
    if (wave == Workspace->ActiveChild()) SetStatusText(0, text);
  });
  connect(wave, &TMDIChildWave::FileSaved, Recent, &TRecentFiles::AddRecentFile);
}

void TMainForm::ConnectShellActions() {
  connect(Register, &QAction::triggered, this, &TMainForm::RegisterExecute);
  connect(HelpAbout, &QAction::triggered, this, &TMainForm::HelpAboutExecute);
  connect(HelpContents, &QAction::triggered, this, &TMainForm::HelpContentsExecute);
  connect(FileClose, &QAction::triggered, this, &TMainForm::FileCloseExecute);
  connect(FileExit, &QAction::triggered, this, &TMainForm::FileExitExecute);
  connect(keyD, &QAction::triggered, this, &TMainForm::keyDExecute);
  connect(WindowCascade, &QAction::triggered, Workspace, &TWorkspace::Cascade);
  connect(WindowTileHorizontal, &QAction::triggered, Workspace, [this] { Workspace->Tile(true); });
  connect(WindowTileVertical, &QAction::triggered, Workspace, [this] { Workspace->Tile(false); });
  connect(WindowMinimizeAll, &QAction::triggered, Workspace, &TWorkspace::MinimizeAll);
  connect(WindowArrangeAll, &QAction::triggered, Workspace, &TWorkspace::ArrangeAll);
  // After every command, whoever handles it, the states follow.
  for (QAction* a : Actions) {
    connect(a, &QAction::triggered, this, &TMainForm::UpdateActions, Qt::QueuedConnection);
  }
}

void TMainForm::ConnectCommands() {
  const auto on = [this](QAction* action, auto* receiver, auto method) {
    connect(action, &QAction::triggered, receiver, method);
  };
  on(FileNewWave, Fractal, &TFractalCommands::FileNewWaveExecute);
  on(FileOpenWave, Fractal, &TFractalCommands::FileOpenFractalExecute);
  on(FileSave, Fractal, &TFractalCommands::FileSaveExecute);
  on(FileSaveAs, Fractal, &TFractalCommands::FileSaveAsExecute);
  on(FileRevert, Fractal, &TFractalCommands::FileRevertExecute);
  on(DuplicateWave, Fractal, &TFractalCommands::DuplicateWaveExecute);
  // The "Properties" menu item (key F) and the tool-bar button open the same dialog.
  on(FractProps, Fractal, &TFractalCommands::FractPropsExecute);
  on(FileProperties, Fractal, &TFractalCommands::FractPropsExecute);
  on(ViewVold, Fractal, &TFractalCommands::ViewVoldExecute);
  on(ZoomIn, Fractal, &TFractalCommands::ZoomInExecute);
  on(ZoomOut, Fractal, &TFractalCommands::ZoomOutExecute);
  on(DrawPoints, Fractal, &TFractalCommands::DrawPointsExecute);
  on(CreateJuliaFromMandelbrot, Fractal, &TFractalCommands::CreateJuliaFromMandelbrotExecute);
  on(AddNextPoints, Fractal, &TFractalCommands::AddNextPointsExecute);
  on(GroupAsPolynoom, Fractal, &TFractalCommands::GroupAsPolynoomExecute);
  on(RemovePoints, Fractal, &TFractalCommands::RemovePointsExecute);
  on(Undo, Fractal, &TFractalCommands::UndoExecute);
  on(Redo, Fractal, &TFractalCommands::RedoExecute);
  on(DeleteUndo, Fractal, &TFractalCommands::DeleteUndoExecute);
  on(AutoMaxDepth, Fractal, &TFractalCommands::SetAutoMaxDepth);
  on(ProjectOpen, Project, &TProjectCommands::ProjectOpenExecute);
  on(ProjectNew, Project, &TProjectCommands::ProjectNewExecute);
  on(ProjectClose, Project, &TProjectCommands::ProjectCloseExecute);
  on(ProjectSave, Project, &TProjectCommands::ProjectSaveExecute);
  on(ProjectExport, Project, &TProjectCommands::ProjectExportExecute);
  on(ExportImage, Export, &TImageExportCommand::ExportImageExecute);
  on(ExportMovie, MovieExport, &TMovieExportCommand::ExportMovieExecute);
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
  MenuFile->addAction(ExportMovie);
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
  MenuFractal->addAction(AutoMaxDepth);
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
  const std::vector<TMDIChildZenolith*> children = Workspace->ChildWindows();
  if (children.empty()) return;
  WindowListActions.push_back(MenuWindow->addSeparator());
  TMDIChildZenolith* active = Workspace->ActiveChild();
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
      for (TMDIChildZenolith* c : Workspace->ChildWindows()) {
        if (c == child) {
          if (c->isMinimized()) c->showNormal();
          Workspace->setActiveSubWindow(c);
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
  QLabel* panel = StatusPanel(index);
  if (panel == nullptr) return;
  if (index == PointPanel) {
    panel->setToolTip(text);
    panel->setText(FittedPointText(*panel, text));
  } else {
    panel->setText(text);
  }
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

void TMainForm::SetProjectCaption(const std::string& path) {
  std::string caption = std::string("Zenolith ") + Version;
  if (!path.empty()) caption += " - " + path;
  setWindowTitle(DisplayFileName(caption));
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Shown) {
    Shown = true;
    QTimer::singleShot(0, this, [this] { FormShow(); });
  }
}

void TMainForm::FormShow() { OpenCommandLine(CommandLine); }

void TMainForm::OpenCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    Project->SetProjectFile("");
    return;
  }
  const std::string& path = arguments.front();
  if (FileKindOf(path) != &FileKind::Project) Project->SetProjectFile("");
  OpenFileByExtension(path, false);
}

void TMainForm::OpenFileByExtension(const std::string& path, bool dropped) {
  Opener.Open(path, dropped);
  UpdateActions();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!CloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  QMainWindow::closeEvent(event);
}
