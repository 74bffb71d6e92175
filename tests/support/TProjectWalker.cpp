#include "support/TProjectWalker.h"

TProjectWalker::TProjectWalker() = default;

TProjectWalker::~TProjectWalker() = default;

void TProjectWalker::SetNoNameCounter(int counter) { NoNameCounter = counter; }

void TProjectWalker::SetFrame(const TProjectGeometry& frame) { Frame = frame; }

TUnit* TProjectWalker::OpenFractalFile(const std::string& path) {
  auto unit = std::make_unique<TUnitFract>("", path);
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

void TProjectWalker::PlaceWindow(TUnit& unit, const std::string& name,
                                 const TProjectGeometry& place) {
  unit.SetName(name);
  for (TWindow& window : Windows) {
    if (window.Unit.get() == &unit) window.Place = place;
  }
}

void TProjectWalker::SetEditName(const std::string& name) { EditName = name; }
