#pragma once
// The fractal file (root "UnitFractal", extension ".zlf"): "Version", an empty "View" marker,
// the colouring "FractalView" and the parameters "Fractal", as functions of the stored value.
#include <iosfwd>
#include <string>

class TDTDCompound;
class TStoredFractal;

/// Version of the fractal file.
inline constexpr const char* FractalFileVersion = "1.0";

/// The grammar of the fractal file, built on the first call and kept for the whole run. Safe
/// to call from any thread.
const TDTDCompound& FractalFileGrammar();

/// The bytes of the fractal file of `fractal`. False with the reason in `errorText` when a
/// record holds a text that could not be read back.
bool FractalFileText(const TStoredFractal& fractal, std::string& bytes, std::string& errorText);
/// Writes the fractal file of `fractal` to `path` (a temporary file, checked, flushed and
/// renamed). False with the reason (the system's words) in `errorText`; a file already at
/// `path` then stays as it was.
bool WriteFractalFile(const std::string& path, const TStoredFractal& fractal,
                      std::string& errorText);

/// Reads the fractal file `path` over `fractal`, whose ColorMode and Cont (not stored) are
/// kept. On failure returns false with the message in `errorText` (the reader's own with
/// " At line L, column C." of the bad element) and `fractal` as it was; the text is empty when
/// the file cannot be opened at all and "not a regular file" for a pipe, a device or a folder,
/// which is never waited for. A wrong version is reported as a failed check and reading goes
/// on.
bool ReadFractalFile(const std::string& path, TStoredFractal& fractal, std::string& errorText);
/// The same for the bytes of a fractal file read from `in` to its end.
bool ReadFractalStream(std::istream& in, TStoredFractal& fractal, std::string& errorText);
