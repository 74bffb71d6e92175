#include "document/TUnit.h"

TUnit::TUnit(uint8_t kind, std::string name, std::string fileName)
    : Name(std::move(name)), Kind(kind), FileName(std::move(fileName)) {}

void TUnit::SetName(const std::string& name) {
  const std::string oldName = Name;
  Name = name;
  if (NameChanged) NameChanged(oldName);
}

void TUnit::SetFileName(const std::string& path) {
  FileName = path;
  if (FileNameChanged) FileNameChanged();
}
