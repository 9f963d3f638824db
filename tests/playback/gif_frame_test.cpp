// GIF frames during playback: how many timer ticks each GIF image stays, the move to the
// sprite's next frame when a GIF wraps, the restart at the start of a visibility window,
// and transparent drawing of GIF images.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/memory_stream.h"
#include "gif_writer.h"
#include "media/gif/gif_file.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/gif_frame.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "scene_builder.h"
#include "scene_file/read_version.h"
#include "scene_file/sprite_reader.h"
#include "sprite_writer.h"

namespace velquora {
namespace {

// The global table of every test GIF; image k of a solid GIF is filled with entry k.
const std::vector<GifRgb> kTable = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 255, 0},
                                    {255, 0, 255}, {0, 255, 255}, {255, 255, 255}, {0, 0, 0}};
constexpr int kSide = 2;

TColor TableColor(int index) {
  const GifRgb& rgb = kTable.at(static_cast<std::size_t>(index));
  return RGB(rgb[0], rgb[1], rgb[2]);
}

// A kSide x kSide GIF whose images fill the whole picture with the table entries given,
// each image with its own delay (hundredths of a second).
std::vector<std::uint8_t> SolidGif(const std::vector<int>& fills, const std::vector<int>& delays) {
  GifWriter writer(kSide, kSide, kTable);
  for (std::size_t i = 0; i < fills.size(); ++i) {
    writer.GraphicControl(0, delays.at(i));
    writer.Image(GifImage(0, 0, kSide, kSide, std::vector<std::uint8_t>(kSide * kSide, std::uint8_t(fills[i]))));
  }
  return writer.Trailer().Bytes();
}

// Images 1..count filled with table entries 0..count-1, all with one delay.
std::vector<std::uint8_t> CountingGif(int count, int delay) {
  std::vector<int> fills;
  for (int i = 0; i < count; ++i) fills.push_back(i);
  return SolidGif(fills, std::vector<int>(static_cast<std::size_t>(count), delay));
}

// Adds a GIF frame the way the sprite reader sets one up: the GIF loaded into Animation,
// its first image shown in the pending picture, the natural size taken from it.
TFrame& AddGifFrame(TSprite& sprite, const std::vector<std::uint8_t>& bytes) {
  TFrame& frame = sprite.AddFrame();
  frame.Animated = true;
  frame.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Gif);
  TGifFile& gif = *frame.Animation.emplace<std::unique_ptr<TGifFile>>(std::make_unique<TGifFile>());
  TMemoryStream stream(bytes);
  gif.LoadFromStream(stream);
  gif.Seek(1, *frame.PendingPicture);
  frame.Width = frame.PendingPicture->Width();
  frame.Height = frame.PendingPicture->Height();
  return frame;
}

// The table entry the frame shows: Picture once an animation step filled it, before that
// the reader's first image.
int ShownFill(TFrame& frame) {
  const TBitmap& shown = frame.Picture.Empty() ? *frame.PendingPicture : static_cast<TBitmap&>(frame.Picture);
  const TColor color = shown.GetPixel(0, 0);
  for (int i = 0; i < static_cast<int>(kTable.size()); ++i) {
    if (TableColor(i) == color) return i;
  }
  return -1;
}

struct TickTrace {
  std::vector<int> Shown;
  std::vector<bool> Changed;
};

TickTrace AdvanceTicks(TFrame& frame, int ticks) {
  TickTrace trace;
  for (int i = 0; i < ticks; ++i) {
    frame.Prepare(-1);
    trace.Shown.push_back(ShownFill(frame));
    trace.Changed.push_back(frame.Changed);
  }
  return trace;
}

class GifFrame : public ::testing::Test {
protected:
  GifFrame() : sprite(scene.AddSprite()) { scene.TimerInterval = 50; }

  TVelquoraScene scene;
  TSprite& sprite;
};

// ---------------------------------------------------------------------------------------
// Ticks per image: q = (100 / d) / (1000 / t) images per tick, with d raised to at least
// 5; q > 1 gives a new image every tick (0 here), otherwise round(1 / q) = round(10 d / t)
// ticks, ties to even.

struct TicksCase {
  int Delay;
  int Interval;
  int Ticks;
};

TEST(GifTicksPerImage, FollowsImagesPerTickRule) {
  const TicksCase cases[] = {
      {10, 50, 2},       // q = 10 / 20 = 0.5
      {20, 50, 4},       // q = 5 / 20 = 0.25
      {3, 50, 1},        // d raised to 5: q = 20 / 20 = 1, not above 1
      {0, 50, 1},        // no delay counts as 5
      {5, 50, 1},        // q = 1 exactly
      {6, 50, 1},        // 1 / q = 60 / 50 = 1.2
      {7, 50, 1},        // 1 / q = 70 / 50 = 1.4
      {8, 50, 2},        // 1 / q = 80 / 50 = 1.6
      {25, 100, 2},      // 1 / q = 2.5: tie to even
      {35, 100, 4},      // 1 / q = 3.5: tie to even
      {45, 100, 4},      // 1 / q = 4.5: tie to even
      {4, 100, 0},       // d raised to 5: q = 10 / 5 = 2, faster than the timer
      {9, 100, 0},       // q = 100 / 90, just above 1
      {10, 100, 1},      // q = 1 exactly
      {65535, 1, 655350},  // the slowest image at the fastest timer
  };
  for (const TicksCase& c : cases) {
    EXPECT_EQ(GifTicksPerImage(c.Delay, c.Interval), c.Ticks) << "delay " << c.Delay << ", interval " << c.Interval;
  }
}

// ---------------------------------------------------------------------------------------
// Advancing by ticks. The reader has rendered image 1; ticks count from there.

TEST_F(GifFrame, DelayTenAtInterval50AdvancesEverySecondTick) {
  // 2 ticks per image: images 2, 3 and 1 (the wrap) arrive at ticks 2, 4 and 6.
  TFrame& frame = AddGifFrame(sprite, CountingGif(3, 10));
  const TickTrace trace = AdvanceTicks(frame, 8);
  EXPECT_EQ(trace.Shown, (std::vector<int>{0, 1, 1, 2, 2, 0, 0, 1}));
  EXPECT_EQ(trace.Changed, (std::vector<bool>{false, true, false, true, false, true, false, true}));
}

TEST_F(GifFrame, DelayTwentyAtInterval50AdvancesEveryFourthTick) {
  // 4 ticks per image: image 2 at tick 4, image 1 again at tick 8.
  TFrame& frame = AddGifFrame(sprite, CountingGif(2, 20));
  const TickTrace trace = AdvanceTicks(frame, 9);
  EXPECT_EQ(trace.Shown, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 0, 0}));
  EXPECT_EQ(trace.Changed, (std::vector<bool>{false, false, false, true, false, false, false, true, false}));
  EXPECT_EQ(frame.AdvanceCount, 1) << "one tick counted since the last image";
}

TEST_F(GifFrame, EachImageStaysForItsOwnDelay) {
  // Image 1 (delay 10) stays 2 ticks, image 2 (delay 20) 4 ticks, image 3 (delay 10)
  // 2 ticks: new images at ticks 2, 6 and 8.
  TFrame& frame = AddGifFrame(sprite, SolidGif({0, 1, 2}, {10, 20, 10}));
  const TickTrace trace = AdvanceTicks(frame, 8);
  EXPECT_EQ(trace.Shown, (std::vector<int>{0, 1, 1, 1, 1, 2, 2, 0}));
}

TEST_F(GifFrame, ImagesFasterThanTheTimerShowOnePerTick) {
  // Interval 100 and delay 2 (raised to 5): q = 2, so one image each tick and no counting.
  scene.TimerInterval = 100;
  TFrame& frame = AddGifFrame(sprite, CountingGif(3, 2));
  const TickTrace trace = AdvanceTicks(frame, 4);
  EXPECT_EQ(trace.Shown, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_EQ(trace.Changed, (std::vector<bool>(4, true)));
  EXPECT_EQ(frame.AdvanceCount, 0);
}

TEST_F(GifFrame, WithoutATimerEveryTickShowsTheNextImage) {
  scene.TimerInterval = 0;
  TFrame& frame = AddGifFrame(sprite, CountingGif(3, 20));
  EXPECT_EQ(AdvanceTicks(frame, 3).Shown, (std::vector<int>{1, 2, 0}));
}

TEST(GifFrameAlone, WithoutASpriteEveryTickShowsTheNextImage) {
  TVelquoraScene scene;
  TSprite& owner = scene.AddSprite();
  TFrame& frame = AddGifFrame(owner, CountingGif(3, 20));
  frame.Sprite = nullptr;
  EXPECT_EQ(AdvanceTicks(frame, 3).Shown, (std::vector<int>{1, 2, 0}));
}

TEST_F(GifFrame, SingleImageGifNeverChanges) {
  TFrame& frame = AddGifFrame(sprite, CountingGif(1, 10));
  const TickTrace trace = AdvanceTicks(frame, 5);
  EXPECT_EQ(trace.Changed, (std::vector<bool>(5, false)));
  frame.Prepare(1);
  EXPECT_FALSE(frame.Changed);
  EXPECT_TRUE(frame.Picture.Empty()) << "the reader's picture stays the one to draw";
}

TEST_F(GifFrame, PrepareWithAnImageShowsThatImage) {
  TFrame& frame = AddGifFrame(sprite, CountingGif(4, 10));
  AdvanceTicks(frame, 4);  // image 3 shown
  ASSERT_EQ(ShownFill(frame), 2);
  frame.Prepare(1);
  EXPECT_TRUE(frame.Changed);
  EXPECT_EQ(ShownFill(frame), 0);
  frame.Prepare(3);
  EXPECT_TRUE(frame.Changed);
  EXPECT_EQ(ShownFill(frame), 2);
}

TEST_F(GifFrame, GifWithoutAnimationOrNotAnimatedIsLeftAlone) {
  TFrame& frame = AddGifFrame(sprite, CountingGif(3, 10));
  frame.Animated = false;
  AdvanceTicks(frame, 4);
  EXPECT_TRUE(frame.Picture.Empty());
  EXPECT_EQ(frame.AdvanceCount, 0);
}

// ---------------------------------------------------------------------------------------
// The sprite moves on when its GIF wraps.

TEST_F(GifFrame, WrapMovesTheSpriteToItsNextFrame) {
  TFrame& gifFrame = AddGifFrame(sprite, CountingGif(3, 10));
  AddPictureFrame(sprite, SolidPicture(kSide, kSide, TableColor(5)));
  TGifFile& gif = *gifFrame.GifAnimation();
  // Ticks 1-5 render images 2 and 3 but no wrap: the sprite stays on its GIF.
  for (int tick = 1; tick <= 5; ++tick) {
    gifFrame.Prepare(-1);
    EXPECT_FALSE(sprite.AdvanceFrame()) << "tick " << tick;
    EXPECT_EQ(sprite.GetFrameIndex(), 0);
  }
  gifFrame.Prepare(-1);  // tick 6: image 1 again, the GIF has wrapped
  EXPECT_TRUE(sprite.AdvanceFrame());
  EXPECT_EQ(sprite.GetFrameIndex(), 1);
  EXPECT_EQ(sprite.FrameTicks, 0);
  EXPECT_EQ(gif.NextFrameIndex(), 1) << "the GIF starts at its first image when shown again";
  EXPECT_FALSE(gif.Wrapped()) << "moving on consumed the wrap";
  // The still frame now counts its Duration of 4.
  EXPECT_FALSE(sprite.AdvanceFrame());
  EXPECT_EQ(sprite.FrameTicks, 1);
}

TEST_F(GifFrame, WrapOnTheLastFrameReturnsToTheFirst) {
  AddPictureFrame(sprite, SolidPicture(kSide, kSide, TableColor(5)));
  TFrame& gifFrame = AddGifFrame(sprite, CountingGif(2, 10));
  sprite.SetFrameIndex(1);
  AdvanceTicks(gifFrame, 4);  // images 2 and 1 at ticks 2 and 4
  EXPECT_TRUE(sprite.AdvanceFrame());
  EXPECT_EQ(sprite.GetFrameIndex(), 0);
}

TEST_F(GifFrame, SceneStepsPlayBothGifsOfASpriteInTurn) {
  // A sprite holding still at (4, 4) with GIF A (red, green, blue) and GIF B (yellow,
  // magenta), all delays 10 at interval 50. Each Step first advances the frame (the path's
  // evaluation, which moves on after a wrap) and then the animation (the change test):
  //   Steps 1-6: A1 A2 A2 A3 A3 A1 (the wrap at Step 6, two ticks per image)
  //   Step 7: B takes over with its first image; Steps 8-10: B2 B2 B1 (wrap)
  //   Step 11: back to A, still showing the A1 it rendered last; A starts again at image 1,
  //   rendered anew at Step 12; A2 at Step 14.
  sprite.Moving().AbsoluteCoords = true;
  sprite.Moving().AddStep(HoldAt({4, 4}), &sprite);
  AddGifFrame(sprite, SolidGif({0, 1, 2}, {10, 10, 10}));
  AddGifFrame(sprite, SolidGif({3, 4}, {10, 10}));
  PrepareScene(scene, 16, 12, TableColor(7));
  TBitmap target = SolidPicture(16, 12, RGB(9, 9, 9));
  scene.TargetBitmap = &target;

  const std::vector<int> expectedFill = {0, 1, 1, 2, 2, 0, 3, 4, 4, 3, 0, 0, 0, 1};
  const std::vector<int> expectedFrame = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0};
  for (std::size_t step = 0; step < expectedFill.size(); ++step) {
    scene.Step();
    EXPECT_EQ(sprite.GetFrameIndex(), expectedFrame[step]) << "Step " << step + 1;
    EXPECT_EQ(target.GetPixel(5, 5), TableColor(expectedFill[step])) << "Step " << step + 1;
    EXPECT_EQ(target.GetPixel(3, 3), TableColor(7)) << "background outside the sprite, Step " << step + 1;
  }
}

// ---------------------------------------------------------------------------------------
// Restart at the first tick of a visibility window.

TEST_F(GifFrame, WindowStartRestartsTheAnimation) {
  TStartAndFinish& window = sprite.AddStartFinish();
  window.StartTick = 5;
  window.FinishTick = 9;
  TFrame& frame = AddGifFrame(sprite, CountingGif(4, 10));
  AdvanceTicks(frame, 4);  // image 3
  ASSERT_EQ(ShownFill(frame), 2);

  scene.CurrentTick = 6;  // inside the window, not its start: nothing restarts
  EXPECT_FALSE(sprite.UpdateHidden());
  EXPECT_EQ(ShownFill(frame), 2);

  scene.CurrentTick = 5;
  EXPECT_FALSE(sprite.UpdateHidden());
  EXPECT_EQ(ShownFill(frame), 0);
  EXPECT_TRUE(frame.Changed);
  // The animation runs on from image 1: image 2 two ticks later.
  frame.AdvanceCount = 0;
  EXPECT_EQ(AdvanceTicks(frame, 2).Shown, (std::vector<int>{0, 1}));
}

TEST_F(GifFrame, SceneRestartShowsTheFirstImageAgain) {
  TFrame& frame = AddGifFrame(sprite, CountingGif(3, 10));
  AdvanceTicks(frame, 5);  // image 3, one tick counted
  scene.Restart();
  EXPECT_EQ(ShownFill(frame), 0);
  EXPECT_EQ(frame.AdvanceCount, 0);
  EXPECT_EQ(AdvanceTicks(frame, 2).Shown, (std::vector<int>{0, 1}));
}

// ---------------------------------------------------------------------------------------
// Transparent drawing: the colour is sampled once from the image shown at the first draw
// and left out of every later image too.

TEST_F(GifFrame, TransparentColourSampledOnceAppliesToLaterImages) {
  // Image 1: entry 2 (blue) at the top-left, red elsewhere. Image 2: blue on the other
  // diagonal, green elsewhere.
  GifWriter writer(kSide, kSide, kTable);
  writer.GraphicControl(0, 10).Image(GifImage(0, 0, kSide, kSide, {2, 0, 0, 0}));
  writer.GraphicControl(0, 10).Image(GifImage(0, 0, kSide, kSide, {1, 2, 2, 1}));
  TFrame& frame = AddGifFrame(sprite, writer.Trailer().Bytes());
  frame.Transparent = true;
  frame.TransparentX = 0;
  frame.TransparentY = 0;
  const TColor grey = RGB(90, 90, 90);

  TBitmap first = SolidPicture(4, 4, grey);
  frame.Draw(first, 1, 1, 1, 1, 4, 4, 0);
  EXPECT_EQ(frame.TransparentColor, TableColor(2));
  EXPECT_EQ(first.GetPixel(1, 1), grey);
  EXPECT_EQ(first.GetPixel(2, 1), TableColor(0));
  EXPECT_EQ(first.GetPixel(2, 2), TableColor(0));

  AdvanceTicks(frame, 2);  // image 2
  ASSERT_EQ(ShownFill(frame), 1);
  TBitmap second = SolidPicture(4, 4, grey);
  frame.Draw(second, 1, 1, 1, 1, 4, 4, 0);
  EXPECT_EQ(second.GetPixel(1, 1), TableColor(1));
  EXPECT_EQ(second.GetPixel(2, 1), grey);
  EXPECT_EQ(second.GetPixel(1, 2), grey);
  EXPECT_EQ(second.GetPixel(2, 2), TableColor(1));
}

TEST_F(GifFrame, ScaledTransparentGifLeavesTheKeyOut) {
  GifWriter writer(kSide, kSide, kTable);
  writer.GraphicControl(0, 10).Image(GifImage(0, 0, kSide, kSide, {2, 0, 0, 0}));
  writer.GraphicControl(0, 10).Image(GifImage(0, 0, kSide, kSide, {0, 0, 0, 2}));
  TFrame& frame = AddGifFrame(sprite, writer.Trailer().Bytes());
  frame.Transparent = true;
  AdvanceTicks(frame, 2);  // image 2 before the first draw: the key is sampled from it
  const TColor grey = RGB(90, 90, 90);
  TBitmap target = SolidPicture(4, 4, grey);
  frame.Draw(target, 0, 2, 2, 0, 4, 4, 0);  // doubled: each GIF pixel covers 2 x 2
  EXPECT_EQ(frame.TransparentColor, TableColor(0)) << "sampled from image 2's top-left";
  EXPECT_EQ(target.GetPixel(0, 0), grey);
  EXPECT_EQ(target.GetPixel(3, 0), grey);
  EXPECT_EQ(target.GetPixel(3, 3), TableColor(2));
  EXPECT_EQ(target.GetPixel(2, 2), TableColor(2));
}

TEST_F(GifFrame, ImageRenderedBeforeTheFirstDrawComposesOntoTheReadersImage) {
  // Interval 100, delay 2: the first tick renders image 2 at once, before any draw.
  // Image 2 covers only the bottom-right pixel, so the picture must be image 1 with that
  // one pixel replaced, and drawing must show it rather than the reader's image 1.
  scene.TimerInterval = 100;
  GifWriter writer(kSide, kSide, kTable);
  writer.GraphicControl(0, 2).Image(GifImage(0, 0, kSide, kSide, {0, 0, 0, 0}));
  writer.GraphicControl(0, 2).Image(GifImage(1, 1, 1, 1, {1}));
  TFrame& frame = AddGifFrame(sprite, writer.Trailer().Bytes());
  frame.Prepare(-1);
  ASSERT_TRUE(frame.Changed);
  TBitmap target = SolidPicture(kSide, kSide, RGB(90, 90, 90));
  frame.Draw(target, 0, 1, 1, 0, kSide, kSide, 0);
  EXPECT_EQ(target.GetPixel(0, 0), TableColor(0));
  EXPECT_EQ(target.GetPixel(1, 0), TableColor(0));
  EXPECT_EQ(target.GetPixel(1, 1), TableColor(1));
}

TEST_F(GifFrame, GifReadFromAFrameRecordPlaysAtTheTimersPace) {
  // The reader's own set-up of a GIF payload: delay 20 at interval 50 gives 4 ticks per
  // image, so image 2 arrives at tick 4 and image 3 at tick 8.
  FrameSpec design;
  design.Animated = true;
  design.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Gif);
  design.Payload = CountingGif(3, 20);
  TMemoryStream record;
  WriteFrameRecord(record, design, kNewestReadVersion);
  record.SetPosition(0);
  ScopedReadVersion version(kNewestReadVersion);
  TFrame& frame = sprite.AddFrame();
  ReadFrameRecord(frame, record);
  ASSERT_NE(frame.GifAnimation(), nullptr);
  EXPECT_EQ(AdvanceTicks(frame, 8).Shown, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 2}));
}

}  // namespace
}  // namespace velquora
