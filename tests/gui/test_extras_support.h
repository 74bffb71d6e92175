#pragma once
// Helpers of the tests of image export, undo, status, recent files and drops: a main window
// whose recent files go to a private settings file.
#include <filesystem>
#include <memory>
#include <string>

#include <QStandardPaths>

#include "support/testdata.h"
#include "wavetestsupport.h"

/// WaveFixture with the recent files kept in a private INI file, never the user's settings.
class ExtrasFixture : public WaveFixture {
protected:
  void SetUp() override {
    QStandardPaths::setTestModeEnabled(true);
    TMainForm::SettingsFile = QString::fromStdString(Settings.File("settings.ini"));
    WaveFixture::SetUp();
  }
  void TearDown() override {
    WaveFixture::TearDown();
    TMainForm::SettingsFile.clear();
  }

  /// Destroys the main window and makes a new one, as a new run of the program would.
  void Restart() {
    WaveFixture::TearDown();
    WaveFixture::SetUp();
  }

  TScratchDir Settings{"extras_settings"};
};
