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
