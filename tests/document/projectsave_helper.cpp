// Saves one of the two projects of support/projectsavestates.h into the project file given,
// through the steps the program's Save Project takes, so that a test can kill it at any step:
//   zenolith_projectsave_helper /some/folder/p.kvp old|new
// Exit code 0 when saved, 1 when the save failed (the reason on standard error), 2 on bad
// arguments. With the killpoint library preloaded, the save's file operations are counted (and
// one of them killed). As a second process that holds a project:
//   zenolith_projectsave_helper /some/folder/p.kvp hold
// takes the project's lock, writes "held", "elsewhere <pid>" or "unavailable" and a line feed,
// and keeps the lock until its standard input ends.
#include <cstdio>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

#include "document/TProjectLock.h"
#include "document/TProjectRecord.h"
#include "document/TProjectSave.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "document/projectfile.h"
#include "support/projectsavestates.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string projectFile = argv[1];
  if (std::string(argv[2]) == "hold") {
    const TProjectLock lock(projectFile);
    const char* states[] = {"held", "elsewhere", "unavailable"};
    std::string line = states[static_cast<int>(lock.State())];
    if (lock.State() == TProjectLock::TState::HeldElsewhere) line += " " + lock.Holder();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
  }
  const std::vector<TSavedWindow> state = SaveState(argv[2]);

  if (auto arm = reinterpret_cast<void (*)()>(::dlsym(RTLD_DEFAULT, "ZenolithKillpointArm")))
    arm();
  std::string errorText;
  TProjectSave save(projectFile);
  if (!save.Begin(errorText)) {
    std::fprintf(stderr, "%s\n", errorText.c_str());
    return 1;
  }
  TProjectRecord project;
  project.Frame = {100, 100, 100, 100, TProjectWindowState::Normal};
  for (const TSavedWindow& w : state) {
    TStoredFractal fractal;
    fractal.Params.MaxDepth.SetInt(w.MaxDepth);
    std::string bytes;
    if (!FractalFileText(fractal, bytes, errorText)) return 1;
    const int number = save.WriteCopy(bytes, errorText);
    if (number < 0) return 1;
    TProjectWindow window;
    window.TempFile = std::to_string(number);
    window.Name = w.Name;
    window.Place = {50, 50, 50, 50, TProjectWindowState::Normal};
    project.Windows.push_back(window);
  }
  std::string text;
  if (!ProjectFileText(project, text, errorText) || !save.Commit(text, errorText)) return 1;
  return 0;
}
