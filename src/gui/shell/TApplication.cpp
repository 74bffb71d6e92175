#include "gui/shell/TApplication.h"

#include <exception>

#include "gui/common/TPrompter.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("Unknown exception.");
  }
  return false;
}

void TApplication::ShowException(const std::string& text) {
  TPrompter::Current().Message(text, applicationName().toStdString(), TMsgIcon::Error,
                               TMsgButtons::Ok);
}
