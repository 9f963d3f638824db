#pragma once
// Fuzz targets that load scenes may write embedded audio to the temporary folder: point
// TMPDIR at a folder of the run's own, removed when the run ends.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace velquora {

// The folder that UseOwnTemporaryDirectory made.
inline std::filesystem::path& OwnTemporaryDirectory() {
  static std::filesystem::path directory;
  return directory;
}

inline void UseOwnTemporaryDirectory(const std::string& target_name) {
  std::filesystem::path& directory = OwnTemporaryDirectory();
  std::string pattern = (std::filesystem::temp_directory_path() / (target_name + "_XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  directory = pattern;
  setenv("TMPDIR", pattern.c_str(), 1);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(OwnTemporaryDirectory(), ignored);
  });
}

}  // namespace velquora
