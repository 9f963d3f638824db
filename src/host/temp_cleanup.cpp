#include "host/temp_cleanup.h"

#include "platform/system/temp_files.h"

namespace velquora {

int CleanTemporaryDirectory(const std::filesystem::path& directory, std::string_view marker) {
  int deleted = 0;
  if (marker.empty()) return deleted;  // an empty marker would match every file
  for (const std::string& name : ListDirectoryNames(directory)) {
    if (name.find(marker) == std::string::npos) continue;
    if (DeleteFileQuietly(directory / name)) ++deleted;
  }
  return deleted;
}

}  // namespace velquora
