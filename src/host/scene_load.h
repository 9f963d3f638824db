#pragma once
// The host's scene load step: finds the scene container inside the saver file through
// the offset stored in its last eight bytes, loads the host's scene from it and reads
// the stored settings.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/host_settings.h"
#include "host/host_state.h"

namespace velquora {

// Saver files whose scene lies beyond this offset are previewed without sprites.
inline constexpr std::int64_t kLargePreviewScene = 10'000'000;

// Opens the saver file, reads the container offset P from the file's last eight bytes,
// seeks to P and loads the scene from there. A failed container load is reported by
// the scene and recorded in its LoadFailed. Raises EFOpenError when the file cannot be
// opened and EReadError when the offset cannot be read or sought.
void LoadSceneFromSaverFile(const std::string& path, TVelquoraScene& scene, bool preview);

// The saver file's preview picture (JPEG bytes) when its container has one. Raises as
// LoadSceneFromSaverFile does when the file or its container cannot be read.
std::optional<std::vector<std::uint8_t>> ReadSaverPreviewPicture(const std::string& path);

enum class LoadStepOutcome {
  Continue,    // the mode goes on with what the scene holds
  EndProcess,  // the container could not be read: the process ends at once, exit code 0
};

// Loads host.Scene from host.ProgramPath, then reads the settings unless the mode is
// Program or Show. Any failure other than a failed container load shows "Cannot read
// data from file." and goes on.
LoadStepOutcome LoadSceneAndSettings(HostState& host, HostSettings& settings);

}  // namespace velquora
