// The headless playback tool modes: --trace prints the scene's state after every Step
// as one JSON line, --render writes the target as PNG pictures. Both load the scene at
// the given screen size, restart it and run the Steps into an off-screen target of that
// size. Sound plays on the silent media devices, whose positions follow the virtual
// clock, so the playlist runs as it would on a display, the same way every time.
#pragma once
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/json_writer.h"
#include "platform/system/display_info.h"
#include "playback/scene.h"

namespace velquora {

struct PlaybackRunOptions {
  ScreenSize Screen;                                   // ScreenWidth x ScreenHeight, set before the load
  std::int32_t Steps = 0;                              // Steps after the restart
  bool Trace = false;                                  // one JSON line per Step to the output
  std::optional<std::filesystem::path> RenderDirectory;  // frame-NNNNNN.png pictures go here
  std::int32_t RenderEvery = 1;                        // a picture after every K-th Step
};

// One trace line's object: the counters, the merged dirty rectangles of the last Step,
// every sprite's state (with its current clones) and the audio: the player's mode and
// failure flag, the playlist index, and which audio file the player holds (the index of
// the first whose FileName is the player's, -1 for none). Reads state only: no path is
// evaluated, so tracing draws no random numbers; the player is asked for its mode,
// which changes nothing that playback reads.
void WriteTraceJson(JsonWriter& json, TVelquoraScene& scene);

// The index in files of the first whose FileName is file_name; -1 when file_name is
// empty or in none.
std::int32_t AudioFileIndex(const TAudioFileList& files, const AnsiString& file_name);

// The picture file of a Step: DIR/frame-NNNNNN.png with the Step count in six digits.
std::filesystem::path RenderFileName(const std::filesystem::path& directory, std::int32_t step_count);

// Loads the saver file's scene and plays it as the options say; trace lines go to out,
// problems to err. Exit status: 0, or 1 when the scene did not load or a picture could
// not be written.
int RunPlayback(const std::string& saver_path, const PlaybackRunOptions& options, std::ostream& out,
                std::ostream& err);

}  // namespace velquora
