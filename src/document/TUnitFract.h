#pragma once
#include <array>
#include <string>

#include "document/TUnit.h"

class TStoredFractal;

/// The fractal document: a name, a file name and a change flag. The colouring record and the
/// parameters live in the window's view; the window hands them in to be written to the fractal
/// file (root "UnitFractal", extension ".zlf") and takes them out when the file is read.
class TUnitFract : public TUnit {
public:
  /// A fractal document (kind 1), unchanged.
  explicit TUnitFract(std::string name = "", std::string fileName = "");

  /// True when there are unsaved changes.
  bool Modified() const { return ModifiedFlag; }
  /// Notes a change (only while `Loaded`).
  void MarkModified();
  /// Notes a save (only while `Loaded`).
  void ClearModified() override;
  /// Always true: a fractal document can always be written.
  bool CanSaveFract() const { return true; }
  /// True when changed or never saved.
  bool NeedsSave() const override;

  /// Writes `fractal` to the file named by the document when NeedsSave; otherwise succeeds
  /// without writing. Does not clear the change flag (the caller does after success).
  bool Save(const TStoredFractal& fractal) const;
  /// Writes `fractal` as the fractal file `path`, always; keeps the file name. On failure shows
  /// "Cannot save Fractal File: <reason>." (caption "FileError") and returns false; a file
  /// already at `path` then stays as it was.
  bool SaveAs(const std::string& path, const TStoredFractal& fractal) const;
  /// Reads the document's file over `fractal` (see ReadFractalFile). On failure returns false
  /// with the message in `errorText` and `fractal` as it was; the text is empty when the file
  /// cannot be opened at all and "not a regular file" for a pipe, a device or a folder.
  bool Load(TStoredFractal& fractal, std::string& errorText) const;

  /// Texts of the main window's status panels 2 to 7 (index 0 is panel 2); the last is "New"
  /// without a file, "Changed" when NeedsSave, else empty.
  std::array<std::string, 6> StatusTexts() const;

private:
  bool ModifiedFlag = false;
};
