#include "gui/common/TQtPrompter.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "gui/common/filefilter.h"
#include "gui/common/filenames.h"
#include "gui/help/THelpViewer.h"

namespace {

QWidget* DialogParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

QMessageBox::Icon ToQtIcon(TMsgIcon icon) {
  switch (icon) {
    case TMsgIcon::Information: return QMessageBox::Information;
    case TMsgIcon::Error: return QMessageBox::Critical;
    case TMsgIcon::Warning: return QMessageBox::Warning;
    case TMsgIcon::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(TMsgButtons buttons) {
  switch (buttons) {
    case TMsgButtons::Ok: return QMessageBox::Ok;
    case TMsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case TMsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case TMsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

TMsgResult FromQtButton(int button, TMsgButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return TMsgResult::Ok;
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    case QMessageBox::Cancel: return TMsgResult::Cancel;
    default: break;
  }
  // The box was closed some other way: the safest answer that the buttons allow.
  switch (buttons) {
    case TMsgButtons::Ok: return TMsgResult::Ok;
    case TMsgButtons::YesNo: return TMsgResult::No;
    default: return TMsgResult::Cancel;
  }
}

// Configures the dialog shared by open and save; adds a Help button for a help context, which
// needs Qt's own dialog (a native one has no place for it).
void Prepare(QFileDialog& dialog, const TFileDialogRequest& request) {
  dialog.setWindowTitle(QString::fromStdString(request.Title));
  const QStringList filters = QtNameFilters(request.Filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!request.DefaultExt.empty()) {
    dialog.setDefaultSuffix(QString::fromStdString(request.DefaultExt));
  }
  if (!request.InitialDir.empty()) dialog.setDirectory(QString::fromStdString(request.InitialDir));
  if (!request.FileName.empty()) dialog.selectFile(QString::fromStdString(request.FileName));
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (request.HelpContext != 0) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
      box->addButton(QDialogButtonBox::Help);
      const int context = request.HelpContext;
      QObject::connect(box, &QDialogButtonBox::helpRequested, &dialog,
                       [context] { THelpViewer::ShowTopic(context); });
    }
  }
}

std::vector<std::string> Selected(const QFileDialog& dialog) {
  std::vector<std::string> names;
  for (const QString& f : dialog.selectedFiles()) names.push_back(FileNameBytes(f));
  return names;
}

}  // namespace

TMsgResult TQtPrompter::Message(const std::string& text, const std::string& title,
                                TMsgIcon icon, TMsgButtons buttons) {
  QMessageBox box(ToQtIcon(icon), QString::fromStdString(title), TextOfBytes(text),
                  ToQtButtons(buttons), DialogParent());
  return FromQtButton(box.exec(), buttons);
}

std::vector<std::string> TQtPrompter::OpenFileNames(const TFileDialogRequest& request) {
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.AllowMultiSelect ? QFileDialog::ExistingFiles
                     : request.MustExist      ? QFileDialog::ExistingFile
                                           : QFileDialog::AnyFile);
  Prepare(dialog, request);
  if (dialog.exec() != QDialog::Accepted) return {};
  return Selected(dialog);
}

std::string TQtPrompter::OpenFileName(const TFileDialogRequest& request) {
  TFileDialogRequest single = request;
  single.AllowMultiSelect = false;
  const std::vector<std::string> names = OpenFileNames(single);
  return names.empty() ? std::string() : names.front();
}

std::string TQtPrompter::SaveFileName(const TFileDialogRequest& request) {
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.OverwritePrompt);
  Prepare(dialog, request);
  if (dialog.exec() != QDialog::Accepted) return {};
  const std::vector<std::string> names = Selected(dialog);
  return names.empty() ? std::string() : names.front();
}

std::optional<uint32_t> TQtPrompter::PickColor(uint32_t initial, const std::string& title) {
  const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
  const QColor chosen = QColorDialog::getColor(start, DialogParent(),
                                               QString::fromStdString(title));
  if (!chosen.isValid()) return std::nullopt;
  return static_cast<uint32_t>(chosen.red()) | (static_cast<uint32_t>(chosen.green()) << 8) |
         (static_cast<uint32_t>(chosen.blue()) << 16);
}

TMsgResult TQtPrompter::Show(const std::string& text, const std::string& title, TMsgIcon icon,
                             TMsgButtons buttons) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    return Message(text, title, icon, buttons);
  }
  // Widgets exist only on the GUI thread; the caller waits for the answer.
  TMsgResult result = TMsgResult::Cancel;
  QMetaObject::invokeMethod(
      app, [&] { result = Message(text, title, icon, buttons); },
      Qt::BlockingQueuedConnection);
  return result;
}

void TQtPrompter::Install() {
  TPrompter::Set(this);
  TMessagePresenter::Set(this);
}

void TQtPrompter::Uninstall() {
  if (TPrompter::Installed() == this) TPrompter::Set(nullptr);
  if (&TMessagePresenter::Current() == this) TMessagePresenter::Set(nullptr);
}
