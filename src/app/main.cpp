// velquora-saver: the program's own tool options first, then the saver's command line.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/record.h"
#include "app/dialog_dump.h"
#include "app/scene_dump.h"
#include "app/thumbnail.h"
#include "app/tool_options.h"
#include "app/trace_render.h"
#include "core/ansi_text.h"
#include "core/random.h"
#include "host/mode_choice.h"
#include "host/password.h"
#include "host/saver_front_end.h"
#include "host/settings.h"
#include "host/start_up.h"
#include "platform/mci/mci.h"
#include "platform/registry/registry_store.h"
#include "platform/system/display_info.h"
#include "platform/system/interrupt.h"
#include "platform/system/module_loader.h"
#include "platform/system/process.h"
#include "platform/system/temp_files.h"
#include "platform/win/message_box.h"
#include "platform/gdi/screen_snapshot.h"
#include "platform/win/sdl_backend.h"
#include "platform/win/window_system.h"
#include "platform/win/x11_client.h"

namespace {
constexpr int kUsageError = 2;

// Makes the options take effect for the whole process.
void ApplyToolOptions(const velquora::ToolOptions& options) {
  if (options.Seed) velquora::SetFixedSeed(*options.Seed);
  if (options.CodePage) velquora::SetActiveCodePage(*options.CodePage);
  velquora::SetHeadlessScreenSize(options.Size);
}

// The window a screen-saver daemon asked for: -window-id ID, or with -root (or when
// only the daemon's variable is set) $XSCREENSAVER_WINDOW, else the root window.
// kNoWindow when none was asked for; raises for an id that is not a number.
velquora::WindowHandle EmbedWindow(const velquora::ToolOptions& options) {
  const std::optional<std::string> daemon_window = velquora::DaemonWindowVariable();
  std::optional<std::string> asked = options.EmbedWindow;
  if (!asked && daemon_window) asked = "root";
  if (!asked) return velquora::kNoWindow;
  if (*asked == "root") {
    if (!daemon_window) return velquora::RootWindowOfDisplay();
    asked = daemon_window;
  }
  const velquora::WindowHandle window = velquora::ParseWindowHandle(*asked);
  if (window == velquora::kNoWindow) throw velquora::EToolOptionError("no window id in \"" + *asked + "\"");
  return window;
}

// --trace and --render: headless runs into an off-screen picture of --size.
int RunPlaybackMode(const std::string& saver_path, const velquora::ToolOptions& options) {
  velquora::PlaybackRunOptions run;
  run.Screen = options.Size;
  run.Trace = options.TraceSteps.has_value();
  run.Steps = options.TraceSteps ? *options.TraceSteps : options.RenderTicks.value_or(0);
  if (options.RenderDirectory) run.RenderDirectory = *options.RenderDirectory;
  run.RenderEvery = options.RenderEvery;
  return velquora::RunPlayback(saver_path, run, std::cout, std::cerr);
}

// --record: a video of the scene, with progress when stderr is a terminal.
int RunRecordMode(const std::string& saver_path, const velquora::ToolOptions& options) {
  velquora::RecordOptions record;
  record.Screen = options.Size;
  record.Output = *options.RecordFile;
  record.Ticks = options.RenderTicks;
  record.Seconds = options.RecordSeconds;
  record.Fps = options.RecordFps;
  record.Progress = velquora::ErrorOutputIsTerminal();
  return velquora::RunRecord(saver_path, record, std::cerr);
}

// --dump-dialog: at the display's resolution when there is a display, else 96 dpi.
int RunDialogDumpMode(const std::string& saver_path, const std::string& which) {
  int dpi = 96;
  if (std::unique_ptr<velquora::WindowBackend> display = velquora::OpenDisplayBackend()) dpi = display->Dpi();
  return velquora::RunDialogDump(saver_path,
                                 which == "about" ? velquora::DumpedDialog::About : velquora::DumpedDialog::Settings,
                                 dpi, std::cout);
}

int RunHeadless(const std::string& saver_path, const velquora::ToolOptions& options) {
  velquora::TSaverSettings settings(velquora::ProcessRegistry(), velquora::ScenePlayerFailed);  // the user's durable registry
  velquora::HeadlessFrontEnd front_end(std::cerr);
  velquora::HostServices services{settings, front_end, velquora::SystemTemporaryDirectory()};
  return velquora::RunSaverProcess(velquora::Host(), saver_path, options.SaverArguments, services);
}

// With a display: windows, timers and message boxes of the display back end. Embedded
// in a daemon's window the saver runs as with /S and leaves input to the daemon.
int RunOnDisplay(std::unique_ptr<velquora::WindowBackend> display, const std::string& saver_path,
                 const velquora::ToolOptions& options, velquora::WindowHandle embed) {
  velquora::TWindowSystem windows(std::move(display));
  velquora::ScopedWindowSystem installed(windows);
  velquora::ScopedMessageBoxes boxes(std::make_shared<velquora::SdlMessageBoxes>());
  velquora::SetScreenReader(velquora::ReadDisplayScreen);  // for desktop-snapshot backgrounds
  velquora::mci::SetBackend(velquora::mci::Backend::Real);  // sound for the user to hear
  velquora::TSaverSettings settings(velquora::ProcessRegistry(), velquora::ScenePlayerFailed);
  velquora::TSaverPassword password(velquora::ProcessRegistry(), velquora::SystemModules());
  velquora::SceneOperations scene{[](velquora::TVelquoraScene& played) { played.Step(); },
                                  [](velquora::TVelquoraScene& played) { played.Restart(); }};
  velquora::WindowFrontEnd front_end(windows, settings, &password, scene, std::cerr, embed);
  front_end.ReportSteps = options.ReportSteps;
  velquora::HostServices services{settings, front_end, velquora::SystemTemporaryDirectory()};
  std::vector<std::string> arguments = options.SaverArguments;
  if (embed != velquora::kNoWindow) arguments = {"/s"};
  return velquora::RunSaverProcess(velquora::Host(), saver_path, arguments, services);
}

int RunSaver(const std::string& saver_path, const velquora::ToolOptions& options) {
  const velquora::WindowHandle embed = EmbedWindow(options);
  std::unique_ptr<velquora::WindowBackend> display = velquora::OpenDisplayBackend();
  if (!display) {
    if (embed != velquora::kNoWindow || options.EmbedWindow) {
      throw velquora::EToolOptionError("playing into another window needs a display");
    }
    return RunHeadless(saver_path, options);
  }
  return RunOnDisplay(std::move(display), saver_path, options, embed);
}
}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  velquora::ToolOptions options;
  try {
    options = velquora::ParseToolOptions(arguments);
    if (options.Help) {
      std::cout << velquora::ToolOptionsHelp();
      return 0;
    }
    ApplyToolOptions(options);
  } catch (const velquora::Exception& error) {
    std::cerr << "velquora-saver: " << error.what() << " (see --help)\n";
    return kUsageError;
  }

  const std::string saver_path =
      options.SaverFile ? *options.SaverFile : velquora::RunningProgramPath(argc > 0 ? argv[0] : "");
  if (options.DumpScene) return velquora::RunSceneDump(saver_path, options.Size, std::cout);
  if (options.DumpDialog) return RunDialogDumpMode(saver_path, *options.DumpDialog);
  if (options.TraceSteps || options.RenderDirectory) return RunPlaybackMode(saver_path, options);
  if (options.Thumbnail) return velquora::RunThumbnail(saver_path, *options.Thumbnail, options.Size);
  if (options.RecordFile) return RunRecordMode(saver_path, options);
  try {
    return RunSaver(saver_path, options);
  } catch (const velquora::EToolOptionError& error) {
    std::cerr << "velquora-saver: " << error.what() << " (see --help)\n";
    return kUsageError;
  }
}
