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
  return Record(text, title, icon, buttons);
}

TMsgResult TScriptedPrompter::Show(const std::string& text, const std::string& title,
                                   TMsgIcon icon, TMsgButtons buttons) {
  return Record(text, title, icon, buttons);
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

testing::AssertionResult TScriptedPrompter::ShowedOnly(const std::string& text,
                                                       const std::string& title,
                                                       std::optional<TMsgIcon> icon) const {
  if (Messages.size() != 1) {
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << Messages.size() << " messages shown instead of one";
    for (const TMessage& m : Messages) failure << "\n  " << m.Text;
    return failure;
  }
  const TMessage& m = Messages[0];
  const bool prefix = text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0;
  const std::string expected = prefix ? text.substr(0, text.size() - 3) : text;
  if (prefix ? m.Text.rfind(expected, 0) != 0 : m.Text != expected)
    return testing::AssertionFailure() << "message \"" << m.Text << "\", expected \"" << text
                                       << "\"";
  if (!title.empty() && m.Title != title)
    return testing::AssertionFailure() << "title \"" << m.Title << "\", expected \"" << title
                                       << "\"";
  if (icon && m.Icon != *icon)
    return testing::AssertionFailure() << "icon " << static_cast<int>(m.Icon) << ", expected "
                                       << static_cast<int>(*icon);
  return testing::AssertionSuccess();
}

std::string TScriptedPrompter::OnlyFileDialog() const {
  if (FileDialogs.size() != 1) return std::to_string(FileDialogs.size()) + " file dialogs";
  return Describe(FileDialogs[0]);
}

std::string Describe(const TFileDialogRequest& r) {
  std::string text = r.Title + " [" + r.DefaultExt + "] " + r.Filter;
  if (r.AllowMultiSelect) text += " multi";
  if (r.MustExist) text += " exist";
  if (r.OverwritePrompt) text += " overwrite";
  if (!r.FileName.empty()) text += " name=" + r.FileName;
  if (r.HelpContext != 0) text += " help=" + std::to_string(r.HelpContext);
  return text;
}
