// The action table of the main window and the rules that keep the actions' states.
#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "document/TUnit.h"
#include "gui/commands/TFractalCommands.h"
#include "gui/common/icons.h"
#include "gui/project/TProjectCommands.h"
#include "gui/shell/TMainForm.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TViewWave.h"
#include "gui/view/TWorkspace.h"

namespace {

struct TActionDef {
  QAction* TMainForm::*Member;
  const char* Name;
  const char* Caption;
  const char* Shortcut;  // portable text; "" = none
  const char* Category;  // "" = none
  const char* Hint;      // "short|long", or one text for both
  int Image;             // tool-bar image index; -1 = none
};

// Where two actions once shared a key, one holds it: D is DuplicateWave's (keyD keeps its
// handler), F is FileProperties' (FractProps opens the same dialog from the tool bar).
const TActionDef ActionTable[] = {
    {&TMainForm::FileNewWave, "FileNewWave", "&New wave...", "Ctrl+N", "File",
     "New|Create a new empty wave window", 1},
    {&TMainForm::FileOpenWave, "FileOpenWave", "&Open wave...", "Ctrl+O", "File",
     "Open|Open a wave file", 15},
    {&TMainForm::FileClose, "FileClose", "&Close", "", "File", "Close|Close current file", -1},
    {&TMainForm::FileSave, "FileSave", "&Save", "Ctrl+S", "File", "Save|Save current file", 2},
    {&TMainForm::FileSaveAs, "FileSaveAs", "Save &As...", "Ctrl+A", "File",
     "Save As|Save current file with different name", 0},
    {&TMainForm::FileExit, "FileExit", "E&xit", "", "File", "Exit|Exit the Korvane", -1},
    {&TMainForm::WindowCascade, "WindowCascade", "&Cascade", "Shift+F5", "Window", "Cascade",
     -1},
    {&TMainForm::WindowTileHorizontal, "WindowTileHorizontal", "Tile &Horizontally", "F4",
     "Window", "Tile Horizontally", -1},
    {&TMainForm::WindowTileVertical, "WindowTileVertical", "Tile &Vertically", "Shift+F4",
     "Window", "Tile Vertically", -1},
    {&TMainForm::WindowMinimizeAll, "WindowMinimizeAll", "&Minimize All", "", "Window",
     "Minimize All", -1},
    {&TMainForm::WindowArrangeAll, "WindowArrangeAll", "&Arrange All", "", "Window",
     "Arrange All", -1},
    {&TMainForm::Undo, "Undo", "&Undo", "Ctrl+Z", "", "Undo|Undo last wave action", 16},
    {&TMainForm::FileProperties, "FileProperties", "Properties", "F", "File",
     "Properties|Change the properties of the wave", 16},
    {&TMainForm::Register, "Register", "&Register...", "N", "",
     "Register|Register a wave using a name", 14},
    {&TMainForm::Redo, "Redo", "&Redo", "Ctrl+Y", "", "Redo|Redo the last undone action", -1},
    {&TMainForm::ExportImage, "ExportImage", "&Export Image...", "", "File",
     "Export Image|Save the fractal as a PNG or JPEG picture", -1},
    {&TMainForm::ExportMovie, "ExportMovie", "Export &Zoom Movie...", "", "File",
     "Export Zoom Movie|Make a video zooming from the fractal out to the whole set", -1},
    {&TMainForm::DeleteUndo, "DeleteUndo", "De&lete Undo", "", "",
     "Delete Undo|Forget wave before last wave action", 9},
    {&TMainForm::Options, "Options", "Options...", "", "", "", 13},
    {&TMainForm::DuplicateWave, "DuplicateWave", "&Duplicate", "D", "File",
     "Duplicate fractal|Make a duplicate of the fractal", 17},
    {&TMainForm::ViewVold, "ViewVold", "&Fractal...", "V", "WaveWindow",
     "view properties of fractal", 14},
    {&TMainForm::ZoomIn, "ZoomIn", "&Zoom in", "Z", "FractWindow",
     "Zoom In|Zoom the selected part in", 7},
    {&TMainForm::HelpAbout, "HelpAbout", "&About...", "Alt+F1", "Help",
     "About|Show program information and version", -1},
    {&TMainForm::keyD, "keyD", "keyD", "", "key", "", -1},
    {&TMainForm::ProjectOpen, "ProjectOpen", "&Open Project...", "Shift+Alt+O", "Project",
     "Open Project", 129},
    {&TMainForm::ProjectNew, "ProjectNew", "&New Project...", "Shift+Alt+N", "Project",
     "Create New Project", 131},
    {&TMainForm::ProjectClose, "ProjectClose", "&Close Project", "Shift+Alt+C", "Project",
     "Close Current Project", 130},
    {&TMainForm::ProjectSave, "ProjectSave", "&Save Project", "Shift+S", "Project",
     "Save Current Project", 132},
    {&TMainForm::FractProps, "FractProps", "Fractal Properties", "", "File",
     "properties of fractal", 16},
    {&TMainForm::FileRevert, "FileRevert", "&Revert", "Shift+Ctrl+R", "File",
     "Discard changes and re-open the file", 134},
    {&TMainForm::ProjectExport, "ProjectExport", "&Export Project", "Shift+E", "Project",
     "Export all data of the Current Project", 135},
    {&TMainForm::ZoomOut, "ZoomOut", "Zoom &out", "Shift+Z", "FractWindow",
     "Zoom Out|Zoom the selected part out", 8},
    {&TMainForm::DrawPoints, "DrawPoints", "&Draw Points", "Alt+D", "FractWindow", "Put points",
     9},
    {&TMainForm::AddNextPoints, "AddNextPoints", "&Add Next Points", "Alt+W", "FractWindow",
     "Make next step of points", 10},
    {&TMainForm::GroupAsPolynoom, "GroupAsPolynoom", "Group as Polynoom", "Alt+P",
     "FractWindow", "Set new points in polygon", 11},
    {&TMainForm::CreateJuliaFromMandelbrot, "CreateJuliaFromMandelbrot",
     "Create &Julia from Mandelbrot", "J", "File",
     "Make Julia of Mandebrot|Make a Julia fractal of the Mandebrot fractal", 12},
    {&TMainForm::RemovePoints, "RemovePoints", "&Remove Points", "Alt+Del", "FractWindow",
     "Remove all points", 13},
    {&TMainForm::HelpContents, "HelpContents", "&Contents", "F1", "Help",
     "Contents|Show the help topics", -1},
    {&TMainForm::AutoMaxDepth, "AutoMaxDepth", "Auto Max Depth", "", "FractWindow",
     "Auto Max Depth|Raise the Max Depth after a zoom when the picture needs more steps", -1},
};

// Enabled exactly while a fractal window is active.
QAction* TMainForm::*const FractalActions[] = {
    &TMainForm::FileProperties, &TMainForm::FractProps,     &TMainForm::ZoomIn,
    &TMainForm::ZoomOut,        &TMainForm::DrawPoints,     &TMainForm::AddNextPoints,
    &TMainForm::GroupAsPolynoom, &TMainForm::RemovePoints,  &TMainForm::CreateJuliaFromMandelbrot,
    &TMainForm::ViewVold,       &TMainForm::DuplicateWave,     &TMainForm::AutoMaxDepth,
};

// The mode and grouping toggles show a check mark.
QAction* TMainForm::*const CheckableActions[] = {
    &TMainForm::ZoomIn, &TMainForm::ZoomOut, &TMainForm::DrawPoints,
    &TMainForm::CreateJuliaFromMandelbrot, &TMainForm::GroupAsPolynoom,
};

// Nothing implements these; they stay disabled rather than do nothing when chosen.
QAction* TMainForm::*const InertActions[] = {
    &TMainForm::Options,
};

}  // namespace

void TMainForm::CreateActions() {
  for (const TActionDef& def : ActionTable) {
    auto* action = new QAction(QString::fromUtf8(def.Caption), this);
    action->setObjectName(QString::fromLatin1(def.Name));
    if (*def.Shortcut) {
      action->setShortcut(QKeySequence::fromString(QString::fromLatin1(def.Shortcut),
                                                   QKeySequence::PortableText));
    }
    action->setProperty("category", QString::fromLatin1(def.Category));
    const QString hint = QString::fromUtf8(def.Hint);
    const qsizetype bar = hint.indexOf(u'|');
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    if (def.Image >= 0) action->setIcon(ToolBarIcon(def.Image));
    // Hidden menu entries must not take the keys away: every action lives on the window.
    addAction(action);
    this->*def.Member = action;
    Actions.push_back(action);
  }
  for (QAction* TMainForm::*member : CheckableActions) (this->*member)->setCheckable(true);
  // An option of the program, not of a window: it keeps its check mark without windows.
  AutoMaxDepth->setCheckable(true);
  for (QAction* TMainForm::*member : InertActions) (this->*member)->setEnabled(false);
}

void TMainForm::UpdateActions() {
  TMDIChildZenolith* child = Workspace->ActiveChild();
  if (child && child->GetKind() == TUnit::KindFractal) {
    if (ActiveChildKind != TUnit::KindFractal) {
      MenuMode->menuAction()->setVisible(true);
      MenuFractal->menuAction()->setVisible(true);
      MenuWindow->menuAction()->setVisible(true);
    }
    SetEditNameEnabled(true);
    for (QAction* TMainForm::*member : FractalActions) (this->*member)->setEnabled(true);
    DuplicateWave->setVisible(true);
    const TUnit* unit = child->GetDocument();
    FileSave->setEnabled(unit->NeedsSave());
    FileSaveAs->setEnabled(true);
    FileRevert->setEnabled(!unit->HasNoFile() && unit->NeedsSave());
    ViewVold->setChecked(false);
    if (const auto* wave = qobject_cast<const TMDIChildWave*>(child)) {
      const TMouseMode mode = wave->GetMouseMode();
      ZoomIn->setChecked(mode == mmZoomIn);
      ZoomOut->setChecked(mode == mmZoomOut);
      DrawPoints->setChecked(mode == mmDrawPoints);
      CreateJuliaFromMandelbrot->setChecked(mode == mmCreateJulia);
      GroupAsPolynoom->setChecked(wave->GetView()->GetGroupPoints());
    }
    ShowStatus(child);
    ActiveChildKind = child->GetKind();
  } else if (!child) {
    if (ActiveChildKind != 0) {
      MenuFractal->menuAction()->setVisible(false);
      MenuMode->menuAction()->setVisible(false);
      MenuWindow->menuAction()->setVisible(false);
      EditName->clear();
      SetEditNameEnabled(false);
      for (QAction* TMainForm::*member : FractalActions) (this->*member)->setEnabled(false);
      for (QAction* TMainForm::*member : CheckableActions) (this->*member)->setChecked(false);
      FileSave->setEnabled(false);
      FileSaveAs->setEnabled(false);
      FileRevert->setEnabled(false);
    }
    ActiveChildKind = 0;
  }

  const bool project = Project->IsOpen();
  ProjectClose->setEnabled(project);
  ProjectSave->setEnabled(project);
  ProjectExport->setEnabled(project);
  for (QAction* a : {ProjectOpen, ProjectNew, WindowCascade, WindowTileHorizontal,
                     WindowTileVertical, WindowMinimizeAll, WindowArrangeAll, HelpAbout,
                     HelpContents, FileNewWave, FileOpenWave, FileClose}) {
    a->setEnabled(true);
  }

  if (!child || child->GetKind() != TUnit::KindFractal) {
    for (int i = 1; i <= 5; ++i) SetStatusText(i, QString());
  }

  TMDIChildWave* wave = Workspace->ActiveWaveWindow();
  const TUndoHistory* history = wave ? &wave->GetView()->GetHistory() : nullptr;
  Undo->setEnabled(history && history->CanUndo());
  Redo->setEnabled(history && history->CanRedo());
  DeleteUndo->setEnabled(history && !history->Empty());
  ExportImage->setEnabled(wave != nullptr);
  ExportMovie->setEnabled(wave != nullptr);
  AutoMaxDepth->setChecked(Fractal->AutoMaxDepth());
}

void TMainForm::ShowStatus(const TMDIChildZenolith* child) {
  const std::array<std::string, TMDIChildZenolith::StatusTextCount> texts = child->StatusTexts();
  for (int i = 0; i < TMDIChildZenolith::StatusTextCount; ++i)
    SetStatusText(i + 1, QString::fromStdString(texts[i]));
}
