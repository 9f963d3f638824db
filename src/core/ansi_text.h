#pragma once
// ANSI text of the scene file: byte strings in the system's 8-bit code page. The bytes
// are kept as they are; conversion to UTF-8 happens only at the edges (JSON, window
// titles, file names on disk), through the active code page.
#include <string>
#include <string_view>

#include "core/exceptions.h"

namespace velquora {

using AnsiString = std::string;

// Every byte from 'a' to 'z' and every byte of value 0xE0 or above is lowered by 32;
// other bytes stay (in code page 1251 this also upper-cases the Cyrillic small letters).
AnsiString UpperCaseAnsi(std::string_view text);

// A code page that this system cannot convert.
class ECodePageError : public Exception {
public:
  using Exception::Exception;
};

inline constexpr int kDefaultCodePage = 1252;  // Western European
inline constexpr int kCyrillicCodePage = 1251;

bool IsSupportedCodePage(int code_page);
// Selects the code page of the scene's texts for the process (default 1252). Raises
// ECodePageError("Unsupported code page N (use 1252 or 1251)") for any other number
// and leaves the active one unchanged.
void SetActiveCodePage(int code_page);
int ActiveCodePage();

// The Unicode code point of one byte in the given code page. Bytes that the code page
// leaves undefined map to the code point of the same value (0x81 -> U+0081), as the
// Windows conversion does.
char32_t AnsiByteToCodePoint(unsigned char byte, int code_page);

// ANSI bytes to UTF-8, through the active code page or an explicit one.
std::string AnsiToUtf8(std::string_view text);
std::string AnsiToUtf8(std::string_view text, int code_page);

// UTF-8 to ANSI bytes; characters the code page cannot hold and malformed UTF-8
// sequences become '?'.
AnsiString Utf8ToAnsi(std::string_view utf8);
AnsiString Utf8ToAnsi(std::string_view utf8, int code_page);

}  // namespace velquora
