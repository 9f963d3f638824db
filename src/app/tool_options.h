#pragma once
// The program's own options, which come before the saver's command line:
//   --saver FILE   use FILE as the saver file (argument 0); what follows is argument 1, 2
//   --seed N       fix the generator's seed instead of the clock
//   --size WxH     screen size for headless and tool modes (default 640x480)
//   --codepage N   code page of the scene's texts (1252 or 1251)
//   --dump-scene   check and load the scene, print it as one JSON object
//   --dump-dialog settings|about   load the scene, print that dialog's template as JSON
//   --trace N      load, restart and play N Steps headless, one JSON line per Step
//   --render DIR --ticks N [--every K]   the same run, a PNG of every K-th Step in DIR
//   --record FILE [--ticks N | --seconds S] [--fps F]   a video of the scene
//   --thumbnail FILE   a PNG picture of the scene for file managers
//   --help         list the options
//   --report-steps the window modes say how many Steps they played
//   -root, -window-id ID   as a screen-saver daemon's hack: play into the root window (or
//                  the daemon's window named by $XSCREENSAVER_WINDOW), or into window ID
// The first argument that is not one of these starts the saver's command line.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "platform/system/display_info.h"

namespace velquora {

// A command line the options cannot make sense of.
class EToolOptionError : public Exception {
public:
  using Exception::Exception;
};

struct ToolOptions {
  std::optional<std::string> SaverFile;
  std::optional<std::uint32_t> Seed;
  ScreenSize Size;
  std::optional<int> CodePage;
  bool DumpScene = false;
  std::optional<std::string> DumpDialog;     // --dump-dialog settings|about
  std::optional<std::int32_t> TraceSteps;    // --trace N
  std::optional<std::string> RenderDirectory;  // --render DIR
  std::optional<std::int32_t> RenderTicks;   // --ticks N
  std::int32_t RenderEvery = 1;              // --every K
  std::optional<std::string> Thumbnail;      // --thumbnail FILE
  std::optional<std::string> RecordFile;     // --record FILE (its length: --ticks N or --seconds S)
  std::optional<double> RecordSeconds;       // --seconds S
  std::optional<std::int32_t> RecordFps;     // --fps F
  bool Help = false;
  bool ReportSteps = false;  // the window modes say on stderr how many Steps they played
  // Play into another program's window: "root" for -root, else the -window-id text.
  std::optional<std::string> EmbedWindow;
  std::vector<std::string> SaverArguments;  // the saver's arguments 1, 2, ...
};

// arguments: the command line without the program's own name.
ToolOptions ParseToolOptions(std::span<const std::string> arguments);

std::string ToolOptionsHelp();

}  // namespace velquora
