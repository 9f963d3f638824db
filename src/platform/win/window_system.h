#pragma once
// Windows and messages for the saver: window classes with their window procedures,
// pop-up and child windows, one message queue with posted and input messages, timers,
// the quit message, cursor visibility and a device context per window. A back end
// (SDL on a display, or the headless one with a virtual clock for tests) supplies the
// clock, the real windows, their input and the screen; this class holds the rules.
//
// Every window owns a picture of its client area. Drawing goes into it through
// GetDC; what was drawn while a message was handled reaches the screen in one piece
// once DispatchMessage returns, so a Step never shows half drawn. Only rows that differ
// from the picture shown before are sent, so a still scene costs next to nothing.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/geometry.h"
#include "platform/gdi/bitmap.h"
#include "platform/win/messages.h"

namespace velquora {

using WindowProcedure = std::function<LRESULT(WindowHandle, UINT, WPARAM, LPARAM)>;

enum class CursorShape { None, Arrow };

struct TWindowClass {
  std::uint32_t Style = 0;
  WindowProcedure Procedure;
  CursorShape Cursor = CursorShape::None;
  std::string ClassName;
};

// What a back end creates: a full-screen pop-up, a child inside another program's
// window, or the other program's window itself (drawn into, its input left alone).
enum class NativeWindowKind { Popup, Child, Foreign };

struct NativeWindowRequest {
  NativeWindowKind Kind = NativeWindowKind::Popup;
  WindowHandle Parent = kNoWindow;  // Child: the window it goes in; Foreign: the window itself
  Rect Bounds;                      // position in the parent (or on the screen) and size
  bool TopMost = false;
  std::string Title;
};

class WindowBackend {
public:
  virtual ~WindowBackend() = default;
  // Milliseconds of a monotonic clock.
  virtual std::uint64_t Now() = 0;
  // Creates the native window; kNoWindow when it cannot.
  virtual WindowHandle Create(const NativeWindowRequest& request) = 0;
  virtual void Destroy(WindowHandle window) = 0;
  // The client rectangle (left and top 0) of any window, ours or another program's;
  // empty when there is no such window.
  virtual std::optional<Rect> ClientRect(WindowHandle window) = 0;
  // Shows the window's picture on screen; only the rectangles in changed (bands of
  // consecutive rows, top to bottom within each part drawn) differ from what was shown
  // before.
  virtual void Present(WindowHandle window, const TBitmap& picture, const std::vector<Rect>& changed) = 0;
  virtual void SetCursorVisible(WindowHandle window, bool visible) = 0;
  // Waits at most timeout milliseconds (nullopt: as long as it takes) for input and
  // appends what arrived as messages. False when nothing can ever arrive (a headless
  // back end with nothing to wait for).
  virtual bool WaitForInput(std::optional<std::uint32_t> timeout, std::vector<TMsg>& input) = 0;
};

// A window's device context: drawing on Bitmap() goes to the window and is shown when
// the message being handled is done. Release happens when this goes out of scope.
class TWindowDeviceContext {
public:
  // Told on release where the context drew: the noted parts, or null when it may have
  // drawn anywhere.
  using ReleaseAction = std::function<void(const std::vector<Rect>* drawn)>;

  TWindowDeviceContext(TBitmap& surface, ReleaseAction on_release)
      : surface_(&surface), on_release_(std::move(on_release)) {}
  ~TWindowDeviceContext() {
    if (on_release_) on_release_(drawn_ ? &*drawn_ : nullptr);
  }
  TWindowDeviceContext(TWindowDeviceContext&& other) noexcept
      : surface_(other.surface_), on_release_(std::exchange(other.on_release_, nullptr)),
        drawn_(std::move(other.drawn_)) {}
  TWindowDeviceContext(const TWindowDeviceContext&) = delete;
  TWindowDeviceContext& operator=(const TWindowDeviceContext&) = delete;
  TWindowDeviceContext& operator=(TWindowDeviceContext&&) = delete;

  TBitmap& Bitmap() const { return *surface_; }

  // A promise that all drawing through this context stays inside the parts noted: the
  // window then looks for changes only there. The first call makes the promise (an
  // empty part notes nothing more: nothing drawn at all); without one, any pixel may
  // have changed.
  void NoteDrawn(const Rect& part) {
    if (!drawn_) drawn_.emplace();
    if (!part.IsEmpty()) drawn_->push_back(part);
  }

private:
  TBitmap* surface_;
  ReleaseAction on_release_;
  std::optional<std::vector<Rect>> drawn_;
};

class TWindowSystem {
public:
  explicit TWindowSystem(std::unique_ptr<WindowBackend> backend);
  ~TWindowSystem();
  TWindowSystem(const TWindowSystem&) = delete;
  TWindowSystem& operator=(const TWindowSystem&) = delete;

  WindowBackend& Backend() { return *backend_; }

  // False when a class of that name exists already.
  bool RegisterClass(const TWindowClass& window_class);
  // False when there is no such class or a window of it still exists.
  bool UnregisterClass(const std::string& class_name);
  // Creates a window of a registered class and sends it WM_CREATE (a result of -1
  // destroys it again). WS_POPUP windows are full-screen pop-ups at the given bounds,
  // WS_CHILD windows go inside parent. kNoWindow on failure.
  WindowHandle CreateWindowEx(std::uint32_t ex_style, const std::string& class_name, const std::string& title,
                              std::uint32_t style, const Rect& bounds, WindowHandle parent);
  // Plays into another program's window at its own size (the window stays theirs).
  WindowHandle AdoptForeignWindow(const std::string& class_name, WindowHandle foreign);
  // Sends WM_DESTROY, stops the window's timers and removes it. False for no window.
  bool DestroyWindow(WindowHandle window);
  bool IsWindow(WindowHandle window) const;
  std::optional<Rect> GetClientRect(WindowHandle window);

  // Starts or restarts a timer; WM_TIMER with wParam = id arrives every period ms. The
  // period is held within 10 ms .. 0x7FFFFFFF ms, so a zero or negative period from a
  // stored setting cannot make the loop spin.
  bool SetTimer(WindowHandle window, WPARAM id, std::int64_t period);
  bool KillTimer(WindowHandle window, WPARAM id);
  std::optional<std::uint32_t> TimerPeriod(WindowHandle window, WPARAM id) const;

  // Queues a message; messages for windows that are gone are dropped when they come up.
  bool PostMessage(WindowHandle window, UINT message, WPARAM w_param = 0, LPARAM l_param = 0);
  void PostQuitMessage(int exit_code);
  // Whether such a message waits in the queue (or the quit message, for WM_QUIT).
  bool HasPosted(WindowHandle window, UINT message) const;
  // Calls the window procedure at once.
  LRESULT SendMessage(WindowHandle window, UINT message, WPARAM w_param = 0, LPARAM l_param = 0);

  // The next message: posted and input messages in order of arrival, then a due timer.
  // Waits when there is none. False for the quit message, or when nothing can ever come.
  bool GetMessage(TMsg& message);
  // Queues WM_CHAR (WM_SYSCHAR) right behind a key-down that produces a character.
  void TranslateMessage(const TMsg& message);
  // Hands the message to its window's procedure, then shows what it drew.
  LRESULT DispatchMessage(const TMsg& message);
  // The default procedure: WM_CLOSE destroys the window; everything else gives 0.
  LRESULT DefWindowProc(WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param);
  int QuitCode() const { return quit_code_; }

  // The display counter: the cursor shows while it is 0 or more (and the class has one).
  int ShowCursor(bool show);

  // The device context of the window; empty for no window.
  std::optional<TWindowDeviceContext> GetDC(WindowHandle window);
  // Chooses the palette that the window's colours map to; the number of entries that
  // changed against the palette realised before.
  int RealizePalette(WindowHandle window, const std::vector<PaletteEntry>& palette);

private:
  struct Window;
  struct Timer {
    std::uint32_t period = 0;
    std::uint64_t due = 0;
  };

  Window* Find(WindowHandle window);
  const Window* Find(WindowHandle window) const;
  WindowHandle Install(const TWindowClass& window_class, WindowHandle handle, const Rect& client);
  std::optional<TMsg> DueTimer();
  std::optional<std::uint32_t> TimeToNextTimer();
  void PresentDrawnWindows();
  void UpdateCursor();

  std::unique_ptr<WindowBackend> backend_;
  std::map<std::string, TWindowClass> classes_;
  std::map<WindowHandle, std::unique_ptr<Window>> windows_;
  std::map<std::pair<WindowHandle, WPARAM>, Timer> timers_;
  std::deque<TMsg> queue_;
  bool quit_posted_ = false;
  int quit_code_ = 0;
  int cursor_counter_ = 0;
};

// The window system of the process, through which drawing code reaches a window by
// its handle; nullptr when none is installed (headless tools).
TWindowSystem* InstalledWindowSystem();
// Installs a window system for the lifetime of this object.
class ScopedWindowSystem {
public:
  explicit ScopedWindowSystem(TWindowSystem& system);
  ~ScopedWindowSystem();
  ScopedWindowSystem(const ScopedWindowSystem&) = delete;
  ScopedWindowSystem& operator=(const ScopedWindowSystem&) = delete;

private:
  TWindowSystem* previous_;
};

}  // namespace velquora
