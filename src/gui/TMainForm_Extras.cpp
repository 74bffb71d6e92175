// Image export, undo and redo, recent files and dropped files: the main window's commands
// beyond the fractal and project commands.
#include <atomic>
#include <filesystem>
#include <thread>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include "core/TErrorReport.h"
#include "core/pathsplit.h"
#include "document/TUnitFract.h"
#include "gui/TDlgExportImage.h"
#include "gui/TImageExporter.h"
#include "gui/TMDIChildWave.h"
#include "gui/TMainForm.h"
#include "gui/TPrompter.h"
#include "gui/TViewWave.h"
#include "gui/imagefile.h"
#include "render/TColorPalette1DItem.h"

QString TMainForm::SettingsFile;

namespace {

const char* const RecentFilesKey = "RecentFiles";
const char* const ImageFilter = "PNG Image (*.png)|*.png|JPEG Image (*.jpg *.jpeg)|*.jpg;*.jpeg";

std::unique_ptr<QSettings> OpenSettings() {
  if (!TMainForm::SettingsFile.isEmpty())
    return std::make_unique<QSettings>(TMainForm::SettingsFile, QSettings::IniFormat);
  return std::make_unique<QSettings>(QStringLiteral("Zenolith"), QStringLiteral("Zenolith"));
}

// The extension in lower case; "" when the name has none.
std::string ExtensionOf(const std::string& path) {
  std::string extension;
  LowerFileExtension(path, extension);
  return extension;
}

void ShowFileMessage(const std::string& text) {
  TPrompter::Current().Message(text, TErrorReport::TitleFileError, TMsgIcon::Information,
                               TMsgButtons::Ok);
}

void ShowSaveError(const std::string& reason) {
  TPrompter::Current().Message("Cannot save Image File: " + reason,
                               TErrorReport::TitleSaveError, TMsgIcon::Error, TMsgButtons::Ok);
}

std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
  }
  return files;
}

}  // namespace

void TMainForm::CreateExtras() {
  connect(Undo, &QAction::triggered, this, &TMainForm::UndoExecute);
  connect(Redo, &QAction::triggered, this, &TMainForm::RedoExecute);
  connect(DeleteUndo, &QAction::triggered, this, &TMainForm::DeleteUndoExecute);
  connect(ExportImage, &QAction::triggered, this, &TMainForm::ExportImageExecute);

  setAcceptDrops(true);

  const QStringList stored = OpenSettings()->value(QLatin1String(RecentFilesKey)).toStringList();
  for (const QString& path : stored) {
    if (static_cast<int>(RecentFileList.size()) < RecentFileCount && !path.isEmpty())
      RecentFileList.push_back(path.toStdString());
  }
  UpdateExtraActions();
}

// ---- Undo and redo.

namespace {

// One step back (`undo`) or forward in the active window's history; the document's changed
// state follows whether the state shown is the one saved last.
void StepHistory(TMainForm& form, bool undo) {
  TMDIChildWave* child = form.ActiveWaveWindow();
  if (child == nullptr) return;
  TViewWave* view = child->GetView();
  TUndoHistory& history = view->GetHistory();
  if (undo ? !history.CanUndo() : !history.CanRedo()) return;
  TViewState now = view->CaptureState();
  const TViewState target = undo ? history.Undo(std::move(now)) : history.Redo(std::move(now));
  view->RestoreState(target);
  if (history.IsSavedState(target)) {
    child->GetUnitFract()->ClearModified();
  } else {
    child->MarkModified();
  }
  form.UpdateActions();
}

}  // namespace

void TMainForm::UndoExecute() { StepHistory(*this, true); }

void TMainForm::RedoExecute() { StepHistory(*this, false); }

void TMainForm::DeleteUndoExecute() {
  if (TMDIChildWave* child = ActiveWaveWindow()) child->GetView()->GetHistory().Clear();
  UpdateActions();
}

// ---- Image export.

void TMainForm::ExportImageExecute() {
  QPointer<TMDIChildWave> child = ActiveWaveWindow();
  if (!child) return;
  const TViewWave* view = child->GetView();
  TDlgExportImage dialog(this, view->width(), view->height(),
                         !view->GetDrawPoints().Empty());
  if (dialog.exec() != QDialog::Accepted || !child) return;

  TFileDialogRequest request;
  request.Title = "Export Image";
  request.DefaultExt = "png";
  request.Filter = ImageFilter;
  request.MustExist = true;
  request.OverwritePrompt = true;
  const std::string path = TPrompter::Current().SaveFileName(request);
  if (path.empty() || !child) return;
  ExportImageFile(path, dialog.GetImageWidth(), dialog.GetImageHeight(),
                  dialog.GetIncludeOrbits());
}

bool TMainForm::ExportImageFile(const std::string& path, int width, int height, bool orbits) {
  TMDIChildWave* child = ActiveWaveWindow();
  if (child == nullptr) return false;
  if (ImageFormatOf(path).empty()) {
    ShowSaveError("\"" + path + "\" is not a .png, .jpg or .jpeg file");
    return false;
  }
  const TViewWave* view = child->GetView();
  const std::vector<TOrbitStep> steps = view->GetOrbitJournal().Steps();
  std::unique_ptr<TImageExporter> exporter =
      TImageExporter::Create(view->GetParams(), view->GetViewProps(), width, height);
  if (!exporter) {
    TErrorReport::NotEnoughMemory();
    return false;
  }

  QProgressDialog progress(QStringLiteral("Computing the image..."), QStringLiteral("Cancel"),
                           0, width, this);
  progress.setObjectName(QStringLiteral("ExportProgress"));
  progress.setWindowTitle(QStringLiteral("Export Image"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setMinimumDuration(0);
  progress.setValue(0);

  // The bar moves a few times a second, not at every band: a modal progress dialog runs the
  // event loop on every change, which must not happen inside a band's paint.
  int columnsDone = 0;
  bool ended = false;
  QTimer ticker;
  ticker.setInterval(200);
  connect(&ticker, &QTimer::timeout, &progress, [&] {
    if (!ended) progress.setValue(columnsDone);
  });

  std::atomic<bool> stopWriting{false};
  std::thread writer;
  bool computed = false;
  bool written = false;
  std::string error;
  exporter->Start([&](int done, int) { columnsDone = done; },
                  [&] {
                    ended = true;
                    computed = exporter->Complete();
                    if (!computed) {
                      progress.reject();
                      return;
                    }
                    if (orbits) exporter->DrawOrbits(steps);
                    progress.setLabelText(QStringLiteral("Writing the image..."));
                    progress.setRange(0, 0);
                    // Encoding a large picture takes a while; the dialog stays responsive.
                    writer = std::thread([&] {
                      written = WriteImageFile(exporter->Picture(), path, error, &stopWriting);
                      QMetaObject::invokeMethod(&progress, "accept", Qt::QueuedConnection);
                    });
                  });
  ticker.start();
  progress.exec();
  ticker.stop();
  // Cancel, Escape or closing the dialog: stop whatever still runs, and keep no file.
  exporter->Cancel();
  stopWriting = true;
  if (writer.joinable()) writer.join();

  if (written) return true;
  if (!error.empty()) {
    ShowSaveError(error);
  } else if (ended && !computed) {
    ShowSaveError("the computation of the image ended early");
  }
  return false;
}

// ---- Recent files.

void TMainForm::AddRecentFile(const std::string& path) {
  if (path.empty()) return;
  const std::string absolute = QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
  std::erase(RecentFileList, absolute);
  RecentFileList.insert(RecentFileList.begin(), absolute);
  if (static_cast<int>(RecentFileList.size()) > RecentFileCount)
    RecentFileList.resize(RecentFileCount);
  StoreRecentFiles();
}

void TMainForm::StoreRecentFiles() {
  QStringList stored;
  for (const std::string& file : RecentFileList) stored << QString::fromStdString(file);
  std::unique_ptr<QSettings> settings = OpenSettings();
  settings->setValue(QLatin1String(RecentFilesKey), stored);
  settings->sync();
  UpdateExtraActions();
}

void TMainForm::OpenRecentFile(const std::string& path) {
  if (!std::filesystem::exists(std::filesystem::path(path))) {
    std::erase(RecentFileList, path);
    StoreRecentFiles();
    TErrorReport::CannotRead(path, "the file does not exist.");
    return;
  }
  OpenFileByExtension(path, false);
}

void TMainForm::UpdateExtraActions() {
  if (Redo == nullptr) return;
  TMDIChildWave* child = ActiveWaveWindow();
  const TUndoHistory* history = child ? &child->GetView()->GetHistory() : nullptr;
  Undo->setEnabled(history && history->CanUndo());
  Redo->setEnabled(history && history->CanRedo());
  DeleteUndo->setEnabled(history && !history->Empty());
  ExportImage->setEnabled(child != nullptr);

  // The menu follows the list.
  QStringList shown;
  for (QAction* a : MenuRecentFiles->actions()) shown << a->data().toString();
  QStringList wanted;
  for (const std::string& file : RecentFileList) wanted << QString::fromStdString(file);
  if (shown != wanted) {
    MenuRecentFiles->clear();
    int number = 0;
    for (const QString& file : wanted) {
      ++number;
      QString text = file;
      text.replace(u'&', QStringLiteral("&&"));
      text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(text)
                         : QStringLiteral("1&0 %1").arg(text);
      QAction* entry = MenuRecentFiles->addAction(text);
      entry->setObjectName(QStringLiteral("RecentFile%1").arg(number));
      entry->setData(file);
      connect(entry, &QAction::triggered, this, [this, file] {
        // The menu entry may go while its file opens.
        QTimer::singleShot(0, this, [this, file] { OpenRecentFile(file.toStdString()); });
      });
    }
  }
  MenuRecentFiles->menuAction()->setEnabled(!RecentFileList.empty());
}

// ---- Dropped files.

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

void TMainForm::OpenFileByExtension(const std::string& path, bool palettes) {
  const std::string extension = ExtensionOf(path);
  if (extension.empty()) {
    ShowFileMessage("Cannot read the file: \"" + path + "\" File has no extension");
  } else if (extension == "zlf") {
    if (OpenFractalFileHook) OpenFractalFileHook(path);
  } else if (extension == "kvp") {
    if (OpenProjectFileHook) OpenProjectFileHook(path);
  } else if (palettes && extension == "cp1") {
    QPointer<TMDIChildWave> child = ActiveWaveWindow();
    if (!child) {
      ShowFileMessage("Cannot use the palette \"" + path +
                      "\": open a fractal window first, then drop the palette on it.");
      return;
    }
    TColorPalette1DItem palette(0x000000, 0xFFFFFF);
    std::string errorText;
    if (!palette.LoadFromFile(path, errorText)) {
      TErrorReport::CannotRead(path, errorText);
      return;
    }
    TVoldViewProps props = child->GetViewProps();
    props.PalOutside = palette;
    props.UsePalOutside = true;
    EditColoring(child, props);
  } else {
    ShowFileMessage("Invalid extension \"" + extension + "\" used.");
  }
  UpdateActions();
}
