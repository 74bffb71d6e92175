#include "core/TMessagePresenter.h"

#include <atomic>
#include <cstdio>

namespace {

// Prints to stderr. A question gets Cancel (or No): nothing is done that a user did not choose.
class TStderrPresenter final : public TMessagePresenter {
public:
  TMsgResult Show(const std::string& text, const std::string& title, TMsgIcon,
                  TMsgButtons buttons) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    switch (buttons) {
      case TMsgButtons::Ok: return TMsgResult::Ok;
      case TMsgButtons::OkCancel: return TMsgResult::Cancel;
      case TMsgButtons::YesNo: return TMsgResult::No;
      case TMsgButtons::YesNoCancel: return TMsgResult::Cancel;
    }
    return TMsgResult::Cancel;
  }
};

TStderrPresenter StderrPresenter;
std::atomic<TMessagePresenter*> Installed{nullptr};

}  // namespace

TMessagePresenter& TMessagePresenter::Current() {
  TMessagePresenter* p = Installed.load();
  return p ? *p : StderrPresenter;
}

void TMessagePresenter::Set(TMessagePresenter* presenter) { Installed.store(presenter); }

TMsgResult ShowMessage(const std::string& text, const std::string& title, TMsgIcon icon,
                       TMsgButtons buttons) {
  return TMessagePresenter::Current().Show(text, title, icon, buttons);
}
