#include "platform/system/temp_files.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace velquora {

namespace {
std::string& Marker() {
  static std::string marker(kTemporaryFileMarkerBase);
  return marker;
}

struct DirectoryCloser {
  void operator()(DIR* directory) const { closedir(directory); }
};
}  // namespace

const std::string& TemporaryFileMarker() { return Marker(); }
void AppendToTemporaryFileMarker(std::string_view text) { Marker() += text; }
void ResetTemporaryFileMarker() { Marker() = kTemporaryFileMarkerBase; }

std::filesystem::path SystemTemporaryDirectory() {
  const char* configured = std::getenv("TMPDIR");
  if (configured != nullptr && *configured != '\0') return configured;
  return "/tmp";
}

std::vector<std::string> ListDirectoryNames(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  // The handle is closed however the listing ends.
  const std::unique_ptr<DIR, DirectoryCloser> handle(opendir(directory.c_str()));
  if (!handle) return names;
  while (const dirent* entry = readdir(handle.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
}

bool DeleteFileQuietly(const std::filesystem::path& path) { return unlink(path.c_str()) == 0; }

}  // namespace velquora
