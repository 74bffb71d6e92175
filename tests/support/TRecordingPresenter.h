#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/TMessagePresenter.h"

/// The messages a test was shown and the answers it scripted for them.
struct TMessageScript {
  struct TMessage {
    std::string Text;
    std::string Title;
    TMsgIcon Icon;
    TMsgButtons Buttons;
  };

  /// Records a message and answers it: the next of Answers, else Ok (Ok, OkCancel) or Cancel.
  TMsgResult Record(const std::string& text, const std::string& title, TMsgIcon icon,
                    TMsgButtons buttons) {
    Messages.push_back({text, title, icon, buttons});
    if (OnMessage) OnMessage(Messages.back());
    if (!Answers.empty()) {
      const TMsgResult answer = Answers.front();
      Answers.pop_front();
      return answer;
    }
    return buttons == TMsgButtons::Ok || buttons == TMsgButtons::OkCancel ? TMsgResult::Ok
                                                                          : TMsgResult::Cancel;
  }
  /// The texts shown so far.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const TMessage& m : Messages) texts.push_back(m.Text);
    return texts;
  }

  std::vector<TMessage> Messages;
  std::deque<TMsgResult> Answers;
  /// Called while a message is "on screen" (before it returns).
  std::function<void(const TMessage&)> OnMessage;
};

/// A presenter for tests: records every message and answers from a script (Ok by default).
/// Installs itself for its lifetime.
class TRecordingPresenter final : public TMessagePresenter, public TMessageScript {
public:
  TRecordingPresenter() { TMessagePresenter::Set(this); }
  ~TRecordingPresenter() override { TMessagePresenter::Set(nullptr); }
  TRecordingPresenter(const TRecordingPresenter&) = delete;
  TRecordingPresenter& operator=(const TRecordingPresenter&) = delete;

  TMsgResult Show(const std::string& text, const std::string& title, TMsgIcon icon,
                  TMsgButtons buttons) override {
    return Record(text, title, icon, buttons);
  }

  /// Queues the answer to the next question.
  void Answer(TMsgResult r) { Answers.push_back(r); }
  void Clear() { Messages.clear(); }
};
