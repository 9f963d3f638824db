#pragma once
// The host's process-wide state: what this process does, the saver file it plays, the
// one scene and the windows that show it. One process plays one scene.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"
#include "platform/win/window_handle.h"
#include "playback/scene.h"

namespace velquora {

// What the process does; the numbers are internal.
enum class HostMode : std::uint8_t {
  Program = 0,         // started as a program: full-screen play, arrow cursor, settings untouched
  Preview = 1,         // live preview inside the host window given in argument 2
  Run = 2,             // full-screen screen saver: hidden cursor, password check on closing
  Settings = 3,        // settings dialog; OK stores the settings
  ChangePassword = 4,  // the saver password change dialog
  SettingsNoSave = 5,  // settings dialog whose OK stores nothing
  Show = 6,            // full-screen play like Program
};

std::string_view HostModeName(HostMode mode);

// The saver window class's cursor, chosen per mode before the class is registered.
enum class ClassCursor { None, Arrow };

struct HostState {
  HostMode Mode = HostMode::Program;              // set during start-up
  std::string ProgramPath;                        // the saver file: argument 0 of the command line
  std::vector<std::string> Arguments;             // the saver's arguments 1, 2, ...
  std::unique_ptr<TVelquoraScene> Scene;          // the one scene, owned
  WindowHandle SaverWindow = kNoWindow;           // the saver window or the open settings dialog
  WindowHandle AboutDialog = kNoWindow;           // the about dialog while it is open; the saver
                                                  // window ignores every message meanwhile
  Rect PreviewRect;                               // preview only: client rectangle of the host window
  ClassCursor SaverClassCursor = ClassCursor::None;

  // Argument n of the saver's command line (1-based; 0 is ProgramPath); empty when absent.
  std::string Argument(std::size_t n) const;
};

// The state of this process.
HostState& Host();

}  // namespace velquora
