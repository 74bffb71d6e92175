#include "support/testdata.h"

#include <system_error>
#include <unistd.h>

TScratchDir::TScratchDir(const std::string& name) {
  Dir = std::filesystem::temp_directory_path() /
        ("zenolith-test-" + name + "-" + std::to_string(::getpid()));
  std::error_code ec;
  std::filesystem::remove_all(Dir, ec);
  std::filesystem::create_directories(Dir);
}

TScratchDir::~TScratchDir() {
  std::error_code ec;
  // Restore write permission first, so that tests of read-only folders clean up too.
  std::filesystem::permissions(Dir, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(Dir, ec);
}
