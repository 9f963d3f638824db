#include "platform/win/sdl_backend.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <map>
#include <utility>

#include "platform/system/display_info.h"
#include "platform/win/x11_shm_presenter.h"
#include "platform/win/x_errors.h"

namespace velquora {

namespace {

constexpr std::uint32_t kIdleWaitChunk = 100;  // ms between looks at the watching connection
// The longest time SDL goes unasked for its events while nothing arrives: its own timers
// run on this (a change of focus reaches the window a moment after it happened).
constexpr std::uint64_t kSdlPumpInterval = 500;

// Another program may destroy the window the saver draws in at any moment (the preview's
// host, the daemon); drawing that is already on its way then fails with BadWindow or
// BadDrawable. Such errors are expected: the watching connection reports the loss and
// the window goes. Xlib's default would end the process.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// A window that another program (or SDL itself, waking its event loop) still names after
// it is gone must not end the process through the default handler, which exits.
void KeepIgnoringXErrors() { XSetErrorHandler(IgnoreXError); }

// SDL turns SIGINT and SIGTERM into SDL_QUIT, but its handler only notes the signal for
// its next look at events, and the wait looks at SDL only when something arrives. Ours
// also writes a byte to a pipe that the wait watches, whichever thread takes the signal,
// and hands the signal on to SDL's.
int g_signal_pipe[2] = {-1, -1};
struct sigaction g_sdl_interrupt_handler {};
struct sigaction g_sdl_terminate_handler {};

void WakeOnSignal(int signal);

struct sigaction WakingHandler() {
  struct sigaction ours {};
  ours.sa_handler = WakeOnSignal;
  sigemptyset(&ours.sa_mask);
  ours.sa_flags = SA_RESTART;
  return ours;
}

bool IsPlainHandler(const struct sigaction& action) {
  return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN;
}

void WakeOnSignal(int signal) {
  const int saved_errno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(g_signal_pipe[1], &byte, 1);
  const struct sigaction& sdl = signal == SIGINT ? g_sdl_interrupt_handler : g_sdl_terminate_handler;
  if (IsPlainHandler(sdl)) {
    sdl.sa_handler(signal);
    const struct sigaction ours = WakingHandler();  // SDL's handler puts itself back
    sigaction(signal, &ours, nullptr);
  }
  errno = saved_errno;
}

// Puts ours in front of SDL's handlers while it lives; nothing when SDL installed none.
class SignalWakeup {
public:
  SignalWakeup() {
    if (g_signal_pipe[0] >= 0 || pipe2(g_signal_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return;
    const struct sigaction ours = WakingHandler();
    for (auto [signal, sdl] : {std::pair{SIGINT, &g_sdl_interrupt_handler}, std::pair{SIGTERM, &g_sdl_terminate_handler}}) {
      sigaction(signal, nullptr, sdl);
      if (IsPlainHandler(*sdl)) sigaction(signal, &ours, nullptr);
    }
    owner_ = true;
  }
  ~SignalWakeup() {
    if (!owner_) return;
    for (auto [signal, sdl] : {std::pair{SIGINT, &g_sdl_interrupt_handler}, std::pair{SIGTERM, &g_sdl_terminate_handler}}) {
      if (IsPlainHandler(*sdl)) sigaction(signal, sdl, nullptr);
    }
    close(g_signal_pipe[0]);
    close(g_signal_pipe[1]);
    g_signal_pipe[0] = g_signal_pipe[1] = -1;
  }
  SignalWakeup(const SignalWakeup&) = delete;
  SignalWakeup& operator=(const SignalWakeup&) = delete;

  int Fd() const { return owner_ ? g_signal_pipe[0] : -1; }  // -1: poll skips it

  // True when a signal came since the last call.
  bool Take() const {
    if (!owner_) return false;
    bool came = false;
    char bytes[16];
    while (read(g_signal_pipe[0], bytes, sizeof bytes) > 0) came = true;
    return came;
  }

private:
  bool owner_ = false;
};

WPARAM VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_1 + 1;
    case SDLK_COMMA: return VK_OEM_1 + 2;
    case SDLK_MINUS: return VK_OEM_1 + 3;
    case SDLK_PERIOD: return VK_OEM_1 + 4;
    case SDLK_SLASH: return VK_OEM_1 + 5;
    case SDLK_BACKQUOTE: return VK_OEM_1 + 6;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0xFF;  // a key the saver knows no code for: no character
  }
}

class SdlBackend : public WindowBackend {
public:
  SdlBackend(Display* watcher, std::unique_ptr<TX11ShmPresenter> presenter)
      : watcher_(watcher), presenter_(std::move(presenter)) {}
  ~SdlBackend() override {
    for (auto& [handle, window] : windows_) Release(handle, window);
    XCloseDisplay(watcher_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);  // the shared sound output keeps SDL's audio part
  }

  std::uint64_t Now() override { return SDL_GetTicks64(); }

  WindowHandle Create(const NativeWindowRequest& request) override {
    sdl_due_ = true;
    switch (request.Kind) {
      case NativeWindowKind::Popup: return CreatePopup(request);
      case NativeWindowKind::Child: return CreateChild(request);
      case NativeWindowKind::Foreign: return Adopt(request.Parent, false, true);
      case NativeWindowKind::Dialog: return CreateDialogWindow(request);
    }
    return kNoWindow;
  }

  void Destroy(WindowHandle window) override {
    sdl_due_ = true;
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    Release(window, found->second);
    windows_.erase(found);
  }

  std::optional<Rect> ClientRect(WindowHandle window) override {
    watcher_due_ = true;  // the reply may come after events
    XWindowAttributes attributes{};
    Status status = 0;
    const bool answered = WithoutXErrors(
        watcher_, [&] { status = XGetWindowAttributes(watcher_, static_cast<Window>(window), &attributes); });
    if (status == 0 || !answered) return std::nullopt;
    return Rect{0, 0, attributes.width, attributes.height};
  }

  bool PresentChanges(WindowHandle window, const TBitmap& picture, bool anywhere,
                      const std::vector<Rect>& parts) override {
    const auto found = windows_.find(window);
    if (presenter_ == nullptr || found == windows_.end()) return false;
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(found->second.Sdl, &width, &height);
    const bool whole = std::exchange(found->second.SendWhole, false);
    return presenter_->Present(window, width, height, picture, anywhere, parts, whole);
  }

  TBitmap NewSurface(WindowHandle window, int width, int height) override {
    if (presenter_ != nullptr && windows_.contains(window)) {
      if (std::optional<TBitmap> shared = presenter_->NewPicture(window, width, height)) return std::move(*shared);
    }
    return TBitmap(width, height);
  }

  void BeforeDrawing(WindowHandle window) override {
    if (presenter_ != nullptr) presenter_->BeforeDrawing(window);
  }

  void Present(WindowHandle window, const TBitmap& picture, const std::vector<Rect>& changed) override {
    sdl_due_ = true;
    const auto found = windows_.find(window);
    if (found == windows_.end() || picture.Format() != PixelFormat::Bits32) return;
    SDL_Surface* surface = SDL_GetWindowSurface(found->second.Sdl);
    if (surface == nullptr) return;
    const int width = std::min(surface->w, picture.Width());
    const int height = std::min(surface->h, picture.Height());
    if (width <= 0 || height <= 0) return;
    if (found->second.Shown != surface) {  // a new surface shows nothing yet: send it all
      found->second.Shown = surface;
      SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, picture.ScanLine(0), picture.Stride(),
                        surface->format->format, surface->pixels, surface->pitch);
      SDL_UpdateWindowSurface(found->second.Sdl);
      return;
    }
    std::vector<SDL_Rect> rects;
    const int bytes_per_pixel = surface->format->BytesPerPixel;
    for (const Rect& band : changed) {
      const int top = std::clamp(band.Top, 0, height);
      const int bottom = std::clamp(band.Bottom, 0, height);
      const int left = std::clamp(band.Left, 0, width);
      const int right = std::clamp(band.Right, 0, width);
      if (bottom <= top || right <= left) continue;
      auto* pixels = static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(top) * surface->pitch +
                     static_cast<std::ptrdiff_t>(left) * bytes_per_pixel;
      SDL_ConvertPixels(right - left, bottom - top, SDL_PIXELFORMAT_RGB888, picture.ScanLine(top) + left * 4,
                        picture.Stride(), surface->format->format, pixels, surface->pitch);
      rects.push_back(SDL_Rect{left, top, right - left, bottom - top});
    }
    if (!rects.empty()) SDL_UpdateWindowSurfaceRects(found->second.Sdl, rects.data(), static_cast<int>(rects.size()));
  }

  void Show(WindowHandle window, bool visible) override {
    sdl_due_ = true;
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    if (visible) {
      SDL_ShowWindow(found->second.Sdl);
      found->second.Shown = nullptr;  // the next picture goes whole
      found->second.SendWhole = true;
    } else {
      SDL_HideWindow(found->second.Sdl);
    }
  }

  void Move(WindowHandle window, const Rect& bounds) override {
    sdl_due_ = true;
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    SDL_SetWindowPosition(found->second.Sdl, bounds.Left, bounds.Top);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(found->second.Sdl, &width, &height);
    if (width != bounds.Width() || height != bounds.Height()) {
      SDL_SetWindowSize(found->second.Sdl, bounds.Width(), bounds.Height());
      found->second.Shown = nullptr;
      found->second.SendWhole = true;
    }
  }

  void Raise(WindowHandle window) override {
    sdl_due_ = true;
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    SDL_RaiseWindow(found->second.Sdl);
    // Without a window manager nobody hands the keyboard over (when the about dialog
    // closes, say, its parent would be left without it): take it where it is shown.
    if ((SDL_GetWindowFlags(found->second.Sdl) & SDL_WINDOW_SHOWN) != 0) SDL_SetWindowInputFocus(found->second.Sdl);
  }

  std::optional<Point> CursorPosition() override {
    sdl_due_ = true;
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return Point{x, y};
  }

  std::optional<Point> ClientOrigin(WindowHandle window) override {
    const auto found = windows_.find(window);
    if (found == windows_.end() || found->second.Foreign || found->second.CreatedHere) return std::nullopt;
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(found->second.Sdl, &x, &y);
    return Point{x, y};
  }

  // Xft.dpi from the X resource database when it is set, else 96.
  int Dpi() override {
    const char* resources = XResourceManagerString(watcher_);
    if (resources == nullptr) return 96;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) return 96;
    int dpi = 96;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) == True && value.addr != nullptr) {
      const double parsed = std::strtod(value.addr, nullptr);
      if (parsed >= 24 && parsed <= 960) dpi = static_cast<int>(parsed + 0.5);
    }
    XrmDestroyDatabase(database);
    return dpi;
  }

  void SetCursorVisible(WindowHandle /*window*/, bool visible) override {
    sdl_due_ = true;
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  }

  // Waits on both X connections at once and asks only the one that has something.
  // Asking costs system calls even when nothing came (SDL asks its connection several
  // times over for every wait), and between two Steps nothing usually comes. SDL is
  // still asked after any call into it, which may have read events ahead while waiting
  // for a reply; at once after a signal, which it turns into SDL_QUIT; and at least
  // every kSdlPumpInterval ms.
  bool WaitForInput(std::optional<std::uint32_t> timeout, std::vector<TMsg>& input) override {
    const std::uint32_t wait = std::min(timeout.value_or(kIdleWaitChunk), kIdleWaitChunk);
    if (sdl_display_ == nullptr) return WaitThroughSdl(wait, input);
    const bool queued = watcher_due_ || sdl_due_ || XQLength(watcher_) > 0 || XQLength(sdl_display_) > 0 ||
                        SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE;
    const ConnectionsReady ready = PollConnections(queued ? 0 : static_cast<int>(wait));
    if (ready.Watcher || watcher_due_ || XQLength(watcher_) > 0) {
      watcher_due_ = false;
      WatchForLostWindows(input);
    }
    if (ready.Sdl || ready.Interrupted || sdl_due_ || SDL_GetTicks64() - last_pump_ >= kSdlPumpInterval) {
      PumpSdl(input);
    }
    return true;
  }

  WindowHandle Adopt(WindowHandle x_window, bool created_here, bool foreign) {
    if (!ClientRect(x_window)) return kNoWindow;
    SDL_Window* sdl = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(x_window)));
    if (sdl == nullptr) return kNoWindow;
    NoteSdlDisplay(sdl);
    XSelectInput(watcher_, static_cast<Window>(x_window), StructureNotifyMask);
    XFlush(watcher_);
    windows_[x_window] = NativeWindow{sdl, created_here, foreign, false, nullptr};
    return x_window;
  }

private:
  struct NativeWindow {
    SDL_Window* Sdl = nullptr;
    bool CreatedHere = false;  // an X window this back end made (a preview child)
    bool Foreign = false;      // another program's window: its input is not ours
    bool Focused = false;
    SDL_Surface* Shown = nullptr;  // the surface the last picture went to
    bool SendWhole = true;         // the next picture goes whole through the presenter
  };

  // An SDL window on X11, kept under its X window's id; kNoWindow when none can be made.
  WindowHandle CreateSdlWindow(const NativeWindowRequest& request, Uint32 flags) {
    SDL_Window* sdl = SDL_CreateWindow(request.Title.c_str(), request.Bounds.Left, request.Bounds.Top,
                                       request.Bounds.Width(), request.Bounds.Height(), flags);
    if (sdl == nullptr) return kNoWindow;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sdl, &info) == SDL_FALSE || info.subsystem != SDL_SYSWM_X11) {
      SDL_DestroyWindow(sdl);
      return kNoWindow;
    }
    const WindowHandle handle = info.info.x11.window;
    NoteSdlDisplay(sdl);
    windows_[handle] = NativeWindow{sdl, false, false, false, nullptr};
    return handle;
  }

  WindowHandle CreatePopup(const NativeWindowRequest& request) {
    const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP |
                         (request.TopMost ? SDL_WINDOW_ALWAYS_ON_TOP : 0);
    const WindowHandle handle = CreateSdlWindow(request, flags);
    if (handle == kNoWindow) return kNoWindow;
    SDL_Window* sdl = windows_[handle].Sdl;
    SDL_RaiseWindow(sdl);
    // A saver covering the screen takes the keyboard and the pointer, so that every key
    // and movement reaches it whichever window had the focus before.
    SDL_SetWindowGrab(sdl, SDL_TRUE);
    return handle;
  }

  // A decorated window of its own: title bar and close button from the window manager;
  // its close button arrives as WM_SYSCOMMAND SC_CLOSE.
  WindowHandle CreateDialogWindow(const NativeWindowRequest& request) {
    return CreateSdlWindow(request, request.Visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
  }

  WindowHandle CreateChild(const NativeWindowRequest& request) {
    if (!ClientRect(request.Parent)) return kNoWindow;
    const int screen = DefaultScreen(watcher_);
    const Window child = XCreateSimpleWindow(
        watcher_, static_cast<Window>(request.Parent), request.Bounds.Left, request.Bounds.Top,
        static_cast<unsigned>(request.Bounds.Width()), static_cast<unsigned>(request.Bounds.Height()), 0,
        BlackPixel(watcher_, screen), BlackPixel(watcher_, screen));
    XStoreName(watcher_, child, request.Title.c_str());
    XMapWindow(watcher_, child);
    XSync(watcher_, False);
    const WindowHandle handle = Adopt(child, true, false);
    if (handle == kNoWindow) XDestroyWindow(watcher_, child);
    return handle;
  }

  void Release(WindowHandle handle, NativeWindow& window) {
    if (presenter_ != nullptr) presenter_->Forget(handle);
    SDL_DestroyWindow(window.Sdl);  // leaves X windows that SDL did not create
    if (window.CreatedHere) XDestroyWindow(watcher_, static_cast<Window>(handle));
    XFlush(watcher_);
  }

  void WatchForLostWindows(std::vector<TMsg>& input) {
    while (XPending(watcher_) > 0) {
      XEvent event;
      XNextEvent(watcher_, &event);
      if (event.type != DestroyNotify) continue;
      const auto found = windows_.find(event.xdestroywindow.window);
      if (found == windows_.end()) continue;
      if (presenter_ != nullptr) presenter_->Forget(found->first);
      SDL_DestroyWindow(found->second.Sdl);
      windows_.erase(found);
      input.push_back(TMsg{event.xdestroywindow.window, kNativeWindowGone, 0, 0});
    }
  }

  // Before SDL's first window there is no connection of SDL's to wait on.
  bool WaitThroughSdl(std::uint32_t wait, std::vector<TMsg>& input) {
    WatchForLostWindows(input);
    if (!input.empty()) return true;
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(wait)) == 0) return true;
    Translate(event, input);
    while (SDL_PollEvent(&event) != 0) Translate(event, input);
    return true;
  }

  struct ConnectionsReady {
    bool Watcher = false;
    bool Sdl = false;
    bool Interrupted = false;  // a signal came
  };

  ConnectionsReady PollConnections(int wait) {
    std::array<pollfd, 3> connections{pollfd{ConnectionNumber(watcher_), POLLIN, 0},
                                      pollfd{ConnectionNumber(sdl_display_), POLLIN, 0},
                                      pollfd{signal_wakeup_.Fd(), POLLIN, 0}};
    const int ready = poll(connections.data(), connections.size(), wait);
    if (ready < 0) return ConnectionsReady{false, false, errno == EINTR};
    const bool signalled = connections[2].revents != 0 && signal_wakeup_.Take();
    return ConnectionsReady{connections[0].revents != 0, connections[1].revents != 0, signalled};
  }

  void PumpSdl(std::vector<TMsg>& input) {
    sdl_due_ = false;
    last_pump_ = SDL_GetTicks64();
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Translate(event, input);
  }

  // SDL's connection, known from its first window: SDL keeps one for all of them.
  void NoteSdlDisplay(SDL_Window* sdl) {
    if (sdl_display_ != nullptr) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sdl, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
      sdl_display_ = info.info.x11.display;
    }
  }

  std::map<WindowHandle, NativeWindow>::iterator FindSdl(Uint32 window_id) {
    SDL_Window* sdl = SDL_GetWindowFromID(window_id);
    return std::find_if(windows_.begin(), windows_.end(), [sdl](const auto& entry) { return entry.second.Sdl == sdl; });
  }

  void Translate(const SDL_Event& event, std::vector<TMsg>& input) {
    if (event.type == SDL_QUIT) {  // SIGTERM or SIGINT: close every window as its owner would
      for (const auto& [handle, window] : windows_) input.push_back(TMsg{handle, WM_CLOSE, 0, 0});
      return;
    }
    Uint32 window_id = 0;
    switch (event.type) {
      case SDL_KEYDOWN: window_id = event.key.windowID; break;
      case SDL_MOUSEMOTION: window_id = event.motion.windowID; break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: window_id = event.button.windowID; break;
      case SDL_KEYUP: window_id = event.key.windowID; break;
      case SDL_WINDOWEVENT: window_id = event.window.windowID; break;
      default: return;
    }
    const auto found = FindSdl(window_id);
    if (found == windows_.end()) return;
    const WindowHandle handle = found->first;
    NativeWindow& window = found->second;
    if (event.type == SDL_WINDOWEVENT) {
      TranslateWindowEvent(event.window, handle, window, input);
      return;
    }
    if (window.Foreign) return;  // the daemon that owns the window handles its input
    if (event.type == SDL_KEYDOWN) {
      const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0 || event.key.keysym.sym == SDLK_LALT ||
                       event.key.keysym.sym == SDLK_RALT || event.key.keysym.sym == SDLK_F10;
      input.push_back(TMsg{handle, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, VirtualKey(event.key.keysym.sym), 0});
    } else if (event.type == SDL_KEYUP) {
      // Only the modifiers' releases matter (Shift+Tab in dialogs).
      const WPARAM key = VirtualKey(event.key.keysym.sym);
      if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) input.push_back(TMsg{handle, WM_KEYUP, key, 0});
    } else if (event.type == SDL_MOUSEMOTION) {
      const WPARAM buttons = (event.motion.state & SDL_BUTTON_LMASK) != 0 ? MK_LBUTTON : 0;
      input.push_back(TMsg{handle, WM_MOUSEMOVE, buttons, MakePointParam(event.motion.x, event.motion.y)});
    } else if (event.type == SDL_MOUSEBUTTONUP) {
      if (event.button.button == SDL_BUTTON_LEFT) {
        input.push_back(TMsg{handle, WM_LBUTTONUP, 0, MakePointParam(event.button.x, event.button.y)});
      }
    } else if (event.type == SDL_MOUSEBUTTONDOWN) {
      const UINT message = event.button.button == SDL_BUTTON_RIGHT    ? WM_RBUTTONDOWN
                           : event.button.button == SDL_BUTTON_MIDDLE ? WM_MBUTTONDOWN
                                                                      : WM_LBUTTONDOWN;
      input.push_back(TMsg{handle, message, 0, MakePointParam(event.button.x, event.button.y)});
    }
  }

  void TranslateWindowEvent(const SDL_WindowEvent& event, WindowHandle handle, NativeWindow& window,
                            std::vector<TMsg>& input) {
    switch (event.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        // The last picture again.
        if (presenter_ == nullptr || !presenter_->Repaint(handle)) SDL_UpdateWindowSurface(window.Sdl);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        window.Focused = true;
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        // Only a window that had the focus can lose it (without a window manager the
        // focus may never arrive at all).
        if (window.Foreign || !window.Focused) break;
        window.Focused = false;
        input.push_back(TMsg{handle, WM_NCACTIVATE, 0, 0});
        input.push_back(TMsg{handle, WM_ACTIVATE, WA_INACTIVE, 0});
        break;
      case SDL_WINDOWEVENT_CLOSE:
        if (!window.Foreign) input.push_back(TMsg{handle, WM_SYSCOMMAND, SC_CLOSE, 0});
        break;
      default:
        break;
    }
  }

  Display* watcher_;
  std::unique_ptr<TX11ShmPresenter> presenter_;  // null: pictures go through SDL
  SignalWakeup signal_wakeup_;
  Display* sdl_display_ = nullptr;
  bool watcher_due_ = false;  // a round trip on the watching connection may have read events ahead
  bool sdl_due_ = true;       // so may any call into SDL
  std::uint64_t last_pump_ = 0;
  std::map<WindowHandle, NativeWindow> windows_;
};

}  // namespace

std::unique_ptr<WindowBackend> OpenDisplayBackend() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return nullptr;
  Display* watcher = XOpenDisplay(nullptr);
  if (watcher == nullptr) return nullptr;
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Pictures go straight to the X server (shared memory where it can); without this SDL
  // may route them through a software OpenGL renderer at many times the cost.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_GRAB_KEYBOARD, "1");
  // A dialog's close button asks its procedure; it must not end the program by itself.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Installed before SDL starts, so that SDL, which puts back the handler it found when
  // it shuts its video down (and then closes connections that may still report errors
  // about windows already gone), puts back this one and not the default that exits.
  KeepIgnoringXErrors();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    XCloseDisplay(watcher);
    return nullptr;
  }
  KeepIgnoringXErrors();
  SetScreenSizeQuery([]() -> std::optional<ScreenSize> {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return std::nullopt;
    return ScreenSize{mode.w, mode.h};
  });
  SetScreenColorBitsQuery([]() -> std::optional<int> {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return std::nullopt;
    return static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  });
  return std::make_unique<SdlBackend>(watcher, TX11ShmPresenter::Open());
}

WindowHandle RootWindowOfDisplay() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return kNoWindow;
  const WindowHandle root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return root;
}

std::optional<std::string> DaemonWindowVariable() {
  const char* value = std::getenv("XSCREENSAVER_WINDOW");
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

MessageBoxResult SdlMessageBoxes::Show(const MessageBoxRequest& request) {
  Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  if (request.icon == MessageBoxIcon::Error) flags |= SDL_MESSAGEBOX_ERROR;
  if (request.icon == MessageBoxIcon::Warning || request.icon == MessageBoxIcon::Question) {
    flags |= SDL_MESSAGEBOX_WARNING;
  }
  if (request.icon == MessageBoxIcon::Information) flags |= SDL_MESSAGEBOX_INFORMATION;
  std::vector<SDL_MessageBoxButtonData> buttons;
  if (request.buttons == MessageBoxButtons::Ok) {
    buttons.push_back({SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                       static_cast<int>(MessageBoxResult::Ok), "OK"});
  } else {
    const bool yes_default = request.default_button == MessageBoxResult::Yes;
    buttons.push_back({yes_default ? Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT} : 0u,
                       static_cast<int>(MessageBoxResult::Yes), "Yes"});
    buttons.push_back({(yes_default ? 0u : Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT}) |
                           SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                       static_cast<int>(MessageBoxResult::No), "No"});
  }
  std::string text;  // lines end in carriage returns as in Windows boxes
  for (std::size_t i = 0; i < request.text.size(); ++i) {
    if (request.text[i] != '\r') {
      text += request.text[i];
    } else if (i + 1 >= request.text.size() || request.text[i + 1] != '\n') {
      text += '\n';
    }
  }
  const SDL_MessageBoxData data{flags,
                                nullptr,
                                request.caption.c_str(),
                                text.c_str(),
                                static_cast<int>(buttons.size()),
                                buttons.data(),
                                nullptr};
  // A saver window holding the keyboard would keep it from the box.
  SDL_Window* grabbing = SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_GetGrabbedWindow() : nullptr;
  if (grabbing != nullptr) SDL_SetWindowGrab(grabbing, SDL_FALSE);
  int pressed = -1;
  const int shown = SDL_ShowMessageBox(&data, &pressed);
  if (grabbing != nullptr) SDL_SetWindowGrab(grabbing, SDL_TRUE);
  if (shown != 0 || pressed < 0) return StderrMessageBoxes().Show(request);
  return static_cast<MessageBoxResult>(pressed);
}

}  // namespace velquora
