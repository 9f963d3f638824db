#include "core/ansi_text.h"

#include <gtest/gtest.h>

#include <string>

namespace velquora {
namespace {

// Restores the process-wide code page after a test changes it.
class CodePageGuard {
public:
  CodePageGuard() : saved_(ActiveCodePage()) {}
  ~CodePageGuard() { SetActiveCodePage(saved_); }
  CodePageGuard(const CodePageGuard&) = delete;
  CodePageGuard& operator=(const CodePageGuard&) = delete;

private:
  int saved_;
};

struct ByteCase {
  int code_page;
  unsigned char byte;
  char32_t code_point;
  const char* utf8;
};

// Expected values were produced by Python's cp1252/cp1251 codecs; the bytes those codecs
// leave undefined map to the control character of the same value, as Windows does.
constexpr ByteCase kByteCases[] = {
    {1252, 0x41, U'\u0041', "\x41"},
    {1252, 0x7F, U'\u007F', "\x7F"},
    {1252, 0x80, U'\u20AC', "\xE2\x82\xAC"},
    {1252, 0x81, U'\u0081', "\xC2\x81"},
    {1252, 0x83, U'\u0192', "\xC6\x92"},
    {1252, 0x8A, U'\u0160', "\xC5\xA0"},
    {1252, 0x8D, U'\u008D', "\xC2\x8D"},
    {1252, 0x8F, U'\u008F', "\xC2\x8F"},
    {1252, 0x90, U'\u0090', "\xC2\x90"},
    {1252, 0x99, U'\u2122', "\xE2\x84\xA2"},
    {1252, 0x9D, U'\u009D', "\xC2\x9D"},
    {1252, 0x9F, U'\u0178', "\xC5\xB8"},
    {1252, 0xA0, U'\u00A0', "\xC2\xA0"},
    {1252, 0xA9, U'\u00A9', "\xC2\xA9"},
    {1252, 0xC9, U'\u00C9', "\xC3\x89"},
    {1252, 0xDF, U'\u00DF', "\xC3\x9F"},
    {1252, 0xFF, U'\u00FF', "\xC3\xBF"},
    {1251, 0x41, U'\u0041', "\x41"},
    {1251, 0x80, U'\u0402', "\xD0\x82"},
    {1251, 0x83, U'\u0453', "\xD1\x93"},
    {1251, 0x88, U'\u20AC', "\xE2\x82\xAC"},
    {1251, 0x8F, U'\u040F', "\xD0\x8F"},
    {1251, 0x98, U'\u0098', "\xC2\x98"},
    {1251, 0x99, U'\u2122', "\xE2\x84\xA2"},
    {1251, 0xA1, U'\u040E', "\xD0\x8E"},
    {1251, 0xA5, U'\u0490', "\xD2\x90"},
    {1251, 0xA8, U'\u0401', "\xD0\x81"},
    {1251, 0xB4, U'\u0491', "\xD2\x91"},
    {1251, 0xB9, U'\u2116', "\xE2\x84\x96"},
    {1251, 0xBF, U'\u0457', "\xD1\x97"},
    {1251, 0xC0, U'\u0410', "\xD0\x90"},
    {1251, 0xDF, U'\u042F', "\xD0\xAF"},
    {1251, 0xE0, U'\u0430', "\xD0\xB0"},
    {1251, 0xFF, U'\u044F', "\xD1\x8F"},
};

TEST(AnsiText, BytesConvertToTheCodePagesCharacters) {
  for (const ByteCase& row : kByteCases) {
    const std::string byte(1, static_cast<char>(row.byte));
    SCOPED_TRACE(testing::Message() << "code page " << row.code_page << " byte 0x" << std::hex << int{row.byte});
    EXPECT_EQ(AnsiByteToCodePoint(row.byte, row.code_page), row.code_point);
    EXPECT_EQ(AnsiToUtf8(byte, row.code_page), row.utf8);
    EXPECT_EQ(Utf8ToAnsi(row.utf8, row.code_page), byte);
  }
}

TEST(AnsiText, EveryByteSurvivesTheRoundTripThroughUtf8) {
  for (const int code_page : {1252, 1251}) {
    for (int value = 0; value < 256; ++value) {
      const std::string byte(1, static_cast<char>(value));
      EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(byte, code_page), code_page), byte)
          << "code page " << code_page << " byte " << value;
    }
  }
}

TEST(AnsiText, WholeTextsConvertInBothDirections) {
  // "Café €5 – “quoted”" and "Привет, мир", encoded by Python's codecs.
  const std::string western_ansi = "Caf\xe9 \x80" "5 \x96 \x93quoted\x94";
  const std::string western_utf8 = "Caf\xc3\xa9 \xe2\x82\xac" "5 \xe2\x80\x93 \xe2\x80\x9cquoted\xe2\x80\x9d";
  const std::string cyrillic_ansi = "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0";
  const std::string cyrillic_utf8 =
      "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, \xd0\xbc\xd0\xb8\xd1\x80";
  EXPECT_EQ(AnsiToUtf8(western_ansi, 1252), western_utf8);
  EXPECT_EQ(Utf8ToAnsi(western_utf8, 1252), western_ansi);
  EXPECT_EQ(AnsiToUtf8(cyrillic_ansi, 1251), cyrillic_utf8);
  EXPECT_EQ(Utf8ToAnsi(cyrillic_utf8, 1251), cyrillic_ansi);
  EXPECT_EQ(AnsiToUtf8("", 1252), "");
}

TEST(AnsiText, UnrepresentableAndMalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToAnsi("\xd0\x96", 1252), "?");          // Cyrillic Zhe is not in 1252
  EXPECT_EQ(Utf8ToAnsi("\xc3\xa9", 1251), "?");          // e-acute is not in 1251
  EXPECT_EQ(Utf8ToAnsi("\xf0\x9f\x98\x80", 1252), "?");  // outside the 16-bit plane
  EXPECT_EQ(Utf8ToAnsi("a\xc3", 1252), "a?");            // cut-off sequence
  EXPECT_EQ(Utf8ToAnsi("\xc0\x80z", 1252), "??z");       // overlong form of NUL
  EXPECT_EQ(Utf8ToAnsi("\xed\xa0\x80", 1252), "???");    // encoded surrogate
}

TEST(AnsiText, ActiveCodePageDefaultsToWesternAndSwitchesToCyrillic) {
  CodePageGuard guard;
  EXPECT_EQ(ActiveCodePage(), 1252);
  EXPECT_EQ(AnsiToUtf8("\xc0"), "\xc3\x80");
  SetActiveCodePage(1251);
  EXPECT_EQ(ActiveCodePage(), 1251);
  EXPECT_EQ(AnsiToUtf8("\xc0"), "\xd0\x90");
  EXPECT_EQ(Utf8ToAnsi("\xd0\x90"), "\xc0");
}

TEST(AnsiText, UnsupportedCodePageIsRejectedAndTheActiveOneKept) {
  CodePageGuard guard;
  SetActiveCodePage(1251);
  for (const int code_page : {0, 437, 1250, 65001}) {
    EXPECT_FALSE(IsSupportedCodePage(code_page));
    EXPECT_THROW(SetActiveCodePage(code_page), ECodePageError) << code_page;
    EXPECT_THROW(AnsiToUtf8("x", code_page), ECodePageError) << code_page;
  }
  EXPECT_EQ(ActiveCodePage(), 1251);
  try {
    SetActiveCodePage(437);
  } catch (const ECodePageError& error) {
    EXPECT_EQ(error.Message(), "Unsupported code page 437 (use 1252 or 1251)");
  }
}

TEST(AnsiText, UpperCaseLowersSmallLettersAndHighBytesBy32) {
  EXPECT_EQ(UpperCaseAnsi("abz{AZ\xe0\xff\xdf"), "ABZ{AZ\xc0\xdf\xdf");
}

}  // namespace
}  // namespace velquora
