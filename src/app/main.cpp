// Program entry: the application object, the windows in their fixed order, the message loop.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "core/tracelog.h"
#include "gui/commands/TFractalCommands.h"
#include "gui/common/TQtPrompter.h"
#include "gui/dialogs/TAboutBox.h"
#include "gui/dialogs/TDlgFractal.h"
#include "gui/dialogs/TDlgRegisterWave.h"
#include "gui/dialogs/TDlgSelZoom.h"
#include "gui/dialogs/TDlgVoldViewProps.h"
#include "gui/help/THelpViewer.h"
#include "gui/shell/TApplication.h"
#include "gui/shell/TMainForm.h"

namespace {

const char* const ApplicationTitle = "Zenolith 1.0";

int Run(TApplication& app) {
  // The windows, in this order; the main window is the first. The dialogs stay hidden: the
  // commands make their own instances, except the about box, which is reused.
  TMainForm mainForm;
  auto* aboutBox = new TAboutBox(&mainForm);
  mainForm.AboutBox = aboutBox;
  [[maybe_unused]] auto* registerWave = new TDlgRegisterWave(&mainForm);
  [[maybe_unused]] auto* voldViewProps = new TDlgVoldViewProps(
      &mainForm, &mainForm.Fractal->DefaultView, mainForm.Fractal->DefaultView);
  [[maybe_unused]] auto* selZoom = new TDlgSelZoom(&mainForm);
  [[maybe_unused]] auto* fractal = new TDlgFractal(
      &mainForm, 0, 0, &mainForm.Fractal->DefaultFractal, mainForm.Fractal->DefaultFractal);

  mainForm.show();
  return app.exec();
}

void ShowFatal(const std::string& text) {
  LogOpen();
  LogWrite("voor exception show\n");
  if (QApplication::instance()) {
    TApplication::ShowException(text);
  } else {
    std::fprintf(stderr, "%s: %s\n", ApplicationTitle, text.c_str());
  }
  LogWrite("na exception show\n");
  LogClose();
}

}  // namespace

int main(int argc, char* argv[]) {
  std::unique_ptr<TApplication> app;
  // Every message box goes through it; it outlives the windows and goes before the application.
  TQtPrompter prompter;
  try {
    app = std::make_unique<TApplication>(argc, argv);
    TApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
    TApplication::setApplicationVersion(QStringLiteral("1.0"));
    // Names the installed desktop entry, whose icon and name the desktop shows for the windows.
    TApplication::setDesktopFileName(QStringLiteral("org.zenolith.Zenolith"));
    THelpViewer::SetHelpFile("KORVHELP.HLP");
    prompter.Install();
    Run(*app);
  } catch (const std::exception& e) {
    ShowFatal(e.what());
  } catch (...) {
    ShowFatal("Unknown exception.");
  }
  prompter.Uninstall();
  return 0;
}
