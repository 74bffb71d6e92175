#include "gui/common/datafolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

std::string ExamplesFolderBeside(const QString& programFolder) {
  // Relative to the program, so that a package moved to another prefix still finds them.
  const QFileInfo folder(
      QDir(programFolder).filePath(QStringLiteral(ZENOLITH_EXAMPLES_FROM_BINDIR)));
  if (!folder.isDir()) return {};
  return QDir::cleanPath(folder.absoluteFilePath()).toStdString();
}

std::string InstalledExamplesFolder() {
  return ExamplesFolderBeside(QCoreApplication::applicationDirPath());
}
