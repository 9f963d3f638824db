// The settings and about dialogs' templates, byte for byte: the expected bytes are built
// here from the dialogs' layout tables (dialog units worked out by hand for the
// "MS Sans Serif" 8 scale of 1.59 x 1.55) with an encoder of the test's own.
#include "host/dialog_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/ansi_text.h"

namespace velquora {
namespace {

constexpr DialogScale kSansSerif8{1.59, 1.55};

// One row of a layout table, already in dialog units.
struct Row {
  std::uint16_t id;
  std::uint16_t atom;
  std::uint32_t style;  // with WS_CHILD | WS_VISIBLE
  std::u16string text;
  std::int16_t x, y, w, h;
};

// Little-endian words and double words, NUL-terminated UTF-16, 4-byte aligned items.
class ExpectedBytes {
public:
  void W(std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void D(std::uint32_t v) {
    W(v & 0xFFFF);
    W(v >> 16);
  }
  void S(const std::u16string& s) {
    for (char16_t c : s) W(c);
    W(0);
  }
  void Pad() {
    while (b.size() & 3) b.push_back(0);
  }
  std::vector<std::uint8_t> b;
};

std::vector<std::uint8_t> Expected(const std::u16string& title, std::uint16_t points, const std::u16string& face,
                                   std::int16_t cx, std::int16_t cy, const std::vector<Row>& rows) {
  ExpectedBytes e;
  e.D(0x80C800C0);
  e.D(0);
  e.W(static_cast<std::uint16_t>(rows.size()));
  e.W(0);
  e.W(0);
  e.W(static_cast<std::uint16_t>(cx));
  e.W(static_cast<std::uint16_t>(cy));
  e.W(0);
  e.W(0);
  e.S(title);
  e.W(points);
  e.S(face);
  for (const Row& r : rows) {
    e.Pad();
    e.D(r.style);
    e.D(0);
    e.W(static_cast<std::uint16_t>(r.x));
    e.W(static_cast<std::uint16_t>(r.y));
    e.W(static_cast<std::uint16_t>(r.w));
    e.W(static_cast<std::uint16_t>(r.h));
    e.W(r.id);
    e.W(0xFFFF);
    e.W(r.atom);
    e.S(r.text);
    e.W(0);
  }
  return e.b;
}

TVelquoraScene& DialogScene(TVelquoraScene& scene) {
  scene.SettingsCaption = "Aquarium";
  scene.SpeedLabel = "Speed";
  scene.SettingsInfoLines = {"one", "two"};
  scene.SupportLabel = "Support:";
  scene.SupportLink = "http://x.test/";
  scene.SettingsNoteLines = {"note"};
  scene.AboutCaption = "About it";
  scene.AboutLines = {"a", "b", "c"};
  scene.AboutLabel = "Home:";
  scene.AboutLink = "http://y.test/";
  scene.AboutNoteLines = {};
  return scene;
}

// Settings dialog rows (id 6, 5, 1, 2, [4], [7], 200..205) at 1.59 x 1.55.
std::vector<Row> SettingsRows(bool go, bool about) {
  std::vector<Row> rows = {
      {6, 0x84, 0x50010002, u"", 4, 15, 118, 12},
      {5, 0x80, 0x50010003, u"Play sound", 4, 39, 81, 11},
      {1, 0x80, 0x50010001, u"OK", 127, 4, 57, 15},
      {2, 0x80, 0x50010000, u"Cancel", 127, 22, 57, 15},
  };
  if (go) rows.push_back({4, 0x80, 0x50010000, u"Go ->", 156, 90, 28, 15});
  if (about) rows.push_back({7, 0x80, 0x50010000, u"About", 127, 115, 57, 15});
  const std::vector<Row> statics = {
      {200, 0x82, 0x50000000, u"20 frames per second", 4, 28, 118, 11},
      {201, 0x82, 0x50000000, u"Speed", 4, 5, 118, 10},
      {202, 0x82, 0x50000000, u"one\rtwo\r", 4, 55, 179, 26},
      {203, 0x82, 0x50000000, u"Support:", 4, 80, 179, 10},
      {204, 0x82, 0x50000000, u"http://x.test/", 4, 92, 152, 11},
      {205, 0x82, 0x50000000, u"note\r", 4, 105, 121, 46},
  };
  rows.insert(rows.end(), statics.begin(), statics.end());
  return rows;
}

std::vector<Row> AboutRows(bool go) {
  std::vector<Row> rows = {{1, 0x80, 0x50010001, u"OK", 70, 154, 57, 15}};
  if (go) rows.push_back({4, 0x80, 0x50010000, u"Go ->", 166, 88, 28, 15});
  const std::vector<Row> statics = {
      {202, 0x82, 0x50000000, u"a\rb\rc\r", 4, 3, 187, 76},
      {203, 0x82, 0x50000000, u"Home:", 4, 77, 188, 10},
      {204, 0x82, 0x50000000, u"http://y.test/", 4, 89, 162, 11},
      {205, 0x82, 0x50000000, u"", 4, 105, 187, 48},
  };
  rows.insert(rows.end(), statics.begin(), statics.end());
  return rows;
}

class SettingsTemplateBytes : public ::testing::TestWithParam<std::pair<bool, bool>> {};

TEST_P(SettingsTemplateBytes, MatchTheLayoutTable) {
  const auto [go, about] = GetParam();
  TVelquoraScene scene;
  DialogScene(scene);
  scene.ShowGoButton = go;
  scene.ShowAboutButton = about;
  const std::vector<Row> rows = SettingsRows(go, about);
  EXPECT_EQ(EncodeDialogTemplate(SettingsDialogLayout(scene, kSansSerif8)),
            Expected(u"Aquarium", 8, u"MS Sans Serif", 191, 155, rows))
      << "Go " << go << " About " << about;
  EXPECT_EQ(SettingsDialogLayout(scene, kSansSerif8).Items.size(), 10u + go + about);
}

INSTANTIATE_TEST_SUITE_P(ButtonFlags, SettingsTemplateBytes,
                         ::testing::Values(std::pair{false, false}, std::pair{true, false}, std::pair{false, true},
                                           std::pair{true, true}));

class AboutTemplateBytes : public ::testing::TestWithParam<bool> {};

TEST_P(AboutTemplateBytes, MatchTheLayoutTable) {
  TVelquoraScene scene;
  DialogScene(scene);
  scene.AboutShowGoButton = GetParam();
  EXPECT_EQ(EncodeDialogTemplate(AboutDialogLayout(scene, kSansSerif8)),
            Expected(u"About it", 8, u"MS Sans Serif", 200, 174, AboutRows(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(GoFlag, AboutTemplateBytes, ::testing::Bool());

TEST(DialogLayout, SettingsDialogIs191By155UnitsInSansSerif8) {
  TVelquoraScene scene;
  const DialogLayout dialog = SettingsDialogLayout(scene, kSansSerif8);
  EXPECT_EQ(dialog.Width, 191);
  EXPECT_EQ(dialog.Height, 155);
  EXPECT_EQ(dialog.Items.size(), 10u);
}

TEST(DialogLayout, DesignUnitsRoundHalfToEven) {
  struct Case {
    int design;
    double scale;
    int units;
  };
  const Case cases[] = {{5, 2.0, 2},   {7, 2.0, 4},    {187, 2.0, 94},  {17, 2.0, 8},   {45, 2.0, 22},
                        {187, 1.5, 125}, {19, 1.5, 13}, {304, 1.59, 191}, {240, 1.55, 155}, {-5, 2.0, -2}};
  for (const Case& c : cases) {
    EXPECT_EQ(DesignToDialogUnits(c.design, c.scale), c.units) << c.design << " / " << c.scale;
  }
}

TEST(DialogLayout, UnitsBeyondSixteenBitsAreHeldAtTheLimit) {
  EXPECT_EQ(DesignToDialogUnits(304, 0.001), 32767);
  EXPECT_EQ(DesignToDialogUnits(-304, 0.001), -32768);
}

TEST(DialogLayout, HighBytesBecomeTheCodePagesCharacters) {
  struct Case {
    int code_page;
    std::string ansi;
    std::u16string utf16;
  };
  const Case cases[] = {
      {1252, "\x80 caf\xE9 \x9F", u"\u20AC caf\u00E9 \u0178"},
      {1251, "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8", u"\u041F\u0440\u0438\u0432\u0435\u0442 \u0401\u0451"},
      {1251, "\x88\x98", u"\u20AC\u0098"},
  };
  for (const Case& c : cases) {
    SetActiveCodePage(c.code_page);
    TVelquoraScene scene;
    scene.SettingsCaption = c.ansi;
    const std::vector<std::uint8_t> bytes = EncodeDialogTemplate(SettingsDialogLayout(scene, kSansSerif8));
    ExpectedBytes title;
    title.S(c.utf16);
    ASSERT_GE(bytes.size(), 22 + title.b.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 22, bytes.begin() + 22 + title.b.size()), title.b)
        << "code page " << c.code_page;
  }
  SetActiveCodePage(kDefaultCodePage);
}

TEST(DialogLayout, TextEndsAtAnEmbeddedNul) {
  EXPECT_EQ(AnsiToTemplateText(std::string("ab\0cd", 5)), u"ab");
  EXPECT_EQ(AnsiToTemplateText("\t\x01\x1F"), u"\t\u0001\u001F");
}

TEST(DialogLayout, AboutFontFaceIsCutTo255Characters) {
  TVelquoraScene scene;
  scene.AboutFontName = std::string(300, 'F');
  EXPECT_EQ(AboutDialogLayout(scene, kSansSerif8).FontName.size(), 255u);
}

TEST(DialogLayout, HundredsOfLongLinesGrowTheTemplatePast64KiB) {
  TVelquoraScene scene;
  scene.SettingsInfoLines.assign(300, std::string(255, 'x'));
  scene.SettingsNoteLines.assign(300, std::string(255, '\xFF'));
  const std::vector<std::uint8_t> bytes = EncodeDialogTemplate(SettingsDialogLayout(scene, kSansSerif8));
  // Both blocks whole: 2 x 300 lines x 256 characters x 2 bytes, plus the rest.
  EXPECT_GT(bytes.size(), 2u * 300 * 256 * 2);
  // The last item's text ends with the last line's carriage return and a NUL, then the
  // creation-data word.
  const std::size_t n = bytes.size();
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(n - 6), bytes.end()),
            (std::vector<std::uint8_t>{'\r', 0, 0, 0, 0, 0}));
}

TEST(DialogLayout, ProbeHasNoItemsAndIs200UnitsSquare) {
  ExpectedBytes e;
  e.D(0x80C800C0);
  e.D(0);
  for (std::uint32_t w : {0u, 0u, 0u, 200u, 200u, 0u, 0u}) e.W(w);
  e.S(u"Tmp");
  e.W(10);
  e.S(u"Arial");
  EXPECT_EQ(EncodeDialogTemplate(ProbeDialogLayout("Arial", 10)), e.b);
}

}  // namespace
}  // namespace velquora
