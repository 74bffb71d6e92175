#include "gui/shell/TApplication.h"

#include <exception>

#include "gui/common/TPrompter.h"

namespace {

std::vector<std::string> Arguments;

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // QApplication has taken its own options out of argv by now.
  Arguments.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::vector<std::string> TApplication::ProgramArguments() { return Arguments; }

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
