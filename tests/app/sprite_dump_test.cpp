// The sprite part of the scene dump: every field named, values as the objects hold them.
#include "app/sprite_dump.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "core/ansi_text.h"
#include "core/json_writer.h"
#include "core/memory_stream.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "scoped_temp_dir.h"

namespace velquora {
namespace {

using Json = nlohmann::ordered_json;

Json DumpSprite(const TSprite& sprite) {
  std::ostringstream out;
  JsonWriter json(out);
  WriteSpriteJson(json, sprite);
  return Json::parse(out.str());
}

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

// zlib's CRC-32 over R, G, B of every pixel, rows top to bottom.
std::uint32_t RgbCrc(const TBitmap& bitmap) {
  std::vector<std::uint8_t> bytes;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const TColor color = bitmap.GetPixel(x, y);
      bytes.insert(bytes.end(), {GetRValue(color), GetGValue(color), GetBValue(color)});
    }
  return static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

class SpriteDump : public ::testing::Test {
protected:
  SpriteDump() {
    scene.ScreenWidth = 640;
    scene.ScreenHeight = 480;
    sprite.Name = "caf\xE9";  // é in code page 1252
    sprite.KeepStateWhenHidden = true;
    sprite.HadBadFrame = true;
    TStartAndFinish& window = sprite.AddStartFinish();
    window.StartTick = 4;
    window.FinishTick = 44;

    TFrame& frame = sprite.AddFrame();
    frame.FileName = "C:\\a\\b.bmp";
    frame.Duration = 6;
    frame.Transparent = true;
    frame.TransparentX = -1;
    frame.TransparentY = 3;
    frame.SourceKind = 2;
    frame.AnimationName = "spin";
    frame.Animated = true;
    frame.AnimationKind = 2;
    frame.Width = 33;
    frame.Height = 22;
    const std::uint8_t payload[5] = {1, 2, 3, 4, 5};
    frame.Payload.WriteBuffer(payload, sizeof payload);
    *frame.PendingPicture = TBitmap(3, 2, PixelFormat::Bits24);
    frame.PendingPicture->SetPixel(1, 1, RGB(10, 20, 30));

    sprite.AddFrame().PendingPicture.reset();  // a frame whose picture was rasterised

    TMoving& moving = sprite.Moving();
    moving.AbsoluteCoords = true;
    moving.HotSpotX = -5;
    moving.CycleLimit = 2;
    TMovingStepValues values;
    values.Kind = 4;
    values.AreaRight = 1.0L / 3;
    values.StartX = 12;
    values.StartY = 9;
    values.Count = 3;
    values.Hidden = true;
    moving.AddStep(values, &sprite);
    moving.Steps[0]->ShapeColorTo = 0x00FF8040;
  }
  void TearDown() override { SetActiveCodePage(kDefaultCodePage); }

  TVelquoraScene scene;
  TSprite sprite{scene};
};

TEST_F(SpriteDump, NamesEveryFieldInOrder) {
  const Json json = DumpSprite(sprite);
  EXPECT_EQ(Keys(json), (std::vector<std::string>{"Name", "KeepStateWhenHidden", "HadBadFrame", "StartFinish",
                                                   "Frames", "Moving"}));
  EXPECT_EQ(Keys(json["StartFinish"][0]), (std::vector<std::string>{"StartTick", "FinishTick"}));
  EXPECT_EQ(Keys(json["Frames"][0]),
            (std::vector<std::string>{"FileName", "Duration", "Transparent", "TransparentX", "TransparentY",
                                      "SourceKind", "AnimationName", "Animated", "AnimationKind", "Width",
                                      "Height", "PayloadSize", "PendingPicture", "Avi"}));
  EXPECT_EQ(Keys(json["Frames"][0]["PendingPicture"]),
            (std::vector<std::string>{"Width", "Height", "BitsPerPixel", "PixelsCrc32"}));
  EXPECT_EQ(Keys(json["Moving"]),
            (std::vector<std::string>{"CycleLimit", "AbsoluteCoords", "AbsoluteSpeed", "HotSpotInPercent",
                                      "HotSpotX", "HotSpotY", "FitToScreen", "KeepAspect", "PosX", "PosY",
                                      "Steps"}));
  EXPECT_EQ(Keys(json["Moving"]["Steps"][0]),
            (std::vector<std::string>{
                "Kind", "AreaLeft", "AreaTop", "AreaRight", "AreaBottom", "StartX", "StartY", "Angle",
                "SpeedFrom", "SpeedTo", "ScaleXFrom", "ScaleXTo", "ScaleYFrom", "ScaleYTo", "Duration", "Count",
                "SpareReal", "EmitAngle", "Hidden", "MaxDelay", "PercentFrom", "PercentTo", "ShapeAFrom",
                "ShapeATo", "ShapeEFrom", "ShapeETo", "ShapeBFrom", "ShapeCFrom", "ShapeBTo", "ShapeCTo",
                "ShapeColorFrom", "ShapeColorTo", "OriginX", "OriginY", "DirX", "DirY", "Clones"}));
}

TEST_F(SpriteDump, ShowsTheSpriteAndItsWindows) {
  const Json json = DumpSprite(sprite);
  EXPECT_EQ(json["Name"], "caf\xC3\xA9");
  EXPECT_EQ(json["KeepStateWhenHidden"], true);
  EXPECT_EQ(json["HadBadFrame"], true);
  EXPECT_EQ(json["StartFinish"][0]["StartTick"], 4);
  EXPECT_EQ(json["StartFinish"][0]["FinishTick"], 44);
}

TEST_F(SpriteDump, NameFollowsTheActiveCodePage) {
  SetActiveCodePage(kCyrillicCodePage);
  EXPECT_EQ(DumpSprite(sprite)["Name"], "caf\xD0\xB9");  // 0xE9 is U+0439 in code page 1251
}

TEST_F(SpriteDump, ShowsFramesWithTheirPendingPicture) {
  const Json json = DumpSprite(sprite);
  const Json& frame = json["Frames"][0];
  EXPECT_EQ(frame["FileName"], "C:\\a\\b.bmp");
  EXPECT_EQ(frame["Duration"], 6);
  EXPECT_EQ(frame["Transparent"], true);
  EXPECT_EQ(frame["TransparentX"], -1);
  EXPECT_EQ(frame["TransparentY"], 3);
  EXPECT_EQ(frame["SourceKind"], 2);
  EXPECT_EQ(frame["AnimationName"], "spin");
  EXPECT_EQ(frame["Animated"], true);
  EXPECT_EQ(frame["AnimationKind"], 2);
  EXPECT_EQ(frame["Width"], 33);
  EXPECT_EQ(frame["Height"], 22);
  EXPECT_EQ(frame["PayloadSize"], 5);
  EXPECT_EQ(frame["PendingPicture"]["Width"], 3);
  EXPECT_EQ(frame["PendingPicture"]["Height"], 2);
  EXPECT_EQ(frame["PendingPicture"]["BitsPerPixel"], 24);
  EXPECT_EQ(frame["PendingPicture"]["PixelsCrc32"], RgbCrc(*sprite.Frames()[0]->PendingPicture));
  EXPECT_TRUE(json["Frames"][1]["PendingPicture"].is_null());
}

TEST_F(SpriteDump, ShowsThePathAndItsSteps) {
  const Json json = DumpSprite(sprite);
  const Json& moving = json["Moving"];
  EXPECT_EQ(moving["CycleLimit"], 2);
  EXPECT_EQ(moving["AbsoluteCoords"], true);
  EXPECT_EQ(moving["AbsoluteSpeed"], true);
  EXPECT_EQ(moving["HotSpotX"], -5);
  EXPECT_EQ(moving["PosX"], 12);
  EXPECT_EQ(moving["PosY"], 9);
  const Json& step = moving["Steps"][0];
  EXPECT_EQ(step["Kind"], 4);
  EXPECT_EQ(step["AreaRight"].get<double>(), 1.0 / 3);
  EXPECT_EQ(step["AreaBottom"], 40);
  EXPECT_EQ(step["SpareReal"], 100);
  EXPECT_EQ(step["Hidden"], true);
  EXPECT_EQ(step["ShapeColorTo"], 0x00FF8040);
  EXPECT_EQ(step["OriginX"], 12);
  EXPECT_EQ(step["DirX"], 0);
  EXPECT_EQ(step["Clones"], 3);
}

TEST_F(SpriteDump, RealsRoundTripAtFullPrecision) {
  std::ostringstream out;
  JsonWriter json(out);
  WriteSpriteJson(json, sprite);
  const std::string text = out.str();
  const std::string key = "\"AreaRight\":";
  const std::size_t at = text.find(key);
  ASSERT_NE(at, std::string::npos);
  const long double read = std::strtold(text.c_str() + at + key.size(), nullptr);
  EXPECT_EQ(read, 1.0L / 3);
}

// An AVI frame whose clip comes from the corpus file name.
void LoadClip(TFrame& frame, const std::string& name) {
  std::ifstream in(std::filesystem::path(VELQUORA_TEST_FILES) / "avi" / name, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  TMemoryStream form;
  WriteShortString(form, name);
  WriteInt32(form, static_cast<std::int32_t>(bytes.size()));
  form.WriteBuffer(bytes.data(), bytes.size());
  form.SetPosition(0);
  frame.Animated = true;
  frame.AnimationKind = 3;
  frame.Animation.emplace<std::unique_ptr<TAVIImage>>(std::make_unique<TAVIImage>())->LoadFromStream(form);
}

TEST(SpriteDumpAvi, ClipsShowTheirFramesStartRateAndSound) {
  const ScopedTemporaryDirectory temp("sprite_dump_test");
  TVelquoraScene scene;
  TSprite sprite{scene};
  LoadClip(sprite.AddFrame(), "rawvideo_bgr24_15fps.avi");
  LoadClip(sprite.AddFrame(), "rawvideo_bgr24_pcm_s16le.avi");
  LoadClip(sprite.AddFrame(), "FACTS.json");  // no clip: it does not open
  sprite.AddFrame();
  const Json json = DumpSprite(sprite);
  EXPECT_EQ(json["Frames"][0]["Avi"], Json::parse(R"({"Frames": 12, "Start": 0, "Rate": 15, "HasSound": false})"));
  EXPECT_EQ(json["Frames"][1]["Avi"], Json::parse(R"({"Frames": 12, "Start": 0, "Rate": 10, "HasSound": true})"));
  EXPECT_TRUE(json["Frames"][2]["Avi"].is_null());
  EXPECT_TRUE(json["Frames"][3]["Avi"].is_null());
}

}  // namespace
}  // namespace velquora
