#pragma once
#include <string>

/// Icon of a message box.
enum class TMsgIcon { Information, Error, Warning, Question };
/// Buttons of a message box.
enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
/// The button a user chose.
enum class TMsgResult { Ok, Cancel, Yes, No };

/// Shows user messages. The GUI plugs in message boxes, the command-line tool prints to stderr,
/// tests record. Only one presenter is in use at a time (see SetPresenter).
class TMessagePresenter {
public:
  virtual ~TMessagePresenter() = default;
  /// Shows one modal message and returns the button chosen.
  virtual TMsgResult Show(const std::string& text, const std::string& title, TMsgIcon icon,
                          TMsgButtons buttons) = 0;

  /// The presenter in use; a stderr presenter unless another was installed. Never null.
  static TMessagePresenter& Current();
  /// Installs a presenter (not owned; must outlive its use); null restores the stderr presenter.
  static void Set(TMessagePresenter* presenter);
};

/// Shows a message through the current presenter.
TMsgResult ShowMessage(const std::string& text, const std::string& title,
                       TMsgIcon icon = TMsgIcon::Information,
                       TMsgButtons buttons = TMsgButtons::Ok);
