#pragma once
// Test support: a fresh folder of a test's own for the files it writes, removed with
// everything in it afterwards.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <system_error>

namespace velquora {

class ScopedTempDir {
public:
  ScopedTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velquora_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScopedTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

  // Writes `bytes` to the file `name` in the folder and returns its path.
  std::filesystem::path Write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    const std::filesystem::path path = path_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }

private:
  std::filesystem::path path_;
};

}  // namespace velquora
