#pragma once
#include <functional>
#include <map>
#include <string>

struct TFileKind;

/// Opens a file by the kind its extension names (common/filekinds.h), for the command line,
/// Recent Files and files dropped on the main window. The main window gives each kind that
/// opens its opener; a kind without one is taken and nothing happens.
class TFileOpener {
public:
  /// Opens a file of a kind: a new fractal window, a project, a palette for the colour dialog.
  using TOpen = std::function<void(const std::string& path)>;

  /// Makes `open` the opener of `kind` (replacing any before; an empty one removes it).
  void SetOpener(const TFileKind& kind, TOpen open);
  /// Opens `path` by its extension. A kind that opens only when dropped counts when
  /// `dropped`. A name without an extension gets "Cannot read the file: "<path>" File has no
  /// extension", any other extension "Invalid extension "<extension>" used." (title "File
  /// Error").
  void Open(const std::string& path, bool dropped) const;

private:
  std::map<const TFileKind*, TOpen> Openers;
};
