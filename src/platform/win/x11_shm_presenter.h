#pragma once
// Shows pictures in X windows through memory shared with the X server, on a connection
// of its own. Each picture goes out without waiting for the server to take it: the
// server reports when it has read the shared memory, and the report is collected only
// when the memory is about to be written again, a Step later. Waiting for the server
// after every picture would put the saver to sleep and wake it again at every Step.
// A window's picture may itself live in the shared memory (NewPicture): drawing on it
// then draws where the server reads, and presenting copies nothing.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "platform/gdi/bitmap.h"
#include "platform/win/window_handle.h"

namespace velquora {

class TX11ShmPresenter {
public:
  // Connects to the display ("" for $DISPLAY); nullptr when it does not answer or shares
  // no memory with this process (a display on another machine).
  static std::unique_ptr<TX11ShmPresenter> Open(const std::string& display = "");
  ~TX11ShmPresenter();
  TX11ShmPresenter(const TX11ShmPresenter&) = delete;
  TX11ShmPresenter& operator=(const TX11ShmPresenter&) = delete;

  // Shows a Bits32 picture in a window of the given size: the parts drawn since the last
  // one, or what differs from the last one anywhere when anywhere (the shared memory
  // holds the last picture, so that it is what the picture is compared with), or all of
  // it when whole (the window was resized or shown again). False when this
  // window cannot be served (its pixels are not laid out as the picture's, the memory
  // cannot be shared): the caller shows the picture its own way.
  // A picture made by NewPicture goes without a copy: only which parts to read is sent.
  bool Present(WindowHandle window, int width, int height, const TBitmap& picture, bool anywhere,
               const std::vector<Rect>& parts, bool whole);
  // A white picture of the window's size drawing in the memory shared with the server;
  // nullopt when the window cannot be served so.
  std::optional<TBitmap> NewPicture(WindowHandle window, int width, int height);
  // Returns once the server has read what was sent of the window's shared memory, so
  // that a picture drawing in it may be drawn on (after at most the completion wait).
  void BeforeDrawing(WindowHandle window);
  // Shows the last picture again (the window was uncovered); false when there is none.
  bool Repaint(WindowHandle window);
  // Lets go of the window's shared memory (the window is going).
  void Forget(WindowHandle window);

private:
  struct Connection;
  struct Target;
  explicit TX11ShmPresenter(std::unique_ptr<Connection> connection);
  std::unique_ptr<Connection> connection_;
};

}  // namespace velquora
