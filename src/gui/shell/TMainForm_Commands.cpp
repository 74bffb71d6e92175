// The main window's own commands and services: register, help, close and exit, the name
// field, the close query, the activation of a window and dropped files.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "document/TUnit.h"
#include "document/windowname.h"
#include "gui/dialogs/TAboutBox.h"
#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/help/THelpViewer.h"
#include "gui/help/helpcontexts.h"
#include "gui/project/TProjectCommands.h"
#include "gui/shell/TMainForm.h"
#include "gui/view/TMDIChildZenolith.h"
#include "gui/view/TWorkspace.h"

namespace {

std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    // The path's bytes as the URL carries them: a name that is not UTF-8 stays itself.
    if (url.isLocalFile())
      files.push_back(
          QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
  }
  return files;
}

}  // namespace

void TMainForm::ChildActivated(TMDIChildZenolith* child) {
  if (child) {
    EndNameEdit();
    if (const TUnit* unit = child->GetDocument()) SetEditName(unit->GetName());
    SetKeyCapture(false);
  }
  UpdateActions();
}

void TMainForm::SetEditName(const std::string& name) {
  EditName->setText(QString::fromStdString(name));
}

void TMainForm::EndNameEdit() {
  // The name field takes no busy cursor (the line edit shows its own I-beam), so a command's
  // busy cursor is left alone here.
  NameEditing = false;
}

void TMainForm::CommitEditName() {
  TUnit* unit = Workspace->ActiveUnit();
  if (!unit) return;
  const std::string name = WindowNameFromText(EditName->text().toStdString());
  if (Workspace->CheckUniqueName(name, unit)) {
    unit->SetName(name);
    SetEditName(name);
  }
}

TScreenRect TMainForm::MainFormRect() const {
  const QRect frame = frameGeometry();
  return {frame.left(), frame.top(), frame.left() + frame.width(),
          frame.top() + frame.height()};
}

void TMainForm::RegisterExecute() {
  TMDIChildZenolith* child = Workspace->ActiveChild();
  TUnit* unit = child ? child->GetDocument() : nullptr;
  if (!unit) return;
  TDlgRegisterWave dialog(this, unit->GetName(), [this, unit](const std::string& name) {
    return Workspace->RegisterName(name, unit);
  });
  if (dialog.exec() == QDialog::Accepted) {
    unit->SetName(dialog.GetResultName());
    SetEditName(dialog.GetResultName());
  }
}

void TMainForm::HelpAboutExecute() {
  if (AboutBox) {
    AboutBox->exec();
    return;
  }
  TAboutBox box(this);
  box.exec();
}

void TMainForm::HelpContentsExecute() { THelpViewer::ShowTopic(HelpContext::MainWindow); }

void TMainForm::FileCloseExecute() {
  if (TMDIChildZenolith* child = Workspace->ActiveChild()) child->close();
}

void TMainForm::FileExitExecute() { close(); }

void TMainForm::keyDExecute() {
  if (Workspace->ActiveFractalWindow() && DuplicateWave->isEnabled()) DuplicateWave->trigger();
}

bool TMainForm::CloseQuery() {
  // Everything goes into the project without asking; only then may the windows go.
  if (Project->IsOpen()) return Project->SaveAndCloseProjectWindows();
  return Workspace->CloseQueryAll();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const std::vector<std::string> files = LocalFiles(event->mimeData());
  if (files.empty()) return;
  event->acceptProposedAction();
  // Opened once the drop is over: a dialog or message must not hold the dragging program.
  QTimer::singleShot(0, this, [this, files] {
    for (const std::string& file : files) OpenFileByExtension(file, true);
  });
}
