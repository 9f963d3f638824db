#pragma once
// Deletes the temporary files that earlier runs left behind: every file of the
// directory whose name contains the temporary-file marker.
#include <filesystem>
#include <string_view>

namespace velquora {

// Returns the number of files deleted; files that cannot be deleted are left alone.
int CleanTemporaryDirectory(const std::filesystem::path& directory, std::string_view marker);

}  // namespace velquora
