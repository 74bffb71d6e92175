#pragma once
#include <deque>
#include <string>
#include <vector>

#include "core/TMessagePresenter.h"

/// A presenter for tests: records every message and answers from a script (Ok by default).
/// Installs itself for its lifetime.
class TRecordingPresenter final : public TMessagePresenter {
public:
  struct TMessage {
    std::string Text;
    std::string Title;
    TMsgIcon Icon;
    TMsgButtons Buttons;
  };

  TRecordingPresenter() { TMessagePresenter::Set(this); }
  ~TRecordingPresenter() override { TMessagePresenter::Set(nullptr); }
  TRecordingPresenter(const TRecordingPresenter&) = delete;
  TRecordingPresenter& operator=(const TRecordingPresenter&) = delete;

  TMsgResult Show(const std::string& text, const std::string& title, TMsgIcon icon,
                  TMsgButtons buttons) override {
    Messages.push_back({text, title, icon, buttons});
    if (!Answers.empty()) {
      TMsgResult r = Answers.front();
      Answers.pop_front();
      return r;
    }
    return buttons == TMsgButtons::Ok || buttons == TMsgButtons::OkCancel ? TMsgResult::Ok
                                                                          : TMsgResult::Cancel;
  }

  /// Queues the answer to the next question.
  void Answer(TMsgResult r) { Answers.push_back(r); }
  /// The texts shown so far.
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& m : Messages) t.push_back(m.Text);
    return t;
  }
  void Clear() { Messages.clear(); }

  std::vector<TMessage> Messages;
  std::deque<TMsgResult> Answers;
};
