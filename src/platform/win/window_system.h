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
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/geometry.h"
#include "platform/gdi/bitmap.h"
#include "platform/win/dialog_font.h"
#include "platform/win/messages.h"

namespace velquora {

using WindowProcedure = std::function<LRESULT(WindowHandle, UINT, WPARAM, LPARAM)>;
// A dialog procedure: 1 (TRUE) when it handled the message, 0 (FALSE) to leave it to the
// dialog's default handling. For WM_INITDIALOG lParam is the creation parameter.
using DialogProcedure = std::function<LRESULT(WindowHandle dialog, UINT message, WPARAM, LPARAM)>;

// A font made by CreateFont; WM_SETFONT takes it as wParam. 0 is no font.
using FontHandle = std::uint64_t;
inline constexpr FontHandle kNoFont = 0;

enum class CursorShape { None, Arrow };

struct TWindowClass {
  std::uint32_t Style = 0;
  WindowProcedure Procedure;
  CursorShape Cursor = CursorShape::None;
  std::string ClassName;
};

// What a back end creates: a full-screen pop-up, a child inside another program's
// window, the other program's window itself (drawn into, its input left alone), or a
// decorated top-level window with a title and a close button (a dialog; its bounds are
// those of its client area on the screen; the close button arrives as WM_SYSCOMMAND
// SC_CLOSE). A Dialog window starts hidden unless Visible.
enum class NativeWindowKind { Popup, Child, Foreign, Dialog };

struct NativeWindowRequest {
  NativeWindowKind Kind = NativeWindowKind::Popup;
  WindowHandle Parent = kNoWindow;  // Child: the window it goes in; Foreign: the window itself
  Rect Bounds;                      // position in the parent (or on the screen) and size
  bool TopMost = false;
  bool Visible = true;  // Dialog windows only
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
  // Shows what differs between the picture and what the window shows, looking within
  // the parts drawn (everywhere when anywhere; it may send the parts whole), for a back
  // end that keeps its own copy of what each window shows. False when it keeps none for
  // this window: the caller then compares with its own copy and calls Present.
  virtual bool PresentChanges(WindowHandle /*window*/, const TBitmap& /*picture*/, bool /*anywhere*/,
                              const std::vector<Rect>& /*parts*/) {
    return false;
  }
  // The picture a new window draws in, white, of its client area's size: one in memory
  // the display reads straight from when the back end has such (Present then copies
  // nothing), else one of its own.
  virtual TBitmap NewSurface(WindowHandle /*window*/, int width, int height) { return TBitmap(width, height); }
  // Called before the window's picture is drawn on: a back end whose display reads the
  // picture's memory waits here until it has read what was last presented.
  virtual void BeforeDrawing(WindowHandle /*window*/) {}
  virtual void SetCursorVisible(WindowHandle window, bool visible) = 0;
  // Waits at most timeout milliseconds (nullopt: as long as it takes) for input and
  // appends what arrived as messages. False when nothing can ever arrive (a headless
  // back end with nothing to wait for).
  virtual bool WaitForInput(std::optional<std::uint32_t> timeout, std::vector<TMsg>& input) = 0;

  // Shows or hides a window of ours.
  virtual void Show(WindowHandle /*window*/, bool /*visible*/) {}
  // Moves a window of ours: bounds are its client area on the screen.
  virtual void Move(WindowHandle /*window*/, const Rect& /*bounds*/) {}
  // Brings a window of ours to the top and gives it the keyboard.
  virtual void Raise(WindowHandle /*window*/) {}
  // The pointer's position on the screen; nullopt when it is not known.
  virtual std::optional<Point> CursorPosition() { return std::nullopt; }
  // Where the window manager put the client area of a window of ours on the screen;
  // nullopt when the back end does not know (the window system's own record counts).
  virtual std::optional<Point> ClientOrigin(WindowHandle /*window*/) { return std::nullopt; }
  // The display's vertical resolution in dots per inch.
  virtual int Dpi() { return 96; }
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

// The window system's records of dialogs, their controls and fonts (private to its
// sources).
struct TDialogRecord;
struct TDialogControlRecord;
struct TFontRecord;

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

  // Window placement. A window's rectangle is its client area on the screen (the
  // window manager's frame is not counted); a control's is its place on the screen too.
  std::optional<Rect> GetWindowRect(WindowHandle window);
  // Moves and/or sizes (SWP_NOSIZE keeps the size, SWP_NOMOVE the place); SWP_NOREDRAW
  // and SWP_NOZORDER are accepted (nothing is redrawn by a move anyway).
  bool SetWindowPos(WindowHandle window, int x, int y, int cx, int cy, UINT flags);
  // SW_HIDE or SW_SHOW (any other command shows); false when the window was hidden before.
  bool ShowWindow(WindowHandle window, int command);
  bool IsWindowVisible(WindowHandle window) const;
  bool SetForegroundWindow(WindowHandle window);
  // The pointer on the screen where the last mouse message that came through the queue
  // put it; the back end's idea of it before any.
  std::optional<Point> GetCursorPos();
  bool ScreenToClient(WindowHandle window, Point& point);
  // SM_CXFULLSCREEN and SM_CYFULLSCREEN: the primary screen's size (no task bar is
  // counted); 0 for other indexes.
  int GetSystemMetrics(int index);
  // LOGPIXELSY: the display's resolution (X resource Xft.dpi when set, else 96; 96
  // without a display); 0 for other indexes.
  int GetDeviceCaps(WindowHandle window, int index);
  // Whether the key is held down, as the key-down and key-up messages that came through
  // the queue tell (VK_SHIFT for Shift+Tab).
  bool IsKeyDown(WPARAM virtual_key);

  // Dialogs from in-memory templates, with button, static-text and scroll-bar controls
  // that live inside the dialog's window (their handles are not native windows).
  //
  // Creates a modeless dialog: parses the template (kNoWindow when it is malformed or
  // its client area would be wider or higher than 4096 pixels),
  // makes the decorated window (client area from the template's size in dialog units),
  // the controls, sends WM_SETFONT to each control and WM_INITDIALOG (lParam =
  // init_param) to the procedure. Shown at once only with WS_VISIBLE in the template's
  // style; otherwise after ShowWindow. DestroyWindow destroys it with its controls.
  WindowHandle CreateDialogIndirectParam(std::span<const std::uint8_t> dialog_template, WindowHandle parent,
                                         DialogProcedure procedure, LPARAM init_param);
  // Handles a message of the dialog's loop: keyboard navigation (Tab, Shift+Tab, Return,
  // Esc, Space, arrow keys) and every other message for the dialog or its controls
  // (dispatched, drawing shown). False for messages of other windows (left untouched).
  bool IsDialogMessage(WindowHandle dialog, const TMsg& message);
  // Dialog units to pixels in the dialog's font: x * base X / 4, y * base Y / 8 (MulDiv).
  bool MapDialogRect(WindowHandle dialog, Rect& rect);
  // The dialog's base units; nullopt for no dialog.
  std::optional<DialogBaseUnits> GetDialogBaseUnits(WindowHandle dialog);
  WindowHandle GetDlgItem(WindowHandle dialog, int id);
  int GetDlgCtrlID(WindowHandle control);
  bool SetDlgItemText(WindowHandle dialog, int id, std::u16string_view text);
  std::u16string GetDlgItemText(WindowHandle dialog, int id);
  bool SetWindowText(WindowHandle window, std::u16string_view text);
  std::u16string GetWindowText(WindowHandle window);
  bool CheckDlgButton(WindowHandle dialog, int id, UINT check);
  UINT IsDlgButtonChecked(WindowHandle dialog, int id);
  // The control's style bits as the template gave them (WS_CHILD | WS_VISIBLE | ...).
  std::uint32_t GetWindowStyle(WindowHandle window);
  // The control that has the keyboard focus in the dialog; kNoWindow when none.
  WindowHandle GetFocus(WindowHandle dialog);
  bool SetFocus(WindowHandle control);
  // Scroll-bar controls (bar = SB_CTL): the previous position, as Windows returns it;
  // SetScrollRange returns nonzero on success. Also SBM_SETPOS, SBM_GETPOS,
  // SBM_SETRANGE, SBM_GETRANGE through SendMessage.
  int SetScrollRange(WindowHandle control, int bar, int min, int max, bool redraw);
  int SetScrollPos(WindowHandle control, int bar, int pos, bool redraw);
  int GetScrollPos(WindowHandle control, int bar);
  bool GetScrollRange(WindowHandle control, int bar, int& min, int& max);

  // A font of height pixels (negative: character height, as -MulDiv(points, dpi, 72);
  // positive: cell height), weight 400 normal / 700 bold (0 normal), underlined or not,
  // in the face (substituted as SubstituteFontFace says). kNoFont when none can be made.
  FontHandle CreateFont(int height, int weight, bool underline, std::string_view face);
  // Frees the font; controls that still use it go back to their dialog's font.
  bool DeleteObject(FontHandle font);

private:
  using DialogState = TDialogRecord;
  using Control = TDialogControlRecord;
  using FontRecord = TFontRecord;

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
  // Keeps the pointer's place and the keys held down from input leaving the queue.
  void NoteInput(const TMsg& message);
  std::optional<Point> ScreenOrigin(WindowHandle window);
  void DestroyControls(WindowHandle dialog);
  // Dialog internals (in the dialog sources).
  DialogState* FindDialog(WindowHandle dialog);
  Control* FindControl(WindowHandle control);
  Control* FindDlgItem(WindowHandle dialog, int id);
  LRESULT DialogWindowProcedure(WindowHandle dialog, UINT message, WPARAM w_param, LPARAM l_param);
  LRESULT ControlProcedure(WindowHandle control, UINT message, WPARAM w_param, LPARAM l_param);
  LRESULT CallDialogProcedure(WindowHandle dialog, UINT message, WPARAM w_param, LPARAM l_param);
  void Invalidate(WindowHandle window);
  void PaintDialog(WindowHandle dialog);
  void DialogMouse(WindowHandle dialog, UINT message, Point point);
  void MoveFocus(WindowHandle dialog, bool backwards);
  void PressButton(WindowHandle control);
  void SendScroll(WindowHandle control, WPARAM request, int position = 0);
  WindowHandle DefaultButton(WindowHandle dialog);
  const TTextFont* ControlFont(const Control& control);

  std::unique_ptr<WindowBackend> backend_;
  std::map<std::string, TWindowClass> classes_;
  std::map<WindowHandle, std::unique_ptr<Window>> windows_;
  std::map<std::pair<WindowHandle, WPARAM>, Timer> timers_;
  std::deque<TMsg> queue_;
  bool quit_posted_ = false;
  int quit_code_ = 0;
  int cursor_counter_ = 0;
  std::optional<Point> last_cursor_;
  std::map<WPARAM, bool> keys_down_;
  std::map<FontHandle, std::shared_ptr<FontRecord>> fonts_;
  FontHandle next_font_ = 1;
  WindowHandle next_control_ = kFirstControlHandle;

public:
  // Controls' handles count up from here, far above any X window id.
  static constexpr WindowHandle kFirstControlHandle = 0x7F00000000000000ULL;
};

// Owns a font from CreateFont and deletes it when it goes.
class ScopedFont {
public:
  ScopedFont() = default;
  ScopedFont(TWindowSystem& system, FontHandle font) : system_(&system), font_(font) {}
  ~ScopedFont() { Reset(); }
  ScopedFont(ScopedFont&& other) noexcept
      : system_(std::exchange(other.system_, nullptr)), font_(std::exchange(other.font_, kNoFont)) {}
  ScopedFont& operator=(ScopedFont&& other) noexcept {
    if (this != &other) {
      Reset();
      system_ = std::exchange(other.system_, nullptr);
      font_ = std::exchange(other.font_, kNoFont);
    }
    return *this;
  }
  ScopedFont(const ScopedFont&) = delete;
  ScopedFont& operator=(const ScopedFont&) = delete;

  FontHandle Get() const { return font_; }
  void Reset() {
    if (system_ != nullptr && font_ != kNoFont) system_->DeleteObject(font_);
    font_ = kNoFont;
  }

private:
  TWindowSystem* system_ = nullptr;
  FontHandle font_ = kNoFont;
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
