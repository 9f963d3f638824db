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
    NativeWindowRequest Request;  // Request.Bounds and Request.Visible follow Move and Show
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
  void Show(WindowHandle window, bool visible) override;
  void Move(WindowHandle window, const Rect& bounds) override;
  void Raise(WindowHandle window) override { raised_ = window; }
  int Dpi() override { return DisplayDpi; }
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
  // The resolution the display reports.
  int DisplayDpi = 96;

  // Synthetic input at the current time, as a person at the display would give it.
  // A key press (WM_KEYDOWN with the virtual key); with shift, wrapped in the shift
  // key's own down and up.
  void InjectKey(WindowHandle window, WPARAM virtual_key, bool shift = false);
  // A mouse message (WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE) at client coordinates
  // of the window (a move carries MK_LBUTTON while the button is down).
  void InjectMouse(WindowHandle window, UINT message, int x, int y);
  // A press and release of the left button at one place.
  void InjectClick(WindowHandle window, int x, int y);
  // The window manager's close button on the window's title bar.
  void InjectClose(WindowHandle window);
  // The window brought to the top last.
  WindowHandle Raised() const { return raised_; }

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
  bool button_down_ = false;
  WindowHandle raised_ = kNoWindow;
};

}  // namespace velquora
