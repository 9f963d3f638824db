// Golden renders of the first Steps of a small scene: a gradient background, a scaled
// opaque box on a line, a transparent ball bouncing, and a still sprite of two frames.
// Each picture is compared pixel by pixel with tests/data/golden/scene_step_N.png, and
// the rules pin down what several of its pixels must be, so a wrong golden cannot pass.
// VELQUORA_UPDATE_GOLDEN=1 writes the pictures instead (then check them by eye).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "demo_scene.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "scene_builder.h"

namespace velquora {
namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 36;
constexpr TColor kTop = RGB(10, 20, 120);
constexpr TColor kBottom = RGB(120, 200, 250);
constexpr TColor kBox = RGB(40, 170, 60);
constexpr TColor kRed = RGB(230, 30, 30);
constexpr TColor kYellow = RGB(250, 220, 30);

std::filesystem::path GoldenPath(int step) {
  return std::filesystem::path(VELQUORA_TEST_FILES) / "golden" / ("scene_step_" + std::to_string(step) + ".png");
}

bool UpdatingGoldens() {
  const char* value = std::getenv("VELQUORA_UPDATE_GOLDEN");
  return value != nullptr && std::string_view(value) == "1";
}

class GoldenScene : public ::testing::Test {
protected:
  GoldenScene() : target(kWidth, kHeight) {
    TMovingStepValues line = LineFrom({2, 28}, {40, 28}, 4);
    line.ScaleXFrom = line.ScaleXTo = line.ScaleYFrom = line.ScaleYTo = 1.5L;
    AddSprite(scene, SolidPicture(8, 6, kBox), line);

    TSprite& ball = AddSprite(scene, DemoBall(10, RGB(200, 40, 200), RGB(255, 200, 255)),
                              BounceIn(Rect{0, 0, 30, 26}, {0, 5}, 30, 3));
    ball.Frames().front()->Transparent = true;

    TSprite& lamp = AddSprite(scene, SolidPicture(6, 6, kRed), HoldAt({40, 2}));
    AddPictureFrame(lamp, SolidPicture(6, 6, kYellow));
    for (auto& frame : lamp.Frames()) frame->Duration = 2;

    scene.ScreenWidth = kWidth;
    scene.ScreenHeight = kHeight;
    scene.BackgroundMode = 2;
    scene.GradientFrom = kTop;
    scene.GradientTo = kBottom;
    scene.Prepare();
    scene.TargetBitmap = &target;
    scene.Restart();
  }

  TVelquoraScene scene;
  TBitmap target;
};

TEST_F(GoldenScene, FirstFourStepsMatchTheGoldenPicturesAndTheRules) {
  const int lamp_frame[] = {0, 1, 1, 0};  // Duration 2: the frame changes at every second Step
  for (int step = 1; step <= 4; ++step) {
    scene.Step();
    SCOPED_TRACE("Step " + std::to_string(step));
    if (UpdatingGoldens()) {
      std::filesystem::create_directories(GoldenPath(step).parent_path());
      SavePng(target, GoldenPath(step));
    }
    const TBitmap golden = LoadPng(GoldenPath(step));
    ASSERT_EQ(golden.Width(), kWidth);
    ASSERT_EQ(golden.Height(), kHeight);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(target.GetPixel(x, y), golden.GetPixel(x, y) & 0xFFFFFF) << x << "," << y;
      }
    }

    // The box is drawn one advance ahead of its committed point: x = 2 + 4 (step + 1),
    // 12 x 9 pixels (scale 1.5), cut by the bottom edge.
    const int box_left = 2 + 4 * (step + 1);
    EXPECT_EQ(target.GetPixel(box_left, 28), kBox);
    EXPECT_EQ(target.GetPixel(box_left + 11, 35), kBox);
    EXPECT_NE(target.GetPixel(box_left - 1, 30), kBox);
    EXPECT_NE(target.GetPixel(box_left + 12, 30), kBox);

    EXPECT_EQ(target.GetPixel(42, 4), lamp_frame[step - 1] == 0 ? kRed : kYellow);

    // The gradient starts with the first colour on the top row and moves towards the
    // second, row by row, in every channel (column 46 holds no sprite in these Steps).
    EXPECT_EQ(target.GetPixel(46, 0), kTop);
    for (int y = 1; y < kHeight; ++y) {
      const TColor above = target.GetPixel(46, y - 1);
      const TColor here = target.GetPixel(46, y);
      EXPECT_GE(GetRValue(here), GetRValue(above)) << y;
      EXPECT_GE(GetGValue(here), GetGValue(above)) << y;
      EXPECT_GE(GetBValue(here), GetBValue(above)) << y;
      EXPECT_LE(GetBValue(here), GetBValue(kBottom)) << y;
    }
    EXPECT_GT(GetGValue(target.GetPixel(46, kHeight - 1)), GetGValue(kTop) + 150);

    // The ball's key colour never shows.
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) ASSERT_NE(target.GetPixel(x, y), kDemoKeyColor) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace velquora
