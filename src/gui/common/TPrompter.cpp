#include "gui/common/TPrompter.h"

#include "gui/common/TQtPrompter.h"

namespace {
TPrompter* InstalledPrompter = nullptr;
}  // namespace

TPrompter& TPrompter::Current() {
  if (InstalledPrompter) return *InstalledPrompter;
  static TQtPrompter fallback;
  return fallback;
}

void TPrompter::Set(TPrompter* prompter) { InstalledPrompter = prompter; }

TPrompter* TPrompter::Installed() { return InstalledPrompter; }
