#pragma once
#include <QApplication>

/// The application object. An exception that escapes an event handler is shown in a message
/// box (the exception's text, under the application's title) and the message loop goes on.
class TApplication : public QApplication {
  Q_OBJECT
public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  /// Shows the text of an exception that reached the top.
  static void ShowException(const std::string& text);
};
