#pragma once
#include <string>
#include <vector>

#include "gui/common/TPrompter.h"

/// A kind of file the program reads or writes, told by its extension. Every file dialog takes
/// its default extension and filter from here, and the command line, Recent Files and dropped
/// files are opened by the kind found here (see TFileOpener).
struct TFileKind {
  /// Extension without the dot, in lower case ("zlf").
  const char* Extension;
  /// The file dialogs' filter: description and patterns, all separated by "|".
  const char* Filter;
  /// Opened when named on the command line, chosen in Recent Files or dropped.
  bool Opened;
  /// Opened only when dropped on the main window (onto the active fractal window).
  bool OnlyDropped;
};

namespace FileKind {
/// Fractal files ".zlf".
extern const TFileKind Fractal;
/// Project files ".kvp".
extern const TFileKind Project;
/// Colour palette files ".cp1".
extern const TFileKind Palette;
/// Exported pictures ".png" (and ".jpg", ".jpeg"); written only.
extern const TFileKind Image;
/// Zoom movies ".mp4" (and numbered ".png" pictures); written only.
extern const TFileKind Movie;
}  // namespace FileKind

/// Every kind above.
const std::vector<const TFileKind*>& FileKinds();
/// The kind whose extension `extension` (lower case, without the dot) is, or null.
const TFileKind* FileKindOfExtension(const std::string& extension);
/// The kind of the file `path` names by its extension (any case), or null.
const TFileKind* FileKindOf(const std::string& path);
/// An open dialog for files of `kind` titled `title`; the chosen file must exist.
TFileDialogRequest OpenFileRequest(const TFileKind& kind, const std::string& title);
/// A save dialog for files of `kind` titled `title`; replacing a file asks first.
TFileDialogRequest SaveFileRequest(const TFileKind& kind, const std::string& title);
