#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

class QMenu;
class TSettingsFile;

/// The recent files: the last opened or saved fractal and project files, newest first, kept in
/// the settings between runs and listed in the "Recent Files" menu. Choosing one asks for it
/// to be opened (OpenRequested); a file that is gone is reported and leaves the list.
class TRecentFiles : public QObject {
  Q_OBJECT
public:
  /// Number of recent files kept.
  static constexpr int RecentFileCount = 10;
  /// Where the recent files are kept between runs: empty = the user's settings file, where
  /// Qt keeps those of the organisation and application "Zenolith"; otherwise this INI file.
  /// Tests set their own file.
  static QString SettingsFile;
  /// The settings the program keeps between runs (the recent files, the options) in the file
  /// SettingsFile says, as last read by a TRecentFiles.
  static TSettingsFile& Settings();
  /// Writes the settings; the first failure of a run is reported.
  static void StoreSettings();

  /// Reads the settings and the stored list; `menu` (not owned; it must outlive this object)
  /// lists it. A settings file that is not read (not a regular file, too large) is reported
  /// once and the program goes on without it.
  explicit TRecentFiles(QMenu& menu, QObject* parent = nullptr);

  /// Puts `path` first in the recent files (without duplicates) and stores the list.
  void AddRecentFile(const std::string& path);
  /// Stores the recent files in the settings and updates their menu.
  void StoreRecentFiles();
  /// The recent files, newest first.
  const std::vector<std::string>& Files() const { return List; }
  /// Asks for a recent file to be opened; a missing one is reported with the CannotRead
  /// message and leaves the list.
  void OpenRecentFile(const std::string& path);

signals:
  /// A recent file was chosen and exists.
  void OpenRequested(const std::string& path);

private:
  void UpdateMenu();

  QMenu& Menu;
  std::vector<std::string> List;
};
