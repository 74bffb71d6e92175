#pragma once
#include <memory>
#include <string>

#include <QApplication>
#include <QMdiArea>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/commands/TFractalCommands.h"
#include "gui/commands/TRecentFiles.h"
#include "gui/common/busycursor.h"
#include "gui/export/TImageExportCommand.h"
#include "gui/project/TProjectCommands.h"
#include "gui/shell/TMainForm.h"
#include "gui/support/TScriptedPrompter.h"
#include "gui/support/TTestChild.h"
#include "gui/view/TWorkspace.h"

/// A shown, active main window without command-line arguments, and scripted prompts.
class MainFormFixture : public ::testing::Test {
protected:
  void SetUp() override {
    Form = std::make_unique<TMainForm>();
    Form->CommandLine.clear();
    Form->show();
    QApplication::setActiveWindow(Form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QApplication::processEvents();
  }
  void TearDown() override {
    Prompter.Answers.clear();
    // Windows that ask a question are closed without it.
    for (TMDIChildZenolith* child : Form->Workspace->ChildWindows()) child->CloseWithoutQuery();
    Form.reset();
    QApplication::processEvents();
  }

  /// A new child window of `kind`, added to the main window and active.
  TTestChild* AddChild(const std::string& name, const std::string& file = "",
                       uint8_t kind = TUnit::KindFractal) {
    auto* child = new TTestChild(name, file, kind);
    Form->Workspace->AddChildWindow(child);
    QApplication::processEvents();
    return child;
  }

  TScriptedPrompter Prompter;
  std::unique_ptr<TMainForm> Form;
};
