#pragma once
// --record FILE: plays the scene headless at the screen size on the virtual clock and
// encodes its pictures into a video file whose extension chooses the format (.mp4,
// .mkv, .webm, .gif). One cycle by default; the frame rate is the scene's own
// (1000 / TimerInterval) unless another is asked for, when each video frame shows the
// picture of the Step in force at its time. A partial file is removed when encoding
// fails or the run is interrupted.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "platform/system/display_info.h"

namespace velquora {

struct RecordOptions {
  ScreenSize Screen;
  std::filesystem::path Output;
  std::optional<std::int32_t> Ticks;  // length in Steps; default: one cycle
  std::optional<double> Seconds;      // length in seconds instead
  std::optional<std::int32_t> Fps;    // video frames per second instead of the scene's rate
  bool Progress = false;              // a progress line on err
};

// Exit status: 0; 1 when the scene does not load or the video cannot be written (said
// on err); 130 when interrupted.
int RunRecord(const std::string& saver_path, const RecordOptions& options, std::ostream& err);

}  // namespace velquora
