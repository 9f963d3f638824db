#include "core/ansi_text.h"

#include <array>
#include <cstdint>

namespace velquora {

namespace {

int g_active_code_page = kDefaultCodePage;

// Windows-1252, bytes 0x80-0x9F; 0xA0-0xFF equal their code points. The five undefined
// bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// Windows-1251, bytes 0x80-0xBF; 0xC0-0xFF are U+0410-U+044F in order. The one
// undefined byte (0x98) maps to U+0098.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[pos] and advances pos past it. A malformed
// sequence yields kMalformed and consumes only its first byte.
constexpr char32_t kMalformed = 0xFFFFFFFF;

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t code_point = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, code_point = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, code_point = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, code_point = lead & 0x07, minimum = 0x10000;
  } else {
    return kMalformed;
  }
  const std::size_t start = pos;
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80) {
      pos = start;
      return kMalformed;
    }
    code_point = (code_point << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
  }
  if (code_point < minimum || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    pos = start;
    return kMalformed;
  }
  return code_point;
}

char CodePointToAnsi(char32_t code_point, int code_page) {
  if (code_point < 0x80) return static_cast<char>(code_point);
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    if (AnsiByteToCodePoint(static_cast<unsigned char>(byte), code_page) == code_point) {
      return static_cast<char>(byte);
    }
  }
  return '?';
}

void CheckCodePage(int code_page) {
  if (!IsSupportedCodePage(code_page)) {
    throw ECodePageError("Unsupported code page " + std::to_string(code_page) + " (use 1252 or 1251)");
  }
}

}  // namespace

AnsiString UpperCaseAnsi(std::string_view text) {
  AnsiString result(text);
  for (char& c : result) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || byte >= 0xE0) c = static_cast<char>(byte - 32);
  }
  return result;
}

bool IsSupportedCodePage(int code_page) {
  return code_page == kDefaultCodePage || code_page == kCyrillicCodePage;
}

void SetActiveCodePage(int code_page) {
  CheckCodePage(code_page);
  g_active_code_page = code_page;
}

int ActiveCodePage() { return g_active_code_page; }

char32_t AnsiByteToCodePoint(unsigned char byte, int code_page) {
  CheckCodePage(code_page);
  if (byte < 0x80) return byte;
  if (code_page == kCyrillicCodePage) {
    return byte >= 0xC0 ? char32_t{0x0410} + (byte - 0xC0) : char32_t{kCp1251High[byte - 0x80]};
  }
  return byte >= 0xA0 ? char32_t{byte} : char32_t{kCp1252High[byte - 0x80]};
}

std::string AnsiToUtf8(std::string_view text) { return AnsiToUtf8(text, g_active_code_page); }

std::string AnsiToUtf8(std::string_view text, int code_page) {
  CheckCodePage(code_page);
  std::string out;
  out.reserve(text.size());
  for (const char c : text) AppendUtf8(out, AnsiByteToCodePoint(static_cast<unsigned char>(c), code_page));
  return out;
}

AnsiString Utf8ToAnsi(std::string_view utf8) { return Utf8ToAnsi(utf8, g_active_code_page); }

AnsiString Utf8ToAnsi(std::string_view utf8, int code_page) {
  CheckCodePage(code_page);
  AnsiString out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t code_point = DecodeUtf8(utf8, pos);
    out += code_point == kMalformed ? '?' : CodePointToAnsi(code_point, code_page);
  }
  return out;
}

}  // namespace velquora
