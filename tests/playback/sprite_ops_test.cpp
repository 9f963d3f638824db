// The sprite operations of a playback tick: the rectangle at the current position,
// visibility by windows, hidden holds and cycle limits, the change test and drawing.
#include <gtest/gtest.h>

#include <memory>

#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "playback/start_and_finish.h"
#include "scene_builder.h"

namespace velquora {
namespace {

constexpr TColor kRed = RGB(255, 0, 0);
constexpr TColor kGrey = RGB(90, 90, 90);

class SpriteOps : public ::testing::Test {
protected:
  SpriteOps() {
    scene.ScreenWidth = 80;
    scene.ScreenHeight = 60;
  }

  TSprite& StillSprite(Point at, int width = 10, int height = 6) {
    return AddSprite(scene, SolidPicture(width, height, kRed), HoldAt(at));
  }

  TVelquoraScene scene;
};

TEST_F(SpriteOps, NewRectIsTheFrameScaledAtThePathsPosition) {
  // Scale 1.5 on a 5 x 3 frame: 7.5 rounds to 8 (even), 4.5 rounds to 4 (even).
  TMovingStepValues hold = HoldAt({12, 7});
  hold.ScaleXFrom = hold.ScaleXTo = 1.5L;
  hold.ScaleYFrom = hold.ScaleYTo = 1.5L;
  TSprite& sprite = AddSprite(scene, SolidPicture(5, 3, kRed), hold);
  EXPECT_EQ(sprite.NewRect(), (Rect{12, 7, 20, 11}));
}

TEST_F(SpriteOps, NewRectWithoutFramesIsOnePixel) {
  TSprite& sprite = scene.AddSprite();
  sprite.Moving().AbsoluteCoords = true;
  sprite.Moving().AddStep(HoldAt({30, 40}), &sprite);
  EXPECT_EQ(sprite.NewRect(), (Rect{30, 40, 31, 41}));
}

TEST_F(SpriteOps, NewRectDoesNotAdvanceThePath) {
  TSprite& sprite = AddSprite(scene, SolidPicture(4, 4, kRed), LineFrom({0, 0}, {40, 0}, 5));
  const Rect first = sprite.NewRect();
  EXPECT_EQ(sprite.NewRect(), first);
  EXPECT_EQ(sprite.Moving().Travelled, 0);
  EXPECT_EQ(first.Left, 5) << "a line's evaluation already shows the advanced point";
}

TEST_F(SpriteOps, VisibilityFollowsTheWindowsOfTheCycle) {
  TSprite& sprite = StillSprite({0, 0});
  TStartAndFinish& window = sprite.AddStartFinish();
  window.StartTick = 1;
  window.FinishTick = 3;
  struct Case {
    std::int32_t tick;
    bool hidden;
  };
  for (const Case c : {Case{1, false}, Case{2, false}, Case{3, false}, Case{4, true}, Case{999, true}}) {
    scene.CurrentTick = c.tick;
    EXPECT_EQ(sprite.UpdateHidden(), c.hidden) << "tick " << c.tick;
  }
}

TEST_F(SpriteOps, AnyOfSeveralWindowsShowsTheSprite) {
  TSprite& sprite = StillSprite({0, 0});
  sprite.AddStartFinish().StartTick = 10;  // 10 .. 3: never
  TStartAndFinish& second = sprite.AddStartFinish();
  second.StartTick = 5;
  second.FinishTick = 8;
  scene.CurrentTick = 6;
  EXPECT_FALSE(sprite.UpdateHidden());
  scene.CurrentTick = 9;
  EXPECT_TRUE(sprite.UpdateHidden());
}

TEST_F(SpriteOps, WithoutWindowsTheSpriteIsAlwaysShown) {
  TSprite& sprite = StillSprite({0, 0});
  for (const std::int32_t tick : {1, 500, 1000}) {
    scene.CurrentTick = tick;
    EXPECT_FALSE(sprite.UpdateHidden()) << "tick " << tick;
  }
}

// Puts the sprite somewhere in the middle of its path and frame animation.
void AdvanceState(TSprite& sprite) {
  TMoving& path = sprite.Moving();
  path.Travelled = 17;
  path.TickInStep = 5;
  path.StepIndex = 1;
  sprite.FrameTicks = 3;
  sprite.FrameIndex = 1;
  for (auto& frame : sprite.Frames()) frame->AdvanceCount = 2;
}

TEST_F(SpriteOps, LeavingTheWindowsRewindsPathAndFrames) {
  TSprite& sprite = AddSprite(scene, SolidPicture(4, 4, kRed), HoldAt({0, 0}));
  AddPictureFrame(sprite, SolidPicture(4, 4, kGrey));
  sprite.Moving().AddStep(HoldAt({9, 9}), &sprite);
  sprite.AddStartFinish();  // ticks 1 .. 3
  AdvanceState(sprite);
  scene.CurrentTick = 2;
  sprite.UpdateHidden();
  EXPECT_EQ(sprite.Moving().StepIndex, 1) << "inside the window nothing is rewound";

  scene.CurrentTick = 4;
  EXPECT_TRUE(sprite.UpdateHidden());
  EXPECT_EQ(sprite.Moving().Travelled, 0);
  EXPECT_EQ(sprite.Moving().TickInStep, 0);
  EXPECT_EQ(sprite.Moving().StepIndex, 0);
  EXPECT_EQ(sprite.FrameTicks, 0);
  EXPECT_EQ(sprite.FrameIndex, 0);
  for (const auto& frame : sprite.Frames()) EXPECT_EQ(frame->AdvanceCount, 0);
}

TEST_F(SpriteOps, ASpriteThatKeepsItsStateIsNotRewoundWhenHidden) {
  TSprite& sprite = AddSprite(scene, SolidPicture(4, 4, kRed), HoldAt({0, 0}));
  AddPictureFrame(sprite, SolidPicture(4, 4, kGrey));
  sprite.Moving().AddStep(HoldAt({9, 9}), &sprite);
  sprite.AddStartFinish();
  sprite.KeepStateWhenHidden = true;
  AdvanceState(sprite);
  scene.CurrentTick = 4;
  EXPECT_TRUE(sprite.UpdateHidden());
  EXPECT_EQ(sprite.Moving().Travelled, 17);
  EXPECT_EQ(sprite.Moving().TickInStep, 5);
  EXPECT_EQ(sprite.Moving().StepIndex, 1);
  EXPECT_EQ(sprite.FrameTicks, 3);
  EXPECT_EQ(sprite.FrameIndex, 1);
}

TEST_F(SpriteOps, AHiddenHoldHidesTheSpriteWhateverItsWindows) {
  TMovingStepValues hold = HoldAt({5, 5});
  hold.Hidden = true;
  TSprite& sprite = AddSprite(scene, SolidPicture(4, 4, kRed), hold);
  EXPECT_TRUE(sprite.InHiddenHold());
  EXPECT_TRUE(sprite.UpdateHidden());
}

TEST_F(SpriteOps, CycleLimitZeroShowsTheFirstCycleOnly) {
  TSprite& sprite = StillSprite({0, 0});
  sprite.Moving().CycleLimit = 0;
  scene.CyclesDone = 0;
  EXPECT_FALSE(sprite.UpdateHidden());
  scene.CyclesDone = 1;
  EXPECT_TRUE(sprite.UpdateHidden());
  sprite.Moving().CycleLimit = -1;
  scene.CyclesDone = 50;
  EXPECT_FALSE(sprite.UpdateHidden()) << "a negative limit never hides";
}

TEST_F(SpriteOps, AnEffectSpriteFollowsItsParentsCycleLimit) {
  TSprite& parent = StillSprite({0, 0});
  TEffectSprite clone(parent);
  clone.Moving().AbsoluteCoords = true;
  clone.Moving().AddStep(HoldAt({1, 1}), nullptr);
  parent.Moving().CycleLimit = 2;
  clone.Moving().CycleLimit = -1;
  scene.CyclesDone = 3;
  EXPECT_TRUE(clone.UpdateHidden());
  parent.Moving().CycleLimit = -1;
  clone.Moving().CycleLimit = 0;
  EXPECT_FALSE(clone.UpdateHidden()) << "the clone's own limit is not the one that counts";
}

TEST_F(SpriteOps, ShowingAgainClearsHiddenAndNudgesThePath) {
  TSprite& sprite = StillSprite({20, 0});
  sprite.Hidden = true;
  const std::int32_t x = sprite.Moving().PosX;
  EXPECT_FALSE(sprite.UpdateHidden());
  EXPECT_FALSE(sprite.Hidden);
  EXPECT_EQ(sprite.Moving().PosX, x - 1);
  EXPECT_FALSE(sprite.UpdateHidden());
  EXPECT_EQ(sprite.Moving().PosX, x - 1) << "a sprite that stays visible is not nudged";
}

TEST_F(SpriteOps, GoingHiddenNudgesThePathButLeavesHiddenToDraw) {
  TSprite& sprite = StillSprite({20, 0});
  sprite.AddStartFinish();
  scene.CurrentTick = 10;
  const std::int32_t x = sprite.Moving().PosX;
  EXPECT_TRUE(sprite.UpdateHidden());
  EXPECT_FALSE(sprite.Hidden);
  EXPECT_EQ(sprite.Moving().PosX, x - 1);
}

TEST_F(SpriteOps, ChangeTestWithoutFramesReportsNothing) {
  TSprite& sprite = scene.AddSprite();
  sprite.Moving().Moved = true;
  EXPECT_FALSE(sprite.ChangeTest(false));
  EXPECT_FALSE(sprite.Moving().Changed);
}

TEST_F(SpriteOps, ChangeTestQueryOnlyReadsTheChangedFlag) {
  TSprite& sprite = StillSprite({0, 0});
  sprite.Moving().Moved = true;
  sprite.Moving().Changed = false;
  EXPECT_FALSE(sprite.ChangeTest(true));
  EXPECT_FALSE(sprite.Moving().Changed);
  sprite.Moving().Changed = true;
  EXPECT_TRUE(sprite.ChangeTest(true));
}

TEST_F(SpriteOps, ChangeTestReportsAMoveAndMarksThePathChanged) {
  TSprite& sprite = StillSprite({0, 0});
  sprite.Moving().Moved = false;
  sprite.Moving().Changed = false;
  EXPECT_FALSE(sprite.ChangeTest(false));
  EXPECT_FALSE(sprite.Moving().Changed);
  sprite.Moving().Moved = true;
  EXPECT_TRUE(sprite.ChangeTest(false));
  EXPECT_TRUE(sprite.Moving().Changed);
}

TEST_F(SpriteOps, ASpriteInAnEmittingStepAlwaysReportsAChange) {
  TSprite& sprite = StillSprite({0, 0});
  sprite.Moving().Steps.clear();
  TMovingStepValues burst;
  burst.Kind = static_cast<std::int32_t>(TStepKind::Burst);
  burst.Count = 2;
  sprite.Moving().AddStep(burst, &sprite);
  ASSERT_NE(sprite.CloneStep(), nullptr);
  EXPECT_EQ(sprite.CloneStep()->Clones.size(), 2u);
  sprite.Moving().Moved = false;
  EXPECT_TRUE(sprite.ChangeTest(false));
}

TEST_F(SpriteOps, CloneStepIsOnlyTheEmittingKinds) {
  TSprite& sprite = StillSprite({0, 0});
  for (const std::int32_t kind : {1, 2, 3, 4, 5, 6}) {
    sprite.Moving().Steps.front()->Kind = kind;
    EXPECT_EQ(sprite.CloneStep() != nullptr, kind > 3) << "kind " << kind;
  }
}

TEST_F(SpriteOps, DrawPutsTheFrameAtTheNewRectAndMarksTheSpriteDrawn) {
  TSprite& sprite = StillSprite({3, 4}, 5, 2);
  TBitmap target = SolidPicture(12, 8, kGrey);
  sprite.Draw(target);
  EXPECT_TRUE(sprite.Drawn);
  EXPECT_EQ(sprite.CurrentRect, (Rect{3, 4, 8, 6}));
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 3 && x < 8 && y >= 4 && y < 6;
      EXPECT_EQ(target.GetPixel(x, y), inside ? kRed : kGrey) << x << "," << y;
    }
  }
}

TEST_F(SpriteOps, DrawnRectMovesOnlyOnceTheOldPlaceIsErasedAndTheSpriteDrawn) {
  TSprite& sprite = StillSprite({3, 4}, 5, 2);
  TBitmap target = SolidPicture(12, 8, kGrey);
  const Rect old_place{0, 0, 2, 2};
  sprite.DrawnRect = old_place;
  sprite.Draw(target);
  EXPECT_EQ(sprite.DrawnRect, old_place) << "drawn, but the old area is not restored yet";
  sprite.SetErased(true);
  EXPECT_EQ(sprite.DrawnRect, (Rect{3, 4, 8, 6}));

  // The other order: erased first, then drawn.
  sprite.Drawn = false;
  sprite.Erased = false;
  sprite.DrawnRect = old_place;
  sprite.SetErased(true);
  EXPECT_EQ(sprite.DrawnRect, old_place) << "erased, but not drawn at the new place yet";
  sprite.Draw(target);
  EXPECT_EQ(sprite.DrawnRect, (Rect{3, 4, 8, 6}));
}

TEST_F(SpriteOps, DrawOutsideTheWindowsHidesTheSpriteWithoutDrawing) {
  TSprite& sprite = StillSprite({3, 4}, 5, 2);
  sprite.AddStartFinish();
  scene.CurrentTick = 7;
  TBitmap target = SolidPicture(12, 8, kGrey);
  sprite.Draw(target);
  EXPECT_TRUE(sprite.Hidden);
  EXPECT_FALSE(sprite.Drawn);
  EXPECT_EQ(target.GetPixel(4, 4), kGrey);
}

TEST_F(SpriteOps, ADrawnHiddenHoldCountsAsDrawnButPaintsNothing) {
  // A hidden hold hides the sprite through UpdateHidden, so Draw never reaches the
  // frame; the sprite keeps its DrawnRect for the area to be restored.
  TMovingStepValues hold = HoldAt({3, 4});
  hold.Hidden = true;
  TSprite& sprite = AddSprite(scene, SolidPicture(5, 2, kRed), hold);
  TBitmap target = SolidPicture(12, 8, kGrey);
  sprite.Draw(target);
  EXPECT_TRUE(sprite.Hidden);
  EXPECT_EQ(target.GetPixel(4, 4), kGrey);
}

}  // namespace
}  // namespace velquora
