#pragma once
// --thumbnail FILE.png: a picture of a saver file's scene for file managers. The scene's
// own preview picture when its container has one (fitted within the size, never
// enlarged), else the picture after a fixed number of Steps played headless at that
// size. Quiet, since file managers run it on any file they are shown: no message
// boxes, nothing on stderr, exit status 1 when the file holds no scene.
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/system/display_info.h"

namespace velquora {

// Steps played before the picture is taken when the scene has no preview picture:
// five seconds at the usual 50 ms, time for the sprites to come on.
inline constexpr std::int32_t kThumbnailSteps = 100;

int RunThumbnail(const std::string& saver_path, const std::filesystem::path& output, ScreenSize size);

}  // namespace velquora
