#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/scene_dump.h"
#include "core/ansi_text.h"
#include "core/memory_stream.h"
#include "platform/gdi/bitmap.h"
#include "recording_message_boxes.h"
#include "scene_writer.h"

namespace velquora {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// A directory of its own for the saver files and embedded audio of one test.
class DumpDirectory {
public:
  DumpDirectory() {
    std::string pattern = (fs::temp_directory_path() / "scene_dump_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    const char* previous = std::getenv("TMPDIR");
    previous_ = previous != nullptr ? previous : "";
    setenv("TMPDIR", path_.c_str(), 1);
  }
  ~DumpDirectory() {
    if (previous_.empty()) {
      unsetenv("TMPDIR");
    } else {
      setenv("TMPDIR", previous_.c_str(), 1);
    }
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  DumpDirectory(const DumpDirectory&) = delete;
  DumpDirectory& operator=(const DumpDirectory&) = delete;

  fs::path Write(const std::vector<std::uint8_t>& bytes) {
    const fs::path file = path_ / ("saver" + std::to_string(++count_) + ".scr");
    WriteFileBytes(file, bytes);
    return file;
  }

private:
  fs::path path_;
  std::string previous_;
  int count_ = 0;
};

struct DumpResult {
  int status = -1;
  Json json;
};

DumpResult Dump(const fs::path& saver) {
  const auto boxes = std::make_shared<SilentMessageBoxes>();
  const ScopedMessageBoxes scope(boxes);
  std::ostringstream out;
  DumpResult result;
  result.status = RunSceneDump(saver.string(), ScreenSize{640, 480}, out);
  result.json = Json::parse(out.str());
  return result;
}

// zlib's CRC-32 over the R, G, B bytes of every pixel, rows top to bottom.
std::uint32_t RgbCrc(const TBitmap& bitmap) {
  std::vector<std::uint8_t> bytes;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const TColor color = bitmap.GetPixel(x, y);
      bytes.insert(bytes.end(), {GetRValue(color), GetGValue(color), GetBValue(color)});
    }
  }
  return static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

TBitmap LoadBmp(const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  return bitmap;
}

SceneSpec DumpScene() {
  SceneSpec scene;
  scene.BackgroundBmp = MakeTestBmp(6, 3, 11);
  SpriteSpec sprite;
  sprite.Name = "gull";
  sprite.Windows = {{2, 9}};
  sprite.Moving.Steps = {StepSpec{}};
  scene.Sprites = {sprite};
  AudioFileSpec audio;
  audio.FileName = "C:\\Sounds\\sea.wav";
  audio.DeviceType = 3;
  audio.Items = {{5, 50, true}, {7, 0, false}};
  scene.AudioFiles = {audio};
  return scene;
}

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

TEST(SceneDump, TopLevelHoldsEveryFieldInOrder) {
  DumpDirectory directory;
  DumpResult result = Dump(directory.Write(WriteSceneSaverFile(DumpScene())));
  const std::vector<std::string> expected = {
      "FileVersion", "SignatureText", "LoadFailed", "StreamSize", "TimerInterval", "CycleLength",
      "BackgroundMode", "BackgroundPictureName", "GradientFrom", "GradientTo", "PicturePlacement", "RepeatMode",
      "CloseWhenDone", "RunsLeft", "FillMode", "BackgroundColor", "GradientAngle", "BorderStyle", "BorderWidth",
      "BorderLightColor", "BorderDarkColor", "BorderMargin", "FrameFillColor", "CornerDiameter", "ShowAboutOnExit",
      "SettingsCaption", "SpeedLabel", "SettingsInfoLines", "SupportLabel", "SupportLink", "SettingsNoteLines",
      "ShowGoButton", "ShowAboutButton", "SettingsFontName", "SettingsFontSize", "AboutCaption", "AboutLines",
      "AboutLabel", "AboutLink", "AboutNoteLines", "AboutShowGoButton", "AboutFontName", "AboutFontSize",
      "BackgroundPicture", "BackgroundBitmap", "AudioFiles", "Sprites", "Checksum"};
  EXPECT_EQ(Keys(result.json), expected);
  EXPECT_EQ(result.status, 0);
}

void ExpectSceneFields(Json json, const SceneSpec& design, int version) {
  EXPECT_EQ(json["TimerInterval"], design.TimerInterval);
  EXPECT_EQ(json["CycleLength"], design.CycleLength);
  EXPECT_EQ(json["BackgroundMode"], design.BackgroundMode);
  EXPECT_EQ(json["BackgroundPictureName"], design.BackgroundPictureName);
  EXPECT_EQ(json["GradientFrom"], design.GradientFrom);
  EXPECT_EQ(json["GradientTo"], design.GradientTo);
  EXPECT_EQ(json["PicturePlacement"], design.PicturePlacement);
  EXPECT_EQ(json["RepeatMode"], version >= 11 ? design.RepeatMode : -1);
  EXPECT_EQ(json["CloseWhenDone"], version >= 11 && design.CloseWhenDone);
  EXPECT_EQ(json["RunsLeft"], 1);
  EXPECT_EQ(json["BackgroundColor"], version >= 14 ? design.BackgroundColor : 0xFFFFFFu);
  EXPECT_EQ(json["GradientAngle"], version >= 14 ? design.GradientAngle : 90);
  EXPECT_EQ(json["BorderWidth"], version >= 14 ? design.BorderWidth : 0);
  EXPECT_EQ(json["BorderLightColor"], version >= 14 ? design.BorderLightColor : 0xC0C0C0u);
  EXPECT_EQ(json["BorderDarkColor"], version >= 14 ? design.BorderDarkColor : 0x808080u);
  EXPECT_EQ(json["CornerDiameter"], version >= 14 ? design.CornerDiameter : 0);
  EXPECT_EQ(json["ShowAboutOnExit"], version >= 4 && design.ShowAboutOnExit);
  if (version >= 2) {
    EXPECT_EQ(json["SettingsCaption"], design.SettingsCaption);
    EXPECT_EQ(json["SettingsInfoLines"], Json(design.SettingsInfoLines));
    EXPECT_EQ(json["SettingsNoteLines"], Json(design.SettingsNoteLines));
    EXPECT_EQ(json["ShowGoButton"], design.ShowGoButton);
    EXPECT_EQ(json["SettingsFontName"], design.SettingsFontName);
    EXPECT_EQ(json["SettingsFontSize"], design.SettingsFontSize);
    EXPECT_EQ(json["AboutLines"], Json(design.AboutLines));
    EXPECT_EQ(json["AboutLink"], design.AboutLink);
    EXPECT_EQ(json["AboutFontSize"], design.AboutFontSize);
  } else {
    EXPECT_EQ(json["SettingsCaption"], "");
    EXPECT_EQ(json["SettingsInfoLines"], Json::array());
  }
}

TEST(SceneDump, EveryVersionCompressedOrNotShowsTheSceneAsWritten) {
  DumpDirectory directory;
  const SceneSpec design = DumpScene();
  const TBitmap background = LoadBmp(design.BackgroundBmp);
  for (int version = 1; version <= 16; ++version) {
    for (const bool compressed : {false, true}) {
      SCOPED_TRACE(testing::Message() << "version " << version << (compressed ? " compressed" : " plain"));
      ContainerSpec container;
      container.Version = version;
      container.Compressed = compressed;
      const std::vector<std::uint8_t> saver = WriteSceneSaverFile(design, container);
      DumpResult result = Dump(directory.Write(saver));
      Json& json = result.json;
      ASSERT_EQ(result.status, 0);
      EXPECT_EQ(json["FileVersion"], version);
      EXPECT_EQ(json["LoadFailed"], false);
      // A compressed record stream is a stream of its own; a plain one is the file.
      const std::size_t records = WriteSceneRecords(design, version).size();
      EXPECT_EQ(json["StreamSize"], compressed ? records : saver.size());
      ExpectSceneFields(json, design, version);

      Json& picture = json["BackgroundPicture"];
      EXPECT_EQ(picture["Width"], 6);
      EXPECT_EQ(picture["Height"], 3);
      EXPECT_EQ(picture["BitsPerPixel"], 24);
      EXPECT_EQ(picture["PixelsCrc32"], RgbCrc(background));

      Json& audio = json["AudioFiles"];
      ASSERT_EQ(audio.size(), 1u);
      EXPECT_EQ(audio[0]["FileName"], "C:\\Sounds\\sea.wav");
      EXPECT_EQ(audio[0]["DeviceType"], 3);
      EXPECT_EQ(audio[0]["IsTempCopy"], false);
      EXPECT_EQ(audio[0]["Items"], Json::parse(R"([{"StartTick":5,"StopTick":50,"StopEnabled":true},
                                                    {"StartTick":7,"StopTick":0,"StopEnabled":false}])"));
      ASSERT_EQ(json["Sprites"].size(), 1u);
      EXPECT_EQ(json["Sprites"][0]["StartFinish"][0]["FinishTick"], 9);
      EXPECT_EQ(json["Checksum"]["Ok"], true);
    }
  }
}

TEST(SceneDump, BackgroundBitmapIsThePreparedBackground) {
  // The dump scene paints its background and stretches its 6 x 3 picture over the
  // whole 640 x 480 area: pixel (x, y) samples picture pixel ((2x + 1) * 6 / 1280,
  // (2y + 1) * 3 / 960).
  DumpDirectory directory;
  const SceneSpec design = DumpScene();
  ASSERT_EQ(design.PicturePlacement, 3);
  Json json = Dump(directory.Write(WriteSceneSaverFile(design))).json;
  const TBitmap picture = LoadBmp(design.BackgroundBmp);
  std::vector<std::uint8_t> colours;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      const TColor colour = picture.GetPixel((2 * x + 1) * 6 / 1280, (2 * y + 1) * 3 / 960);
      colours.insert(colours.end(), {GetRValue(colour), GetGValue(colour), GetBValue(colour)});
    }
  }
  Json& bitmap = json["BackgroundBitmap"];
  EXPECT_EQ(bitmap["Width"], 640);
  EXPECT_EQ(bitmap["Height"], 480);
  EXPECT_EQ(bitmap["PixelsCrc32"], crc32(0, colours.data(), static_cast<uInt>(colours.size())));
}

TEST(SceneDump, EmptyBackgroundPictureLengthShowsTheConstructorPicture) {
  DumpDirectory directory;
  SceneSpec design = DumpScene();
  design.BackgroundBmp.clear();
  Json json = Dump(directory.Write(WriteSceneSaverFile(design))).json;
  EXPECT_EQ(json["BackgroundPicture"]["Width"], 100);
  EXPECT_EQ(json["BackgroundPicture"]["Height"], 100);
}

TEST(SceneDump, TextsAreConvertedToUtf8ThroughTheActiveCodePage) {
  DumpDirectory directory;
  SceneSpec design = DumpScene();
  design.SettingsCaption = "Caf\xe9 \x80";            // "Café €" in 1252
  design.AboutLines = {"\xcf\xf0\xe8\xe2\xe5\xf2"};    // "Привет" in 1251
  const fs::path saver = directory.Write(WriteSceneSaverFile(design));
  Json western = Dump(saver).json;
  EXPECT_EQ(western["SettingsCaption"], "Caf\xc3\xa9 \xe2\x82\xac");
  SetActiveCodePage(1251);
  Json cyrillic = Dump(saver).json;
  SetActiveCodePage(1252);
  EXPECT_EQ(cyrillic["AboutLines"][0], "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
}

TEST(SceneDump, EmbeddedAudioShowsItsTemporaryCopy) {
  DumpDirectory directory;
  SceneSpec design = DumpScene();
  design.AudioFiles[0].Embedded = {'R', 'I', 'F', 'F'};
  Json json = Dump(directory.Write(WriteSceneSaverFile(design))).json;
  EXPECT_EQ(json["AudioFiles"][0]["IsTempCopy"], true);
  const std::string name = json["AudioFiles"][0]["FileName"];
  EXPECT_EQ(fs::path(name).filename(), "sea.wav");
  EXPECT_FALSE(fs::exists(name)) << "the copy goes with the scene";
}

TEST(SceneDump, FailedLoadShowsWhatWasReadAndExitsWithOne) {
  DumpDirectory directory;
  const SceneSpec design = DumpScene();
  std::vector<std::uint8_t> records = WriteSceneRecords(design, 16);
  records.resize(records.size() - 3);  // cut inside the sprite list
  // Compressed, so that the record stream ends where the records end (a plain one would
  // run on into the saver file's last eight bytes).
  DumpResult result = Dump(directory.Write(WriteSaverFile(WriteContainer(records))));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.json["LoadFailed"], true);
  EXPECT_EQ(result.json["TimerInterval"], design.TimerInterval);
  EXPECT_EQ(result.json["AboutFontName"], design.AboutFontName);
  EXPECT_EQ(result.json["Sprites"].size(), 1u) << "the sprite being read stays";
}

}  // namespace
}  // namespace velquora
