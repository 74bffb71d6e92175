#include "support/TProjectWalker.h"

TProjectWalker::TProjectWalker() = default;

TProjectWalker::~TProjectWalker() = default;

void TProjectWalker::SetNoNameCounter(int counter) { NoNameCounter = counter; }

void TProjectWalker::SetFrame(const TProjectGeometry& frame) { Frame = frame; }

TUnit* TProjectWalker::OpenFractalFile(const std::string& path) {
  auto unit = std::make_unique<TUnitFract>("", path);
  unit->SetWindowLink(&NoWindow);
  Windows.push_back({path, std::move(unit), {}});
  return Windows.back().Unit.get();
}

TUnit* TProjectWalker::FindWindowByName(const std::string& name) const {
  for (auto it = Windows.rbegin(); it != Windows.rend(); ++it) {
    if (it->Unit->GetName() == name) return it->Unit.get();
  }
  return nullptr;
}

void TProjectWalker::ProjectNameExists(const std::string& file, const std::string& name) {
  NameCollisions.emplace_back(file, name);
}

bool TProjectWalker::ReadWindowXML(TUnit& unit, const TXMLItem* first, const std::string& name,
                                   std::string& errorText, int& line, int& column) {
  unit.SetName(name);
  for (TWindow& window : Windows) {
    if (window.Unit.get() == &unit)
      return ReadProjectGeometry(first, window.Place, errorText, line, column);
  }
  errorText = "The window of \"" + name + "\" was not opened here.";
  return false;
}

void TProjectWalker::SetEditName(const std::string& name) { EditName = name; }
