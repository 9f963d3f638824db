#pragma once
// The system temporary directory and the marker that every temporary file of this
// system carries in its name, so that a later start can find and delete leftovers.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velquora {

inline constexpr std::string_view kTemporaryFileMarkerBase = "(QZ_temporary)";

// The process-wide marker: "(QZ_temporary)" followed by whatever start-up appended.
const std::string& TemporaryFileMarker();
void AppendToTemporaryFileMarker(std::string_view text);
// Puts the marker back to its initial text (for tests that run start-up more than once).
void ResetTemporaryFileMarker();

// $TMPDIR when it is set and not empty, else /tmp.
std::filesystem::path SystemTemporaryDirectory();

// The names of the entries of a directory (no "." or ".."), in the order the system
// lists them; empty when the directory cannot be read.
std::vector<std::string> ListDirectoryNames(const std::filesystem::path& directory);

// Deletes one file (never a directory); false when it could not be deleted.
bool DeleteFileQuietly(const std::filesystem::path& path);

}  // namespace velquora
