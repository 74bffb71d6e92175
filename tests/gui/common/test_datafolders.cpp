// The folders an installed program finds beside its own.
#include <filesystem>

#include "gui/common/datafolders.h"
#include "gui/support/guitest.h"

namespace fs = std::filesystem;

TEST(DataFolders, AnInstalledProgramFindsItsExamples) {
  // The layout the install makes: the program in bin/, the examples where the install puts them.
  TScratchDir prefix("datafolders_installed");
  fs::create_directories(prefix.Path() / "bin");
  const fs::path examples = prefix.Path() / ZENOLITH_EXAMPLES_INSTALL_DIR;
  fs::create_directories(examples);
  const QString bin = QString::fromStdString((prefix.Path() / "bin").string());
  EXPECT_EQ(ExamplesFolderBeside(bin), examples.lexically_normal().string());
}

TEST(DataFolders, AProgramWithoutExamplesBesideItHasNone) {
  TScratchDir build("datafolders_build");
  fs::create_directories(build.Path() / "src" / "app");
  const QString app = QString::fromStdString((build.Path() / "src" / "app").string());
  EXPECT_EQ(ExamplesFolderBeside(app), "");
  // A file where the folder would be is no folder of examples.
  fs::create_directories(build.Path() / "bin");
  const fs::path examples = build.Path() / ZENOLITH_EXAMPLES_INSTALL_DIR;
  fs::create_directories(examples.parent_path());
  WriteFileBytes(examples.string(), "");
  EXPECT_EQ(ExamplesFolderBeside(QString::fromStdString((build.Path() / "bin").string())), "");
}
