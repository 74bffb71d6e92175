#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/TMessagePresenter.h"
#include "gui/common/TPrompter.h"
#include "support/TRecordingPresenter.h"

/// A prompter for tests: records every message and file dialog and answers from scripts. While
/// it lives it is both the GUI prompter and the core message presenter.
class TScriptedPrompter final : public TPrompter,
                                public TMessagePresenter,
                                public TMessageScript {
public:
  TScriptedPrompter();
  ~TScriptedPrompter() override;
  TScriptedPrompter(const TScriptedPrompter&) = delete;
  TScriptedPrompter& operator=(const TScriptedPrompter&) = delete;

  /// Both record the message and answer it from the script.
  TMsgResult Message(const std::string& text, const std::string& title, TMsgIcon icon,
                     TMsgButtons buttons) override;
  TMsgResult Show(const std::string& text, const std::string& title, TMsgIcon icon,
                  TMsgButtons buttons) override;
  /// Next entry of OpenAnswers, else cancelled.
  std::vector<std::string> OpenFileNames(const TFileDialogRequest& request) override;
  std::string OpenFileName(const TFileDialogRequest& request) override;
  /// Next entry of SaveAnswers, else cancelled.
  std::string SaveFileName(const TFileDialogRequest& request) override;
  /// Next entry of ColorAnswers, else cancelled.
  std::optional<uint32_t> PickColor(uint32_t initial, const std::string& title) override;

  /// Passes when exactly one message was shown, with `text` (a text ending in "..." asks only
  /// for the start), and with `title` and `icon` when they are given.
  testing::AssertionResult ShowedOnly(const std::string& text, const std::string& title = "",
                                      std::optional<TMsgIcon> icon = std::nullopt) const;
  /// The one file dialog asked for, as Describe gives it, or how many there were.
  std::string OnlyFileDialog() const;

  std::vector<TFileDialogRequest> FileDialogs;
  std::deque<std::vector<std::string>> OpenAnswers;
  std::deque<std::string> SaveAnswers;
  std::deque<std::optional<uint32_t>> ColorAnswers;

private:
  TPrompter* PreviousPrompter;
  TMessagePresenter* PreviousPresenter;
};

/// A file dialog request on one line: "Title [ext] filter" and the options that are set.
std::string Describe(const TFileDialogRequest& request);
