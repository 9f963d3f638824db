#pragma once
// What the window system keeps for each window, dialog, control and font. Private to
// the window system's own sources.
#include <memory>
#include <string>
#include <vector>

#include "platform/win/dialog_font.h"
#include "platform/win/dialog_template.h"
#include "platform/win/window_system.h"

namespace velquora {

struct TFontRecord {
  std::unique_ptr<TTextFont> Font;  // nullptr when no font file could be opened
};

// A control inside a dialog: it has a handle and a procedure like any window, but no
// native window; the dialog draws it into its own picture.
struct TDialogControlRecord {
  WindowHandle Dialog = kNoWindow;
  DialogControlClass Class = DialogControlClass::Static;
  std::uint32_t Style = 0;
  int Id = 0;
  Rect Bounds;  // pixels in the dialog's client area
  std::u16string Text;
  std::shared_ptr<TFontRecord> Font;  // from WM_SETFONT; the dialog's font when empty
  UINT Check = BST_UNCHECKED;
  bool Pushed = false;  // a button held down by the mouse or the space bar
  int Minimum = 0;      // scroll bars
  int Maximum = 100;
  int Position = 0;
};

// How the mouse holds a control between a button press and its release.
enum class DialogTracking { None, Button, LineLeft, LineRight, PageLeft, PageRight, Thumb };

struct TDialogRecord {
  DialogProcedure Procedure;
  DialogBaseUnits Units;
  std::shared_ptr<TFontRecord> Font;  // the template's font
  FontHandle FontId = kNoFont;         // its handle, freed with the dialog
  std::vector<WindowHandle> Controls;  // in template order (the tab order)
  WindowHandle Focus = kNoWindow;
  WindowHandle Captured = kNoWindow;  // the control the left button went down on
  DialogTracking Tracking = DialogTracking::None;
  int ThumbGrab = 0;   // where in the thumb the pointer took it
  int ThumbTrack = 0;  // the position the dragged thumb shows
  bool Dirty = true;   // to be painted before the picture is next shown
};

struct TWindowSystem::Window {
  TWindowClass Class;
  TBitmap Surface;
  bool Drawn = false;          // drawn on since it was last shown
  bool DrawnAnywhere = false;  // ... by a context that did not say where
  std::vector<Rect> DrawnParts;  // where the others drew
  TBitmap Shown;               // the picture as last shown; empty while the back end keeps it
  bool NativeGone = false;     // the back end's window no longer exists
  bool Foreign = false;        // another program's window: never destroyed by us
  bool Destroying = false;
  std::vector<PaletteEntry> Palette;
  Rect ScreenBounds;           // the client area on the screen
  bool Visible = true;
  std::u16string Text;         // the title
  std::unique_ptr<TDialogRecord> Dialog;    // a dialog's own state
  std::unique_ptr<TDialogControlRecord> ControlState;  // a control's own state (no native window)
};

}  // namespace velquora
