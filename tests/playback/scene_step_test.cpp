// The scene's playback tick: counters and cycles, the re-entrancy guard, the dirty
// rectangles with their growing and merging, composition into the target, Prepare's
// backgrounds and Restart.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/display_info.h"
#include "platform/system/resource_probe.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/screen_snapshot.h"
#include "playback/dirty_rects.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "scene_builder.h"

namespace velquora {
namespace {

constexpr TColor kBackground = RGB(40, 60, 80);
constexpr TColor kRed = RGB(255, 0, 0);
constexpr TColor kBlue = RGB(0, 0, 255);
constexpr TColor kGreen = RGB(0, 200, 0);

// Every pixel of the bitmap that differs from the colour, as "x,y" texts (few, so that
// a failure says where).
std::vector<std::string> PixelsNot(const TBitmap& bitmap, const Rect& area, TColor color) {
  std::vector<std::string> wrong;
  for (int y = area.Top; y < area.Bottom; ++y) {
    for (int x = area.Left; x < area.Right; ++x) {
      if (bitmap.GetPixel(x, y) != color && wrong.size() < 8) wrong.push_back(std::to_string(x) + "," + std::to_string(y));
    }
  }
  return wrong;
}

class SceneStep : public ::testing::Test {
protected:
  void Prepare(int width = 80, int height = 60) {
    PrepareScene(scene, width, height, kBackground);
    target = SolidPicture(width, height, RGB(1, 2, 3));
    target.SetPixelFormat(PixelFormat::Bits32);
    scene.TargetBitmap = &target;
  }

  void Steps(int count) {
    for (int i = 0; i < count; ++i) scene.Step();
  }

  TVelquoraScene scene;
  TBitmap target;
};

TEST(DirtyRects, MergePassJoinsTheFirstIntersectingRectangleOfEach) {
  struct Case {
    const char* name;
    std::vector<Rect> before;
    std::vector<Rect> after;
    bool changed;
  };
  const std::vector<Case> cases = {
      {"apart", {{0, 0, 5, 5}, {10, 10, 15, 15}}, {{0, 0, 5, 5}, {10, 10, 15, 15}}, false},
      {"touching edges do not intersect", {{0, 0, 5, 5}, {5, 0, 9, 5}}, {{0, 0, 5, 5}, {5, 0, 9, 5}}, false},
      {"overlap", {{0, 0, 5, 5}, {4, 4, 9, 9}}, {{0, 0, 9, 9}}, true},
      {"empty rectangles never merge", {{0, 0, 0, 0}, {0, 0, 5, 5}, {2, 2, 2, 8}}, {{0, 0, 0, 0}, {0, 0, 5, 5}, {2, 2, 2, 8}}, false},
      // i = 0 takes C (j = 2); then i = 1 is B, which now meets A u C at j = 0.
      {"a grown rectangle is met again later in the pass",
       {{0, 0, 4, 4}, {10, 0, 14, 4}, {3, 0, 11, 1}},
       {{0, 0, 14, 4}},
       true},
      // i = 0 merges B (j = 1); i = 1 is now D, which meets nothing; C waits a pass.
      {"one merge per rectangle and pass",
       {{0, 0, 4, 4}, {2, 2, 6, 6}, {20, 20, 24, 24}, {22, 22, 26, 26}},
       {{0, 0, 6, 6}, {20, 20, 26, 26}},
       true},
  };
  for (const Case& c : cases) {
    std::vector<Rect> dirty = c.before;
    EXPECT_EQ(MergePass(dirty), c.changed) << c.name;
    EXPECT_EQ(dirty, c.after) << c.name;
  }
}

TEST(DirtyRects, IntersectsMeansACommonPartThatIsNotEmpty) {
  // Every rectangle pair over a small grid of corners, against the common part.
  const std::int32_t edges[] = {-1, 0, 1, 2, 3};
  std::vector<Rect> rects;
  for (const std::int32_t left : edges) {
    for (const std::int32_t right : edges) {
      for (const std::int32_t top : {0, 2}) rects.push_back(Rect{left, top, right, top + 1 + (left & 1)});
    }
  }
  for (const Rect& a : rects) {
    for (const Rect& b : rects) {
      EXPECT_EQ(Intersects(a, b), !Intersection(a, b).IsEmpty())
          << a.Left << "," << a.Top << "," << a.Right << "," << a.Bottom << " / " << b.Left << "," << b.Top << ","
          << b.Right << "," << b.Bottom;
    }
  }
}

TEST(DirtyRects, GrowOverWidensOnlyTheRectanglesThatMeetTheSprite) {
  std::vector<Rect> dirty = {{0, 0, 10, 10}, {30, 30, 40, 40}, {0, 0, 0, 0}};
  GrowOver(dirty, Rect{8, 8, 20, 12});
  EXPECT_EQ(dirty, (std::vector<Rect>{{0, 0, 20, 12}, {30, 30, 40, 40}, {0, 0, 0, 0}}));
}

// The tracked passes against the plain ones, over overlapping rectangles (some empty or
// inverted) and sequences of passes whose rectangles to grow over stay or change.
TEST(DirtyRects, TrackedGrowthGivesThePlainPassesResults) {
  std::uint32_t state = 12345;
  const auto next = [&state](int bound) {
    state = state * 1103515245u + 12345u;
    return static_cast<std::int32_t>((state >> 8) % static_cast<std::uint32_t>(bound));
  };
  const auto some_rects = [&](int count) {
    std::vector<Rect> rects;
    for (int i = 0; i < count; ++i) {
      const std::int32_t left = next(120);
      const std::int32_t top = next(120);
      rects.push_back(Rect{left, top, left + next(30) - 2, top + next(30) - 2});
    }
    return rects;
  };
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<Rect> plain = some_rects(1 + next(trial % 4 == 0 ? 120 : 40));
    std::vector<Rect> tracked = plain;
    DirtyRectGrowth growth(tracked);
    std::vector<Rect> over = some_rects(next(25));
    for (int round = 0; round < 6; ++round) {
      for (int pass = 0; pass < 2; ++pass) {
        if (next(4) == 0) over = some_rects(next(25));
        for (const Rect& rect : over) GrowOver(plain, rect);
        growth.GrowPass(over);
        ASSERT_EQ(tracked, plain) << "trial " << trial << " round " << round << " pass " << pass;
      }
      const bool merged = MergePass(plain);
      ASSERT_EQ(growth.Merge(), merged) << "trial " << trial << " round " << round;
      ASSERT_EQ(tracked, plain) << "trial " << trial << " round " << round;
    }
  }
}

TEST_F(SceneStep, AnEmptySceneAdvancesItsCountersAndShowsTheBackgroundOnce) {
  Prepare();
  scene.Step();
  EXPECT_EQ(scene.CurrentTick, 2);
  EXPECT_EQ(scene.StepCount, 1);
  EXPECT_EQ(scene.CyclesDone, 0);
  EXPECT_TRUE(scene.BackgroundShown);
  EXPECT_TRUE(PixelsNot(target, target.BoundsRect(), kBackground).empty());

  // Only the first Step copies the whole background.
  TCanvas(scene.BackgroundBitmap).SetPixel(5, 5, kRed);
  scene.Step();
  EXPECT_EQ(target.GetPixel(5, 5), kBackground);
  scene.BackgroundShown = false;
  scene.Step();
  EXPECT_EQ(target.GetPixel(5, 5), kRed) << "clearing BackgroundShown repaints it all";
  EXPECT_EQ(scene.StepCount, 3);
}

TEST_F(SceneStep, OneRunCountsDownAtTheEndOfTheCycleAndThenStops) {
  Prepare();
  scene.RepeatMode = 0;
  Steps(999);
  EXPECT_EQ(scene.CurrentTick, 1000);
  EXPECT_EQ(scene.CyclesDone, 0);
  EXPECT_EQ(scene.RunsLeft, 1);
  scene.Step();  // 1000 -> 1001 wraps
  EXPECT_EQ(scene.CurrentTick, 1);
  EXPECT_EQ(scene.CyclesDone, 1);
  EXPECT_EQ(scene.RunsLeft, 0);
  EXPECT_EQ(scene.StepCount, 1000);
  Steps(5);
  EXPECT_EQ(scene.StepCount, 1000) << "a scene that has run out does nothing";
  EXPECT_EQ(scene.CurrentTick, 1);
}

TEST_F(SceneStep, EndlessRepeatNeverStops) {
  Prepare(8, 8);
  scene.RepeatMode = -1;
  scene.CycleLength = 3;
  Steps(30);
  EXPECT_EQ(scene.CyclesDone, 10);
  EXPECT_EQ(scene.RunsLeft, 1);
  EXPECT_EQ(scene.CurrentTick, 1);
  EXPECT_EQ(scene.StepCount, 30);
}

TEST_F(SceneStep, ACycleOfTheLargestLengthWrapsWithoutOverflow) {
  Prepare(8, 8);
  scene.CycleLength = 2147483647;
  scene.CurrentTick = 2147483647;
  scene.Step();
  EXPECT_EQ(scene.CurrentTick, 1);
  EXPECT_EQ(scene.CyclesDone, 1);
}

TEST_F(SceneStep, ANestedStepIsTurnedAway) {
  Prepare(8, 8);
  scene.InStep = true;
  scene.Step();
  EXPECT_EQ(scene.StepCount, 0);
  EXPECT_EQ(scene.CurrentTick, 1);
}

TEST_F(SceneStep, AFailingTickLeavesNoGuardSetAndPlaybackGoesOn) {
  Prepare(8, 8);
  scene.ScreenWidth = MaxBitmapDimension + 1;  // the compose bitmap cannot be that wide
  scene.Step();
  EXPECT_FALSE(scene.InStep);
  EXPECT_EQ(scene.StepCount, 1);
  EXPECT_EQ(scene.CurrentTick, 2);
  scene.ScreenWidth = 8;
  scene.Step();
  EXPECT_EQ(scene.StepCount, 2);
  EXPECT_TRUE(scene.BackgroundShown);
}

TEST_F(SceneStep, ASpriteIsDrawnAndItsOldPlaceRestoredAsItMoves) {
  // A line at 10 px per tick: Step k commits x = 10k; the rectangle the Step draws comes
  // from a peeking evaluation, which shows the leg one advance further: x = 10(k + 1).
  TSprite& sprite = AddSprite(scene, SolidPicture(10, 10, kRed), LineFrom({0, 20}, {60, 20}, 10));
  Prepare();
  scene.Step();
  EXPECT_EQ(sprite.Moving().PosX, 10);
  EXPECT_TRUE(PixelsNot(target, Rect{20, 20, 30, 30}, kRed).empty());
  EXPECT_EQ(sprite.DrawnRect, (Rect{20, 20, 30, 30}));
  scene.Step();
  EXPECT_TRUE(PixelsNot(target, Rect{30, 20, 40, 30}, kRed).empty());
  EXPECT_TRUE(PixelsNot(target, Rect{20, 20, 30, 30}, kBackground).empty());
  // Old and new places touch without overlapping: two separate dirty rectangles.
  EXPECT_EQ(scene.LastDirtyRects, (std::vector<Rect>{{20, 20, 30, 30}, {30, 20, 40, 30}}));
  EXPECT_EQ(sprite.DrawnRect, (Rect{30, 20, 40, 30}));
}

TEST_F(SceneStep, AMovingSpriteUnderAStillOneKeepsTheStackingOrder) {
  // M (blue, 10 x 10, first in the list) runs right along y = 20 at 5 px per tick and
  // is drawn at x = 5(k + 1) after Step k; S (red, 10 x 20 at (20, 15)) stands still
  // above it.
  AddSprite(scene, SolidPicture(10, 10, kBlue), LineFrom({0, 20}, {100, 20}, 5));
  AddSprite(scene, SolidPicture(10, 20, kRed), HoldAt({20, 15}));
  Prepare();
  Steps(2);
  // Step 2: M moves from x = 10 to 15. Its old place (10,20)-(20,30) and new place
  // (15,20)-(25,30) both grow over M's new place and then over S (20,15)-(30,35):
  // (10,15)-(30,35) and (15,15)-(30,35), merged into one.
  EXPECT_EQ(scene.LastDirtyRects, (std::vector<Rect>{{10, 15, 30, 35}}));
  EXPECT_TRUE(PixelsNot(target, Rect{15, 20, 20, 30}, kBlue).empty());
  EXPECT_TRUE(PixelsNot(target, Rect{20, 15, 30, 35}, kRed).empty()) << "the still sprite stays on top";
  EXPECT_TRUE(PixelsNot(target, Rect{10, 20, 15, 30}, kBackground).empty());
}

TEST_F(SceneStep, ASpriteOffThePlayingAreaIsTrackedButNothingIsCopied) {
  TSprite& sprite = AddSprite(scene, SolidPicture(10, 10, kRed), HoldAt({100, 10}));
  Prepare();
  scene.Step();
  EXPECT_TRUE(sprite.Drawn);
  EXPECT_TRUE(sprite.Erased);
  EXPECT_EQ(sprite.DrawnRect, (Rect{100, 10, 110, 20}));
  EXPECT_TRUE(PixelsNot(target, target.BoundsRect(), kBackground).empty());
}

TEST_F(SceneStep, ASpriteScaledPastThe32BitRangeCoversTheAreaWithoutOverflow) {
  // Ten pixels scaled by 2^28 from a start left of the area: the right side lies far
  // beyond the 32-bit range, and the rectangle's sides must still subtract and unite.
  TMovingStepValues hold = HoldAt({-153, 5});
  hold.ScaleXFrom = hold.ScaleXTo = 268435456;
  TSprite& sprite = AddSprite(scene, SolidPicture(10, 10, kRed), hold);
  Prepare();
  Steps(2);
  EXPECT_EQ(sprite.DrawnRect, (Rect{-153, 5, kCoordinateLimit, 15}));
  EXPECT_TRUE(PixelsNot(target, Rect{0, 5, 80, 15}, kRed).empty());
  EXPECT_TRUE(PixelsNot(target, Rect{0, 15, 80, 60}, kBackground).empty());
}

TEST_F(SceneStep, ASpriteFarBeyondTheCoordinateBoundIsNotDrawn) {
  TSprite& sprite = AddSprite(scene, SolidPicture(10, 10, kRed), HoldAt({2147483000, 5}));
  AddSprite(scene, SolidPicture(10, 10, kBlue), HoldAt({-2147483000, -2147483000}));
  Prepare();
  Steps(2);
  EXPECT_TRUE(sprite.DrawnRect.IsEmpty());
  EXPECT_EQ(sprite.DrawnRect.Left, kCoordinateLimit);
  EXPECT_TRUE(PixelsNot(target, target.BoundsRect(), kBackground).empty());
}

TEST_F(SceneStep, LowSystemResourcesSuppressDrawingButNotTheCounters) {
  AddSprite(scene, SolidPicture(10, 10, kRed), HoldAt({5, 5}));
  Prepare();
  {
    const ScopedResourceFigure low(10);
    scene.Step();
  }
  EXPECT_EQ(scene.StepCount, 1);
  EXPECT_TRUE(PixelsNot(target, target.BoundsRect(), kBackground).empty());
}

TEST_F(SceneStep, TwoStillFramesOfDurationFourAlternateEveryFourTicks) {
  TSprite& sprite = AddSprite(scene, SolidPicture(6, 6, kRed), HoldAt({4, 4}));
  AddPictureFrame(sprite, SolidPicture(6, 6, kGreen));
  Prepare();
  // After Step k the index is 0 for k = 1..3, 1 for k = 4..7, 0 again from k = 8.
  const int expected[] = {0, 0, 0, 1, 1, 1, 1, 0, 0};
  for (int k = 1; k <= 9; ++k) {
    scene.Step();
    EXPECT_EQ(sprite.GetFrameIndex(), expected[k - 1]) << "after Step " << k;
    // The picture on screen is the one the sprite was drawn with in that Step: the
    // frame changes at the advancing evaluation, before the drawing.
    EXPECT_EQ(target.GetPixel(5, 5), expected[k - 1] == 0 ? kRed : kGreen) << "after Step " << k;
  }
}

TEST_F(SceneStep, ASpriteOutsideItsWindowIsErasedAndComesBackFromTheStartOfItsPath) {
  TSprite& sprite = AddSprite(scene, SolidPicture(10, 10, kRed), LineFrom({0, 0}, {50, 0}, 10));
  TStartAndFinish& window = sprite.AddStartFinish();
  window.StartTick = 1;
  window.FinishTick = 2;
  scene.CycleLength = 4;
  Prepare();
  Steps(2);  // ticks 1, 2: committed at x = 10, 20; drawn at 20, 30
  EXPECT_TRUE(PixelsNot(target, Rect{30, 0, 40, 10}, kRed).empty());
  scene.Step();  // tick 3: hidden, its place restored
  EXPECT_TRUE(sprite.Hidden);
  EXPECT_FALSE(sprite.Drawn);
  EXPECT_TRUE(PixelsNot(target, target.BoundsRect(), kBackground).empty());
  // Ticks 3 and 4 each rewind the path and then advance it once: x = 10.
  scene.Step();
  EXPECT_EQ(sprite.Moving().PosX, 10);
  scene.Step();  // tick 1 of the next cycle: shown again, committed at 20, drawn at 30
  EXPECT_FALSE(sprite.Hidden);
  EXPECT_EQ(sprite.Moving().PosX, 20);
  EXPECT_TRUE(PixelsNot(target, Rect{30, 0, 40, 10}, kRed).empty());
  EXPECT_TRUE(PixelsNot(target, Rect{0, 0, 30, 10}, kBackground).empty());
}

TEST_F(SceneStep, ClonesAreMovedAndDrawnInsteadOfTheirSprite) {
  TSprite& sprite = scene.AddSprite();
  AddPictureFrame(sprite, SolidPicture(4, 4, kBlue));
  sprite.Moving().AbsoluteCoords = true;
  TMovingStepValues jump;
  jump.Kind = static_cast<std::int32_t>(TStepKind::RandomJump);
  jump.AreaLeft = 10;
  jump.AreaTop = 10;
  jump.AreaRight = 50;
  jump.AreaBottom = 40;
  jump.Count = 3;
  jump.MaxDelay = 0;  // no wait
  jump.Duration = -1;
  sprite.Moving().AddStep(jump, &sprite);
  Prepare();
  Steps(2);
  ASSERT_NE(sprite.CloneStep(), nullptr);
  EXPECT_FALSE(sprite.Drawn) << "the sprite itself is skipped";
  for (const auto& clone : sprite.CloneStep()->Clones) {
    const Rect place = clone->DrawnRect;
    EXPECT_EQ(place.Width(), 4);
    EXPECT_TRUE(PixelsNot(target, place, kBlue).empty()) << place.Left << "," << place.Top;
  }
}

TEST_F(SceneStep, RestartRewindsTheTickPathsAndFramesButNotTheCounts) {
  TSprite& sprite = AddSprite(scene, SolidPicture(6, 6, kRed), LineFrom({0, 0}, {50, 0}, 10));
  AddPictureFrame(sprite, SolidPicture(6, 6, kGreen));
  Prepare();
  Steps(5);
  scene.CurrentAudioIndex = 2;
  const std::int32_t x = sprite.Moving().PosX;
  scene.Restart();
  EXPECT_EQ(scene.CurrentTick, 1);
  EXPECT_EQ(scene.CurrentAudioIndex, 0);
  EXPECT_EQ(scene.StepCount, 5);
  EXPECT_EQ(sprite.Moving().Travelled, 0);
  EXPECT_EQ(sprite.Moving().StepIndex, 0);
  EXPECT_EQ(sprite.Moving().TickInStep, 0);
  EXPECT_EQ(sprite.Moving().PosX, x - 1);
  EXPECT_EQ(sprite.FrameIndex, 0);
  EXPECT_EQ(sprite.FrameTicks, 0);
}

// Prepare's backgrounds.

TEST_F(SceneStep, PrepareReadiesEveryPathAndNudgesIt) {
  TSprite& sprite = AddSprite(scene, SolidPicture(6, 6, kRed), HoldAt({7, 9}));
  sprite.Moving().PosX = 0;
  Prepare();
  EXPECT_EQ(sprite.Moving().PosX, 8);
  EXPECT_EQ(sprite.Moving().PosY, 9);
  EXPECT_FALSE(scene.BackgroundShown);
  EXPECT_EQ(scene.BackgroundBitmap.Width(), 80);
  EXPECT_EQ(scene.BackgroundBitmap.Height(), 60);
}

TEST_F(SceneStep, APaintedBackgroundWithOneGradientColourIsThatColour) {
  Prepare(30, 20);
  EXPECT_TRUE(PixelsNot(scene.BackgroundBitmap, scene.BackgroundBitmap.BoundsRect(), kBackground).empty());
}

TEST_F(SceneStep, PenColourFillModeDrawsInTheBackgroundColour) {
  scene.FillMode = 7;  // neither gradient nor stripes: lines in the pen colour
  scene.BackgroundColor = kGreen;
  scene.GradientFrom = kRed;
  scene.GradientTo = kBlue;
  scene.BackgroundMode = 2;
  scene.ScreenWidth = 24;
  scene.ScreenHeight = 16;
  scene.Prepare();
  EXPECT_TRUE(PixelsNot(scene.BackgroundBitmap, scene.BackgroundBitmap.BoundsRect(), kGreen).empty());
}

class BackgroundPicture : public SceneStep {
protected:
  // A picture whose pixel (x, y) has its own colour, for telling copies apart.
  static TBitmap Pattern(int width, int height) {
    TBitmap picture(width, height, PixelFormat::Bits24);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) picture.SetPixel(x, y, RGB(static_cast<std::uint8_t>(10 + x * 20), static_cast<std::uint8_t>(10 + y * 30), 99));
    }
    return picture;
  }

  void PrepareWithPicture(const TBitmap& picture, std::int32_t placement, int width, int height) {
    scene.BackgroundPicture.Assign(picture);
    scene.BackgroundPictureName = "picture.bmp";
    scene.PicturePlacement = placement;
    PrepareScene(scene, width, height, kBackground);
  }
};

TEST_F(BackgroundPicture, CentredSmallerPictureSitsInTheMiddle) {
  const TBitmap picture = Pattern(4, 3);
  PrepareWithPicture(picture, 1, 11, 9);
  // x = 11 div 2 - 4 div 2 = 3, y = 9 div 2 - 3 div 2 = 3.
  const TBitmap& background = scene.BackgroundBitmap;
  EXPECT_EQ(background.GetPixel(3, 3), picture.GetPixel(0, 0));
  EXPECT_EQ(background.GetPixel(6, 5), picture.GetPixel(3, 2));
  EXPECT_EQ(background.GetPixel(2, 3), kBackground);
  EXPECT_EQ(background.GetPixel(7, 3), kBackground);
}

TEST_F(BackgroundPicture, CentredWiderPictureIsAnchoredAtTheLeft) {
  const TBitmap picture = Pattern(12, 2);
  PrepareWithPicture(picture, 1, 8, 6);
  // Too wide: x = 0; y = 6 div 2 - 2 div 2 = 2.
  EXPECT_EQ(scene.BackgroundBitmap.GetPixel(0, 2), picture.GetPixel(0, 0));
  EXPECT_EQ(scene.BackgroundBitmap.GetPixel(7, 3), picture.GetPixel(7, 1));
  EXPECT_EQ(scene.BackgroundBitmap.GetPixel(0, 1), kBackground);
}

TEST_F(BackgroundPicture, TilesRepeatFromTheTopLeftCorner) {
  const TBitmap picture = Pattern(3, 2);
  PrepareWithPicture(picture, 2, 8, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(scene.BackgroundBitmap.GetPixel(x, y), picture.GetPixel(x % 3, y % 2)) << x << "," << y;
    }
  }
}

TEST_F(BackgroundPicture, APictureOfTheAreasSizeTilesOnceInside) {
  const TBitmap picture = Pattern(6, 4);
  PrepareWithPicture(picture, 2, 6, 4);
  EXPECT_EQ(PixelsCrc32(scene.BackgroundBitmap), PixelsCrc32(picture));
}

TEST_F(BackgroundPicture, APictureWithoutWidthIsNotTiled) {
  PrepareWithPicture(TBitmap(0, 5), 2, 8, 5);
  EXPECT_TRUE(PixelsNot(scene.BackgroundBitmap, scene.BackgroundBitmap.BoundsRect(), kBackground).empty());
}

TEST_F(BackgroundPicture, StretchedPictureFillsTheArea) {
  const TBitmap picture = Pattern(2, 2);
  PrepareWithPicture(picture, 3, 8, 6);
  // Nearest sampling: target column i takes source floor((2i + 1) * 2 / 16).
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(scene.BackgroundBitmap.GetPixel(x, y), picture.GetPixel((2 * x + 1) * 2 / 16, (2 * y + 1) * 2 / 12))
          << x << "," << y;
    }
  }
}

TEST_F(BackgroundPicture, OtherPlacementsLeaveThePaintedBackground) {
  PrepareWithPicture(Pattern(4, 4), 0, 8, 6);
  EXPECT_TRUE(PixelsNot(scene.BackgroundBitmap, scene.BackgroundBitmap.BoundsRect(), kBackground).empty());
}

TEST_F(BackgroundPicture, ThePictureCoversTheBorderToo) {
  scene.BorderWidth = 2;
  scene.BorderStyle = 1;
  const TBitmap picture = Pattern(4, 4);
  PrepareWithPicture(picture, 3, 4, 4);
  EXPECT_EQ(PixelsCrc32(scene.BackgroundBitmap), PixelsCrc32(picture));
}

TEST(SceneSnapshot, HeadlessDesktopSnapshotIsBlack) {
  TVelquoraScene scene;
  scene.ScreenWidth = 10;
  scene.ScreenHeight = 7;
  scene.BackgroundMode = 1;
  scene.Prepare();
  EXPECT_TRUE(PixelsNot(scene.BackgroundBitmap, scene.BackgroundBitmap.BoundsRect(), RGB(0, 0, 0)).empty());
}

TEST(SceneSnapshot, DesktopSnapshotTakesWhatTheScreenShows) {
  // A screen of 6 x 4 pixels: the rest of a larger playing area is black.
  SetScreenReader([](TBitmap& target) {
    TCanvas canvas(target);
    canvas.Brush.Color = kGreen;
    canvas.FillRect(Rect{0, 0, 6, 4});
    return true;
  });
  TVelquoraScene scene;
  scene.ScreenWidth = 10;
  scene.ScreenHeight = 7;
  scene.BackgroundMode = 1;
  scene.Prepare();
  SetScreenReader({});
  EXPECT_TRUE(PixelsNot(scene.BackgroundBitmap, Rect{0, 0, 6, 4}, kGreen).empty());
  EXPECT_EQ(scene.BackgroundBitmap.GetPixel(6, 0), RGB(0, 0, 0));
  EXPECT_EQ(scene.BackgroundBitmap.GetPixel(0, 4), RGB(0, 0, 0));
}

TEST(SceneSnapshot, AnyOtherModeKeepsTheBackgroundAsItIs) {
  TVelquoraScene scene;
  scene.ScreenWidth = 10;
  scene.ScreenHeight = 7;
  TCanvas(scene.BackgroundBitmap).SetPixel(2, 2, kRed);
  scene.BackgroundMode = 5;
  scene.Prepare();
  EXPECT_EQ(scene.BackgroundBitmap.GetPixel(2, 2), kRed);
  EXPECT_EQ(scene.BackgroundBitmap.Width(), 10);
}

// Palette mode: the background takes a palette from the sprites' pictures, and the work
// bitmap takes the background's before the first rectangle is restored.

// An 8-bit picture whose palette starts with the given colour.
TBitmap PalettedPicture(TColor first) {
  TBitmap picture(4, 4, PixelFormat::Bits8);
  std::vector<PaletteEntry> palette = DefaultPalette(PixelFormat::Bits8);
  palette[0] = ToPaletteEntry(first);
  picture.SetPalette(palette);
  return picture;
}

class PalettePick : public SceneStep {
protected:
  TFrame& FrameWith(TSprite& sprite, TColor first, std::int32_t source_kind, bool picture_has_palette) {
    TFrame& frame = AddPictureFrame(sprite, PalettedPicture(first));
    frame.SourceKind = source_kind;
    if (picture_has_palette) frame.Picture.SetPalette(DefaultPalette(PixelFormat::Bits8));
    return frame;
  }

  const ScopedPaletteDisplay palette_display{true};
};

TEST_F(PalettePick, AnEightBitStillPictureWithAPaletteWins) {
  TSprite& first = AddSprite(scene, SolidPicture(4, 4, kRed), HoldAt({0, 0}));
  FrameWith(first, kGreen, 2, true);   // not a picture file
  FrameWith(first, kBlue, 1, false);   // its raster has no palette
  TSprite& second = AddSprite(scene, SolidPicture(4, 4, kRed), HoldAt({0, 0}));
  FrameWith(second, kRed, 1, true);
  Prepare(16, 12);
  ASSERT_FALSE(scene.BackgroundBitmap.Palette().empty());
  EXPECT_EQ(scene.BackgroundBitmap.Palette()[0], ToPaletteEntry(kRed));
}

TEST_F(PalettePick, OtherwiseTheFirstPictureWithAPaletteGivesIt) {
  TSprite& sprite = AddSprite(scene, SolidPicture(4, 4, kRed), HoldAt({0, 0}));  // 24 bits, no palette
  FrameWith(sprite, kGreen, 2, true);
  FrameWith(sprite, kBlue, 1, false);
  Prepare(16, 12);
  ASSERT_FALSE(scene.BackgroundBitmap.Palette().empty());
  EXPECT_EQ(scene.BackgroundBitmap.Palette()[0], ToPaletteEntry(kGreen));
}

TEST_F(PalettePick, WithoutPaletteModeNothingIsPicked) {
  const ScopedPaletteDisplay off(false);
  TSprite& sprite = AddSprite(scene, SolidPicture(4, 4, kRed), HoldAt({0, 0}));
  FrameWith(sprite, kGreen, 1, true);
  Prepare(16, 12);
  EXPECT_TRUE(scene.BackgroundBitmap.Palette().empty());
}

TEST_F(PalettePick, TheWorkBitmapTakesTheBackgroundPaletteOnce) {
  TSprite& sprite = AddSprite(scene, SolidPicture(4, 4, kRed), HoldAt({2, 2}));
  FrameWith(sprite, kGreen, 1, true);
  Prepare(16, 12);
  EXPECT_TRUE(scene.BackgroundBitmap.PaletteModified);
  EXPECT_TRUE(scene.WorkBitmap.PaletteModified);
  scene.Step();
  EXPECT_EQ(scene.WorkBitmap.Palette(), scene.BackgroundBitmap.Palette());
  EXPECT_FALSE(scene.BackgroundBitmap.PaletteModified) << "taken into account";
  // The composed picture is the same as without palette mode: the copies map colours.
  EXPECT_TRUE(PixelsNot(target, Rect{2, 2, 6, 6}, kRed).empty());
  EXPECT_TRUE(PixelsNot(target, Rect{6, 0, 16, 12}, kBackground).empty());
}

}  // namespace
}  // namespace velquora
