#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tool_options.h"

namespace velquora {
namespace {

ToolOptions Parse(std::vector<std::string> arguments) { return ParseToolOptions(arguments); }

TEST(EmbedOptions, RootAsksForTheDaemonsWindowOrTheRoot) {
  const ToolOptions options = Parse({"--saver", "a.scr", "-root"});
  EXPECT_EQ(options.EmbedWindow, "root");
  EXPECT_EQ(options.SaverFile, "a.scr");
  EXPECT_TRUE(options.SaverArguments.empty());
}

TEST(EmbedOptions, WindowIdTakesTheNextArgumentAsItIs) {
  for (const char* id : {"0x2a00007", "12345"}) {
    const ToolOptions options = Parse({"-window-id", id, "--seed", "3"});
    EXPECT_EQ(options.EmbedWindow, id);
    EXPECT_EQ(options.Seed, 3u);
  }
  EXPECT_EQ(Parse({"--window-id", "77"}).EmbedWindow, "77");
  EXPECT_EQ(Parse({"--root"}).EmbedWindow, "root");
}

TEST(EmbedOptions, WindowIdWithoutAValueIsAnError) { EXPECT_THROW(Parse({"-window-id"}), EToolOptionError); }

TEST(EmbedOptions, OtherSingleDashArgumentsStartTheSaversCommandLine) {
  const ToolOptions options = Parse({"-s", "-root"});
  EXPECT_FALSE(options.EmbedWindow.has_value());
  EXPECT_EQ(options.SaverArguments, (std::vector<std::string>{"-s", "-root"}));
}

TEST(EmbedOptions, TheHelpListsBoth) {
  const std::string help = ToolOptionsHelp();
  EXPECT_NE(help.find("-root"), std::string::npos);
  EXPECT_NE(help.find("-window-id ID"), std::string::npos);
}

}  // namespace
}  // namespace velquora
