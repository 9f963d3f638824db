#pragma once
// The window back end on a display: SDL2 over X11. Pop-ups are borderless top-most
// windows covering the screen; children are X windows made inside another program's
// window and handed to SDL; another program's window (a screen-saver daemon's, or the
// root window) is drawn into as it is, its input left to its owner. A second X
// connection watches those windows so that the loop learns when their owner destroys
// them. Handles are X window ids.
#include <memory>
#include <optional>
#include <string>

#include "platform/win/message_box.h"
#include "platform/win/window_system.h"

namespace velquora {

// The SDL back end when a display can be opened ($DISPLAY set, SDL's video starts);
// nullptr otherwise. Also installs the screen size and colour depth queries.
std::unique_ptr<WindowBackend> OpenDisplayBackend();

// Message boxes as SDL's message box; stderr and the default button when SDL cannot
// show one.
class SdlMessageBoxes : public MessageBoxes {
public:
  MessageBoxResult Show(const MessageBoxRequest& request) override;
};

// The root window of the display's default screen; kNoWindow without a display.
WindowHandle RootWindowOfDisplay();

// $XSCREENSAVER_WINDOW: the window a screen-saver daemon gives its hacks to draw in.
std::optional<std::string> DaemonWindowVariable();

}  // namespace velquora
