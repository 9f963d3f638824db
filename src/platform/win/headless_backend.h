#pragma once
// The window back end without a display: a virtual clock that only moves when the
// message loop waits (or a test advances it), windows that exist only as records, and
// input that a test scripts. Everything shown is kept for the test to look at.
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/win/window_system.h"

namespace velquora {

class HeadlessBackend : public WindowBackend {
public:
  struct NativeWindow {
    NativeWindowRequest Request;
    bool CursorVisible = true;
    int Presented = 0;          // pictures shown
    TBitmap LastPicture;        // the last picture shown
    std::vector<Rect> LastChanged;  // the bands sent with it
  };

  std::uint64_t Now() override { return now_; }
  WindowHandle Create(const NativeWindowRequest& request) override;
  void Destroy(WindowHandle window) override;
  std::optional<Rect> ClientRect(WindowHandle window) override;
  void Present(WindowHandle window, const TBitmap& picture, const std::vector<Rect>& changed) override;
  void SetCursorVisible(WindowHandle window, bool visible) override;
  // Delivers the scripted input that is due by then, moving the clock to the earlier of
  // the next input and the timeout. False when there is no timeout and no input left.
  bool WaitForInput(std::optional<std::uint32_t> timeout, std::vector<TMsg>& input) override;

  void Advance(std::uint64_t milliseconds) { now_ += milliseconds; }
  // Input that arrives at the given time on the clock.
  void ScheduleInput(std::uint64_t at, const TMsg& message);
  // A window of another program (a preview host or a screen-saver daemon's window).
  WindowHandle AddForeignWindow(const Rect& client);
  void RemoveForeignWindow(WindowHandle window) { foreign_.erase(window); }
  // Reports the window as gone, as when its owner destroys it.
  void LoseWindow(WindowHandle window, std::uint64_t at);
  // Windows that Create refuses (none by default).
  bool RefuseWindows = false;

  const NativeWindow* Find(WindowHandle window) const;
  const std::map<WindowHandle, NativeWindow>& Windows() const { return windows_; }
  int Destroyed() const { return destroyed_; }

private:
  std::uint64_t now_ = 1000;
  WindowHandle next_handle_ = 0x100;
  std::map<WindowHandle, NativeWindow> windows_;
  std::map<WindowHandle, Rect> foreign_;
  std::multimap<std::uint64_t, TMsg> scripted_;
  int destroyed_ = 0;
};

}  // namespace velquora
