// Export Zoom Movie: the settings dialog, the file dialog, and the movie made on a thread of
// its own under a progress dialog.
#include "gui/export/TMovieExportCommand.h"

#include <mutex>
#include <thread>

#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include "core/TErrorReport.h"
#include "document/TStoredFractal.h"
#include "engine/TComputePool.h"
#include "gui/common/TPrompter.h"
#include "gui/common/filekinds.h"
#include "gui/export/TDlgExportMovie.h"
#include "gui/export/exportprogress.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TViewWave.h"
#include "gui/view/TWorkspace.h"
#include "movie/TMovieEncoder.h"
#include "movie/TMovieMaker.h"

namespace {

void ShowSaveError(const std::string& reason) {
  TPrompter::Current().Message("Cannot save Movie: " + reason, TErrorReport::TitleSaveError,
                               TMsgIcon::Error, TMsgButtons::Ok);
}

// "Keyframe 3 of 12, 0:42 left".
QString ProgressText(const TMovieProgress& p) {
  const bool keys = p.Stage == TMovieProgress::TStage::Keyframes;
  QString text = QStringLiteral("%1 %2 of %3")
                     .arg(keys ? QStringLiteral("Keyframe") : QStringLiteral("Frame"))
                     .arg(std::min(p.Done + (keys ? 1 : 0), p.Total))
                     .arg(p.Total);
  if (p.SecondsLeft >= 0) {
    const long long s = static_cast<long long>(p.SecondsLeft + 0.5);
    text += QStringLiteral(", %1:%2:%3 left")
                .arg(s / 3600)
                .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(s % 60, 2, 10, QLatin1Char('0'));
  }
  return text;
}

}  // namespace

TMovieExportCommand::TMovieExportCommand(TWorkspace& workspace, QObject* parent)
    : QObject(parent), Workspace(workspace) {}

void TMovieExportCommand::ExportMovieExecute() {
  QPointer<TMDIChildWave> child = Workspace.ActiveWaveWindow();
  if (!child) return;
  const TViewWave* view = child->GetView();
  TDlgExportMovie dialog(Workspace.window(), view->width(), view->height());
  if (dialog.exec() != QDialog::Accepted || !child) return;
  const std::string path =
      TPrompter::Current().SaveFileName(SaveFileRequest(FileKind::Movie, "Export Zoom Movie"));
  if (path.empty() || !child) return;
  ExportMovieFile(path, dialog.GetSettings());
}

bool TMovieExportCommand::ExportMovieFile(const std::string& path,
                                          const TMovieSettings& settings) {
  TMDIChildWave* child = Workspace.ActiveWaveWindow();
  if (child == nullptr) return false;
  const TViewWave* view = child->GetView();
  const TStoredFractal fractal(view->GetParams(), view->GetViewProps());
  TMoviePlan plan;
  std::string error;
  if (!TMoviePlan::Make(fractal, nullptr, settings, plan, error) ||
      !TMovieEncoder::Check(path, settings.Width, settings.Height, error)) {
    ShowSaveError(error);
    return false;
  }
  TMovieMaker maker(plan, TKeyframeFolder::BesideOutput(path), TComputePool::Shared());

  QProgressDialog progress(QStringLiteral("Computing the keyframes..."), QStringLiteral("Cancel"),
                           0, 1000, Workspace.window());
  SetUpExportProgress(progress, QStringLiteral("MovieProgress"),
                      QStringLiteral("Export Zoom Movie"), 1000);

  // The maker reports on its thread; the bar takes the latest report a few times a second.
  std::mutex lock;
  TMovieProgress latest;
  bool fresh = false;
  maker.SetProgress([&](const TMovieProgress& p) {
    std::lock_guard<std::mutex> guard(lock);
    latest = p;
    fresh = true;
  });
  QTimer ticker;
  ticker.setInterval(200);
  connect(&ticker, &QTimer::timeout, &progress, [&] {
    TMovieProgress shown;
    {
      std::lock_guard<std::mutex> guard(lock);
      if (!fresh) return;
      fresh = false;
      shown = latest;
    }
    progress.setValue(static_cast<int>(shown.Part * 1000));
    progress.setLabelText(ProgressText(shown));
    emit ProgressShown(shown.Stage == TMovieProgress::TStage::Keyframes, shown.Done, shown.Total);
  });

  bool made = false;
  std::thread worker([&] {
    // Keyframes of an earlier export with the same parameters are finished work.
    made = maker.Make(path, true, error);
    QMetaObject::invokeMethod(&progress, "accept", Qt::QueuedConnection);
  });
  ticker.start();
  progress.exec();
  ticker.stop();
  // Cancel, Escape or closing the dialog: the maker stops within a few milliseconds.
  maker.Cancel();
  worker.join();
  if (made) return true;
  if (!maker.Cancelled()) ShowSaveError(error);
  return false;
}
