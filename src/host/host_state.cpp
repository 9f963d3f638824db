#include "host/host_state.h"

namespace velquora {

std::string_view HostModeName(HostMode mode) {
  switch (mode) {
    case HostMode::Program: return "Program";
    case HostMode::Preview: return "Preview";
    case HostMode::Run: return "Run";
    case HostMode::Settings: return "Settings";
    case HostMode::ChangePassword: return "ChangePassword";
    case HostMode::SettingsNoSave: return "SettingsNoSave";
    case HostMode::Show: return "Show";
  }
  return "Unknown";
}

std::string HostState::Argument(std::size_t n) const {
  if (n == 0) return ProgramPath;
  return n <= Arguments.size() ? Arguments[n - 1] : std::string();
}

HostState& Host() {
  static HostState state;
  return state;
}

}  // namespace velquora
