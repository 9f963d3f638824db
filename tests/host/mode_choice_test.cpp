#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/mode_choice.h"

namespace velquora {
namespace {

struct ModeCase {
  const char* program;
  std::vector<std::string> arguments;
  HostMode expected;
};

class ChooseHostModeTable : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ChooseHostModeTable, PicksTheModeOfExtensionAndSwitch) {
  const ModeCase& c = GetParam();
  std::string shown = c.program;
  for (const auto& argument : c.arguments) shown += " [" + argument + "]";
  EXPECT_EQ(ChooseHostMode(c.program, c.arguments), c.expected) << shown;
}

INSTANTIATE_TEST_SUITE_P(
    ExtensionsAndSwitches, ChooseHostModeTable,
    ::testing::Values(
        // No switch: the extension decides.
        ModeCase{"/savers/Aquarium.scr", {}, HostMode::Settings},
        ModeCase{"/savers/Aquarium.exe", {}, HostMode::Program},
        ModeCase{"/savers/Aquarium.EXE", {}, HostMode::Program},
        ModeCase{"/savers/Aquarium.Exe", {}, HostMode::Program},
        ModeCase{"/savers/Aquarium", {}, HostMode::Settings},
        ModeCase{"/savers/Aquarium.exe.scr", {}, HostMode::Settings},
        ModeCase{"/savers/Aquarium.scr.exe", {}, HostMode::Program},
        ModeCase{"/savers/Aquarium.exe ", {}, HostMode::Settings},
        ModeCase{"/savers.exe/Aquarium", {}, HostMode::Settings},  // a dot of a directory does not count
        ModeCase{"C:\\Savers.exe\\Aquarium", {}, HostMode::Settings},
        ModeCase{"C:\\Savers\\Aquarium.exe", {}, HostMode::Program},
        // Every switch of the table, both signs and both cases.
        ModeCase{"a.scr", {"/S"}, HostMode::Run},
        ModeCase{"a.scr", {"-s"}, HostMode::Run},
        ModeCase{"a.scr", {"/p", "123"}, HostMode::Preview},
        ModeCase{"a.scr", {"-P"}, HostMode::Preview},
        ModeCase{"a.exe", {"/c"}, HostMode::Settings},
        ModeCase{"a.exe", {"-C"}, HostMode::Settings},
        ModeCase{"a.exe", {"PR"}, HostMode::SettingsNoSave},
        ModeCase{"a.exe", {"pr"}, HostMode::SettingsNoSave},
        ModeCase{"a.scr", {"/a"}, HostMode::ChangePassword},
        ModeCase{"a.scr", {"-A"}, HostMode::ChangePassword},
        ModeCase{"a.scr", {"SP"}, HostMode::Show},
        ModeCase{"a.scr", {"Sp"}, HostMode::Show},
        // The switch overrides the extension.
        ModeCase{"a.exe", {"/s"}, HostMode::Run},
        // Only the first two characters count.
        ModeCase{"a.scr", {"/S:1234"}, HostMode::Run},
        ModeCase{"a.scr", {"/scr"}, HostMode::Run},
        ModeCase{"a.exe", {"/c:1234"}, HostMode::Settings},
        ModeCase{"a.scr", {"/P:123"}, HostMode::Preview},
        ModeCase{"a.exe", {"spare"}, HostMode::Show},
        // Arguments that select nothing leave the default.
        ModeCase{"a.exe", {"/"}, HostMode::Program},
        ModeCase{"a.exe", {"s"}, HostMode::Program},
        ModeCase{"a.exe", {""}, HostMode::Program},
        ModeCase{"a.exe", {"sx"}, HostMode::Program},
        ModeCase{"a.scr", {"/x"}, HostMode::Settings},
        ModeCase{"a.exe", {"+S"}, HostMode::Program},
        ModeCase{"a.exe", {"-R"}, HostMode::Program},   // PR has no slash form
        ModeCase{"a.exe", {"/R"}, HostMode::Program},
        ModeCase{"a.exe", {"/PR"}, HostMode::Preview},  // the first two are "/P"
        ModeCase{"a.exe", {" /s"}, HostMode::Program},
        // Only argument 1 is looked at.
        ModeCase{"a.exe", {"x", "/s"}, HostMode::Program}));

TEST(SwitchHostMode, UpperCasesBytesFromE0ButLeavesOtherHighBytes) {
  // 0xF3 upper-cases to 0xD3; neither pair is in the table, but the upper-casing must
  // not turn a high byte into an ASCII letter of the table.
  EXPECT_EQ(SwitchHostMode("\xF3\xF0"), std::nullopt);
  EXPECT_EQ(SwitchHostMode("/\xF3"), std::nullopt);
}

TEST(FileExtension, TakesTheLastDotOfTheFileName) {
  EXPECT_EQ(FileExtension("/a/b.c/name.tar.gz"), ".gz");
  EXPECT_EQ(FileExtension("/a/b.c/name"), "");
  EXPECT_EQ(FileExtension("name."), ".");
  EXPECT_EQ(FileExtension(".exe"), ".exe");
  EXPECT_EQ(FileExtension(""), "");
}

TEST(ParseWindowHandle, ReadsAPlainDecimalNumber) {
  EXPECT_EQ(ParseWindowHandle("123"), 123U);
  EXPECT_EQ(ParseWindowHandle("0"), kNoWindow);
  EXPECT_EQ(ParseWindowHandle("18446744073709551615"), 18446744073709551615ULL);
}

TEST(ParseWindowHandle, ReadsAHexadecimalNumberAfter0x) {
  EXPECT_EQ(ParseWindowHandle("0x10"), 16U);
  EXPECT_EQ(ParseWindowHandle("0X2a00007"), 0x2a00007U);
  EXPECT_EQ(ParseWindowHandle("0xffffffffffffffff"), 18446744073709551615ULL);
}

TEST(ParseWindowHandle, GivesNoWindowForAnythingElse) {
  for (const char* text : {"", "12a", "-5", " 12", "0x", "0x-1", "0x1g", "x10", "0x10000000000000000", "18446744073709551616",
                           "/P:123"}) {
    EXPECT_EQ(ParseWindowHandle(text), kNoWindow) << text;
  }
}

}  // namespace
}  // namespace velquora
