#include "gui/commands/TRecentFiles.h"

#include <filesystem>
#include <memory>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "gui/commands/TSettingsFile.h"
#include "gui/common/filenames.h"

QString TRecentFiles::SettingsFile;

namespace {

const char* const RecentFilesKey = "RecentFiles";

// Where QSettings keeps the settings of organisation and application "Zenolith".
std::string SettingsPath() {
  if (!TRecentFiles::SettingsFile.isEmpty())
    return QFile::encodeName(TRecentFiles::SettingsFile).toStdString();
  return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
             .toStdString() +
         "/Zenolith/Zenolith.conf";
}

std::unique_ptr<TSettingsFile>& SharedSettings() {
  static std::unique_ptr<TSettingsFile> settings;
  return settings;
}

bool StoreFailureShown = false;

}  // namespace

TSettingsFile& TRecentFiles::Settings() {
  std::unique_ptr<TSettingsFile>& settings = SharedSettings();
  const std::string path = SettingsPath();
  if (!settings || settings->Path() != path) settings = std::make_unique<TSettingsFile>(path);
  return *settings;
}

void TRecentFiles::StoreSettings() {
  std::string errorText;
  if (Settings().Save(errorText) || StoreFailureShown) return;
  // Once a run: a folder that cannot take the file would ask at every file opened.
  StoreFailureShown = true;
  ShowMessage("Cannot save the settings file \"" + Settings().Path() + "\": " + errorText,
              TErrorReport::TitleSaveError, TMsgIcon::Information);
}

TRecentFiles::TRecentFiles(QMenu& menu, QObject* parent) : QObject(parent), Menu(menu) {
  std::string problem;
  StoreFailureShown = false;
  if (!Settings().Load(problem)) {
    // A pipe would hang the start and a huge file fill the memory: the run goes on without.
    ShowMessage("The settings file \"" + Settings().Path() + "\" is not read: " + problem +
                    ". Recent Files and options are not kept in this run.",
                TErrorReport::TitleFileError, TMsgIcon::Information);
  }
  for (const std::string& path : Settings().List(RecentFilesKey)) {
    if (static_cast<int>(List.size()) < RecentFileCount && !path.empty()) List.push_back(path);
  }
  UpdateMenu();
}

void TRecentFiles::AddRecentFile(const std::string& path) {
  if (path.empty()) return;
  // The bytes of the name stay as they are: it need not be UTF-8.
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(path, ec).string();
  if (ec) absolute = path;
  std::erase(List, absolute);
  List.insert(List.begin(), absolute);
  if (static_cast<int>(List.size()) > RecentFileCount) List.resize(RecentFileCount);
  StoreRecentFiles();
}

void TRecentFiles::StoreRecentFiles() {
  Settings().SetList(RecentFilesKey, List);
  StoreSettings();
  UpdateMenu();
}

void TRecentFiles::OpenRecentFile(const std::string& path) {
  if (!std::filesystem::exists(std::filesystem::path(path))) {
    std::erase(List, path);
    StoreRecentFiles();
    TErrorReport::CannotRead(path, "the file does not exist.");
    return;
  }
  emit OpenRequested(path);
}

void TRecentFiles::UpdateMenu() {
  Menu.clear();
  int number = 0;
  for (const std::string& path : List) {
    ++number;
    QString text = DisplayFileName(path);
    text.replace(u'&', QStringLiteral("&&"));
    text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(text)
                       : QStringLiteral("1&0 %1").arg(text);
    QAction* entry = Menu.addAction(text);
    entry->setObjectName(QStringLiteral("RecentFile%1").arg(number));
    entry->setData(QByteArray::fromStdString(path));
    connect(entry, &QAction::triggered, this, [this, path] {
      // The menu entry may go while its file opens.
      QTimer::singleShot(0, this, [this, path] { OpenRecentFile(path); });
    });
  }
  Menu.menuAction()->setEnabled(!List.empty());
}
