#include "platform/win/window_system.h"

#include <algorithm>
#include <utility>

#include "platform/gdi/canvas.h"
#include "platform/win/changed_bands.h"
#include "platform/win/window_records.h"

namespace velquora {

namespace {
constexpr std::int64_t kMinimumTimerPeriod = 10;
constexpr std::int64_t kMaximumTimerPeriod = 0x7FFFFFFF;

TWindowSystem*& Installed() {
  static TWindowSystem* system = nullptr;
  return system;
}

TBitmap BlackPicture(WindowBackend& backend, WindowHandle window, const Rect& client) {
  TBitmap picture = backend.NewSurface(window, std::max(client.Width(), 0), std::max(client.Height(), 0));
  TCanvas canvas(picture);
  canvas.Brush.Color = RGB(0, 0, 0);
  canvas.FillRect(picture.BoundsRect());
  return picture;
}
}  // namespace

char KeyCharacter(WPARAM virtual_key) {
  if ((virtual_key >= '0' && virtual_key <= '9') || (virtual_key >= 'A' && virtual_key <= 'Z')) {
    return static_cast<char>(virtual_key);
  }
  if (virtual_key >= VK_NUMPAD0 && virtual_key <= VK_NUMPAD0 + 9) return static_cast<char>('0' + virtual_key - VK_NUMPAD0);
  switch (virtual_key) {
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return '\x1B';
    case VK_SPACE: return ' ';
    case 0x6A: return '*';  // VK_MULTIPLY
    case 0x6B: return '+';  // VK_ADD
    case 0x6D: return '-';  // VK_SUBTRACT
    case 0x6E: return '.';  // VK_DECIMAL
    case VK_DIVIDE: return '/';
    default: break;
  }
  if (virtual_key >= VK_OEM_1 && virtual_key <= VK_OEM_8) {
    static constexpr char kOem[] = ";=,-./`";  // VK_OEM_1 .. VK_OEM_3
    if (virtual_key - VK_OEM_1 < sizeof(kOem) - 1) return kOem[virtual_key - VK_OEM_1];
    static constexpr char kOem4[] = "[\\]'";  // VK_OEM_4 (0xDB) .. VK_OEM_7
    if (virtual_key >= 0xDB && virtual_key <= 0xDE) return kOem4[virtual_key - 0xDB];
  }
  return 0;
}


TWindowSystem::TWindowSystem(std::unique_ptr<WindowBackend> backend) : backend_(std::move(backend)) {}

TWindowSystem::~TWindowSystem() {
  // The procedures' owners may be gone by now: the native windows go without messages.
  for (const auto& [handle, window] : windows_) {
    if (!window->NativeGone && !window->ControlState) backend_->Destroy(handle);
  }
  if (Installed() == this) Installed() = nullptr;
}

bool TWindowSystem::RegisterClass(const TWindowClass& window_class) {
  return classes_.emplace(window_class.ClassName, window_class).second;
}

bool TWindowSystem::UnregisterClass(const std::string& class_name) {
  for (const auto& [handle, window] : windows_) {
    if (window->Class.ClassName == class_name) return false;
  }
  return classes_.erase(class_name) > 0;
}

TWindowSystem::Window* TWindowSystem::Find(WindowHandle window) {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : found->second.get();
}

const TWindowSystem::Window* TWindowSystem::Find(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : found->second.get();
}

bool TWindowSystem::IsWindow(WindowHandle window) const { return Find(window) != nullptr; }

WindowHandle TWindowSystem::Install(const TWindowClass& window_class, WindowHandle handle, const Rect& client) {
  auto window = std::make_unique<Window>();
  window->Class = window_class;
  window->Surface = BlackPicture(*backend_, handle, client);
  windows_[handle] = std::move(window);
  UpdateCursor();
  if (SendMessage(handle, WM_CREATE) == -1) {
    DestroyWindow(handle);
    return kNoWindow;
  }
  return handle;
}

WindowHandle TWindowSystem::CreateWindowEx(std::uint32_t ex_style, const std::string& class_name,
                                           const std::string& title, std::uint32_t style, const Rect& bounds,
                                           WindowHandle parent) {
  const auto found = classes_.find(class_name);
  if (found == classes_.end()) return kNoWindow;
  NativeWindowRequest request;
  request.Kind = (style & WS_CHILD) != 0 ? NativeWindowKind::Child : NativeWindowKind::Popup;
  if (request.Kind == NativeWindowKind::Child && parent == kNoWindow) return kNoWindow;
  request.Parent = parent;
  request.Bounds = bounds;
  request.TopMost = (ex_style & WS_EX_TOPMOST) != 0;
  request.Title = title;
  if (bounds.Width() <= 0 || bounds.Height() <= 0) return kNoWindow;
  const WindowHandle handle = backend_->Create(request);
  if (handle == kNoWindow || IsWindow(handle)) return kNoWindow;
  const WindowHandle installed = Install(found->second, handle, Rect{0, 0, bounds.Width(), bounds.Height()});
  if (Window* window = Find(installed)) {
    window->ScreenBounds = bounds;
    if (const Window* parent_window = Find(parent); parent_window != nullptr && request.Kind == NativeWindowKind::Child) {
      window->ScreenBounds = Bounds(parent_window->ScreenBounds.Left + bounds.Left,
                                    parent_window->ScreenBounds.Top + bounds.Top, bounds.Width(), bounds.Height());
    }
  }
  return installed;
}

WindowHandle TWindowSystem::AdoptForeignWindow(const std::string& class_name, WindowHandle foreign) {
  const auto found = classes_.find(class_name);
  if (found == classes_.end() || IsWindow(foreign)) return kNoWindow;
  const std::optional<Rect> client = backend_->ClientRect(foreign);
  if (!client || client->Width() <= 0 || client->Height() <= 0) return kNoWindow;
  NativeWindowRequest request;
  request.Kind = NativeWindowKind::Foreign;
  request.Parent = foreign;
  request.Bounds = *client;
  const WindowHandle handle = backend_->Create(request);
  if (handle == kNoWindow || IsWindow(handle)) return kNoWindow;
  const WindowHandle installed = Install(found->second, handle, *client);
  if (Window* window = Find(installed)) {
    window->Foreign = true;
    window->ScreenBounds = *client;
  }
  return installed;
}

bool TWindowSystem::DestroyWindow(WindowHandle window) {
  Window* found = Find(window);
  if (found == nullptr || found->Destroying) return false;
  found->Destroying = true;
  SendMessage(window, WM_DESTROY);
  std::erase_if(timers_, [window](const auto& entry) { return entry.first.first == window; });
  DestroyControls(window);
  found = Find(window);
  if (found != nullptr && !found->NativeGone && !found->ControlState) backend_->Destroy(window);
  windows_.erase(window);
  return true;
}

std::optional<Rect> TWindowSystem::GetClientRect(WindowHandle window) {
  if (const Window* found = Find(window)) {
    if (found->ControlState) return Rect{0, 0, found->ControlState->Bounds.Width(), found->ControlState->Bounds.Height()};
    return found->Surface.BoundsRect();
  }
  return backend_->ClientRect(window);
}

bool TWindowSystem::SetTimer(WindowHandle window, WPARAM id, std::int64_t period) {
  if (!IsWindow(window)) return false;
  const auto held = static_cast<std::uint32_t>(std::clamp(period, kMinimumTimerPeriod, kMaximumTimerPeriod));
  timers_[{window, id}] = Timer{held, backend_->Now() + held};
  return true;
}

bool TWindowSystem::KillTimer(WindowHandle window, WPARAM id) { return timers_.erase({window, id}) > 0; }

std::optional<std::uint32_t> TWindowSystem::TimerPeriod(WindowHandle window, WPARAM id) const {
  const auto found = timers_.find({window, id});
  if (found == timers_.end()) return std::nullopt;
  return found->second.period;
}

bool TWindowSystem::PostMessage(WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) {
  if (window != kNoWindow && !IsWindow(window)) return false;
  queue_.push_back(TMsg{window, message, w_param, l_param});
  return true;
}

void TWindowSystem::PostQuitMessage(int exit_code) {
  quit_posted_ = true;
  quit_code_ = exit_code;
}

bool TWindowSystem::HasPosted(WindowHandle window, UINT message) const {
  if (message == WM_QUIT) return quit_posted_;
  return std::any_of(queue_.begin(), queue_.end(),
                     [&](const TMsg& queued) { return queued.hwnd == window && queued.message == message; });
}

LRESULT TWindowSystem::SendMessage(WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) {
  Window* found = Find(window);
  if (found == nullptr) return 0;
  // A copy: the procedure may destroy its own window, and with it the class record.
  const WindowProcedure procedure = found->Class.Procedure;
  if (!procedure) return DefWindowProc(window, message, w_param, l_param);
  return procedure(window, message, w_param, l_param);
}

std::optional<TMsg> TWindowSystem::DueTimer() {
  const std::uint64_t now = backend_->Now();
  auto earliest = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due <= now && (earliest == timers_.end() || it->second.due < earliest->second.due)) earliest = it;
  }
  if (earliest == timers_.end()) return std::nullopt;
  earliest->second.due = now + earliest->second.period;  // late ticks are not made up
  return TMsg{earliest->first.first, WM_TIMER, earliest->first.second, 0};
}

std::optional<std::uint32_t> TWindowSystem::TimeToNextTimer() {
  if (timers_.empty()) return std::nullopt;
  const std::uint64_t now = backend_->Now();
  std::uint64_t next = UINT64_MAX;
  for (const auto& [key, timer] : timers_) next = std::min(next, timer.due);
  return static_cast<std::uint32_t>(next > now ? next - now : 0);
}

bool TWindowSystem::GetMessage(TMsg& message) {
  std::vector<TMsg> input;
  for (;;) {
    for (const TMsg& arrived : input) {
      if (arrived.message == kNativeWindowGone) {
        if (Window* gone = Find(arrived.hwnd)) gone->NativeGone = true;
        DestroyWindow(arrived.hwnd);
      } else {
        queue_.push_back(arrived);
      }
    }
    input.clear();
    while (!queue_.empty()) {
      message = queue_.front();
      queue_.pop_front();
      if (message.hwnd == kNoWindow || IsWindow(message.hwnd)) {
        NoteInput(message);
        return true;
      }
    }
    if (quit_posted_) {
      quit_posted_ = false;
      message = TMsg{kNoWindow, WM_QUIT, static_cast<WPARAM>(quit_code_), 0};
      return false;
    }
    if (const std::optional<TMsg> timer = DueTimer()) {
      message = *timer;
      return true;
    }
    if (!backend_->WaitForInput(TimeToNextTimer(), input)) return false;
  }
}

void TWindowSystem::TranslateMessage(const TMsg& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return;
  const char character = KeyCharacter(message.wParam);
  if (character == 0) return;
  const UINT char_message = message.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  queue_.push_front(TMsg{message.hwnd, char_message, static_cast<unsigned char>(character), message.lParam});
}

LRESULT TWindowSystem::DispatchMessage(const TMsg& message) {
  const LRESULT result = SendMessage(message.hwnd, message.message, message.wParam, message.lParam);
  PresentDrawnWindows();
  return result;
}

LRESULT TWindowSystem::DefWindowProc(WindowHandle window, UINT message, WPARAM w_param, LPARAM /*l_param*/) {
  if (message == WM_CLOSE) DestroyWindow(window);
  if (message == WM_SYSCOMMAND && (w_param & 0xFFF0) == SC_CLOSE) PostMessage(window, WM_CLOSE);
  return 0;
}

int TWindowSystem::ShowCursor(bool show) {
  cursor_counter_ += show ? 1 : -1;
  UpdateCursor();
  return cursor_counter_;
}

void TWindowSystem::UpdateCursor() {
  for (const auto& [handle, window] : windows_) {
    if (window->Foreign || window->ControlState) continue;  // another program's window keeps its own cursor
    backend_->SetCursorVisible(handle, cursor_counter_ >= 0 && window->Class.Cursor != CursorShape::None);
  }
}

std::optional<TWindowDeviceContext> TWindowSystem::GetDC(WindowHandle window) {
  Window* found = Find(window);
  if (found == nullptr) return std::nullopt;
  const auto on_release = [this, window](const std::vector<Rect>* parts) {
    Window* drawn = Find(window);
    if (drawn == nullptr) return;
    drawn->Drawn = true;
    if (parts == nullptr) {
      drawn->DrawnAnywhere = true;
    } else {
      drawn->DrawnParts.insert(drawn->DrawnParts.end(), parts->begin(), parts->end());
    }
  };
  backend_->BeforeDrawing(window);
  return std::optional<TWindowDeviceContext>(std::in_place, found->Surface, on_release);
}

namespace {
// The rectangles to show again: the whole picture when it cannot be compared with what
// was shown, else the bands of rows that changed.
std::vector<Rect> ChangedBands(const TBitmap& picture, const TBitmap& shown, bool anywhere,
                               const std::vector<Rect>& parts) {
  const bool comparable = shown.Width() == picture.Width() && shown.Height() == picture.Height() &&
                          shown.Format() == PixelFormat::Bits32 && picture.Format() == PixelFormat::Bits32;
  if (!comparable) return {picture.BoundsRect()};
  return ChangedBands(RowsOf(picture), RowsOf(shown), anywhere, parts);
}
}  // namespace

void TWindowSystem::PresentDrawnWindows() {
  for (const auto& [handle, window] : windows_) {
    if (window->Dialog && window->Dialog->Dirty) PaintDialog(handle);
    if (!window->Drawn || window->NativeGone || !window->Visible) continue;
    const bool anywhere = std::exchange(window->DrawnAnywhere, false);
    window->Drawn = false;
    const bool presented = backend_->PresentChanges(handle, window->Surface, anywhere, window->DrawnParts);
    const std::vector<Rect> changed =
        presented ? std::vector<Rect>{} : ChangedBands(window->Surface, window->Shown, anywhere, window->DrawnParts);
    window->DrawnParts.clear();
    if (presented && !window->Shown.Empty()) window->Shown = TBitmap();  // the back end's copy is compared with
    if (changed.empty()) continue;
    backend_->Present(handle, window->Surface, changed);
    if (window->Shown.Width() != window->Surface.Width() || window->Shown.Height() != window->Surface.Height() ||
        window->Surface.Format() != PixelFormat::Bits32) {
      window->Shown.Assign(window->Surface);
      continue;
    }
    CopyBands(RowsOf(std::as_const(window->Surface)), RowsOf(window->Shown), changed);
  }
}

int TWindowSystem::RealizePalette(WindowHandle window, const std::vector<PaletteEntry>& palette) {
  Window* found = Find(window);
  if (found == nullptr) return 0;
  int changed = 0;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    if (i >= found->Palette.size() || found->Palette[i] != palette[i]) ++changed;
  }
  found->Palette = palette;
  return changed;
}

TWindowSystem* InstalledWindowSystem() { return Installed(); }

ScopedWindowSystem::ScopedWindowSystem(TWindowSystem& system) : previous_(std::exchange(Installed(), &system)) {}

ScopedWindowSystem::~ScopedWindowSystem() { Installed() = previous_; }


}  // namespace velquora
