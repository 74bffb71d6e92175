#pragma once
#include <string>

/// The reason given for a path that names a pipe, a device, a socket or (for reading) a folder
/// where a file is read or written.
inline constexpr const char* NotRegularFileText = "not a regular file";

/// The system's words for an errno value, e.g. "No space left on device"; safe on any thread.
std::string SystemErrorText(int error);
