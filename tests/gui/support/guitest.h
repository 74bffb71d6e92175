#pragma once
// Helpers shared by the GUI tests: the widgets every dialog has, scripted prompts, modal
// windows, records as XML text, and copies of fixtures.
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/support/TScriptedPrompter.h"
#include "gui/support/modal.h"
#include "render/TColorPalette1DItem.h"
#include "support/files.h"
#include "support/testdata.h"
#include "support/xmltext.h"

/// Runs the event loop until `done` holds, for at most `timeoutMs` (a guard against a hang, far
/// above any wait that passes); returns whether it holds.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
  return QTest::qWaitFor(done, timeoutMs);
}

/// '1' for each enabled widget of `widgets` and '0' for each disabled one, in order.
inline std::string EnabledStates(std::initializer_list<const QWidget*> widgets) {
  std::string states;
  for (const QWidget* w : widgets) states += w->isEnabled() ? '1' : '0';
  return states;
}

/// Copies the fixture `fixture` of tests/data to `name` in `dir`, over any file there.
inline std::string CopyFixture(const TScratchDir& dir, const std::string& name,
                               const std::string& fixture = "gui/mandelbrot.zlf") {
  const std::string path = dir.File(name);
  std::filesystem::copy_file(std::filesystem::path(ZENOLITH_TEST_DATA) / fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}
