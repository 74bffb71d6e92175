// A Zenolith main window driven line by line from standard input, so that a test can run a
// second program on the same project (on the offscreen platform):
//   zenolith_project_helper <settings file>
// Commands, each answered with one line:
//   answer yes|no   the answer to every question from now on ("ok")
//   open <path>     opens the project as Recent Files or a drop would ("ok")
//   change          changes every window's parameters as an edit would ("ok")
//   add <name>      a new window called <name>, never saved ("ok")
//   save            the Save Project command, which does nothing while it is disabled ("ok")
//   state           "project=<path>" and, per window bottom first, " <name>:<MaxDepth>:<file>"
//   messages        the titles and texts shown since the last "messages", joined by " | "
//   quit            closes the main window as Exit does ("ok"); the program ends
#include <iostream>
#include <string>

#include <QAction>
#include <QApplication>
#include <QStandardPaths>

#include "document/TUnitFract.h"
#include "gui/commands/TFractalCommands.h"
#include "gui/commands/TRecentFiles.h"
#include "gui/project/TProjectCommands.h"
#include "gui/shell/TApplication.h"
#include "gui/shell/TMainForm.h"
#include "gui/support/TScriptedPrompter.h"
#include "gui/view/TMDIChildWave.h"
#include "gui/view/TWorkspace.h"

namespace {

// A small, quick picture for new windows.
TFractProps SmallPicture() {
  TFractProps p;
  p.XResolution.SetInt(30);
  p.YResolution.SetInt(20);
  p.MaxDepth.SetInt(50);
  return p;
}

std::string State(TMainForm& form) {
  std::string state = "project=" + form.Project->ProjectFile();
  for (TMDIChildWave* child : form.Workspace->ProjectWindows()) {
    state += " " + child->GetUnitFract()->GetName() + ":" +
             std::to_string(child->GetParams().MaxDepth.GetInt()) + ":" +
             child->GetUnitFract()->GetFileName();
  }
  return state;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  QStandardPaths::setTestModeEnabled(true);
  TApplication app(argc, argv);
  TScriptedPrompter prompter;
  TMsgResult answer = TMsgResult::No;
  prompter.OnMessage = [&](const TMessageScript::TMessage&) { prompter.Answers = {answer}; };
  TRecentFiles::SettingsFile = QString::fromLocal8Bit(argv[1]);
  auto form = std::make_unique<TMainForm>();
  form->CommandLine.clear();
  form->show();
  QApplication::processEvents();
  size_t shown = 0;

  std::string line;
  while (std::getline(std::cin, line)) {
    const size_t space = line.find(' ');
    const std::string command = line.substr(0, space);
    const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
    std::string reply = "ok";
    if (command == "answer") {
      answer = argument == "yes" ? TMsgResult::Yes : TMsgResult::No;
    } else if (command == "open") {
      form->Recent->OpenRecentFile(argument);
    } else if (command == "change") {
      for (TMDIChildWave* child : form->Workspace->ProjectWindows()) {
        TFractProps params = child->GetParams();
        params.MaxDepth.SetInt(params.MaxDepth.GetInt() + 1);
        child->SetParams(params);
        child->MarkModified();
      }
    } else if (command == "add") {
      TMDIChildWave* child = form->Fractal->CreateChildWindow(
          std::make_unique<TUnitFract>(argument, ""), SmallPicture(), TVoldViewProps());
      form->Workspace->AddChildWindow(child);
    } else if (command == "save") {
      form->UpdateActions();
      form->ProjectSave->trigger();
    } else if (command == "state") {
      reply = State(*form);
    } else if (command == "messages") {
      reply.clear();
      for (; shown < prompter.Messages.size(); ++shown)
        reply += (reply.empty() ? "" : " | ") + prompter.Messages[shown].Title + ": " +
                 prompter.Messages[shown].Text;
    } else if (command == "quit") {
      form->close();
      QApplication::processEvents();
      std::cout << (form->isVisible() ? "still open" : "ok") << std::endl;
      break;
    } else {
      reply = "unknown command";
    }
    QApplication::processEvents();
    // One line per reply: line breaks inside messages are shown as "\n".
    std::string flat;
    for (char c : reply) flat += c == '\n' ? std::string("\\n") : std::string(1, c);
    std::cout << flat << std::endl;
  }
  form.reset();
  return 0;
}
