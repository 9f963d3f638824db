#pragma once
// A separate X11 client beside the saver: it makes windows of its own (as the host of a
// preview or a screen-saver daemon does), reads back what is on a window or on the
// screen. Used for the desktop snapshot and by tests that run the saver on a virtual
// X server.
#include <memory>
#include <optional>
#include <string>

#include "core/geometry.h"
#include "platform/gdi/bitmap.h"
#include "platform/win/window_handle.h"

namespace velquora {

class TX11Client {
public:
  // Connects to the display ("" for $DISPLAY); nullptr when it does not answer.
  static std::unique_ptr<TX11Client> Connect(const std::string& display);
  ~TX11Client();
  TX11Client(const TX11Client&) = delete;
  TX11Client& operator=(const TX11Client&) = delete;

  WindowHandle Root() const;
  // A mapped top-level window with a black background; kNoWindow on failure.
  WindowHandle CreateWindow(const Rect& bounds);
  void DestroyWindow(WindowHandle window);
  // The window's pixels as a Bits32 bitmap (the root window for the screen).
  std::optional<TBitmap> Capture(WindowHandle window);
  // Windows whose parent is the given one (the preview's child, for instance).
  int ChildCount(WindowHandle window);
  // The first top-level window with this title; kNoWindow when there is none.
  WindowHandle FindTopLevel(const std::string& title);

private:
  struct Connection;
  explicit TX11Client(std::unique_ptr<Connection> connection);
  std::unique_ptr<Connection> connection_;
};

// Copies the screen's top-left area into target, as far as both reach; false without a
// display. Suits SetScreenReader.
bool ReadDisplayScreen(TBitmap& target);

}  // namespace velquora
