#pragma once
#include <string>

/// Splits `pathFile` at its last path separator ('/'; on Windows also '\'): `path` gets what is
/// before it, `file` what is after it. Without a separator returns false with a message in
/// `errorText` and leaves `path` and `file` unchanged.
bool PathOfPathFile(const std::string& pathFile, std::string& path, std::string& file,
                    std::string& errorText);

/// Splits `file` at its last '.': `name` before it, `extension` after it (without the dot);
/// without a dot the whole is the name and the extension is empty. Always true.
/// Give it a file name without its path.
bool SplitFileExtension(const std::string& file, std::string& name, std::string& extension);

/// The extension of the file `path` names, in ASCII lower case: what follows the last '.' of the
/// file name (dots in folder names do not count; '\\' ends a folder name on every platform).
/// False, with `extension` empty, when the name has no '.'.
bool LowerFileExtension(const std::string& path, std::string& extension);
