#pragma once
#include <memory>
#include <string>

#include "document/TUnit.h"
#include "gui/TMDIChildZenolith.h"

/// A document whose need to be saved a test sets.
class TTestUnit : public TUnit {
public:
  TTestUnit(uint8_t kind, const std::string& name, const std::string& file)
      : TUnit(kind, name, file) {}
  bool NeedsSave() const override { return Dirty; }
  bool Dirty = false;
};

/// A child window for tests: answers its close question as told and counts the calls the
/// main window makes.
class TTestChild : public TMDIChildZenolith {
public:
  explicit TTestChild(const std::string& name, const std::string& file = "",
                      uint8_t kind = TUnit::KindFractal) {
    auto unit = std::make_unique<TTestUnit>(kind, name, file);
    Unit = unit.get();
    SetDocument(std::move(unit));
    resize(200, 150);
  }
  void SetViewCursor(int cursor) override { LastCursor = cursor; }
  bool CloseQuery() override {
    ++Questions;
    return AllowClose;
  }
  void EvFormClose() override { ++Closes; }
  void UpdateMainActions(TMainForm&) override { ++Updates; }

  TTestUnit* Unit = nullptr;
  bool AllowClose = true;
  int Questions = 0;
  int Closes = 0;
  int Updates = 0;
  int LastCursor = -1;
};
