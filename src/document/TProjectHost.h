#pragma once
#include <string>

#include "document/TProjectGeometry.h"

class TUnit;

/// What the project reader needs of the program: the main window's fields and the opening of
/// windows. The main window implements it; a test or a fuzzer can supply one that opens nothing.
class TProjectHost {
public:
  virtual ~TProjectHost() = default;
  /// Takes the window-name counter of the project.
  virtual void SetNoNameCounter(int counter) = 0;
  /// Takes the main window's place and state.
  virtual void SetFrame(const TProjectGeometry& frame) = 0;
  /// Opens a fractal file in a new window (a failure is reported by the host); returns the
  /// window's document, or null.
  virtual TUnit* OpenFractalFile(const std::string& path) = 0;
  /// The document of an open window with exactly this name, or null.
  virtual TUnit* FindWindowByName(const std::string& name) const = 0;
  /// Tells the user that a window read from `file` cannot take `name`.
  virtual void ProjectNameExists(const std::string& file, const std::string& name) = 0;
  /// Names the document `unit` (opened by OpenFractalFile) `name` and gives its window the
  /// place read for it.
  virtual void PlaceWindow(TUnit& unit, const std::string& name,
                           const TProjectGeometry& place) = 0;
  /// Shows the name in the main window's name field.
  virtual void SetEditName(const std::string& name) = 0;
};
