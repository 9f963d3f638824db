#pragma once
// ANSI text of the scene file: byte strings in the system's 8-bit code page. The bytes
// are kept as they are; conversion to UTF-8 happens only at the edges.
#include <string>
#include <string_view>

namespace velquora {

using AnsiString = std::string;

// Every byte from 'a' to 'z' and every byte of value 0xE0 or above is lowered by 32;
// other bytes stay (in code page 1251 this also upper-cases the Cyrillic small letters).
AnsiString UpperCaseAnsi(std::string_view text);

}  // namespace velquora
