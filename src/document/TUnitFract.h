#pragma once
#include <array>
#include <iosfwd>
#include <string>

#include "document/TUnit.h"

class TDTDCompound;
class TDTDGrammar;
class TDTDItem;
class TFractWindowLink;

/// The fractal document: a name, a file name and a change flag. The colouring record and the
/// parameters live in the window's view; the document gathers them to write the fractal file
/// (root "UnitFractal", extension ".zlf") and hands the file to the window to read.
class TUnitFract : public TUnit {
public:
  /// Version of the fractal file.
  static constexpr const char* Version = "1.0";

  /// A fractal document (kind 1), unchanged and without a window.
  explicit TUnitFract(std::string name = "", std::string fileName = "");

  /// The window (not owned); set by the main window right after creation.
  void SetWindow(TFractWindowLink* window);
  TFractWindowLink* GetWindow() const { return Window; }

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

  /// Writes the file named by the document when NeedsSave; otherwise succeeds without writing.
  /// Does not clear the change flag (the caller does after success).
  bool Save();
  /// Writes the fractal file to `path`, always; keeps the file name. On failure shows
  /// "Cannot save Fractal File: <reason>." (caption "FileError") and returns false; a file
  /// already at `path` then stays as it was.
  bool SaveAs(const std::string& path);
  /// The bytes SaveAs writes. False with the reason in `errorText` (nothing shown) when the
  /// window's records hold texts that could not be read back.
  bool ToFileText(std::string& bytes, std::string& errorText) const;
  /// Reads the document's file into the window. On failure returns false with the message in
  /// `errorText`; the text is empty when the file cannot be opened at all and "not a regular
  /// file" for a pipe, a device or a folder, which is never waited for. A wrong version
  /// is reported as a failed check and reading goes on.
  bool Load(std::string& errorText);
  /// Reads the bytes of a fractal file from `in` (to its end) into the window, as Load does.
  /// On failure returns false with the message in `errorText`.
  bool LoadFromStream(std::istream& in, std::string& errorText);

  /// Texts of the main window's status panels 2 to 7 (index 0 is panel 2); the last is "New"
  /// without a file, "Changed" when NeedsSave, else empty.
  std::array<std::string, 6> StatusTexts() const;

  /// The grammar of the fractal file: "UnitFractal" = "Version", the view part, the fractal
  /// part. Its nodes are owned by `grammar`.
  static TDTDCompound* BuildDTD(TDTDGrammar& grammar, const TDTDItem* viewPart,
                                const TDTDItem* fractalPart);
  /// Registers the file grammar that Load matches (not owned; must live for the whole run).
  static void SetFileGrammar(const TDTDCompound* grammar);
  /// The registered file grammar, null before registration.
  static const TDTDCompound* FileGrammar();

private:
  // Reports a missing grammar or window.
  bool ReadyToLoad() const;

  TFractWindowLink* Window = nullptr;
  bool ModifiedFlag = false;
};
