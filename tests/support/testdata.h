#pragma once
#include <filesystem>
#include <string>

/// Path of a fixture in tests/data.
inline std::string TestData(const std::string& name) {
  // Appended in place: GCC 12 reports a false array-bounds fault for the chained operator+.
  std::string path = ZENOLITH_TEST_DATA;
  path += '/';
  path += name;
  return path;
}

/// A fresh, empty scratch folder for one test, removed when it goes out of scope.
class TScratchDir {
public:
  explicit TScratchDir(const std::string& name);
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::filesystem::path& Path() const { return Dir; }
  /// Path of a file inside the folder.
  std::string File(const std::string& name) const { return (Dir / name).string(); }

private:
  std::filesystem::path Dir;
};
