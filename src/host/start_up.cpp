#include "host/start_up.h"

#include <memory>
#include <utility>

#include "host/integrity_check.h"
#include "host/mode_choice.h"
#include "platform/system/resource_probe.h"
#include "host/scene_load.h"
#include "host/temp_cleanup.h"
#include "platform/system/display_info.h"
#include "platform/system/temp_files.h"

namespace velquora {

namespace {
constexpr int kExitCode = 0;
constexpr const char* kSaverMarkerSuffix = "_SS";
constexpr int kPaletteColorBits = 8;

// Program, Run and Show: validate the file with a scene loaded without sprites, then
// play a fresh scene, which the saver window loads in full at its first tick.
void RunFullScreenMode(HostState& host, HostServices& services) {
  host.Scene = std::make_unique<TVelquoraScene>();
  host.Scene->LoadSprites = false;
  if (LoadSceneAndSettings(host, services.Settings) == LoadStepOutcome::EndProcess) return;
  host.Scene.reset();

  host.SaverClassCursor = host.Mode == HostMode::Run ? ClassCursor::None : ClassCursor::Arrow;
  host.Scene = std::make_unique<TVelquoraScene>();
  services.FrontEnd.RunFullScreen(host);
  services.Settings.Save(host);  // whether or not the window was created
  host.Scene.reset();
}

void RunPreviewMode(HostState& host, HostServices& services) {
  host.Scene = std::make_unique<TVelquoraScene>();
  host.Scene->ScreenWidth = 640;
  host.Scene->ScreenHeight = 480;
  // The class cursor is asked of the program's own module, which has none.
  host.SaverClassCursor = ClassCursor::None;
  const WindowHandle parent = ParseWindowHandle(host.Argument(2));
  if (parent != kNoWindow && services.FrontEnd.RunPreview(host, parent)) services.Settings.Save(host);
  host.Scene.reset();
}

void RunSettingsMode(HostState& host, HostServices& services) {
  host.SaverClassCursor = ClassCursor::Arrow;
  host.Scene = std::make_unique<TVelquoraScene>();
  host.Scene->LoadSprites = false;  // the dialog needs only the scene-level data
  if (LoadSceneAndSettings(host, services.Settings) == LoadStepOutcome::EndProcess) return;
  services.FrontEnd.RunSettingsDialog(host);
  host.Scene.reset();
}
}  // namespace

int RunSaverProcess(HostState& host, std::string program_path, std::vector<std::string> arguments,
                    HostServices& services) {
  AppendToTemporaryFileMarker(kSaverMarkerSuffix);
  host.ProgramPath = std::move(program_path);
  host.Arguments = std::move(arguments);
  InitializeResourceProbe();
  if (CheckSaverFile(host, services.Settings)) StartUp(host, services);
  return kExitCode;
}

void StartUp(HostState& host, HostServices& services) {
  const auto color_bits = ScreenColorBits();
  SetPaletteDisplay(color_bits.has_value() && *color_bits <= kPaletteColorBits);
  host.Mode = ChooseHostMode(host.ProgramPath, host.Arguments);
  CleanTemporaryDirectory(services.TemporaryDirectory, TemporaryFileMarker());
  Dispatch(host, services);
}

void Dispatch(HostState& host, HostServices& services) {
  switch (host.Mode) {
    case HostMode::Program:
    case HostMode::Run:
    case HostMode::Show:
      RunFullScreenMode(host, services);
      break;
    case HostMode::Preview:
      RunPreviewMode(host, services);
      break;
    case HostMode::Settings:
    case HostMode::SettingsNoSave:
      RunSettingsMode(host, services);
      break;
    case HostMode::ChangePassword:
      services.FrontEnd.ChangePassword(host);
      break;
  }
}

}  // namespace velquora
