// Dialogs from in-memory templates: placement of windows, the controls of a dialog,
// their drawing in the classic grey look, and their keyboard and mouse input.
#include <algorithm>

#include "platform/gdi/canvas.h"
#include "platform/system/display_info.h"
#include "platform/win/dialog_template.h"
#include "platform/win/window_records.h"
#include "platform/win/window_system.h"

namespace velquora {

namespace {

constexpr TColor kFace = RGB(0xC0, 0xC0, 0xC0);
constexpr TColor kHighlight = RGB(0xFF, 0xFF, 0xFF);
constexpr TColor kShadow = RGB(0x80, 0x80, 0x80);
constexpr TColor kDarkShadow = RGB(0x00, 0x00, 0x00);
constexpr TColor kText = RGB(0x00, 0x00, 0x00);
constexpr TColor kWindow = RGB(0xFF, 0xFF, 0xFF);

constexpr int kScrollBarSize = 16;  // height of a top-aligned bar, width of its arrows and thumb
constexpr int kCheckBoxSize = 13;
constexpr int kMaxDialogPixels = 4096;
constexpr WPARAM kButtonClicked = 0;  // BN_CLICKED, the high word of WM_COMMAND's wParam
constexpr std::uint32_t kButtonType = 0xF;

bool IsPushButton(const TDialogControlRecord& control);

void Fill(TBitmap& picture, const Rect& rect, TColor color) {
  TCanvas canvas(picture);
  canvas.Brush.Color = color;
  canvas.FillRect(rect);
}

// One pixel wide edges: top and left in one colour, bottom and right in another.
void Edge(TBitmap& picture, const Rect& rect, TColor top_left, TColor bottom_right) {
  if (rect.IsEmpty()) return;
  Fill(picture, Rect{rect.Left, rect.Top, rect.Right, rect.Top + 1}, top_left);
  Fill(picture, Rect{rect.Left, rect.Top, rect.Left + 1, rect.Bottom}, top_left);
  Fill(picture, Rect{rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, bottom_right);
  Fill(picture, Rect{rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, bottom_right);
}

Rect Inset(const Rect& rect, int by) { return Rect{rect.Left + by, rect.Top + by, rect.Right - by, rect.Bottom - by}; }

bool Contains(const Rect& rect, Point point) {
  return point.X >= rect.Left && point.X < rect.Right && point.Y >= rect.Top && point.Y < rect.Bottom;
}

// The raised look of a button face: white and black outside, face and grey inside.
void RaisedFrame(TBitmap& picture, const Rect& rect) {
  Edge(picture, rect, kHighlight, kDarkShadow);
  Edge(picture, Inset(rect, 1), kFace, kShadow);
}

// A dotted rectangle, every other pixel, as the keyboard focus shows.
void FocusRect(TBitmap& picture, const Rect& rect) {
  if (rect.IsEmpty()) return;
  for (int x = rect.Left; x < rect.Right; ++x) {
    if (((x - rect.Left) & 1) == 0) {
      picture.SetPixel(x, rect.Top, kText);
      picture.SetPixel(x, rect.Bottom - 1, kText);
    }
  }
  for (int y = rect.Top; y < rect.Bottom; ++y) {
    if (((y - rect.Top) & 1) == 0) {
      picture.SetPixel(rect.Left, y, kText);
      picture.SetPixel(rect.Right - 1, y, kText);
    }
  }
}

// The text without mnemonic markers: "&x" shows x, "&&" shows one ampersand.
std::string ShownText(std::u16string_view text) {
  std::u16string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size()) shown.push_back(text[++i]);
      continue;
    }
    shown.push_back(text[i]);
  }
  return Utf16ToUtf8(shown);
}

// Lines of a static text: carriage returns and line feeds break lines (a CR LF pair
// once), and lines wrap between words at the width; a word wider than the width
// stands alone on its line and is clipped.
std::vector<std::string> WrapLines(const TTextFont& font, std::u16string_view text, int width) {
  std::vector<std::string> lines;
  std::vector<std::u16string> paragraphs(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      paragraphs.emplace_back();
    } else {
      paragraphs.back().push_back(text[i]);
    }
  }
  // The text after the last line break shows only when it is not empty.
  if (paragraphs.size() > 1 && paragraphs.back().empty()) paragraphs.pop_back();
  for (const std::u16string& paragraph : paragraphs) {
    const std::string utf8 = ShownText(paragraph);
    std::string line;
    std::size_t start = 0;
    bool placed = false;
    while (start <= utf8.size()) {
      std::size_t end = utf8.find(' ', start);
      if (end == std::string::npos) end = utf8.size();
      const std::string word = utf8.substr(start, end - start);
      const std::string candidate = line.empty() && !placed ? word : line + " " + word;
      if (placed && font.TextWidth(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      placed = true;
      start = end + 1;
    }
    lines.push_back(line);
  }
  return lines;
}

struct ScrollParts {
  Rect Bar;
  Rect LeftArrow;
  Rect RightArrow;
  Rect Track;
  std::optional<Rect> Thumb;
};

ScrollParts ScrollGeometry(const TDialogControlRecord& control, int position) {
  ScrollParts parts;
  const Rect& bounds = control.Bounds;
  const int height =
      (control.Style & SBS_TOPALIGN) != 0 ? std::min(kScrollBarSize, bounds.Height()) : bounds.Height();
  parts.Bar = Rect{0, 0, bounds.Width(), height};
  const int arrow = std::min(kScrollBarSize, bounds.Width() / 2);
  parts.LeftArrow = Rect{0, 0, arrow, height};
  parts.RightArrow = Rect{bounds.Width() - arrow, 0, bounds.Width(), height};
  parts.Track = Rect{arrow, 0, bounds.Width() - arrow, height};
  const int travel = parts.Track.Width() - kScrollBarSize;
  if (travel >= 0 && control.Maximum > control.Minimum) {
    const int offset = MulDiv(position - control.Minimum, travel, control.Maximum - control.Minimum);
    parts.Thumb = Rect{parts.Track.Left + offset, 0, parts.Track.Left + offset + kScrollBarSize, height};
  }
  return parts;
}

// The position a thumb whose left edge is at x stands for.
int ThumbPosition(const TDialogControlRecord& control, int thumb_left) {
  const ScrollParts parts = ScrollGeometry(control, control.Minimum);
  const int travel = parts.Track.Width() - kScrollBarSize;
  if (travel <= 0) return control.Minimum;
  const int offset = std::clamp(thumb_left - parts.Track.Left, 0, travel);
  return control.Minimum + MulDiv(offset, control.Maximum - control.Minimum, travel);
}

void Arrow(TBitmap& picture, const Rect& rect, bool left, bool pushed) {
  Fill(picture, rect, kFace);
  if (pushed) {
    Edge(picture, rect, kShadow, kShadow);
  } else {
    Edge(picture, rect, kFace, kDarkShadow);
    Edge(picture, Inset(rect, 1), kHighlight, kShadow);
  }
  // A black triangle, four pixels from tip to base.
  const int shift = pushed ? 1 : 0;
  const int centre_x = rect.Left + rect.Width() / 2 + shift;
  const int centre_y = rect.Top + rect.Height() / 2 + shift;
  for (int column = 0; column < 4; ++column) {
    const int x = left ? centre_x - 2 + column : centre_x + 1 - column;
    Fill(picture, Rect{x, centre_y - column, x + 1, centre_y + column + 1}, kText);
  }
}

}  // namespace

namespace {
bool IsPushButton(const TDialogControlRecord& control) {
  const std::uint32_t type = control.Style & kButtonType;
  return control.Class == DialogControlClass::Button && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}
bool IsCheckBox(const TDialogControlRecord& control) {
  return control.Class == DialogControlClass::Button && (control.Style & kButtonType) == BS_AUTOCHECKBOX;
}
}  // namespace

// ---- Placement ------------------------------------------------------------------

std::optional<Point> TWindowSystem::ScreenOrigin(WindowHandle window) {
  const Window* found = Find(window);
  if (found == nullptr) return std::nullopt;
  if (found->ControlState) {
    const std::optional<Point> dialog = ScreenOrigin(found->ControlState->Dialog);
    if (!dialog) return std::nullopt;
    return Point{dialog->X + found->ControlState->Bounds.Left, dialog->Y + found->ControlState->Bounds.Top};
  }
  if (const std::optional<Point> origin = backend_->ClientOrigin(window)) return origin;
  return Point{found->ScreenBounds.Left, found->ScreenBounds.Top};
}

std::optional<Rect> TWindowSystem::GetWindowRect(WindowHandle window) {
  const std::optional<Point> origin = ScreenOrigin(window);
  const std::optional<Rect> client = GetClientRect(window);
  if (!origin || !client) return std::nullopt;
  return Bounds(origin->X, origin->Y, client->Width(), client->Height());
}

bool TWindowSystem::SetWindowPos(WindowHandle window, int x, int y, int cx, int cy, UINT flags) {
  Window* found = Find(window);
  if (found == nullptr) return false;
  if (Control* control = found->ControlState.get()) {
    Rect bounds = control->Bounds;
    if ((flags & SWP_NOMOVE) == 0) bounds = Bounds(x, y, bounds.Width(), bounds.Height());
    if ((flags & SWP_NOSIZE) == 0) bounds = Bounds(bounds.Left, bounds.Top, std::max(cx, 0), std::max(cy, 0));
    control->Bounds = bounds;
    Invalidate(control->Dialog);
    return true;
  }
  if (found->Foreign) return false;
  Rect bounds = found->ScreenBounds;
  if (const std::optional<Point> origin = backend_->ClientOrigin(window)) {
    bounds = Bounds(origin->X, origin->Y, bounds.Width(), bounds.Height());
  }
  if ((flags & SWP_NOMOVE) == 0) bounds = Bounds(x, y, bounds.Width(), bounds.Height());
  if ((flags & SWP_NOSIZE) == 0 && cx > 0 && cy > 0) {
    bounds = Bounds(bounds.Left, bounds.Top, std::min(cx, kMaxDialogPixels), std::min(cy, kMaxDialogPixels));
  }
  found->ScreenBounds = bounds;
  if (bounds.Width() != found->Surface.Width() || bounds.Height() != found->Surface.Height()) {
    found->Surface = TBitmap(bounds.Width(), bounds.Height());
    Fill(found->Surface, found->Surface.BoundsRect(), found->Dialog ? kFace : RGB(0, 0, 0));
    found->Drawn = true;
    found->DrawnAnywhere = true;  // a dialog repaints without saying where
    if (found->Dialog) found->Dialog->Dirty = true;
  }
  backend_->Move(window, bounds);
  return true;
}

bool TWindowSystem::ShowWindow(WindowHandle window, int command) {
  Window* found = Find(window);
  if (found == nullptr) return false;
  const bool show = command != SW_HIDE;
  if (Control* control = found->ControlState.get()) {
    const bool was = (control->Style & WS_VISIBLE) != 0;
    control->Style = show ? (control->Style | WS_VISIBLE) : (control->Style & ~WS_VISIBLE);
    Invalidate(control->Dialog);
    PresentDrawnWindows();
    return was;
  }
  const bool was = found->Visible;
  if (was == show) return was;
  found->Visible = show;
  backend_->Show(window, show);
  if (show) {
    found->Shown = TBitmap();  // a window coming up shows its whole picture
    found->Drawn = true;
    found->DrawnAnywhere = true;  // a dialog repaints without saying where
    if (found->Dialog) found->Dialog->Dirty = true;
    PresentDrawnWindows();
  }
  return was;
}

bool TWindowSystem::IsWindowVisible(WindowHandle window) const {
  const Window* found = Find(window);
  if (found == nullptr) return false;
  if (found->ControlState) {
    const Window* dialog = Find(found->ControlState->Dialog);
    return (found->ControlState->Style & WS_VISIBLE) != 0 && dialog != nullptr && dialog->Visible;
  }
  return found->Visible;
}

bool TWindowSystem::SetForegroundWindow(WindowHandle window) {
  const Window* found = Find(window);
  if (found == nullptr || found->ControlState || found->Foreign) return false;
  backend_->Raise(window);
  return true;
}

std::optional<Point> TWindowSystem::GetCursorPos() {
  if (last_cursor_) return last_cursor_;
  return backend_->CursorPosition();
}

bool TWindowSystem::ScreenToClient(WindowHandle window, Point& point) {
  const std::optional<Point> origin = ScreenOrigin(window);
  if (!origin) return false;
  point = Point{point.X - origin->X, point.Y - origin->Y};
  return true;
}

int TWindowSystem::GetSystemMetrics(int index) {
  const ScreenSize screen = PrimaryScreenSize();
  if (index == SM_CXFULLSCREEN) return screen.Width;
  if (index == SM_CYFULLSCREEN) return screen.Height;
  return 0;
}

int TWindowSystem::GetDeviceCaps(WindowHandle /*window*/, int index) {
  if (index == LOGPIXELSY) return backend_->Dpi();
  return 0;
}

bool TWindowSystem::IsKeyDown(WPARAM virtual_key) {
  const auto found = keys_down_.find(virtual_key);
  return found != keys_down_.end() && found->second;
}

void TWindowSystem::NoteInput(const TMsg& message) {
  switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (const std::optional<Point> origin = ScreenOrigin(message.hwnd)) {
        last_cursor_ = Point{origin->X + PointParamX(message.lParam), origin->Y + PointParamY(message.lParam)};
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      keys_down_[message.wParam] = true;
      break;
    case WM_KEYUP:
      keys_down_[message.wParam] = false;
      break;
    default:
      break;
  }
}

// ---- Fonts ----------------------------------------------------------------------

FontHandle TWindowSystem::CreateFont(int height, int weight, bool underline, std::string_view face) {
  auto record = std::make_shared<FontRecord>();
  record->Font = TTextFont::Open(face, height, weight, underline);
  if (!record->Font) return kNoFont;
  const FontHandle handle = next_font_++;
  fonts_[handle] = std::move(record);
  return handle;
}

bool TWindowSystem::DeleteObject(FontHandle font) {
  const auto found = fonts_.find(font);
  if (found == fonts_.end()) return false;
  for (const auto& [handle, window] : windows_) {
    if (window->ControlState && window->ControlState->Font == found->second) {
      window->ControlState->Font.reset();
      Invalidate(window->ControlState->Dialog);
    }
  }
  fonts_.erase(found);
  return true;
}

const TTextFont* TWindowSystem::ControlFont(const Control& control) {
  if (control.Font && control.Font->Font) return control.Font->Font.get();
  const DialogState* dialog = FindDialog(control.Dialog);
  if (dialog != nullptr && dialog->Font && dialog->Font->Font) return dialog->Font->Font.get();
  return nullptr;
}

// ---- Dialog records -------------------------------------------------------------

TWindowSystem::DialogState* TWindowSystem::FindDialog(WindowHandle dialog) {
  Window* found = Find(dialog);
  return found == nullptr ? nullptr : found->Dialog.get();
}

TWindowSystem::Control* TWindowSystem::FindControl(WindowHandle control) {
  Window* found = Find(control);
  return found == nullptr ? nullptr : found->ControlState.get();
}

TWindowSystem::Control* TWindowSystem::FindDlgItem(WindowHandle dialog, int id) {
  return FindControl(GetDlgItem(dialog, id));
}

void TWindowSystem::Invalidate(WindowHandle window) {
  Window* found = Find(window);
  if (found == nullptr) return;
  if (found->ControlState) {
    Invalidate(found->ControlState->Dialog);
    return;
  }
  if (found->Dialog) found->Dialog->Dirty = true;
  found->Drawn = true;
  found->DrawnAnywhere = true;  // a dialog repaints without saying where
}

void TWindowSystem::DestroyControls(WindowHandle dialog) {
  Window* found = Find(dialog);
  if (found == nullptr || !found->Dialog) return;
  const std::vector<WindowHandle> controls = found->Dialog->Controls;
  for (const WindowHandle control : controls) windows_.erase(control);
  fonts_.erase(found->Dialog->FontId);
}

WindowHandle TWindowSystem::CreateDialogIndirectParam(std::span<const std::uint8_t> dialog_template,
                                                      WindowHandle parent, DialogProcedure procedure,
                                                      LPARAM init_param) {
  const std::optional<DialogTemplate> parsed = ParseDialogTemplate(dialog_template);
  if (!parsed) return kNoWindow;
  const int dpi = backend_->Dpi();
  auto font = std::make_shared<FontRecord>();
  const bool own_font = (parsed->Style & DS_SETFONT) != 0;
  const std::string face = own_font ? Utf16ToUtf8(parsed->FaceName) : std::string("MS Sans Serif");
  const int points = own_font ? parsed->PointSize : 8;
  font->Font = TTextFont::Open(face, -MulDiv(points, dpi, 72), 400, false);
  const DialogBaseUnits units =
      font->Font ? font->Font->BaseUnits() : DialogBaseUnits{MulDiv(6, dpi, 96), MulDiv(13, dpi, 96)};
  const auto map_x = [&](int value) { return MulDiv(value, units.X, 4); };
  const auto map_y = [&](int value) { return MulDiv(value, units.Y, 8); };

  Point origin{map_x(parsed->X), map_y(parsed->Y)};
  if (parent != kNoWindow) {
    if (const std::optional<Point> parent_origin = ScreenOrigin(parent)) {
      origin = Point{origin.X + parent_origin->X, origin.Y + parent_origin->Y};
    }
  }
  // A dialog larger than any screen is refused before its picture is allocated.
  const int width = std::max(map_x(parsed->Width), 1);
  const int height = std::max(map_y(parsed->Height), 1);
  if (width > kMaxDialogPixels || height > kMaxDialogPixels) return kNoWindow;
  const Rect bounds = Bounds(origin.X, origin.Y, width, height);
  NativeWindowRequest request;
  request.Kind = NativeWindowKind::Dialog;
  request.Parent = parent;
  request.Bounds = bounds;
  request.Visible = (parsed->Style & WS_VISIBLE) != 0;
  request.Title = Utf16ToUtf8(parsed->Title);
  const WindowHandle handle = backend_->Create(request);
  if (handle == kNoWindow || IsWindow(handle)) return kNoWindow;

  TWindowClass dialog_class;
  dialog_class.ClassName = "#32770";
  dialog_class.Cursor = CursorShape::Arrow;
  dialog_class.Procedure = [this](WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) {
    return DialogWindowProcedure(window, message, w_param, l_param);
  };
  {
    auto window = std::make_unique<Window>();
    window->Class = dialog_class;
    window->Surface = TBitmap(bounds.Width(), bounds.Height());
    Fill(window->Surface, window->Surface.BoundsRect(), kFace);
    window->ScreenBounds = bounds;
    window->Visible = request.Visible;
    window->Text = parsed->Title;
    window->Dialog = std::make_unique<DialogState>();
    window->Dialog->Units = units;
    window->Dialog->Font = font;
    windows_[handle] = std::move(window);
  }
  UpdateCursor();
  const FontHandle dialog_font = next_font_++;
  fonts_[dialog_font] = font;
  FindDialog(handle)->FontId = dialog_font;

  TWindowClass control_class;
  control_class.ClassName = "control";
  control_class.Procedure = [this](WindowHandle window, UINT message, WPARAM w_param, LPARAM l_param) {
    return ControlProcedure(window, message, w_param, l_param);
  };
  std::vector<WindowHandle> controls;
  for (const DialogItemTemplate& item : parsed->Items) {
    auto control = std::make_unique<Control>();
    control->Dialog = handle;
    control->Class = item.Class;
    control->Style = item.Style;
    control->Id = item.Id;
    const int left = map_x(item.X);
    const int top = map_y(item.Y);
    control->Bounds = Bounds(left, top, std::max(map_x(item.Width), 0), std::max(map_y(item.Height), 0));
    control->Text = item.Text;
    auto window = std::make_unique<Window>();
    window->Class = control_class;
    window->ControlState = std::move(control);
    window->Text = item.Text;
    const WindowHandle control_handle = next_control_++;
    windows_[control_handle] = std::move(window);
    controls.push_back(control_handle);
  }
  FindDialog(handle)->Controls = controls;
  // The procedure hears nothing before the controls exist, as a dialog procedure is
  // attached once the dialog is made.
  FindDialog(handle)->Procedure = std::move(procedure);
  CallDialogProcedure(handle, WM_SETFONT, dialog_font, 0);
  for (const WindowHandle control : controls) SendMessage(control, WM_SETFONT, dialog_font, 0);

  WindowHandle first_stop = kNoWindow;
  for (const WindowHandle control : controls) {
    const Control* state = FindControl(control);
    if (state != nullptr && (state->Style & WS_TABSTOP) != 0 && (state->Style & WS_VISIBLE) != 0) {
      first_stop = control;
      break;
    }
  }
  const LRESULT focus_default = CallDialogProcedure(handle, WM_INITDIALOG, first_stop, init_param);
  DialogState* state = FindDialog(handle);
  if (state == nullptr) return kNoWindow;  // the procedure destroyed its dialog
  if (focus_default != 0 || state->Focus == kNoWindow) state->Focus = first_stop;
  Invalidate(handle);
  if (IsWindowVisible(handle)) PresentDrawnWindows();
  return handle;
}

LRESULT TWindowSystem::CallDialogProcedure(WindowHandle dialog, UINT message, WPARAM w_param, LPARAM l_param) {
  const DialogState* state = FindDialog(dialog);
  if (state == nullptr || !state->Procedure) return 0;
  const DialogProcedure procedure = state->Procedure;  // may destroy its dialog
  return procedure(dialog, message, w_param, l_param);
}

LRESULT TWindowSystem::DialogWindowProcedure(WindowHandle dialog, UINT message, WPARAM w_param, LPARAM l_param) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      DialogMouse(dialog, message, Point{PointParamX(l_param), PointParamY(l_param)});
      return 0;
    case WM_PAINT:
      Invalidate(dialog);
      return 0;
    case WM_SYSCOMMAND: {
      const LRESULT handled = CallDialogProcedure(dialog, message, w_param, l_param);
      // Unhandled, the close command asks the dialog to close, and closing a dialog is
      // its Cancel command; the dialog itself stays until its owner destroys it.
      if (handled == 0 && (w_param & 0xFFF0) == SC_CLOSE && CallDialogProcedure(dialog, WM_CLOSE, 0, 0) == 0) {
        CallDialogProcedure(dialog, WM_COMMAND, MakeWParam(IDCANCEL, kButtonClicked),
                            static_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      }
      return handled;
    }
    default:
      return CallDialogProcedure(dialog, message, w_param, l_param);
  }
}

namespace {
int SetPosition(TDialogControlRecord& control, int position) {
  const int previous = control.Position;
  control.Position = std::clamp(position, control.Minimum, std::max(control.Minimum, control.Maximum));
  return previous;
}
}  // namespace

LRESULT TWindowSystem::ControlProcedure(WindowHandle control, UINT message, WPARAM w_param, LPARAM l_param) {
  Control* state = FindControl(control);
  if (state == nullptr) return 0;
  switch (message) {
    case WM_SETFONT: {
      const auto found = fonts_.find(w_param);
      state->Font = found == fonts_.end() ? nullptr : found->second;
      if (LoWord(static_cast<WPARAM>(l_param)) != 0) Invalidate(control);
      return 0;
    }
    case BM_GETCHECK:
      return IsCheckBox(*state) ? state->Check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (IsCheckBox(*state)) {
        state->Check = w_param == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
        Invalidate(control);
      }
      return 0;
    case BM_CLICK:
      if (state->Class == DialogControlClass::Button) PressButton(control);
      return 0;
    case SBM_SETPOS: {
      if (state->Class != DialogControlClass::ScrollBar) return 0;
      const int previous = SetPosition(*state, static_cast<int>(static_cast<std::int64_t>(w_param)));
      if (l_param != 0) Invalidate(control);
      return previous;
    }
    case SBM_GETPOS:
      return state->Class == DialogControlClass::ScrollBar ? state->Position : 0;
    case SBM_SETRANGE: {
      if (state->Class != DialogControlClass::ScrollBar) return 0;
      state->Minimum = static_cast<int>(static_cast<std::int64_t>(w_param));
      state->Maximum = static_cast<int>(l_param);
      const int previous = SetPosition(*state, state->Position);
      Invalidate(control);
      return previous;
    }
    case SBM_GETRANGE:
      // Both ends in one result: the minimum in the low 32 bits, the maximum above.
      if (state->Class != DialogControlClass::ScrollBar) return 0;
      return static_cast<LRESULT>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(state->Maximum)) << 32) |
                                  static_cast<std::uint32_t>(state->Minimum));
    default:
      return 0;
  }
}

// ---- Dialog and control calls -----------------------------------------------------

bool TWindowSystem::MapDialogRect(WindowHandle dialog, Rect& rect) {
  const DialogState* state = FindDialog(dialog);
  if (state == nullptr) return false;
  rect = Rect{MulDiv(rect.Left, state->Units.X, 4), MulDiv(rect.Top, state->Units.Y, 8),
              MulDiv(rect.Right, state->Units.X, 4), MulDiv(rect.Bottom, state->Units.Y, 8)};
  return true;
}

std::optional<DialogBaseUnits> TWindowSystem::GetDialogBaseUnits(WindowHandle dialog) {
  const DialogState* state = FindDialog(dialog);
  if (state == nullptr) return std::nullopt;
  return state->Units;
}

WindowHandle TWindowSystem::GetDlgItem(WindowHandle dialog, int id) {
  const DialogState* state = FindDialog(dialog);
  if (state == nullptr) return kNoWindow;
  for (const WindowHandle control : state->Controls) {
    const Control* found = FindControl(control);
    if (found != nullptr && found->Id == (id & 0xFFFF)) return control;
  }
  return kNoWindow;
}

int TWindowSystem::GetDlgCtrlID(WindowHandle control) {
  const Control* found = FindControl(control);
  return found == nullptr ? 0 : found->Id;
}

bool TWindowSystem::SetWindowText(WindowHandle window, std::u16string_view text) {
  Window* found = Find(window);
  if (found == nullptr) return false;
  found->Text = std::u16string(text);
  if (found->ControlState) found->ControlState->Text = found->Text;
  Invalidate(window);
  return true;
}

std::u16string TWindowSystem::GetWindowText(WindowHandle window) {
  const Window* found = Find(window);
  return found == nullptr ? std::u16string() : found->Text;
}

bool TWindowSystem::SetDlgItemText(WindowHandle dialog, int id, std::u16string_view text) {
  const WindowHandle control = GetDlgItem(dialog, id);
  return control != kNoWindow && SetWindowText(control, text);
}

std::u16string TWindowSystem::GetDlgItemText(WindowHandle dialog, int id) { return GetWindowText(GetDlgItem(dialog, id)); }

bool TWindowSystem::CheckDlgButton(WindowHandle dialog, int id, UINT check) {
  const WindowHandle control = GetDlgItem(dialog, id);
  if (control == kNoWindow) return false;
  SendMessage(control, BM_SETCHECK, check, 0);
  return true;
}

UINT TWindowSystem::IsDlgButtonChecked(WindowHandle dialog, int id) {
  const WindowHandle control = GetDlgItem(dialog, id);
  if (control == kNoWindow) return BST_UNCHECKED;
  return static_cast<UINT>(SendMessage(control, BM_GETCHECK, 0, 0));
}

std::uint32_t TWindowSystem::GetWindowStyle(WindowHandle window) {
  const Window* found = Find(window);
  if (found == nullptr) return 0;
  return found->ControlState ? found->ControlState->Style : 0;
}

WindowHandle TWindowSystem::GetFocus(WindowHandle dialog) {
  const DialogState* state = FindDialog(dialog);
  return state == nullptr ? kNoWindow : state->Focus;
}

bool TWindowSystem::SetFocus(WindowHandle control) {
  const Control* found = FindControl(control);
  if (found == nullptr) return false;
  DialogState* state = FindDialog(found->Dialog);
  if (state == nullptr) return false;
  state->Focus = control;
  Invalidate(found->Dialog);
  return true;
}

int TWindowSystem::SetScrollRange(WindowHandle control, int bar, int min, int max, bool redraw) {
  Control* found = FindControl(control);
  if (bar != SB_CTL || found == nullptr || found->Class != DialogControlClass::ScrollBar) return 0;
  if (static_cast<std::int64_t>(max) - min > INT32_MAX) return 0;
  found->Minimum = min;
  found->Maximum = max;
  SetPosition(*found, found->Position);
  if (redraw) Invalidate(control);
  return 1;
}

int TWindowSystem::SetScrollPos(WindowHandle control, int bar, int pos, bool redraw) {
  if (bar != SB_CTL) return 0;
  return static_cast<int>(SendMessage(control, SBM_SETPOS, static_cast<WPARAM>(static_cast<std::int64_t>(pos)), redraw ? 1 : 0));
}

int TWindowSystem::GetScrollPos(WindowHandle control, int bar) {
  if (bar != SB_CTL) return 0;
  return static_cast<int>(SendMessage(control, SBM_GETPOS, 0, 0));
}

bool TWindowSystem::GetScrollRange(WindowHandle control, int bar, int& min, int& max) {
  const Control* found = FindControl(control);
  if (bar != SB_CTL || found == nullptr || found->Class != DialogControlClass::ScrollBar) return false;
  min = found->Minimum;
  max = found->Maximum;
  return true;
}

// ---- Input --------------------------------------------------------------------------

WindowHandle TWindowSystem::DefaultButton(WindowHandle dialog) {
  const DialogState* state = FindDialog(dialog);
  if (state == nullptr) return kNoWindow;
  for (const WindowHandle control : state->Controls) {
    const Control* found = FindControl(control);
    if (found != nullptr && found->Class == DialogControlClass::Button && (found->Style & kButtonType) == BS_DEFPUSHBUTTON) {
      return control;
    }
  }
  return kNoWindow;
}

void TWindowSystem::PressButton(WindowHandle control) {
  Control* found = FindControl(control);
  if (found == nullptr) return;
  if (IsCheckBox(*found)) {
    found->Check = found->Check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    Invalidate(control);
  }
  const WindowHandle dialog = found->Dialog;
  const int id = found->Id;
  CallDialogProcedure(dialog, WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(id), kButtonClicked),
                      static_cast<LPARAM>(control));
}

void TWindowSystem::SendScroll(WindowHandle control, WPARAM request, int position) {
  const Control* found = FindControl(control);
  if (found == nullptr) return;
  CallDialogProcedure(found->Dialog, WM_HSCROLL, MakeWParam(static_cast<std::uint32_t>(request), static_cast<std::uint32_t>(position)),
                      static_cast<LPARAM>(control));
}

void TWindowSystem::MoveFocus(WindowHandle dialog, bool backwards) {
  const DialogState* state = FindDialog(dialog);
  if (state == nullptr) return;
  std::vector<WindowHandle> stops;
  for (const WindowHandle control : state->Controls) {
    const Control* found = FindControl(control);
    if (found != nullptr && (found->Style & WS_TABSTOP) != 0 && (found->Style & WS_VISIBLE) != 0) stops.push_back(control);
  }
  if (stops.empty()) return;
  const auto current = std::find(stops.begin(), stops.end(), state->Focus);
  std::size_t next = 0;
  if (current == stops.end()) {
    next = backwards ? stops.size() - 1 : 0;
  } else {
    const auto index = static_cast<std::size_t>(current - stops.begin());
    next = backwards ? (index + stops.size() - 1) % stops.size() : (index + 1) % stops.size();
  }
  SetFocus(stops[next]);
}

bool TWindowSystem::IsDialogMessage(WindowHandle dialog, const TMsg& message) {
  if (FindDialog(dialog) == nullptr) return false;
  const Control* addressed = FindControl(message.hwnd);
  if (message.hwnd != dialog && (addressed == nullptr || addressed->Dialog != dialog)) return false;
  if (message.message == WM_KEYDOWN) {
    const WindowHandle focus = GetFocus(dialog);
    const Control* focused = FindControl(focus);
    switch (message.wParam) {
      case VK_TAB:
        MoveFocus(dialog, IsKeyDown(VK_SHIFT));
        break;
      case VK_RETURN: {
        WindowHandle button = focused != nullptr && IsPushButton(*focused) ? focus : DefaultButton(dialog);
        const int id = button != kNoWindow ? GetDlgCtrlID(button) : IDOK;
        CallDialogProcedure(dialog, WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(id), kButtonClicked),
                            static_cast<LPARAM>(button));
        break;
      }
      case VK_ESCAPE:
        CallDialogProcedure(dialog, WM_COMMAND, MakeWParam(IDCANCEL, kButtonClicked),
                            static_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        break;
      case VK_SPACE:
        if (focused != nullptr && focused->Class == DialogControlClass::Button) PressButton(focus);
        break;
      case VK_LEFT:
      case VK_UP:
      case VK_RIGHT:
      case VK_DOWN:
        if (focused != nullptr && focused->Class == DialogControlClass::ScrollBar) {
          const bool left = message.wParam == VK_LEFT || message.wParam == VK_UP;
          SendScroll(focus, left ? SB_LINELEFT : SB_LINERIGHT);
          SendScroll(focus, SB_ENDSCROLL);
        }
        break;
      default:
        break;
    }
    PresentDrawnWindows();
    return true;
  }
  if (message.message == WM_CHAR || message.message == WM_KEYUP) {
    NoteInput(message);
    return true;
  }
  DispatchMessage(message);
  return true;
}

void TWindowSystem::DialogMouse(WindowHandle dialog, UINT message, Point point) {
  DialogState* state = FindDialog(dialog);
  if (state == nullptr) return;
  if (message == WM_LBUTTONDOWN) {
    WindowHandle hit = kNoWindow;
    for (const WindowHandle control : state->Controls) {
      const Control* found = FindControl(control);
      // Static texts let clicks through to the dialog.
      if (found != nullptr && found->Class != DialogControlClass::Static && (found->Style & WS_VISIBLE) != 0 &&
          Contains(found->Bounds, point)) {
        hit = control;
        break;
      }
    }
    Control* control = FindControl(hit);
    if (control == nullptr) return;
    if (control->Class == DialogControlClass::Button) {
      state->Focus = hit;
      state->Captured = hit;
      state->Tracking = DialogTracking::Button;
      control->Pushed = true;
      Invalidate(dialog);
      return;
    }
    if ((control->Style & WS_TABSTOP) != 0) state->Focus = hit;
    const Point local{point.X - control->Bounds.Left, point.Y - control->Bounds.Top};
    const ScrollParts parts = ScrollGeometry(*control, control->Position);
    if (!Contains(parts.Bar, local)) return;
    state->Captured = hit;
    Invalidate(dialog);
    if (Contains(parts.LeftArrow, local)) {
      state->Tracking = DialogTracking::LineLeft;
      SendScroll(hit, SB_LINELEFT);
    } else if (Contains(parts.RightArrow, local)) {
      state->Tracking = DialogTracking::LineRight;
      SendScroll(hit, SB_LINERIGHT);
    } else if (parts.Thumb && Contains(*parts.Thumb, local)) {
      state->Tracking = DialogTracking::Thumb;
      state->ThumbGrab = local.X - parts.Thumb->Left;
      state->ThumbTrack = control->Position;
      SendScroll(hit, SB_THUMBTRACK, control->Position);
    } else if (parts.Thumb && local.X >= parts.Thumb->Right) {
      state->Tracking = DialogTracking::PageRight;
      SendScroll(hit, SB_PAGERIGHT);
    } else if (parts.Thumb || local.X < parts.Bar.Width() / 2) {
      state->Tracking = DialogTracking::PageLeft;
      SendScroll(hit, SB_PAGELEFT);
    } else {
      state->Tracking = DialogTracking::PageRight;
      SendScroll(hit, SB_PAGERIGHT);
    }
    return;
  }
  const WindowHandle captured = state->Captured;
  Control* control = FindControl(captured);
  if (control == nullptr) {
    state->Captured = kNoWindow;
    state->Tracking = DialogTracking::None;
    return;
  }
  const bool inside = Contains(control->Bounds, point);
  const DialogTracking tracking = state->Tracking;
  if (message == WM_MOUSEMOVE) {
    if (tracking == DialogTracking::Button && control->Pushed != inside) {
      control->Pushed = inside;
      Invalidate(dialog);
    } else if (tracking == DialogTracking::Thumb) {
      const int position = ThumbPosition(*control, point.X - control->Bounds.Left - state->ThumbGrab);
      if (position != state->ThumbTrack) {
        state->ThumbTrack = position;
        Invalidate(dialog);
        SendScroll(captured, SB_THUMBTRACK, position);
      }
    }
    return;
  }
  if (message != WM_LBUTTONUP) return;
  state->Captured = kNoWindow;
  state->Tracking = DialogTracking::None;
  Invalidate(dialog);
  if (tracking == DialogTracking::Button) {
    control->Pushed = false;
    if (inside) PressButton(captured);
    return;
  }
  if (tracking == DialogTracking::Thumb) SendScroll(captured, SB_THUMBPOSITION, state->ThumbTrack);
  SendScroll(captured, SB_ENDSCROLL);
}

// ---- Drawing ------------------------------------------------------------------------

void TWindowSystem::PaintDialog(WindowHandle dialog) {
  Window* window = Find(dialog);
  if (window == nullptr || !window->Dialog) return;
  DialogState& state = *window->Dialog;
  state.Dirty = false;
  window->Drawn = true;
  window->DrawnAnywhere = true;  // a dialog repaints without saying where
  TBitmap& picture = window->Surface;
  Fill(picture, picture.BoundsRect(), kFace);
  const WindowHandle default_button = DefaultButton(dialog);
  const Control* focused = FindControl(state.Focus);
  const bool focus_on_push_button = focused != nullptr && IsPushButton(*focused);
  for (const WindowHandle handle : state.Controls) {
    const Control* control = FindControl(handle);
    if (control == nullptr || (control->Style & WS_VISIBLE) == 0 || control->Bounds.IsEmpty()) continue;
    const TTextFont* font = ControlFont(*control);
    const Rect& r = control->Bounds;
    const bool has_focus = handle == state.Focus;
    switch (control->Class) {
      case DialogControlClass::Static: {
        if (font == nullptr) break;
        const std::vector<std::string> lines = WrapLines(*font, control->Text, r.Width());
        int y = r.Top;
        for (const std::string& line : lines) {
          if (y >= r.Bottom) break;
          font->Draw(picture, r.Left, y, line, kText, r);
          y += font->Height();
        }
        break;
      }
      case DialogControlClass::Button: {
        if (IsCheckBox(*control)) {
          const int top = r.Top + (r.Height() - kCheckBoxSize) / 2;
          const Rect box = Bounds(r.Left, top, kCheckBoxSize, kCheckBoxSize);
          Fill(picture, Inset(box, 2), control->Pushed ? kFace : kWindow);
          Edge(picture, box, kShadow, kHighlight);
          Edge(picture, Inset(box, 1), kDarkShadow, kFace);
          if (control->Check == BST_CHECKED) {
            static constexpr int kTickTop[7] = {5, 6, 7, 6, 5, 4, 3};
            for (int column = 0; column < 7; ++column) {
              Fill(picture, Bounds(box.Left + 3 + column, box.Top + kTickTop[column], 1, 3), kText);
            }
          }
          if (font != nullptr) {
            const std::string text = ShownText(control->Text);
            const int text_left = box.Right + 4;
            const int text_top = r.Top + (r.Height() - font->Height()) / 2;
            font->Draw(picture, text_left, text_top, text, kText, r);
            if (has_focus) {
              const Rect around{text_left - 1, text_top - 1,
                                std::min(r.Right, text_left + font->TextWidth(text) + 1),
                                std::min(r.Bottom, text_top + font->Height() + 1)};
              FocusRect(picture, around);
            }
          }
          break;
        }
        const bool default_look =
            has_focus ? IsPushButton(*control) : (handle == default_button && !focus_on_push_button);
        Fill(picture, r, kFace);
        Rect face = r;
        if (default_look) {
          Edge(picture, face, kDarkShadow, kDarkShadow);
          face = Inset(face, 1);
        }
        if (control->Pushed) {
          Edge(picture, face, kShadow, kShadow);
        } else {
          RaisedFrame(picture, face);
        }
        const int shift = control->Pushed ? 1 : 0;
        if (font != nullptr) {
          const std::string text = ShownText(control->Text);
          const int x = r.Left + (r.Width() - font->TextWidth(text)) / 2 + shift;
          const int y = r.Top + (r.Height() - font->Height()) / 2 + shift;
          font->Draw(picture, x, y, text, kText, Inset(face, 2));
        }
        if (has_focus) FocusRect(picture, Inset(face, 3));
        break;
      }
      case DialogControlClass::ScrollBar: {
        const bool tracking_this = state.Captured == handle;
        const int position =
            tracking_this && state.Tracking == DialogTracking::Thumb ? state.ThumbTrack : control->Position;
        ScrollParts parts = ScrollGeometry(*control, position);
        const auto at = [&](Rect part) {
          return Rect{part.Left + r.Left, part.Top + r.Top, part.Right + r.Left, part.Bottom + r.Top};
        };
        const Rect track = at(parts.Track);
        // The track: a fine chequer of white and face grey.
        for (int y = std::max(track.Top, 0); y < std::min(track.Bottom, picture.Height()); ++y) {
          for (int x = std::max(track.Left, 0); x < std::min(track.Right, picture.Width()); ++x) {
            picture.SetPixel(x, y, ((x + y) & 1) == 0 ? kHighlight : kFace);
          }
        }
        Arrow(picture, at(parts.LeftArrow), true, tracking_this && state.Tracking == DialogTracking::LineLeft);
        Arrow(picture, at(parts.RightArrow), false, tracking_this && state.Tracking == DialogTracking::LineRight);
        if (parts.Thumb) {
          const Rect thumb = at(*parts.Thumb);
          Fill(picture, thumb, kFace);
          Edge(picture, thumb, kFace, kDarkShadow);
          Edge(picture, Inset(thumb, 1), kHighlight, kShadow);
          if (has_focus) FocusRect(picture, Inset(thumb, 3));
        }
        break;
      }
    }
  }
}

}  // namespace velquora
