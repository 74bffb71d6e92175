#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/TProjectHost.h"
#include "document/TUnitFract.h"
#include "document/projectfile.h"

/// A project host that opens no file and no window: each window's document is made empty, as
/// if its file had been read, and the walker keeps what the project holds for inspection. Lets
/// tools, tests and fuzzers walk a project without the GUI:
///   TProjectWalker walker;
///   ReadProjectStream(in, "/some/folder/p.kvp", walker, errorText);
class TProjectWalker : public TProjectHost {
public:
  /// One window the project opened.
  struct TWindow {
    /// The path opened: the document's own file or its saved copy.
    std::string OpenedPath;
    /// The document (named and given its file name by the reader).
    std::unique_ptr<TUnitFract> Unit;
    TProjectGeometry Place;
  };

  TProjectWalker();
  ~TProjectWalker() override;

  void SetNoNameCounter(int counter) override;
  void SetFrame(const TProjectGeometry& frame) override;
  /// Records the path and returns a new empty document.
  TUnit* OpenFractalFile(const std::string& path) override;
  /// Searches the documents opened so far.
  TUnit* FindWindowByName(const std::string& name) const override;
  /// Records the collision as (file, name).
  void ProjectNameExists(const std::string& file, const std::string& name) override;
  /// Names the document and keeps the place.
  void PlaceWindow(TUnit& unit, const std::string& name, const TProjectGeometry& place) override;
  void SetEditName(const std::string& name) override;

  int NoNameCounter = -1;
  TProjectGeometry Frame;
  std::vector<TWindow> Windows;
  std::vector<std::pair<std::string, std::string>> NameCollisions;
  std::string EditName;
};
