#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/TMessagePresenter.h"

/// What a file dialog asks for.
struct TFileDialogRequest {
  std::string Title;
  /// Extension without the dot, added to a typed name that has none (e.g. "zlf").
  std::string DefaultExt;
  /// Pairs of description and patterns, all separated by "|":
  /// "Fractals (*.zlf)|*.zlf|All files (*.*)|*.*". Several patterns of one pair by ";".
  std::string Filter;
  /// Several files may be chosen (open only).
  bool AllowMultiSelect = false;
  /// The chosen path, and for opening the file, must exist.
  bool MustExist = false;
  /// Saving over an existing file asks first.
  bool OverwritePrompt = false;
  std::string InitialDir;
  std::string FileName;
  /// Help topic of the dialog's Help button; 0 = no Help button.
  int HelpContext = 0;
};

/// Every message box, file dialog and colour dialog of the program goes through the current
/// prompter, so that tests can answer them from a script.
class TPrompter {
public:
  virtual ~TPrompter() = default;

  /// A modal message box; returns the button chosen.
  virtual TMsgResult Message(const std::string& text, const std::string& title, TMsgIcon icon,
                             TMsgButtons buttons) = 0;
  /// An open dialog for one or more files; empty = cancelled.
  virtual std::vector<std::string> OpenFileNames(const TFileDialogRequest& request) = 0;
  /// An open dialog for one file; empty = cancelled.
  virtual std::string OpenFileName(const TFileDialogRequest& request) = 0;
  /// A save dialog; empty = cancelled.
  virtual std::string SaveFileName(const TFileDialogRequest& request) = 0;
  /// A colour dialog on a 0x00BBGGRR colour; no value = cancelled.
  virtual std::optional<uint32_t> PickColor(uint32_t initial, const std::string& title) = 0;

  /// The prompter in use: the installed one, else the Qt prompter. Never null.
  static TPrompter& Current();
  /// Installs a prompter (not owned; must outlive its use); null restores the Qt prompter.
  static void Set(TPrompter* prompter);
  /// The installed prompter, or null when none is (the Qt prompter is then used).
  static TPrompter* Installed();
};
