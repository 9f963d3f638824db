// The headless playback tool modes: --trace prints the scene's state after every Step
// as one JSON line, --render writes the target as PNG pictures. Both load the scene at
// the given screen size, restart it and run the Steps into an off-screen target of that
// size, silently.
#pragma once
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/json_writer.h"
#include "platform/gdi/bitmap.h"
#include "platform/system/display_info.h"
#include "platform/system/tick_count.h"
#include "playback/scene.h"

namespace velquora {

struct PlaybackRunOptions {
  ScreenSize Screen;                                   // ScreenWidth x ScreenHeight, set before the load
  std::int32_t Steps = 0;                              // Steps after the restart
  bool Trace = false;                                  // one JSON line per Step to the output
  std::optional<std::filesystem::path> RenderDirectory;  // frame-NNNNNN.png pictures go here
  std::int32_t RenderEvery = 1;                        // a picture after every K-th Step
  std::optional<std::filesystem::path> FinalPicture;   // the picture after the last Step goes here
};

// One trace line's object: the counters, the merged dirty rectangles of the last Step
// and every sprite's state (with its current clones). Reads state only: no path is
// evaluated, so tracing draws no random numbers and changes nothing.
void WriteTraceJson(JsonWriter& json, const TVelquoraScene& scene);

// The picture file of a Step: DIR/frame-NNNNNN.png with the Step count in six digits.
std::filesystem::path RenderFileName(const std::filesystem::path& directory, std::int32_t step_count);

// A saver file's scene played headless into an off-screen picture of the screen's size,
// on a virtual clock: time stands at 0 while the scene loads and restarts, and at
// k x TimerInterval during the Step that makes StepCount k, so that every run of the
// same scene under the same seed is the same.
class HeadlessPlayback {
public:
  explicit HeadlessPlayback(ScreenSize screen);
  HeadlessPlayback(const HeadlessPlayback&) = delete;
  HeadlessPlayback& operator=(const HeadlessPlayback&) = delete;

  // Loads and restarts the scene; false (after the load's message box) when it failed.
  bool Load(const std::string& saver_path);
  // One Step at the next tick of the virtual clock.
  void Step();
  const TVelquoraScene& Scene() const { return scene_; }
  // The picture after the last Step.
  const TBitmap& Picture() const { return target_; }

private:
  ScopedVirtualClock clock_;
  TVelquoraScene scene_;
  TBitmap target_;
};

// Loads the saver file's scene and plays it as the options say; trace lines go to out,
// problems to err. Exit status: 0, or 1 when the scene did not load or a picture could
// not be written.
int RunPlayback(const std::string& saver_path, const PlaybackRunOptions& options, std::ostream& out,
                std::ostream& err);

}  // namespace velquora
