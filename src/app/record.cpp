#include "app/record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <vector>
#include <ostream>
#include <system_error>

#include "app/trace_render.h"
#include "platform/mci/sound_timeline.h"
#include "platform/system/interrupt.h"
#include "platform/system/tick_count.h"
#include "platform/video/video_encoder.h"

namespace velquora {

namespace {

constexpr int kInterruptedStatus = 130;  // as a shell reports a run ended by Ctrl+C

// The number of Steps the video covers.
std::int64_t StepsToRecord(const RecordOptions& options, const TVelquoraScene& scene) {
  if (options.Ticks) return *options.Ticks;
  if (options.Seconds) return std::llround(*options.Seconds * 1000.0 / std::max(1, scene.TimerInterval));
  return std::max(1, scene.CycleLength);
}

// "12:34" for a number of milliseconds.
std::string MinutesAndSeconds(std::uint32_t milliseconds) {
  const std::uint32_t seconds = milliseconds / 1000;
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
  return text;
}

class ProgressLine {
public:
  ProgressLine(std::ostream& err, bool shown, std::int64_t total) : err_(err), shown_(shown), total_(total) {}
  void Show(std::int64_t done) {
    if (!shown_ || total_ <= 0) return;
    const std::uint32_t elapsed = RealTickCount() - started_;
    const int percent = static_cast<int>(done * 100 / total_);
    if (percent == last_percent_) return;
    last_percent_ = percent;
    const auto left = done > 0 ? static_cast<std::uint32_t>(elapsed * (total_ - done) / done) : 0u;
    err_ << "\rRecording " << percent << "%  " << MinutesAndSeconds(elapsed) << " elapsed, about "
         << MinutesAndSeconds(left) << " left " << std::flush;
  }
  void End() {
    if (shown_) err_ << "\n";
  }

private:
  std::ostream& err_;
  bool shown_;
  std::int64_t total_;
  std::uint32_t started_ = RealTickCount();
  int last_percent_ = -1;
};

enum class PassOutcome { Done, Interrupted };

// Plays the scene from its start and hands every video frame's picture to add_picture.
// With the scene's own rate a frame is a Step; with another rate, frame j shows the
// picture of the Step in force at time j / fps.
//
// With add_sound, the sound of the run goes along: the picture of Step k is shown from
// video time (k - 1) x TimerInterval on, while the virtual clock stood at k x
// TimerInterval during that Step, so the video runs one interval behind the clock and
// after Step k the sound of the clock's span [k, k + 1) x TimerInterval follows.
template <typename AddPicture>
PassOutcome RecordPass(const std::string& saver_path, const RecordOptions& options, const ScopedInterruptWatch& watch,
                       ProgressLine& progress, std::int64_t frames_before, AddPicture add_picture,
                       const std::function<void(std::span<const std::int16_t>)>& add_sound = {}) {
  std::optional<mci::ScopedSoundTimeline> timeline;
  if (add_sound) timeline.emplace();
  HeadlessPlayback playback(options.Screen);
  if (!playback.Load(saver_path)) throw std::runtime_error("the scene does not load");
  const TVelquoraScene& scene = playback.Scene();
  const std::int64_t steps = StepsToRecord(options, scene);
  const std::int64_t interval = std::max(1, scene.TimerInterval);
  const std::int64_t frames = options.Fps ? steps * interval * *options.Fps / 1000 : steps;
  std::vector<std::int16_t> sound;
  if (timeline) timeline->Mix(static_cast<std::uint32_t>(interval), sound);  // before the first picture: not heard
  for (std::int64_t frame = 0; frame < frames; ++frame) {
    if (watch.Interrupted()) return PassOutcome::Interrupted;
    const std::int64_t step = options.Fps ? frame * 1000 / *options.Fps / interval + 1 : frame + 1;
    while (scene.StepCount < step) {
      playback.Step();
      if (!timeline) continue;
      sound.clear();
      timeline->Mix(static_cast<std::uint32_t>((scene.StepCount + 1) * interval), sound);
      add_sound(sound);
    }
    add_picture(playback.Picture());
    progress.Show(frames_before + frame + 1);
  }
  return PassOutcome::Done;
}

}  // namespace

int RunRecord(const std::string& saver_path, const RecordOptions& options, std::ostream& err) {
  ScopedInterruptWatch watch;
  bool started = false;
  PassOutcome outcome = PassOutcome::Done;
  try {
    // The frame rate and length come from the scene itself.
    HeadlessPlayback probe(options.Screen);
    if (!probe.Load(saver_path)) return 1;
    VideoEncoderSettings settings;
    settings.Width = options.Screen.Width;
    settings.Height = options.Screen.Height;
    settings.FrameRateNumerator = options.Fps ? *options.Fps : 1000;
    settings.FrameRateDenominator = options.Fps ? 1 : std::max(1, probe.Scene().TimerInterval);
    settings.WithSound = true;
    const std::int64_t steps = StepsToRecord(options, probe.Scene());
    const std::int64_t frames = options.Fps ? steps * settings.FrameRateDenominator * *options.Fps / 1000 : steps;
    VideoEncoder encoder(options.Output, settings);
    started = true;
    const bool palette_pass = encoder.NeedsPalettePass();
    ProgressLine progress(err, options.Progress, palette_pass ? 2 * frames : frames);
    if (palette_pass) {
      outcome = RecordPass(saver_path, options, watch, progress, 0,
                           [&](const TBitmap& picture) { encoder.AddPalettePicture(picture); });
    }
    if (outcome == PassOutcome::Done) {
      const auto add_sound = [&](std::span<const std::int16_t> samples) { encoder.AddSound(samples); };
      outcome = RecordPass(saver_path, options, watch, progress, palette_pass ? frames : 0,
                           [&](const TBitmap& picture) { encoder.AddPicture(picture); },
                           encoder.HasSound() ? add_sound : std::function<void(std::span<const std::int16_t>)>{});
    }
    if (outcome == PassOutcome::Done) encoder.Finish();
    progress.End();
  } catch (const std::exception& error) {
    err << "velquora-saver: cannot record " << options.Output.string() << ": " << error.what() << "\n";
    std::error_code ignored;
    if (started) std::filesystem::remove(options.Output, ignored);
    return 1;
  }
  if (outcome == PassOutcome::Interrupted) {
    std::error_code ignored;
    std::filesystem::remove(options.Output, ignored);
    err << "velquora-saver: recording interrupted; " << options.Output.string() << " removed\n";
    return kInterruptedStatus;
  }
  return 0;
}

}  // namespace velquora
