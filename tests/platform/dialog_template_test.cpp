#include "platform/win/dialog_template.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dialog_template_writer.h"
#include "platform/win/dialog_font.h"
#include "platform/win/messages.h"

namespace velquora {
namespace {

DialogSpec TwoItemDialog() {
  DialogSpec design;
  design.Width = 191;
  design.Height = 155;
  design.Title = u"Settings";
  design.Items = {
      {DialogControlClass::ScrollBar, 6, WS_TABSTOP | SBS_TOPALIGN, 4, 15, 118, 12, u""},
      {DialogControlClass::Button, 5, WS_TABSTOP | BS_AUTOCHECKBOX, 4, 39, 81, 11, u"Play sound"},
      {DialogControlClass::Static, 200, SS_LEFT, 4, 28, 118, 11, u"20 frames per second"},
  };
  return design;
}

TEST(DialogTemplate, ReadsHeaderAndItemsAsWritten) {
  const std::vector<std::uint8_t> bytes = WriteDialogTemplate(TwoItemDialog());
  const std::optional<DialogTemplate> parsed = ParseDialogTemplate(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Style, 0x80C800C0u);
  EXPECT_EQ(parsed->Width, 191);
  EXPECT_EQ(parsed->Height, 155);
  EXPECT_EQ(parsed->Title, u"Settings");
  EXPECT_EQ(parsed->PointSize, 8);
  EXPECT_EQ(parsed->FaceName, u"MS Sans Serif");
  ASSERT_EQ(parsed->Items.size(), 3u);
  EXPECT_EQ(parsed->Items[0].Class, DialogControlClass::ScrollBar);
  EXPECT_EQ(parsed->Items[0].Style, WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_TOPALIGN);
  EXPECT_EQ(parsed->Items[0].Text, u"");
  EXPECT_EQ(parsed->Items[1].Id, 5);
  EXPECT_EQ(parsed->Items[1].Text, u"Play sound");
  EXPECT_EQ(parsed->Items[2].Class, DialogControlClass::Static);
  EXPECT_EQ(parsed->Items[2].X, 4);
  EXPECT_EQ(parsed->Items[2].Y, 28);
  EXPECT_EQ(parsed->Items[2].Width, 118);
  EXPECT_EQ(parsed->Items[2].Height, 11);
}

TEST(DialogTemplate, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
  const std::vector<std::uint8_t> bytes = WriteDialogTemplate(TwoItemDialog());
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    // A buffer of exactly that length: a read past it is an error the sanitizers report.
    const auto copy = std::make_unique<std::uint8_t[]>(length == 0 ? 1 : length);
    std::copy_n(bytes.begin(), length, copy.get());
    EXPECT_FALSE(ParseDialogTemplate(std::span<const std::uint8_t>(copy.get(), length))) << length;
  }
}

// Byte offsets in the template of TwoItemDialog: the header's fixed part is 18 bytes,
// then menu and class words.
constexpr std::size_t kMenuOffset = 18;
constexpr std::size_t kClassOffset = 20;

TEST(DialogTemplate, RefusesMenusNamedClassesAndUnknownControlClasses) {
  const std::vector<std::uint8_t> good = WriteDialogTemplate(TwoItemDialog());
  std::vector<std::uint8_t> menu = good;
  menu[kMenuOffset] = 0x01;  // a menu resource
  EXPECT_FALSE(ParseDialogTemplate(menu));
  std::vector<std::uint8_t> window_class = good;
  window_class[kClassOffset] = 'X';  // a named window class
  EXPECT_FALSE(ParseDialogTemplate(window_class));

  DialogSpec edit = TwoItemDialog();
  edit.Items[0].Class = static_cast<DialogControlClass>(0x0081);  // an edit control: not ours
  EXPECT_FALSE(ParseDialogTemplate(WriteDialogTemplate(edit)));
}

TEST(DialogTemplate, RefusesACountBeyondTheItemsThere) {
  std::vector<std::uint8_t> bytes = WriteDialogTemplate(TwoItemDialog());
  bytes[8] = 0xFF;  // the item count's low byte
  bytes[9] = 0xFF;
  EXPECT_FALSE(ParseDialogTemplate(bytes));
}

TEST(DialogTemplate, WithoutSetFontTheHeaderHasNoFont) {
  DialogSpec design = TwoItemDialog();
  design.Style &= ~DS_SETFONT;
  const std::optional<DialogTemplate> parsed = ParseDialogTemplate(WriteDialogTemplate(design));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->FaceName, u"");
  EXPECT_EQ(parsed->Items.size(), 3u);
}

TEST(DialogTemplate, Utf16AndUtf8RoundTripIncludingSurrogatePairs) {
  const std::u16string text = u"Gr\u00FC\u00DFe \u20AC \U0001F600";
  EXPECT_EQ(Utf16ToUtf8(text), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf8ToUtf16("\xFF" "a"), u"\uFFFDa");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

struct Substitution {
  const char* face;
  const char* stand_in;
};

TEST(DialogFont, ClassicFacesHaveMetricCloseStandIns) {
  for (const Substitution& row : {Substitution{"MS Sans Serif", "Liberation Sans"},
                                  Substitution{"ms shell dlg", "Liberation Sans"},
                                  Substitution{"Arial", "Liberation Sans"},
                                  Substitution{"Times New Roman", "Liberation Serif"},
                                  Substitution{"Courier New", "Liberation Mono"},
                                  Substitution{"DejaVu Sans", "DejaVu Sans"}}) {
    EXPECT_EQ(SubstituteFontFace(row.face), row.stand_in) << row.face;
  }
}

TEST(DialogFont, MsSansSerifEightPointHasTheClassicBaseUnits) {
  // Liberation Sans stands in: 11 pixels high at 96 dpi, 334 pixels for the 52 letters.
  EXPECT_EQ(MeasureDialogBaseUnits("MS Sans Serif", 8, 96), (DialogBaseUnits{6, 13}));
  // Large fonts: the same face at 120 dpi is 13 pixels high.
  EXPECT_EQ(MeasureDialogBaseUnits("MS Sans Serif", 8, 120), (DialogBaseUnits{8, 15}));
}

TEST(DialogFont, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(8, 96, 72), 11);    // 10.67
  EXPECT_EQ(MulDiv(8, 120, 72), 13);   // 13.33
  EXPECT_EQ(MulDiv(3, 1, 2), 2);       // 1.5
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);     // -1.5
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

}  // namespace
}  // namespace velquora
