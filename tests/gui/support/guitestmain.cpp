// Main of the GUI tests: the program's application object on the offscreen platform.
#include "gui/shell/TApplication.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

QtMessageHandler DefaultHandler = nullptr;

// The offscreen platform's remark on every top-level window says nothing about the tests.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("does not support propagateSizeHints"))) return;
  DefaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  // Listing the tests happens without a display too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // What the program keeps between runs (recent files) goes to Qt's test location, never into
  // the settings of the user running the tests.
  QStandardPaths::setTestModeEnabled(true);
  DefaultHandler = qInstallMessageHandler(QuietHandler);
  testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  TApplication::setApplicationName(QStringLiteral("Zenolith 1.0"));
  return RUN_ALL_TESTS();
}
