#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "host/temp_cleanup.h"
#include "host_test_support.h"
#include "platform/system/temp_files.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using testing::TestDirectory;

std::vector<std::string> SortedNames(const fs::path& directory) {
  std::vector<std::string> names = ListDirectoryNames(directory);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CleanTemporaryDirectory, DeletesExactlyTheFilesWhoseNameHoldsTheMarker) {
  TestDirectory dir;
  for (const char* name : {"a(QZ_temporary)_SS.wav", "(QZ_temporary)_SSx", "x(QZ_temporary)_SS", "(QZ_temporary).avi",
                           "(qz_temporary)_SS.avi", "plain.txt"}) {
    dir.Write(name, {0});
  }
  EXPECT_EQ(CleanTemporaryDirectory(dir.Path(), "(QZ_temporary)_SS"), 3);
  EXPECT_EQ(SortedNames(dir.Path()),
            (std::vector<std::string>{"(QZ_temporary).avi", "(qz_temporary)_SS.avi", "plain.txt"}));
}

TEST(CleanTemporaryDirectory, LeavesDirectoriesAndMissingDirectoriesAlone) {
  TestDirectory dir;
  fs::create_directory(dir.Path() / "(QZ_temporary)_SS");
  EXPECT_EQ(CleanTemporaryDirectory(dir.Path(), "(QZ_temporary)_SS"), 0);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "(QZ_temporary)_SS"));
  EXPECT_EQ(CleanTemporaryDirectory(dir.Path() / "nowhere", "(QZ_temporary)_SS"), 0);
}

TEST(CleanTemporaryDirectory, AnEmptyMarkerDeletesNothing) {
  TestDirectory dir;
  dir.Write("keep.txt", {0});
  EXPECT_EQ(CleanTemporaryDirectory(dir.Path(), ""), 0);
  EXPECT_TRUE(fs::exists(dir.Path() / "keep.txt"));
}

TEST(TemporaryFileMarker, StartsWithTheBaseAndGrowsByAppending) {
  ResetTemporaryFileMarker();
  EXPECT_EQ(TemporaryFileMarker(), "(QZ_temporary)");
  AppendToTemporaryFileMarker("_SS");
  EXPECT_EQ(TemporaryFileMarker(), "(QZ_temporary)_SS");
  ResetTemporaryFileMarker();
}

// Sets or clears $TMPDIR for one test.
class ScopedTmpdir {
public:
  explicit ScopedTmpdir(const char* value) {
    if (const char* old = std::getenv("TMPDIR")) previous_ = old;
    if (value) {
      setenv("TMPDIR", value, 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  ~ScopedTmpdir() {
    if (previous_) {
      setenv("TMPDIR", previous_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

private:
  std::optional<std::string> previous_;
};

TEST(SystemTemporaryDirectory, IsTmpdirElseSlashTmp) {
  {
    ScopedTmpdir tmpdir("/var/somewhere");
    EXPECT_EQ(SystemTemporaryDirectory(), fs::path("/var/somewhere"));
  }
  {
    ScopedTmpdir tmpdir("");
    EXPECT_EQ(SystemTemporaryDirectory(), fs::path("/tmp"));
  }
  {
    ScopedTmpdir tmpdir(nullptr);
    EXPECT_EQ(SystemTemporaryDirectory(), fs::path("/tmp"));
  }
}

}  // namespace
}  // namespace velquora
