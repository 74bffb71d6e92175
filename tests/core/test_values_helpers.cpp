#include <gtest/gtest.h>

#include "core/linearmap.h"
#include "core/pathsplit.h"

TEST(PathSplit, PathOfPathFileSplitsAtTheLastSeparator) {
  struct TCase {
    const char* PathFile;
    const char* Path;
    const char* File;
  };
  const TCase cases[] = {
      {"/home/u/a.zlf", "/home/u", "a.zlf"},
      {"/home/a.b/file", "/home/a.b", "file"},
      {"dir/", "dir", ""},
      {"/", "", ""},
      {"rel/sub/x", "rel/sub", "x"},
  };
  for (const auto& c : cases) {
    std::string path = "?";
    std::string file = "?";
    std::string error;
    EXPECT_TRUE(PathOfPathFile(c.PathFile, path, file, error)) << c.PathFile;
    EXPECT_EQ(path, c.Path);
    EXPECT_EQ(file, c.File);
    EXPECT_EQ(error, "");
  }
}

TEST(PathSplit, PathOfPathFileWithoutSeparatorFailsAndKeepsTheOutputs) {
  std::string path = "p";
  std::string file = "f";
  std::string error;
  EXPECT_FALSE(PathOfPathFile("file.zlf", path, file, error));
  EXPECT_EQ(error, "Function PathOfPathFile: PathFile (\"file.zlf\") has no path\".");
  EXPECT_EQ(path, "p");
  EXPECT_EQ(file, "f");
#ifndef _WIN32
  // Only '/' separates here; a backslash is part of a name.
  EXPECT_FALSE(PathOfPathFile("C:\\dir\\a.zlf", path, file, error));
#endif
}

TEST(PathSplit, SplitFileExtensionAtTheLastDot) {
  struct TCase {
    const char* File;
    const char* Name;
    const char* Extension;
  };
  const TCase cases[] = {
      {"file", "file", ""},
      {"a.zlf", "a", "zlf"},
      {"a.b.kvp", "a.b", "kvp"},
      {"name.", "name", ""},
      {".hidden", "", "hidden"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    std::string name = "?";
    std::string extension = "?";
    EXPECT_TRUE(SplitFileExtension(c.File, name, extension));
    EXPECT_EQ(name, c.Name) << c.File;
    EXPECT_EQ(extension, c.Extension) << c.File;
  }
}

TEST(PathSplit, LowerFileExtensionLooksOnlyAtTheFileName) {
  const struct {
    const char* Path;
    bool Has;
    const char* Extension;
  } cases[] = {
      {"/home/u/My.Fractal.ZLF", true, "zlf"},
      {"/home/u.v/fractal", false, ""},  // the folder's dot is not the file's
      {"/home/u.v/name.", true, ""},
      {"kvp", false, ""},
      {"p.KvP", true, "kvp"},
  };
  for (const auto& c : cases) {
    std::string extension = "?";
    EXPECT_EQ(LowerFileExtension(c.Path, extension), c.Has) << c.Path;
    EXPECT_EQ(extension, c.Extension) << c.Path;
  }
}

TEST(LinearMap, MapsAndExtrapolatesBetweenScales) {
  EXPECT_EQ(LinearMap(5, 0, 10, -1.5, 1.5), 0.0L);
  EXPECT_EQ(LinearMap(0, 0, 250, -1.5, 1.5), -1.5L);
  EXPECT_EQ(LinearMap(250, 0, 250, -1.5, 1.5), 1.5L);
  EXPECT_EQ(LinearMap(12, 2, 7, 0, 1), 2.0L);
  EXPECT_EQ(LinearMap(-3, 2, 7, 0, 1), -1.0L);
  // Reversed scales (pixel rows grow downwards, the plane upwards).
  EXPECT_EQ(LinearMap(0, 0, 100, 2, -2), 2.0L);
  EXPECT_EQ(LinearMap(25, 0, 100, 2, -2), 1.0L);
  // Extended precision: the result is not rounded to a double.
  if constexpr (sizeof(long double) > sizeof(double)) {
    const long double third = LinearMap(1, 0, 3, 0, 1);
    EXPECT_NE(third, static_cast<long double>(static_cast<double>(third)));
  }
}
