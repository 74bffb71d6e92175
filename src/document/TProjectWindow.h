#pragma once
#include <string>

#include "document/TProjectGeometry.h"

/// One window of a project file ("Window"): its document, name and place.
class TProjectWindow {
public:
  /// The document element is "Music" (a kind this program opens nothing for), else "Wave".
  bool Music = false;
  /// The document's own file, as "File" when that element holds the name byte for byte
  /// (FileElementHolds), else as "EscapedFile"; empty for none.
  std::string File;
  /// The number of the document's copy in the project's folder ("TempFile"), as written;
  /// empty for none.
  std::string TempFile;
  /// The window's name ("Name") as written; empty for none.
  std::string Name;
  TProjectGeometry Place;
};
