#include "gui/support/TScriptedPrompter.h"

TScriptedPrompter::TScriptedPrompter()
    : PreviousPrompter(TPrompter::Installed()),
      PreviousPresenter(&TMessagePresenter::Current()) {
  TPrompter::Set(this);
  TMessagePresenter::Set(this);
}

TScriptedPrompter::~TScriptedPrompter() {
  TPrompter::Set(PreviousPrompter);
  TMessagePresenter::Set(PreviousPresenter);
}

TMsgResult TScriptedPrompter::Message(const std::string& text, const std::string& title,
                                      TMsgIcon icon, TMsgButtons buttons) {
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

TMsgResult TScriptedPrompter::Show(const std::string& text, const std::string& title,
                                   TMsgIcon icon, TMsgButtons buttons) {
  return Message(text, title, icon, buttons);
}

std::vector<std::string> TScriptedPrompter::OpenFileNames(const TFileDialogRequest& request) {
  FileDialogs.push_back(request);
  if (OpenAnswers.empty()) return {};
  std::vector<std::string> answer = OpenAnswers.front();
  OpenAnswers.pop_front();
  return answer;
}

std::string TScriptedPrompter::OpenFileName(const TFileDialogRequest& request) {
  const std::vector<std::string> names = OpenFileNames(request);
  return names.empty() ? std::string() : names.front();
}

std::string TScriptedPrompter::SaveFileName(const TFileDialogRequest& request) {
  FileDialogs.push_back(request);
  if (SaveAnswers.empty()) return {};
  std::string answer = SaveAnswers.front();
  SaveAnswers.pop_front();
  return answer;
}

std::optional<uint32_t> TScriptedPrompter::PickColor(uint32_t, const std::string&) {
  if (ColorAnswers.empty()) return std::nullopt;
  const std::optional<uint32_t> answer = ColorAnswers.front();
  ColorAnswers.pop_front();
  return answer;
}

std::vector<std::string> TScriptedPrompter::Texts() const {
  std::vector<std::string> texts;
  for (const TMessage& m : Messages) texts.push_back(m.Text);
  return texts;
}
