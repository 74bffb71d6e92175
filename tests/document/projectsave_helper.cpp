// Saves one of the two projects of support/projectsavestates.h into the project file given,
// through the steps the program's Save Project takes, so that a test can kill it at any step:
//   zenolith_projectsave_helper /some/folder/p.kvp old|new
// Exit code 0 when saved, 1 when the save failed, 2 on bad arguments. With the killpoint
// library preloaded, the save's file operations are counted (and one of them killed).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>

#include "core/TXMLComplexElement.h"
#include "document/TProjectSave.h"
#include "document/TUnitFract.h"
#include "support/projectsavestates.h"
#include "document/TStoredFractal.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string projectFile = argv[1];
  const std::vector<TSavedWindow> state = SaveState(argv[2]);

  std::vector<std::unique_ptr<TStoredFractal>> fractals;
  std::vector<std::unique_ptr<TUnitFract>> units;
  for (const TSavedWindow& w : state) {
    fractals.push_back(std::make_unique<TStoredFractal>());
    fractals.back()->Params.MaxDepth.SetInt(w.MaxDepth);
    units.push_back(std::make_unique<TUnitFract>(w.Name));
    units.back()->SetWindow(fractals.back().get());
  }

  if (auto arm = reinterpret_cast<void (*)()>(::dlsym(RTLD_DEFAULT, "ZenolithKillpointArm")))
    arm();
  std::string errorText;
  TProjectSave save(projectFile);
  if (!save.Begin(errorText)) return 1;
  TXMLComplexElement project("Project");
  project.AddText("Version", "1.0");
  project.AddText("NoNameCounter", "0");
  TXMLComplexElement* frame = project.AddComplex("Frame");
  for (const char* e : {"Left", "Top", "Width", "Height"}) frame->AddText(e, "100");
  frame->AddComplex("Normal");
  for (const std::unique_ptr<TUnitFract>& unit : units) {
    std::string bytes;
    if (!unit->ToFileText(bytes, errorText)) return 1;
    const int number = save.WriteCopy(bytes, errorText);
    if (number < 0) return 1;
    TXMLComplexElement* window = project.AddComplex("Window");
    window->AddComplex("Wave")->AddText("TempFile", std::to_string(number));
    window->AddText("Name", unit->GetName());
    for (const char* e : {"Left", "Top", "Width", "Height"}) window->AddText(e, "50");
    window->AddComplex("Normal");
  }
  std::string text;
  if (!project.ToFileText(text, errorText) || !save.Commit(text, errorText)) return 1;
  return 0;
}
