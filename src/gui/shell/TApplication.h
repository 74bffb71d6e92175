#pragma once
#include <string>
#include <vector>

#include <QApplication>

/// The application object. An exception that escapes an event handler is shown in a message
/// box (the exception's text, under the application's title) and the message loop goes on.
class TApplication : public QApplication {
  Q_OBJECT
public:
  /// Keeps the arguments that Qt leaves (ProgramArguments).
  TApplication(int& argc, char** argv);
  /// The program's arguments after the program name and Qt's own options, as the bytes the
  /// system gave: Qt's arguments() would spoil a file name that is not UTF-8. Empty without a
  /// TApplication.
  static std::vector<std::string> ProgramArguments();
  bool notify(QObject* receiver, QEvent* event) override;

  /// Shows the text of an exception that reached the top.
  static void ShowException(const std::string& text);
};
