#include "gui/commands/TFileOpener.h"

#include "core/TErrorReport.h"
#include "core/pathsplit.h"
#include "gui/common/TPrompter.h"
#include "gui/common/filekinds.h"

namespace {

void ShowFileMessage(const std::string& text) {
  TPrompter::Current().Message(text, TErrorReport::TitleFileError, TMsgIcon::Information,
                               TMsgButtons::Ok);
}

}  // namespace

void TFileOpener::SetOpener(const TFileKind& kind, TOpen open) {
  if (open) {
    Openers[&kind] = std::move(open);
  } else {
    Openers.erase(&kind);
  }
}

void TFileOpener::Open(const std::string& path, bool dropped) const {
  std::string extension;
  LowerFileExtension(path, extension);
  if (extension.empty()) {
    ShowFileMessage("Cannot read the file: \"" + path + "\" File has no extension");
    return;
  }
  const TFileKind* kind = FileKindOfExtension(extension);
  if (kind == nullptr || !(kind->Opened || (dropped && kind->OnlyDropped))) {
    ShowFileMessage("Invalid extension \"" + extension + "\" used.");
    return;
  }
  const auto opener = Openers.find(kind);
  if (opener != Openers.end()) opener->second(path);
}
