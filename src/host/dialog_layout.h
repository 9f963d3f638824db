#pragma once
// In-memory dialog templates for the settings and about dialogs: a header and a list of
// items, laid out in design units that are scaled to the chosen font, then encoded in
// the standard dialog-template byte layout (header and every item at a 4-byte boundary,
// texts as NUL-terminated UTF-16 converted from the active ANSI code page).
//
// The template grows with its texts: a scene may carry hundreds of 255-character lines,
// which would not fit a fixed 64 KiB buffer, so the bytes live in a vector sized to what
// they hold. There is no size field in the layout that a long template could overflow.
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/ansi_text.h"
#include "platform/win/dialog_template.h"
#include "platform/win/messages.h"
#include "playback/scene.h"

namespace velquora {

// The header's style: a pop-up with a caption, a system menu and a modal frame, in the
// template's own font.
inline constexpr std::uint32_t kDialogTemplateStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
// Added to every item's own style.
inline constexpr std::uint32_t kDialogItemBaseStyle = WS_CHILD | WS_VISIBLE;

// Control identifiers of the two dialogs.
inline constexpr std::uint16_t kIdOk = IDOK;
inline constexpr std::uint16_t kIdCancel = IDCANCEL;
inline constexpr std::uint16_t kIdGo = 4;
inline constexpr std::uint16_t kIdPlaySound = 5;
inline constexpr std::uint16_t kIdSpeedBar = 6;
inline constexpr std::uint16_t kIdAbout = 7;
inline constexpr std::uint16_t kIdSpeedText = 200;
inline constexpr std::uint16_t kIdSpeedLabel = 201;
inline constexpr std::uint16_t kIdInfoBlock = 202;
inline constexpr std::uint16_t kIdLinkLabel = 203;
inline constexpr std::uint16_t kIdLink = 204;
inline constexpr std::uint16_t kIdNoteBlock = 205;

// The longest font face the about dialog's header takes.
inline constexpr std::size_t kMaxFontFaceLength = 255;

// Design units per dialog unit, across and down, measured for one font.
struct DialogScale {
  double X = 1.5;
  double Y = 1.5;
};

// A design coordinate in dialog units: nearest(v / scale), ties to even, held within
// the 16-bit range that the template stores.
std::int16_t DesignToDialogUnits(int design, double scale);

// One control, in dialog units.
struct DialogLayoutItem {
  std::uint16_t Id = 0;
  DialogControlClass Class = DialogControlClass::Static;
  std::uint32_t Style = 0;  // the item's own style; WS_CHILD | WS_VISIBLE are added when encoded
  AnsiString Text;
  std::int16_t X = 0;
  std::int16_t Y = 0;
  std::int16_t Width = 0;
  std::int16_t Height = 0;
};

// A whole dialog, in dialog units.
struct DialogLayout {
  std::uint32_t Style = kDialogTemplateStyle;
  AnsiString Title;
  std::uint16_t FontSize = 0;  // points
  AnsiString FontName;
  std::int16_t Width = 0;
  std::int16_t Height = 0;
  std::vector<DialogLayoutItem> Items;
};

// Adds an item laid out in design units (AddDialogItem).
void AddDialogItem(DialogLayout& dialog, const DialogScale& scale, std::uint16_t id, DialogControlClass control_class,
                   std::uint32_t style, AnsiString text, int x, int y, int width, int height);

// Every line followed by a carriage return, concatenated.
AnsiString TextBlock(const TStringList& lines);

// The header and items as template bytes, ending with the last item's creation-data
// word. Texts end at an embedded NUL byte, as a NUL-terminated text does.
std::vector<std::uint8_t> EncodeDialogTemplate(const DialogLayout& dialog);

// An ANSI text as the UTF-16 units the template holds (without the terminator), through
// the active code page; stops at an embedded NUL byte.
std::u16string AnsiToTemplateText(std::string_view text);

// The settings dialog: 10 controls, plus "Go ->" and "About" when the scene asks.
DialogLayout SettingsDialogLayout(const TVelquoraScene& scene, const DialogScale& scale);
// The about dialog: 5 controls, plus "Go ->" when the scene asks.
DialogLayout AboutDialogLayout(const TVelquoraScene& scene, const DialogScale& scale);

// A template with no items for measuring a font: 200 x 200 dialog units, title "Tmp".
DialogLayout ProbeDialogLayout(std::string_view font_name, std::int32_t font_size);

}  // namespace velquora
