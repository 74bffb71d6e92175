#include "core/pathsplit.h"

namespace {

#ifdef _WIN32
constexpr const char* Separators = "/\\";
#else
constexpr const char* Separators = "/";
#endif

}  // namespace

bool PathOfPathFile(const std::string& pathFile, std::string& path, std::string& file,
                    std::string& errorText) {
  const size_t k = pathFile.find_last_of(Separators);
  if (k == std::string::npos) {
    errorText = "Function PathOfPathFile: PathFile (\"" + pathFile + "\") has no path\".";
    return false;
  }
  path = pathFile.substr(0, k);
  file = pathFile.substr(k + 1);
  return true;
}

bool SplitFileExtension(const std::string& file, std::string& name, std::string& extension) {
  const size_t k = file.rfind('.');
  if (k == std::string::npos) {
    name = file;
    extension.clear();
  } else {
    name = file.substr(0, k);
    extension = file.substr(k + 1);
  }
  return true;
}

bool LowerFileExtension(const std::string& path, std::string& extension) {
  // A backslash ends a folder name here too: a path written on Windows must not give its folder's
  // dot as the extension.
  const size_t separator = path.find_last_of("/\\");
  const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const size_t dot = path.rfind('.');
  extension.clear();
  if (dot == std::string::npos || dot < nameStart) return false;
  for (size_t i = dot + 1; i < path.size(); ++i) {
    const char c = path[i];
    extension += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return true;
}
