#pragma once
#include <string>

/// Text of a file that cannot be created or replaced.
inline constexpr const char* CannotOpenForWritingText =
    "Operating System cannot open file for writing, maybe the file is readonly.";
/// Text of a write or close that failed.
inline constexpr const char* CouldNotWriteText =
    "Operating System could not write the file, maybe the disk is full.";

/// Replaces the file `fileName` by `bytes` so that the previous contents survive any failure:
/// writes a temporary file in the same folder, checks every write, flushes and closes it, then
/// renames it over the target. A target that is not a regular file (a device, a pipe) is written
/// directly. A read-only target fails even where the user could replace it.
/// Returns false with one of the two texts above in `errorText`.
bool WriteFileSafely(const std::string& fileName, const std::string& bytes,
                     std::string& errorText);
