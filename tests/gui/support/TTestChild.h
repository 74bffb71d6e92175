#pragma once
#include <array>
#include <memory>
#include <string>

#include "document/TUnit.h"
#include "gui/view/TMDIChildZenolith.h"

/// A document whose need to be saved a test sets.
class TTestUnit : public TUnit {
public:
  TTestUnit(uint8_t kind, const std::string& name, const std::string& file)
      : TUnit(kind, name, file) {}
  bool NeedsSave() const override { return Dirty; }
  bool Dirty = false;
};

/// A child window for tests: answers its close question as told, counts the calls the main
/// window makes and shows `Status` in the status panels.
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
  std::array<std::string, StatusTextCount> StatusTexts() const override { return Status; }
  /// Gives the document unsaved changes or takes them away, telling the main window as a real
  /// window does.
  void SetDirty(bool dirty) {
    Unit->Dirty = dirty;
    emit StateChanged(this);
  }
  /// New status texts, told as a real window does.
  void SetStatus(const std::array<std::string, StatusTextCount>& status) {
    Status = status;
    emit StatusChanged(this);
  }

  TTestUnit* Unit = nullptr;
  bool AllowClose = true;
  int Questions = 0;
  int Closes = 0;
  std::array<std::string, StatusTextCount> Status{};
  int LastCursor = -1;
};
