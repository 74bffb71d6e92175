#include "gui/commands/TRecentFiles.h"

#include <filesystem>
#include <memory>

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QTimer>

#include "core/TErrorReport.h"

QString TRecentFiles::SettingsFile;

namespace {

const char* const RecentFilesKey = "RecentFiles";

}  // namespace

std::unique_ptr<QSettings> TRecentFiles::OpenSettings() {
  if (!SettingsFile.isEmpty())
    return std::make_unique<QSettings>(SettingsFile, QSettings::IniFormat);
  return std::make_unique<QSettings>(QStringLiteral("Zenolith"), QStringLiteral("Zenolith"));
}

TRecentFiles::TRecentFiles(QMenu& menu, QObject* parent) : QObject(parent), Menu(menu) {
  const QStringList stored = OpenSettings()->value(QLatin1String(RecentFilesKey)).toStringList();
  for (const QString& path : stored) {
    if (static_cast<int>(List.size()) < RecentFileCount && !path.isEmpty())
      List.push_back(path.toStdString());
  }
  UpdateMenu();
}

void TRecentFiles::AddRecentFile(const std::string& path) {
  if (path.empty()) return;
  const std::string absolute =
      QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
  std::erase(List, absolute);
  List.insert(List.begin(), absolute);
  if (static_cast<int>(List.size()) > RecentFileCount) List.resize(RecentFileCount);
  StoreRecentFiles();
}

void TRecentFiles::StoreRecentFiles() {
  QStringList stored;
  for (const std::string& file : List) stored << QString::fromStdString(file);
  std::unique_ptr<QSettings> settings = OpenSettings();
  settings->setValue(QLatin1String(RecentFilesKey), stored);
  settings->sync();
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
    const QString file = QString::fromStdString(path);
    QString text = file;
    text.replace(u'&', QStringLiteral("&&"));
    text = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(text)
                       : QStringLiteral("1&0 %1").arg(text);
    QAction* entry = Menu.addAction(text);
    entry->setObjectName(QStringLiteral("RecentFile%1").arg(number));
    entry->setData(file);
    connect(entry, &QAction::triggered, this, [this, path] {
      // The menu entry may go while its file opens.
      QTimer::singleShot(0, this, [this, path] { OpenRecentFile(path); });
    });
  }
  Menu.menuAction()->setEnabled(!List.empty());
}
