// Sprites, effect sprites and paths as the reader and the step preparation use them:
// frame lists, index rules, shared collections, step index normalisation.
#include "playback/sprite.h"

#include <gtest/gtest.h>

#include <memory>

#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/start_and_finish.h"

namespace velquora {
namespace {

TEST(Sprite, NewSpriteOwnsEmptyListsAndAPathPointingBack) {
  TVelquoraScene scene;
  TSprite sprite(scene);
  EXPECT_EQ(sprite.Owner, &scene);
  EXPECT_TRUE(sprite.Frames().empty());
  EXPECT_TRUE(sprite.StartFinish().empty());
  EXPECT_EQ(sprite.Moving().Sprite, &sprite);
  EXPECT_EQ(sprite.Moving().Scene, &scene);
  EXPECT_EQ(sprite.ParentSprite, nullptr);
}

TEST(Sprite, AddedFramesAndWindowsPointAtTheSprite) {
  TVelquoraScene scene;
  TSprite sprite(scene);
  TFrame& frame = sprite.AddFrame();
  TStartAndFinish& window = sprite.AddStartFinish();
  EXPECT_EQ(frame.Sprite, &sprite);
  EXPECT_EQ(window.Sprite, &sprite);
  EXPECT_EQ(window.StartTick, 1);
  EXPECT_EQ(window.FinishTick, 3);
  EXPECT_EQ(frame.Duration, 4);
  ASSERT_NE(frame.PendingPicture, nullptr);
  EXPECT_TRUE(frame.PendingPicture->Empty());
}

TEST(Sprite, DeleteFrameRemovesOnlyThatFrame) {
  TVelquoraScene scene;
  TSprite sprite(scene);
  for (const char* name : {"a", "b", "c"}) sprite.AddFrame().FileName = name;
  sprite.DeleteFrame(1);
  ASSERT_EQ(sprite.Frames().size(), 2u);
  EXPECT_EQ(sprite.Frames()[0]->FileName, "a");
  EXPECT_EQ(sprite.Frames()[1]->FileName, "c");
  sprite.DeleteFrame(2);  // out of range: nothing
  EXPECT_EQ(sprite.Frames().size(), 2u);
}

TEST(Sprite, FrameIndexRules) {
  TVelquoraScene scene;
  TSprite sprite(scene);
  EXPECT_EQ(sprite.GetFrameIndex(), -1) << "no frames";
  for (int i = 0; i < 3; ++i) sprite.AddFrame();
  struct Case { std::int32_t set; std::int32_t stored; };
  for (const Case& c : {Case{2, 2}, Case{5, 0}, Case{-1, 0}, Case{3, 0}, Case{1, 1}}) {
    sprite.SetFrameIndex(c.set);
    EXPECT_EQ(sprite.FrameIndex, c.stored) << "SetFrameIndex(" << c.set << ")";
  }
  sprite.FrameIndex = 7;
  EXPECT_EQ(sprite.GetFrameIndex(), 2) << "past the end answers the last frame";
  sprite.FrameIndex = -2;
  EXPECT_EQ(sprite.GetFrameIndex(), 2);
}

TEST(Sprite, SetErasedMovesTheDrawnRectOnlyOnceDrawn) {
  TVelquoraScene scene;
  TSprite sprite(scene);
  sprite.CurrentRect = Rect{1, 2, 3, 4};
  sprite.SetErased(true);
  EXPECT_EQ(sprite.DrawnRect, Rect{});
  sprite.Drawn = true;
  sprite.SetErased(false);
  EXPECT_EQ(sprite.DrawnRect, Rect{});
  EXPECT_FALSE(sprite.Erased);
  sprite.SetErased(true);
  EXPECT_EQ(sprite.DrawnRect, (Rect{1, 2, 3, 4}));
  EXPECT_EQ(sprite.GetDrawnRect(), (Rect{1, 2, 3, 4}));
}

TEST(EffectSprite, SharesTheParentsFramesAndWindowsButHasItsOwnPath) {
  TVelquoraScene scene;
  TSprite parent(scene);
  parent.AddFrame().FileName = "shared.bmp";
  parent.AddStartFinish().StartTick = 9;
  TEffectSprite clone(parent);
  EXPECT_EQ(clone.ParentSprite, &parent);
  EXPECT_EQ(clone.Owner, &scene);
  EXPECT_EQ(&clone.Frames(), &parent.Frames());
  EXPECT_EQ(&clone.StartFinish(), &parent.StartFinish());
  EXPECT_NE(&clone.Moving(), &parent.Moving());
  EXPECT_EQ(clone.Moving().Sprite, &clone);
  EXPECT_TRUE(clone.Moving().Steps.empty());
}

TEST(EffectSprite, DestroyingACloneLeavesTheParentsFramesIntact) {
  TVelquoraScene scene;
  TSprite parent(scene);
  parent.AddFrame().FileName = "kept.bmp";
  parent.AddStartFinish();
  { TEffectSprite clone(parent); }
  ASSERT_EQ(parent.Frames().size(), 1u);
  EXPECT_EQ(parent.Frames()[0]->FileName, "kept.bmp");
  EXPECT_EQ(parent.Frames()[0]->Sprite, &parent);
  EXPECT_EQ(parent.StartFinish().size(), 1u);
}

TEST(EffectSprite, ParentWithClonesInItsPathIsFreedBeforeTheSharedLists) {
  TVelquoraScene scene;
  auto parent = std::make_unique<TSprite>(scene);
  parent->AddFrame();
  TMovingStepValues burst;
  burst.Kind = 6;
  burst.Count = 5;
  parent->Moving().AddStep(burst, parent.get());
  const auto& clones = parent->Moving().Steps[0]->Clones;
  ASSERT_EQ(clones.size(), 5u);
  for (const auto& clone : clones) EXPECT_EQ(&clone->Frames(), &parent->Frames());
  // Under ASan a clone outliving the shared lists would be reported here.
  parent.reset();
}

class PathSteps : public ::testing::Test {
protected:
  PathSteps() {
    scene.ScreenWidth = 200;
    scene.ScreenHeight = 100;
  }
  TVelquoraScene scene;
  TSprite sprite{scene};
  TMoving& path = sprite.Moving();
};

TEST_F(PathSteps, StepIndexOutOfRangeIsNormalisedToZero) {
  EXPECT_EQ(path.GetStepIndex(), 0) << "no steps";
  path.AddStep(TMovingStepValues{}, nullptr);
  path.AddStep(TMovingStepValues{}, nullptr);
  path.SetStepIndex(1);
  EXPECT_EQ(path.GetStepIndex(), 1);
  path.SetStepIndex(-3);
  EXPECT_EQ(path.StepIndex, 0);
  path.SetStepIndex(2);
  EXPECT_EQ(path.StepIndex, 0);
  path.StepIndex = 9;
  EXPECT_EQ(path.GetStepIndex(), 0);
}

TEST_F(PathSteps, AddStepAppendsPreparesAndMovesThePathToTheOrigin) {
  TMovingStepValues values;
  values.StartX = 10;  // percent of 200 x 100
  values.StartY = 30;
  EXPECT_EQ(path.AddStep(values, nullptr), 0u);
  values.StartX = 50;
  EXPECT_EQ(path.AddStep(values, nullptr), 1u);
  ASSERT_EQ(path.Steps.size(), 2u);
  EXPECT_EQ(path.Steps[1]->Moving, &path);
  EXPECT_EQ(path.Steps[0]->OriginX, 20);
  EXPECT_EQ(path.PosX, 100);
  EXPECT_EQ(path.PosY, 30);
}

TEST_F(PathSteps, AssignStepCopiesTheValuesButNotTheShapes) {
  path.AddStep(TMovingStepValues{}, nullptr);
  TMovingStep& step = *path.Steps[0];
  step.ShapeAFrom = 77;
  TMovingStepValues values;
  values.Kind = 2;
  values.StartX = 25;
  values.Duration = -1;
  values.PercentTo = 5;
  path.AssignStep(step, values, nullptr);
  EXPECT_EQ(step.Kind, 2);
  EXPECT_EQ(step.Duration, -1);
  EXPECT_EQ(step.PercentTo, 5);
  EXPECT_EQ(step.ShapeAFrom, 77);
  EXPECT_EQ(step.OriginX, 50);
  EXPECT_EQ(path.PosX, 50);
}

TEST_F(PathSteps, PrepareRecomputesEveryOriginAndNudgesThePosition) {
  TMovingStepValues values;
  values.StartX = 10;
  values.StartY = 10;
  path.AddStep(values, nullptr);
  values.StartX = 20;
  path.AddStep(values, nullptr);
  scene.ScreenWidth = 400;  // a new screen size reaches the origins only through Prepare
  path.Prepare(&sprite);
  EXPECT_EQ(path.Steps[0]->OriginX, 40);
  EXPECT_EQ(path.Steps[1]->OriginX, 80);
  EXPECT_EQ(path.PosX, 81) << "the last step's origin, nudged by one";
  EXPECT_EQ(path.PosY, 10);
}

TEST_F(PathSteps, PrepareOnAnEmptyPathOnlyNudges) {
  path.PosX = 5;
  path.Prepare(&sprite);
  EXPECT_EQ(path.PosX, 6);
  path.PosX = 0x7FFFFFFF;
  path.Prepare(&sprite);
  EXPECT_EQ(path.PosX, static_cast<std::int32_t>(0x80000000u)) << "wraps instead of overflowing";
}

}  // namespace
}  // namespace velquora
