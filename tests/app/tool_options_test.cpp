#include "app/tool_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velquora {
namespace {

ToolOptions Parse(std::vector<std::string> arguments) { return ParseToolOptions(arguments); }

TEST(ToolOptions, WithoutOptionsEverythingBelongsToTheSaver) {
  const ToolOptions options = Parse({"/p", "1234"});
  EXPECT_FALSE(options.SaverFile.has_value());
  EXPECT_FALSE(options.DumpScene);
  EXPECT_EQ(options.Size, (ScreenSize{640, 480}));
  EXPECT_EQ(options.SaverArguments, (std::vector<std::string>{"/p", "1234"}));
}

TEST(ToolOptions, SaverFileIsFollowedByTheSaversArguments) {
  const ToolOptions options = Parse({"--saver", "/x/Aquarium.scr", "/s", "extra"});
  EXPECT_EQ(options.SaverFile, "/x/Aquarium.scr");
  EXPECT_EQ(options.SaverArguments, (std::vector<std::string>{"/s", "extra"}));
}

TEST(ToolOptions, EveryOptionIsRead) {
  const ToolOptions options =
      Parse({"--seed", "4294967295", "--size", "800x600", "--codepage", "1251", "--dump-scene", "--saver", "f"});
  EXPECT_EQ(options.Seed, 4294967295U);
  EXPECT_EQ(options.Size, (ScreenSize{800, 600}));
  EXPECT_EQ(options.CodePage, 1251);
  EXPECT_TRUE(options.DumpScene);
  EXPECT_EQ(options.SaverFile, "f");
  EXPECT_TRUE(options.SaverArguments.empty());
}

TEST(ToolOptions, TheFirstSaverArgumentEndsTheOptions) {
  // A saver switch has one dash; anything after it is the saver's, even "--help".
  const ToolOptions options = Parse({"--seed", "1", "-s", "--help"});
  EXPECT_FALSE(options.Help);
  EXPECT_EQ(options.SaverArguments, (std::vector<std::string>{"-s", "--help"}));
}

TEST(ToolOptions, HelpIsAnOption) { EXPECT_TRUE(Parse({"--help"}).Help); }

TEST(ToolOptions, BadUsageIsRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--saver"},          {"--seed"},           {"--seed", "-1"},        {"--seed", "4294967296"},
      {"--seed", "12ab"},   {"--size", "800"},    {"--size", "0x600"},     {"--size", "800x-1"},
      {"--size", "x"},      {"--size", "800x600x2"}, {"--codepage", "cp"}, {"--dump"},
      {"--verbose", "/s"},
  };
  for (const auto& arguments : bad) {
    EXPECT_THROW(Parse(arguments), EToolOptionError) << arguments[0] << (arguments.size() > 1 ? " " + arguments[1] : "");
  }
}

TEST(ToolOptions, DumpDialogTakesSettingsOrAbout) {
  EXPECT_EQ(Parse({"--dump-dialog", "settings"}).DumpDialog, "settings");
  EXPECT_EQ(Parse({"--dump-dialog", "about", "--saver", "f"}).DumpDialog, "about");
  EXPECT_FALSE(Parse({"/c"}).DumpDialog.has_value());
  EXPECT_THROW(Parse({"--dump-dialog"}), EToolOptionError);
  EXPECT_THROW(Parse({"--dump-dialog", "Settings"}), EToolOptionError);
  EXPECT_THROW(Parse({"--dump-dialog", "password"}), EToolOptionError);
}

TEST(ToolOptions, HelpListsEveryOption) {
  const std::string help = ToolOptionsHelp();
  for (const char* option : {"--saver FILE", "--seed N", "--size WxH", "--codepage N", "--dump-scene", "--dump-dialog settings|about", "--help"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  for (const char* saver_switch : {"/S", "/P", "/C", "/A", "PR", "SP"}) {
    EXPECT_NE(help.find(saver_switch), std::string::npos) << saver_switch;
  }
}

}  // namespace
}  // namespace velquora
