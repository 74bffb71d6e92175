#pragma once
#include "core/TMessagePresenter.h"
#include "gui/common/TPrompter.h"

/// The prompter of the running program: QMessageBox, QFileDialog and QColorDialog. It is also
/// the core message presenter, so that messages of the core and the engine become message boxes.
class TQtPrompter final : public TPrompter, public TMessagePresenter {
public:
  TMsgResult Message(const std::string& text, const std::string& title, TMsgIcon icon,
                     TMsgButtons buttons) override;
  std::vector<std::string> OpenFileNames(const TFileDialogRequest& request) override;
  std::string OpenFileName(const TFileDialogRequest& request) override;
  std::string SaveFileName(const TFileDialogRequest& request) override;
  std::optional<uint32_t> PickColor(uint32_t initial, const std::string& title) override;

  /// Core messages; shown on the GUI thread even when called from another thread.
  TMsgResult Show(const std::string& text, const std::string& title, TMsgIcon icon,
                  TMsgButtons buttons) override;

  /// Installs this object as the prompter and as the core message presenter.
  void Install();
  /// Removes it from both places if it is installed there.
  void Uninstall();
};
