#pragma once
// Test support: points $TMPDIR at a fresh directory for one test and removes it (and
// puts $TMPDIR back) afterwards, so that the temporary files a test causes can be listed.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace velquora {

class ScopedTemporaryDirectory {
public:
  explicit ScopedTemporaryDirectory(const std::string& prefix = "velquora_test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    path_ = mkdtemp(pattern.data());
    const char* previous = std::getenv("TMPDIR");
    if (previous != nullptr) previous_ = previous;
    setenv("TMPDIR", path_.c_str(), 1);
  }
  ~ScopedTemporaryDirectory() {
    if (previous_) {
      setenv("TMPDIR", previous_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScopedTemporaryDirectory(const ScopedTemporaryDirectory&) = delete;
  ScopedTemporaryDirectory& operator=(const ScopedTemporaryDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The names in the directory, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

private:
  std::filesystem::path path_;
  std::optional<std::string> previous_;
};

}  // namespace velquora
