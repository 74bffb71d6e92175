#pragma once
#include <string>

/// What a document needs of the window that shows it. The window is not owned by the document.
class TUnitWindow {
public:
  virtual ~TUnitWindow() = default;
  /// The document's name changed from `oldName`; the window retitles itself.
  virtual void NameChanged(const std::string& oldName) = 0;
  /// The document's file name changed; the window retitles itself.
  virtual void UpdateCaption() = 0;
};
