#include "app/dialog_dump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "container_writer.h"
#include "platform/win/dialog_font.h"
#include "platform/win/dialog_template.h"
#include "recording_message_boxes.h"
#include "saver_writer.h"
#include "scene_writer.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

class DialogDumpTest : public ::testing::Test {
protected:
  DialogDumpTest() {
    std::string pattern = (fs::temp_directory_path() / "dialog_dump_test_XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  ~DialogDumpTest() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  fs::path Write(const std::vector<std::uint8_t>& bytes) {
    const fs::path file = dir_ / "saver.scr";
    WriteFileBytes(file, bytes);
    return file;
  }
  fs::path WriteScene(const SceneSpec& design) {
    ContainerSpec container;
    container.Version = 16;
    return Write(WriteSaverFile(WriteContainer(WriteSceneRecords(design, 16), container)));
  }

  int Dump(const fs::path& saver, DumpedDialog which, Json& json) {
    const ScopedMessageBoxes scope(std::make_shared<SilentMessageBoxes>());
    std::ostringstream out;
    const int status = RunDialogDump(saver.string(), which, 96, out);
    if (status == 0) json = Json::parse(out.str());
    return status;
  }

  fs::path dir_;
};

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

TEST_F(DialogDumpTest, SettingsDialogInTheReferenceFont) {
  SceneSpec design;
  design.SettingsFontName = "MS Sans Serif";
  design.SettingsFontSize = 8;
  design.ShowGoButton = false;
  design.ShowAboutButton = true;
  Json json;
  ASSERT_EQ(Dump(WriteScene(design), DumpedDialog::Settings, json), 0);
  EXPECT_EQ(json["ScaleX"], 1.59);
  EXPECT_EQ(json["ScaleY"], 1.55);
  EXPECT_EQ(json["Title"], design.SettingsCaption);
  EXPECT_EQ(json["FontName"], "MS Sans Serif");
  EXPECT_EQ(json["FontSize"], 8);
  EXPECT_EQ(json["Style"], 0x80C800C0);
  EXPECT_EQ(json["Width"], 191);
  EXPECT_EQ(json["Height"], 155);
  ASSERT_EQ(json["Items"].size(), 11u);
  const std::vector<int> ids = {6, 5, 1, 2, 7, 200, 201, 202, 203, 204, 205};
  const DialogBaseUnits base = MeasureDialogBaseUnits("MS Sans Serif", 8, 96);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const Json& item = json["Items"][i];
    EXPECT_EQ(item["Id"], ids[i]);
    const int x = item["X"], y = item["Y"], w = item["Width"], h = item["Height"];
    EXPECT_EQ(item["PixelRect"], Json::array({MulDiv(x, base.X, 4), MulDiv(y, base.Y, 8), MulDiv(x + w, base.X, 4),
                                              MulDiv(y + h, base.Y, 8)}))
        << "item " << ids[i];
  }
  EXPECT_EQ(json["Items"][0]["Class"], 0x84);
  EXPECT_EQ(json["Items"][0]["Style"], 0x50010002);
  EXPECT_EQ(json["Items"][1]["Text"], "Play sound");
  EXPECT_EQ(json["Items"][5]["Text"], "20 frames per second");

  // The template's bytes read back as the same dialog.
  const std::optional<DialogTemplate> parsed = ParseDialogTemplate(FromHex(json["TemplateHex"]));
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->Width, 191);
  ASSERT_EQ(parsed->Items.size(), 11u);
  EXPECT_EQ(parsed->Items[4].Id, 7);
  EXPECT_EQ(parsed->Items[4].Text, u"About");
}

TEST_F(DialogDumpTest, AboutDialogHasItsOwnCaptionAndButtons) {
  SceneSpec design;
  design.AboutShowGoButton = true;
  Json json;
  ASSERT_EQ(Dump(WriteScene(design), DumpedDialog::About, json), 0);
  EXPECT_EQ(json["Title"], design.AboutCaption);
  EXPECT_EQ(json["FontName"], design.AboutFontName);
  ASSERT_EQ(json["Items"].size(), 6u);
  EXPECT_EQ(json["Items"][1]["Id"], 4);
  EXPECT_EQ(json["Items"][1]["Text"], "Go ->");
}

TEST_F(DialogDumpTest, ASceneThatDoesNotLoadEndsWithStatusOne) {
  Json json;
  EXPECT_EQ(Dump(Write({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), DumpedDialog::Settings, json), 1);
  EXPECT_EQ(Dump(dir_ / "missing.scr", DumpedDialog::About, json), 1);
}

}  // namespace
}  // namespace velquora
