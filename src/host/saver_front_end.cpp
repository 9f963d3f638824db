#include "host/saver_front_end.h"

#include <ostream>

#include "host/password.h"
#include "platform/system/module_loader.h"

namespace velquora {

bool HeadlessFrontEnd::RunFullScreen(HostState& host) {
  notes_ << "velquora-saver: " << HostModeName(host.Mode)
         << " mode: the scene loads, but this build has no saver window to play it in\n";
  return false;
}

bool HeadlessFrontEnd::RunPreview(HostState& /*host*/, WindowHandle parent) {
  notes_ << "velquora-saver: Preview mode: this build has no preview window to show in window " << parent
         << "\n";
  return false;
}

void HeadlessFrontEnd::RunSettingsDialog(HostState& host) {
  notes_ << "velquora-saver: " << HostModeName(host.Mode)
         << " mode: the scene loads, but this build has no settings dialog\n";
}

void HeadlessFrontEnd::ChangePassword(HostState& host) {
  ChangeSaverPassword(host, SystemModules());  // the system's change dialog, where it has one
  notes_ << "velquora-saver: ChangePassword mode: there is no saver password to change on this system\n";
}

}  // namespace velquora
