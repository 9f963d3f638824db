#include "host/saver_front_end.h"

#include <ostream>
#include <utility>

#include "host/password.h"
#include "host/preview.h"
#include "host/saver_window.h"
#include "host/scene_load.h"
#include "host/settings_dialog.h"
#include "platform/system/module_loader.h"

namespace velquora {

bool HeadlessFrontEnd::RunFullScreen(HostState& host) {
  notes_ << "velquora-saver: " << HostModeName(host.Mode)
         << " mode: the scene loads, but there is no display to play it on (is DISPLAY set?)\n";
  return false;
}

bool HeadlessFrontEnd::RunPreview(HostState& /*host*/, WindowHandle parent) {
  notes_ << "velquora-saver: Preview mode: there is no display to show window " << parent
         << "\n";
  return false;
}

void HeadlessFrontEnd::RunSettingsDialog(HostState& host) {
  notes_ << "velquora-saver: " << HostModeName(host.Mode)
         << " mode: the scene loads, but there is no display to show the settings dialog on (is DISPLAY set?)\n";
}

void HeadlessFrontEnd::ChangePassword(HostState& host) {
  if (ChangeSaverPassword(host, SystemModules())) return;  // the system's change dialog
  notes_ << "velquora-saver: ChangePassword mode: there is no saver password to change on this system\n";
}

WindowFrontEnd::WindowFrontEnd(TWindowSystem& windows, HostSettings& settings, TSaverPassword* password,
                               SceneOperations scene, std::ostream& notes, WindowHandle embed)
    : windows_(windows),
      settings_(settings),
      password_(password),
      scene_(std::move(scene)),
      notes_(notes),
      headless_(notes),
      embed_(embed) {}

SaverWindowServices WindowFrontEnd::Services() {
  SaverWindowServices services{windows_, {}, scene_.Step, password_, {}};
  services.LoadScene = [this](HostState& host) { LoadSceneAndSettings(host, settings_); };
  services.ShowAbout = [this](HostState& host, WindowHandle parent) {
    DialogServices dialogs{windows_, settings_};
    ShowAboutDialog(host, dialogs, parent);
  };
  return services;
}

void WindowFrontEnd::RunSettingsDialog(HostState& host) {
  DialogServices dialogs{windows_, settings_};
  ShowSettingsDialog(host, dialogs);
}

bool WindowFrontEnd::RunFullScreen(HostState& host) {
  const bool shown = RunSaverWindow(host, Services(), scene_.Restart, embed_);
  Report(host, shown);
  return shown;
}

bool WindowFrontEnd::RunPreview(HostState& host, WindowHandle parent) {
  const bool shown = RunPreviewWindow(host, Services(), parent);
  Report(host, shown);
  return shown;
}

std::string SoundReport(const TVelquoraScene& scene) {
  const TMediaPlayer* player = scene.Player.get();
  std::string report = scene.SoundEnabled ? "sound on" : "sound off";
  report += player != nullptr && player->Failed ? ", player failed, " : ", player ok, ";
  if (player == nullptr || player->FileName.empty()) return report + "no sound started";
  return report + "last sound " + AnsiToUtf8(player->FileName);
}

void WindowFrontEnd::Report(const HostState& host, bool shown) {
  if (!ReportSteps || !shown || !host.Scene) return;
  notes_ << "velquora-saver: played " << host.Scene->StepCount << " steps\n";
  notes_ << "velquora-saver: " << SoundReport(*host.Scene) << "\n";
}

}  // namespace velquora
