#pragma once
#include <string>

/// Text of a file that cannot be created or replaced.
inline constexpr const char* CannotOpenForWritingText =
    "Operating System cannot open file for writing, maybe the file is readonly.";
/// Text of a write or close that failed.
inline constexpr const char* CouldNotWriteText =
    "Operating System could not write the file, maybe the disk is full.";

/// Replaces the file `fileName` by `bytes` through a TSafeFile, so that the previous contents
/// survive any failure. A read-only target fails even where the user could replace it.
/// Returns false with one of the two texts above in `errorText`, or with NotRegularFileText
/// (core/systemerror.h) for a target that is a pipe, a device or a socket (refused at once:
/// writing there could block for ever). A replaced file keeps its owner, group and mode where
/// the system allows; where not, the file is written all the same and the current message
/// presenter shows TSafeFile::Warning under "File Warning" (so call it on the thread that
/// shows messages).
bool WriteFileSafely(const std::string& fileName, const std::string& bytes,
                     std::string& errorText);
