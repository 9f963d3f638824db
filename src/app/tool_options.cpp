#include "app/tool_options.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace velquora {

namespace {
// The screen-saver daemon's options for its hacks, which come with one dash.
bool IsDaemonOption(std::string_view argument) { return argument == "-root" || argument == "-window-id"; }
bool IsToolOption(std::string_view argument) { return argument.starts_with("--") || IsDaemonOption(argument); }

template <typename Number>
std::optional<Number> ParseDecimal(std::string_view text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

ScreenSize ParseSize(std::string_view text) {
  const auto cross = text.find('x');
  const auto width = ParseDecimal<std::int32_t>(text.substr(0, cross));
  const auto height = cross == std::string_view::npos ? std::nullopt : ParseDecimal<std::int32_t>(text.substr(cross + 1));
  if (!width || !height || *width <= 0 || *height <= 0) {
    throw EToolOptionError("--size needs WIDTHxHEIGHT with positive numbers, not \"" + std::string(text) + "\"");
  }
  return ScreenSize{*width, *height};
}

// A whole number of at least minimum for the option.
std::int32_t ParseCount(std::string_view option, const std::string& text, std::int32_t minimum) {
  const auto value = ParseDecimal<std::int32_t>(text);
  if (!value || *value < minimum) {
    throw EToolOptionError(std::string(option) + " needs a whole number from " + std::to_string(minimum) +
                           ", not \"" + text + "\"");
  }
  return *value;
}

// The playback modes take their options together: --render needs --ticks, and --ticks
// and --every mean nothing without it.
void CheckPlaybackOptions(const ToolOptions& options) {
  if (options.TraceSteps && options.RenderDirectory) throw EToolOptionError("--trace and --render are separate runs");
  if (options.Thumbnail && (options.TraceSteps || options.RenderDirectory || options.DumpScene || options.DumpDialog)) {
    throw EToolOptionError("--thumbnail is a run of its own");
  }
  if (options.RenderDirectory && !options.RenderTicks) throw EToolOptionError("--render needs --ticks N");
  if (!options.RenderDirectory && (options.RenderTicks || options.RenderEvery != 1)) {
    if (!options.RecordFile || options.RenderEvery != 1) throw EToolOptionError("--ticks and --every go with --render DIR");
  }
  if (options.RecordFile &&
      (options.TraceSteps || options.RenderDirectory || options.DumpScene || options.Thumbnail || options.DumpDialog)) {
    throw EToolOptionError("--record is a run of its own");
  }
  if (!options.RecordFile && (options.RecordSeconds || options.RecordFps)) {
    throw EToolOptionError("--seconds and --fps go with --record FILE");
  }
  if (options.RenderTicks && options.RecordSeconds) throw EToolOptionError("--ticks and --seconds both give the length");
}

class ArgumentCursor {
public:
  explicit ArgumentCursor(std::span<const std::string> arguments) : arguments_(arguments) {}
  bool AtToolOption() const { return next_ < arguments_.size() && IsToolOption(arguments_[next_]); }
  const std::string& Take() { return arguments_[next_++]; }
  const std::string& TakeValue(std::string_view option) {
    if (next_ >= arguments_.size()) throw EToolOptionError(std::string(option) + " needs a value");
    return Take();
  }
  std::vector<std::string> Rest() const { return {arguments_.begin() + static_cast<std::ptrdiff_t>(next_), arguments_.end()}; }

private:
  std::span<const std::string> arguments_;
  std::size_t next_ = 0;
};
}  // namespace

ToolOptions ParseToolOptions(std::span<const std::string> arguments) {
  ToolOptions options;
  ArgumentCursor cursor(arguments);
  while (cursor.AtToolOption()) {
    const std::string option = cursor.Take();
    if (option == "--saver") {
      options.SaverFile = cursor.TakeValue(option);
    } else if (option == "--seed") {
      const std::string& value = cursor.TakeValue(option);
      options.Seed = ParseDecimal<std::uint32_t>(value);
      if (!options.Seed) throw EToolOptionError("--seed needs a number from 0 to 4294967295, not \"" + value + "\"");
    } else if (option == "--size") {
      options.Size = ParseSize(cursor.TakeValue(option));
    } else if (option == "--codepage") {
      const std::string& value = cursor.TakeValue(option);
      options.CodePage = ParseDecimal<int>(value);
      if (!options.CodePage) throw EToolOptionError("--codepage needs a number, not \"" + value + "\"");
    } else if (option == "--dump-scene") {
      options.DumpScene = true;
    } else if (option == "--dump-dialog") {
      const std::string& value = cursor.TakeValue(option);
      if (value != "settings" && value != "about") {
        throw EToolOptionError("--dump-dialog needs settings or about, not \"" + value + "\"");
      }
      options.DumpDialog = value;
    } else if (option == "--trace") {
      options.TraceSteps = ParseCount(option, cursor.TakeValue(option), 0);
    } else if (option == "--render") {
      options.RenderDirectory = cursor.TakeValue(option);
    } else if (option == "--ticks") {
      options.RenderTicks = ParseCount(option, cursor.TakeValue(option), 0);
    } else if (option == "--every") {
      options.RenderEvery = ParseCount(option, cursor.TakeValue(option), 1);
    } else if (option == "--record") {
      options.RecordFile = cursor.TakeValue(option);
    } else if (option == "--seconds") {
      const std::string& value = cursor.TakeValue(option);
      char* end = nullptr;
      const double seconds = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !(seconds > 0) || seconds > 86400) {
        throw EToolOptionError("--seconds needs a number of seconds above 0 and up to 86400, not \"" + value + "\"");
      }
      options.RecordSeconds = seconds;
    } else if (option == "--fps") {
      options.RecordFps = ParseCount(option, cursor.TakeValue(option), 1);
    } else if (option == "--thumbnail") {
      options.Thumbnail = cursor.TakeValue(option);
    } else if (option == "--report-steps") {
      options.ReportSteps = true;
    } else if (option == "-root" || option == "--root") {
      options.EmbedWindow = "root";
    } else if (option == "-window-id" || option == "--window-id") {
      options.EmbedWindow = cursor.TakeValue(option);
    } else if (option == "--help") {
      options.Help = true;
    } else {
      throw EToolOptionError("unknown option " + option);
    }
  }
  options.SaverArguments = cursor.Rest();
  CheckPlaybackOptions(options);
  return options;
}

std::string ToolOptionsHelp() {
  return R"(Usage: velquora-saver [OPTIONS] [SWITCH [ARGUMENT]]

Plays the scene stored in a saver file (a program with a scene appended).

Options, before the saver's own switches:
  --saver FILE   use FILE as the saver file instead of this program; the switches
                 that follow are the saver's arguments 1 and 2
  --seed N       seed the random generator with N instead of the clock
  --size WxH     screen size for headless and tool modes (default 640x480)
  --codepage N   code page of the scene's texts: 1252 (default) or 1251
  --dump-scene   check the file's checksum without asking, load the scene and print
                 one JSON object: the load facts, every field of the loaded scene
                 (background, dialog texts, pictures, audio files, sprites) and
                 Checksum {Stored, Computed, Ok}; exit status 1 when the load failed
  --dump-dialog settings|about
                 load the scene and print the settings or about dialog as one JSON
                 object: ScaleX, ScaleY, Title, FontSize, FontName, Style, Width,
                 Height (dialog units), Items (Id, Class, Style, Text, X, Y, Width,
                 Height, PixelRect [l, t, r, b] in the client area at the display's
                 resolution, 96 dpi without one) and TemplateHex (the template's
                 bytes); needs no display; exit status 1 when the load failed
  --trace N      load the scene at --size, restart it and play N Steps headless,
                 printing after each Step one JSON line: StepCount, CurrentTick,
                 CyclesDone, RunsLeft, Dirty (the merged dirty rectangles) and every
                 sprite's Hidden, PosX, PosY, DrawnRect, FrameIndex, StepIndex,
                 TickInStep, Travelled, ScaleX, ScaleY and Clones, and Audio {Mode,
                 Failed, CurrentAudioIndex, File}: the player's mode (2 playing), its
                 failure flag, the playlist index and the audio file it holds (-1
                 none); sound plays on silent devices; exit status 1 when the load
                 failed
  --render DIR --ticks N [--every K]
                 the same run of N Steps, writing the picture after every K-th Step
                 (default 1) as DIR/frame-NNNNNN.png, NNNNNN being the Step count
  --record FILE [--ticks N | --seconds S] [--fps F]
                 play the scene headless at --size and encode its pictures into the
                 video FILE: .mp4 or .mkv (H.264), .webm (VP9) or .gif (an animated GIF
                 with a palette made for it); one cycle unless --ticks or --seconds give
                 the length; at the scene's own rate (1000 / its timer interval) unless
                 --fps resamples; progress on stderr when it is a terminal; the partial
                 file is removed when encoding fails or Ctrl+C stops it
  --thumbnail FILE
                 write a PNG picture of the scene to FILE: the preview picture stored
                 with the scene (fitted within --size) or else the picture after 100
                 Steps at --size; quiet, exit status 1 when the file holds no scene
  --help         show this text
  --report-steps when the saver window closes, say on stderr how many Steps it played
                 and, on a second line, "sound on|off, player ok|failed," and "no
                 sound started" or "last sound FILE"
  -root          as a screen-saver daemon's hack: play the scene as with /S into the
                 daemon's window ($XSCREENSAVER_WINDOW) or else the root window
  -window-id ID  the same into window ID (decimal or 0x-hexadecimal)

Saver switches (only the first two characters count, in any case):
  /S  run as the screen saver        /P N  preview inside window N
  /C  settings                       /A    change the saver password
  PR  settings without saving        SP    play full screen
Without a switch a file named *.exe plays full screen; any other name shows the
settings.

Every saver mode checks the file's checksum (a damaged file asks whether to go on;
without a display the question goes to stderr and is answered No) and deletes leftover
temporary files; the full-screen and settings modes load the scene to validate it.
With a display (an X11 $DISPLAY) the full-screen modes play in a window that covers
the screen, the preview plays inside window N and /C and PR show the settings dialog
(OK stores the speed and the sound switch, in /C only); without one they say so on
stderr. The password change is not available on this system. The saver's own modes
always exit with status 0.
)";
}

}  // namespace velquora
