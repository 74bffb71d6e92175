#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TXMLItem;

/// A document ("unit"): name, file name, change tracking and its elements in a project file.
/// The base of every document kind; a fractal document is a `TUnitFract` (kind 1).
class TUnit {
public:
  /// Kind of a fractal document.
  static constexpr uint8_t KindFractal = 1;

  /// A document of `kind` with the given name and file name (both may be empty).
  explicit TUnit(uint8_t kind, std::string name = "", std::string fileName = "");
  virtual ~TUnit() = default;
  TUnit(const TUnit&) = delete;
  TUnit& operator=(const TUnit&) = delete;

  const std::string& GetName() const { return Name; }
  /// Stores the name and tells NameChanged the previous one.
  void SetName(const std::string& name);
  const std::string& GetFileName() const { return FileName; }
  /// Stores the path (empty: never saved) and tells FileNameChanged.
  void SetFileName(const std::string& path);
  /// True when the document has never been saved to a file.
  bool HasNoFile() const { return FileName.empty(); }
  uint8_t GetKind() const { return Kind; }

  /// Whether the document has changes that a save would keep.
  virtual bool NeedsSave() const { return false; }
  /// Marks the document saved (only while `Loaded`).
  virtual void ClearModified() {}

  /// A new "File" element holding the file name, or null when the document has no file.
  std::unique_ptr<TXMLItem> FileElement() const;
  /// A new "TempFile" element holding `TempFileNumber`, or null when it is -1.
  std::unique_ptr<TXMLItem> TempFileElement() const;

  /// Told the previous name after each SetName, so that the window showing the document
  /// retitles itself; may be empty.
  std::function<void(const std::string& oldName)> NameChanged;
  /// Told after each SetFileName; may be empty.
  std::function<void()> FileNameChanged;

  /// While false, marking the document modified or saved has no effect (the main window clears
  /// it while it sets up a new or loading document).
  bool Loaded = true;
  /// Number of the document's temporary copy in a project, -1 for none.
  int TempFileNumber = -1;

private:
  std::string Name;
  const uint8_t Kind;
  std::string FileName;
};
