// Export Image: the size dialog, the file dialog, the computation under a progress dialog and
// the writing of the picture.
#include "gui/export/TImageExportCommand.h"

#include <atomic>
#include <thread>

#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include "core/TErrorReport.h"
#include "gui/common/TPrompter.h"
#include "gui/common/filekinds.h"
#include "gui/common/imagefile.h"
#include "gui/export/TDlgExportImage.h"
#include "gui/export/exportprogress.h"
#include "gui/export/TImageExporter.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TViewWave.h"
#include "gui/view/TWorkspace.h"

namespace {

void ShowSaveError(const std::string& reason) {
  TPrompter::Current().Message("Cannot save Image File: " + reason,
                               TErrorReport::TitleSaveError, TMsgIcon::Error, TMsgButtons::Ok);
}

}  // namespace

TImageExportCommand::TImageExportCommand(TWorkspace& workspace, QObject* parent)
    : QObject(parent), Workspace(workspace) {}

void TImageExportCommand::ExportImageExecute() {
  QPointer<TMDIChildWave> child = Workspace.ActiveWaveWindow();
  if (!child) return;
  const TViewWave* view = child->GetView();
  TDlgExportImage dialog(Workspace.window(), view->width(), view->height(),
                         !view->GetDrawPoints().Empty());
  if (dialog.exec() != QDialog::Accepted || !child) return;

  const std::string path =
      TPrompter::Current().SaveFileName(SaveFileRequest(FileKind::Image, "Export Image"));
  if (path.empty() || !child) return;
  ExportImageFile(path, dialog.GetImageWidth(), dialog.GetImageHeight(),
                  dialog.GetIncludeOrbits());
}

bool TImageExportCommand::ExportImageFile(const std::string& path, int width, int height,
                                          bool orbits) {
  TMDIChildWave* child = Workspace.ActiveWaveWindow();
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
                           0, width, Workspace.window());
  SetUpExportProgress(progress, QStringLiteral("ExportProgress"), QStringLiteral("Export Image"),
                      width);

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
  std::string warning;
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
                      written = WriteImageFile(exporter->Picture(), path, error, &stopWriting,
                                               &warning);
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

  if (written) {
    // Written on the writer's thread; told here.
    if (!warning.empty())
      TPrompter::Current().Message(warning, TErrorReport::TitleFileWarning, TMsgIcon::Warning,
                                   TMsgButtons::Ok);
    return true;
  }
  if (!error.empty()) {
    ShowSaveError(error);
  } else if (ended && !computed) {
    ShowSaveError("the computation of the image ended early");
  }
  return false;
}
