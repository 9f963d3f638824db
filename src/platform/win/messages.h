#pragma once
// Window messages, their parameters and the style bits the saver's windows use. The
// numbers are those of the Windows API so that parameters read the same everywhere.
#include <cstdint>

#include "platform/win/window_handle.h"

namespace velquora {

using WPARAM = std::uint64_t;
using LPARAM = std::int64_t;
using LRESULT = std::int64_t;
using UINT = std::uint32_t;

inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_NCACTIVATE = 0x0086;
// What a back end reports when a native window went away because its owner (the host
// window of a preview, the screen-saver daemon) destroyed it.
inline constexpr UINT kNativeWindowGone = WM_NCDESTROY;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSCHAR = 0x0106;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
// Button and scroll-bar control messages.
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr UINT SBM_SETPOS = 0x00E0;
inline constexpr UINT SBM_GETPOS = 0x00E1;
inline constexpr UINT SBM_SETRANGE = 0x00E2;
inline constexpr UINT SBM_GETRANGE = 0x00E3;
inline constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
inline constexpr UINT WM_PALETTECHANGED = 0x0311;

// WM_SYSCOMMAND commands.
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_SCREENSAVE = 0xF140;

// Scroll requests (low word of wParam of WM_HSCROLL; the high word holds the position
// for SB_THUMBPOSITION and SB_THUMBTRACK) and the bar a scroll function works on.
inline constexpr WPARAM SB_LINELEFT = 0;
inline constexpr WPARAM SB_LINERIGHT = 1;
inline constexpr WPARAM SB_PAGELEFT = 2;
inline constexpr WPARAM SB_PAGERIGHT = 3;
inline constexpr WPARAM SB_THUMBPOSITION = 4;
inline constexpr WPARAM SB_THUMBTRACK = 5;
inline constexpr WPARAM SB_ENDSCROLL = 8;
inline constexpr int SB_CTL = 2;

// Dialog command identifiers and check-box states.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr UINT BST_UNCHECKED = 0;
inline constexpr UINT BST_CHECKED = 1;

// System metrics, device capabilities, show commands and SetWindowPos flags.
inline constexpr int SM_CXFULLSCREEN = 16;
inline constexpr int SM_CYFULLSCREEN = 17;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;

// WM_ACTIVATE states (low word of wParam).
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;

// Window styles.
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;

// Dialog styles (of a dialog template's header).
inline constexpr std::uint32_t DS_SETFONT = 0x00000040;
inline constexpr std::uint32_t DS_MODALFRAME = 0x00000080;

// Control styles: buttons, static texts and scroll bars (the low bits of the style).
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr std::uint32_t BS_TYPEMASK = 0xF;
inline constexpr std::uint32_t SS_LEFT = 0x0;
inline constexpr std::uint32_t SBS_HORZ = 0x0;
inline constexpr std::uint32_t SBS_TOPALIGN = 0x2;

// Mouse-message key state (wParam): the left button is down.
inline constexpr WPARAM MK_LBUTTON = 0x0001;

// Class styles of the saver's window class.
inline constexpr std::uint32_t CS_VREDRAW = 0x0001;
inline constexpr std::uint32_t CS_HREDRAW = 0x0002;
inline constexpr std::uint32_t CS_DBLCLKS = 0x0008;
inline constexpr std::uint32_t CS_SAVEBITS = 0x0800;

// Virtual-key codes that input carries in wParam of the key messages.
inline constexpr WPARAM VK_BACK = 0x08;
inline constexpr WPARAM VK_TAB = 0x09;
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_SHIFT = 0x10;
inline constexpr WPARAM VK_CONTROL = 0x11;
inline constexpr WPARAM VK_MENU = 0x12;
inline constexpr WPARAM VK_ESCAPE = 0x1B;
inline constexpr WPARAM VK_SPACE = 0x20;
inline constexpr WPARAM VK_LEFT = 0x25;
inline constexpr WPARAM VK_UP = 0x26;
inline constexpr WPARAM VK_RIGHT = 0x27;
inline constexpr WPARAM VK_DOWN = 0x28;
inline constexpr WPARAM VK_NUMPAD0 = 0x60;
inline constexpr WPARAM VK_DIVIDE = 0x6F;
inline constexpr WPARAM VK_F1 = 0x70;
inline constexpr WPARAM VK_F24 = 0x87;
inline constexpr WPARAM VK_OEM_1 = 0xBA;  // ;: on a US keyboard
inline constexpr WPARAM VK_OEM_8 = 0xDF;

// A message as the queue holds it.
struct TMsg {
  WindowHandle hwnd = kNoWindow;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

constexpr std::uint16_t LoWord(WPARAM value) { return static_cast<std::uint16_t>(value & 0xFFFF); }
constexpr std::uint16_t HiWord(WPARAM value) { return static_cast<std::uint16_t>((value >> 16) & 0xFFFF); }
constexpr WPARAM MakeWParam(std::uint32_t low, std::uint32_t high) {
  return static_cast<WPARAM>(((high & 0xFFFF) << 16) | (low & 0xFFFF));
}
// The coordinates of a mouse message's lParam (signed 16 bits each).
constexpr int PointParamX(LPARAM value) { return static_cast<std::int16_t>(value & 0xFFFF); }
constexpr int PointParamY(LPARAM value) { return static_cast<std::int16_t>((value >> 16) & 0xFFFF); }
// a * b / c rounded to the nearest integer, halves away from zero, as GDI's MulDiv
// does; -1 when c is 0 or the result does not fit.
constexpr int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t numerator = static_cast<std::int64_t>(a) * b;
  std::int64_t divisor = c;
  if (divisor < 0) {
    numerator = -numerator;
    divisor = -divisor;
  }
  const std::int64_t result =
      numerator >= 0 ? (numerator + divisor / 2) / divisor : -((-numerator + divisor / 2) / divisor);
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int>(result);
}

// lParam of the mouse messages: x in the low 16 bits, y in the next 16.
constexpr LPARAM MakePointParam(int x, int y) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) | static_cast<std::uint32_t>(x & 0xFFFF));
}

// The character a key-down of this virtual key produces (shift state ignored: the saver
// only needs to know whether there is one), 0 for keys without a character.
char KeyCharacter(WPARAM virtual_key);

}  // namespace velquora
