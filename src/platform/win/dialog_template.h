#pragma once
// In-memory dialog templates: the header (DLGTEMPLATE with DS_SETFONT) and its items
// (DLGITEMTEMPLATE), each at a 4-byte boundary, texts in UTF-16. The parser reads
// nothing past the bytes it is given and refuses what does not add up.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velquora {

// Predefined control classes, by their atoms.
enum class DialogControlClass : std::uint16_t { Button = 0x0080, Static = 0x0082, ScrollBar = 0x0084 };

struct DialogItemTemplate {
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
  std::int16_t X = 0;  // dialog units
  std::int16_t Y = 0;
  std::int16_t Width = 0;
  std::int16_t Height = 0;
  std::uint16_t Id = 0;
  DialogControlClass Class = DialogControlClass::Static;
  std::u16string Text;
  std::vector<std::uint8_t> CreationData;
};

struct DialogTemplate {
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
  std::int16_t X = 0;
  std::int16_t Y = 0;
  std::int16_t Width = 0;
  std::int16_t Height = 0;
  std::u16string Title;
  std::uint16_t PointSize = 0;  // with DS_SETFONT
  std::u16string FaceName;      // with DS_SETFONT
  std::vector<DialogItemTemplate> Items;
};

// The template in bytes; nullopt when it is truncated or malformed: a text without its
// terminating NUL, an item beyond the end, a menu or window class other than none, an
// item class other than the predefined atoms above. Without DS_SETFONT the header has
// no font (the dialog then uses the system's dialog font).
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::uint8_t> bytes);

// UTF-16 to UTF-8 (an unpaired surrogate becomes U+FFFD) and back (a malformed
// sequence becomes U+FFFD).
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace velquora
