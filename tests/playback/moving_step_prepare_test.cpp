// Preparation of moving steps: origin, bounce start and signs, and the clones of the
// emitting kinds with the generator draws they make.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/random.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "reference_generator.h"

namespace velquora {
namespace {

using testing::ReferenceGenerator;

class StepPrepare : public ::testing::Test {
protected:
  StepPrepare() {
    scene.ScreenWidth = 640;
    scene.ScreenHeight = 480;
    sprite = std::make_unique<TSprite>(scene);
    sprite->AddFrame().FileName = "one.bmp";
    sprite->AddFrame().FileName = "two.bmp";
    sprite->AddStartFinish();
    path().AbsoluteCoords = true;
  }

  TMoving& path() { return sprite->Moving(); }

  // Appends a step with the values to the sprite's path (which prepares it).
  TMovingStep& AddStep(const TMovingStepValues& values, TSprite* with_sprite) {
    const std::size_t index = path().AddStep(values, with_sprite);
    return *path().Steps[index];
  }

  static TMovingStepValues Area(std::int32_t kind, Real left, Real top, Real right, Real bottom) {
    TMovingStepValues values;
    values.Kind = kind;
    values.AreaLeft = left;
    values.AreaTop = top;
    values.AreaRight = right;
    values.AreaBottom = bottom;
    return values;
  }

  TVelquoraScene scene;
  std::unique_ptr<TSprite> sprite;
};

TEST_F(StepPrepare, OriginIsTheStartPointInPercentOfTheScreen) {
  path().AbsoluteCoords = false;
  TMovingStepValues values;
  values.StartX = 50;
  values.StartY = 25;
  const TMovingStep& step = AddStep(values, nullptr);
  EXPECT_EQ(step.OriginX, 320);
  EXPECT_EQ(step.OriginY, 120);
  EXPECT_EQ(step.JumpX, 320);
  EXPECT_EQ(step.JumpY, 120);
  EXPECT_EQ(path().PosX, 320);
  EXPECT_EQ(path().PosY, 120);
}

TEST_F(StepPrepare, OriginInPixelsRoundsHalfToEven) {
  TMovingStepValues values;
  values.StartX = 12.5L;
  values.StartY = 13.5L;
  const TMovingStep& step = AddStep(values, nullptr);
  EXPECT_EQ(step.OriginX, 12);
  EXPECT_EQ(step.OriginY, 14);
}

TEST_F(StepPrepare, StepWithoutPathCountsInPercent) {
  TMovingStep step;
  step.StartX = 10;
  step.StartY = 10;
  step.Prepare(scene, nullptr);
  EXPECT_EQ(step.OriginX, 64);
  EXPECT_EQ(step.OriginY, 48);
}

struct SignCase {
  Real x, y;
  std::int32_t dir_x, dir_y;
};

TEST_F(StepPrepare, BounceSignsFollowTheStartEdgeLaterTestsWinning) {
  // Area 10,10 - 50,50; tests in order: left, right, bottom, top.
  const std::vector<SignCase> cases{
      {10, 30, +1, +1}, {50, 30, -1, +1}, {30, 50, +1, -1}, {30, 10, +1, +1},
      {5, 60, +1, -1},  {60, 5, +1, +1},  {60, 60, +1, -1}, {5, 5, +1, +1},
  };
  for (const SignCase& c : cases) {
    TMovingStepValues values = Area(1, 10, 10, 50, 50);
    values.StartX = c.x;
    values.StartY = c.y;
    const TMovingStep& step = AddStep(values, nullptr);
    EXPECT_EQ(step.DirX, c.dir_x) << "start " << static_cast<double>(c.x) << "," << static_cast<double>(c.y);
    EXPECT_EQ(step.DirY, c.dir_y) << "start " << static_cast<double>(c.x) << "," << static_cast<double>(c.y);
  }
}

TEST_F(StepPrepare, BounceStartInsideTheAreaKeepsEarlierSignsAndGivesAFreshStepADirection) {
  TMovingStepValues values = Area(1, 10, 10, 50, 50);
  values.StartX = 30;
  values.StartY = 30;
  TMovingStep& step = AddStep(values, nullptr);
  EXPECT_EQ(step.DirX, +1);
  EXPECT_EQ(step.DirY, +1);
  step.DirX = -1;
  step.DirY = -1;
  step.Prepare(scene, nullptr);
  EXPECT_EQ(step.DirX, -1);
  EXPECT_EQ(step.DirY, -1);
}

TEST_F(StepPrepare, RandomBounceStartLiesOnTheSideDrawnAndIsKept) {
  const Real l = 10, t = 20, r = 110, b = 70;
  std::vector<bool> side_seen(4, false);
  for (std::uint32_t seed = 1; seed < 200; ++seed) {
    ReferenceGenerator reference(seed);
    const std::int32_t side = reference.Next(4);
    const Real share = reference.NextReal();
    Real x = 0, y = 0;
    std::int32_t dir_x = 0, dir_y = 0;
    switch (side) {
      case 0: x = l; y = t + share * (b - t); dir_x = +1; dir_y = +1; break;
      case 1: x = r; y = t + share * (b - t); dir_x = -1; dir_y = +1; break;
      case 2: y = t; x = l + share * (r - l); dir_x = +1; dir_y = +1; break;
      default: y = b; x = l + share * (r - l); dir_x = +1; dir_y = -1; break;
    }
    side_seen[static_cast<std::size_t>(side)] = true;

    SetRandSeed(seed);
    TMovingStepValues values = Area(1, l, t, r, b);
    values.StartX = -1;
    values.StartY = 5;
    TMovingStep& step = AddStep(values, nullptr);
    ASSERT_EQ(step.StartX, x) << "seed " << seed;
    ASSERT_EQ(step.StartY, y) << "seed " << seed;
    ASSERT_EQ(step.DirX, dir_x) << "seed " << seed;
    ASSERT_EQ(step.DirY, dir_y) << "seed " << seed;
    EXPECT_EQ(RandSeed(), reference.Seed());

    // Preparing again keeps the drawn point and draws nothing.
    step.Prepare(scene, nullptr);
    EXPECT_EQ(step.StartX, x);
    EXPECT_EQ(RandSeed(), reference.Seed());
  }
  EXPECT_EQ(side_seen, std::vector<bool>(4, true));
}

// Values of an emitting step that a clone's two steps must carry.
TMovingStepValues EmittingValues(std::int32_t kind) {
  TMovingStepValues values;
  values.Kind = kind;
  values.AreaLeft = 10;
  values.AreaTop = 20;
  values.AreaRight = 110;
  values.AreaBottom = 70;
  values.StartX = 15;
  values.StartY = 25;
  values.Angle = 45;
  values.SpeedFrom = 2;
  values.SpeedTo = 3;
  values.ScaleXFrom = 0.5L;
  values.ScaleXTo = 0.75L;
  values.ScaleYFrom = 1.25L;
  values.ScaleYTo = 1.5L;
  values.Duration = 6;
  values.Count = 4;
  values.SpareReal = 7;
  values.EmitAngle = 100;
  values.Hidden = false;
  values.MaxDelay = 25;
  values.PercentFrom = 30;
  values.PercentTo = 70;
  return values;
}

void ExpectCarriedValues(const TMovingStep& clone_step, const TMovingStepValues& from) {
  EXPECT_EQ(clone_step.Angle, from.Angle);
  EXPECT_EQ(clone_step.SpeedFrom, from.SpeedFrom);
  EXPECT_EQ(clone_step.SpeedTo, from.SpeedTo);
  EXPECT_EQ(clone_step.ScaleXFrom, from.ScaleXFrom);
  EXPECT_EQ(clone_step.ScaleXTo, from.ScaleXTo);
  EXPECT_EQ(clone_step.ScaleYFrom, from.ScaleYFrom);
  EXPECT_EQ(clone_step.ScaleYTo, from.ScaleYTo);
  EXPECT_EQ(clone_step.Count, from.Count);
  EXPECT_EQ(clone_step.SpareReal, from.SpareReal);
  EXPECT_EQ(clone_step.EmitAngle, from.EmitAngle);
  EXPECT_EQ(clone_step.MaxDelay, from.MaxDelay);
  EXPECT_EQ(clone_step.PercentFrom, 100);
  EXPECT_EQ(clone_step.PercentTo, 100);
  EXPECT_TRUE(clone_step.Clones.empty());
}

void ExpectArea(const TMovingStep& step, Real left, Real top, Real right, Real bottom, const std::string& label) {
  EXPECT_EQ(step.AreaLeft, left) << label;
  EXPECT_EQ(step.AreaTop, top) << label;
  EXPECT_EQ(step.AreaRight, right) << label;
  EXPECT_EQ(step.AreaBottom, bottom) << label;
}

TEST_F(StepPrepare, RandomJumpClonesWaitHiddenThenJumpInTheArea) {
  path().AbsoluteSpeed = false;
  const TMovingStepValues values = EmittingValues(4);
  ReferenceGenerator reference(12345);
  SetRandSeed(12345);
  const TMovingStep& step = AddStep(values, sprite.get());

  ASSERT_EQ(step.Clones.size(), 4u);
  for (std::size_t i = 0; i < step.Clones.size(); ++i) {
    const TEffectSprite& clone = *step.Clones[i];
    const std::string label = "clone " + std::to_string(i);
    EXPECT_EQ(clone.ParentSprite, sprite.get()) << label;
    EXPECT_EQ(&clone.Frames(), &sprite->Frames()) << label;
    EXPECT_EQ(&clone.StartFinish(), &sprite->StartFinish()) << label;
    EXPECT_EQ(clone.Moving().Sprite, &clone) << label;
    EXPECT_TRUE(clone.Moving().AbsoluteCoords) << label;
    EXPECT_FALSE(clone.Moving().AbsoluteSpeed) << label;
    ASSERT_EQ(clone.Moving().Steps.size(), 2u) << label;

    const TMovingStep& hold = *clone.Moving().Steps[0];
    EXPECT_EQ(hold.Kind, 3) << label;
    EXPECT_TRUE(hold.Hidden) << label;
    EXPECT_EQ(hold.Duration, reference.Next(values.MaxDelay)) << label;
    ExpectArea(hold, 10, 20, 110, 70, label);
    EXPECT_EQ(hold.StartX, 15) << label;
    EXPECT_EQ(hold.StartY, 25) << label;
    ExpectCarriedValues(hold, values);

    const TMovingStep& jump = *clone.Moving().Steps[1];
    EXPECT_EQ(jump.Kind, 4) << label;
    EXPECT_FALSE(jump.Hidden) << label;
    EXPECT_EQ(jump.Duration, 6) << label;
    ExpectArea(jump, 10, 20, 110, 70, label);
    EXPECT_EQ(jump.OriginX, 15) << label;
    EXPECT_EQ(jump.OriginY, 25) << label;
    ExpectCarriedValues(jump, values);
  }
  EXPECT_EQ(RandSeed(), reference.Seed()) << "no draws beyond the clones' delays";
}

// One row of the stream table, typed in from the rules: the share h, the start edge when
// r <= h and otherwise, and the flight offset for the 100 x 50 Area (diagonal 112).
enum class Edge { LeftFromTop, RightFromTop, TopFromLeft, TopFromRight, BottomFromLeft, BottomFromRight };

struct StreamCase {
  std::int32_t angle;
  std::int32_t share;
  Edge when_share;
  Edge otherwise;
  std::int32_t dx, dy;
};

TEST_F(StepPrepare, StreamClonesStartOnTheEdgeOfTheTableAndFlyTheDiagonal) {
  const Real l = 10, t = 20, r = 110, b = 70;
  const std::vector<StreamCase> cases{
      {0, 0, Edge::BottomFromLeft, Edge::LeftFromTop, 112, 0},
      {45, 22, Edge::BottomFromLeft, Edge::LeftFromTop, 79, -79},
      {90, 0, Edge::LeftFromTop, Edge::BottomFromLeft, 0, -112},
      {135, 22, Edge::RightFromTop, Edge::BottomFromRight, -79, -79},
      {180, 0, Edge::BottomFromRight, Edge::RightFromTop, -112, 0},
      {225, 22, Edge::TopFromRight, Edge::RightFromTop, -79, 79},
      {270, 0, Edge::RightFromTop, Edge::TopFromRight, 0, 112},
      {300, 14, Edge::LeftFromTop, Edge::TopFromLeft, 56, 97},
      {360, 0, Edge::TopFromLeft, Edge::LeftFromTop, 112, 0},
  };
  for (const StreamCase& c : cases) {
    TMovingStepValues values = EmittingValues(5);
    values.EmitAngle = c.angle;
    values.Count = 40;
    ReferenceGenerator reference(777 + static_cast<std::uint32_t>(c.angle));
    SetRandSeed(777 + static_cast<std::uint32_t>(c.angle));
    const TMovingStep& step = AddStep(values, sprite.get());
    ASSERT_EQ(step.Clones.size(), 40u);

    for (std::size_t i = 0; i < step.Clones.size(); ++i) {
      const std::string label = "angle " + std::to_string(c.angle) + " clone " + std::to_string(i);
      const std::int32_t draw = reference.Next(45);
      const Edge edge = draw <= c.share ? c.when_share : c.otherwise;
      Real sx = 0, sy = 0;
      switch (edge) {
        case Edge::LeftFromTop: sx = l; sy = t + reference.Next(50); break;
        case Edge::RightFromTop: sx = r; sy = t + reference.Next(50); break;
        case Edge::TopFromLeft: sx = l + reference.Next(100); sy = t; break;
        case Edge::TopFromRight: sx = r - reference.Next(100); sy = t; break;
        case Edge::BottomFromLeft: sx = l + reference.Next(100); sy = b; break;
        case Edge::BottomFromRight: sx = r - reference.Next(100); sy = b; break;
      }
      const std::int32_t delay = reference.Next(values.MaxDelay);

      const TMoving& clone_path = step.Clones[i]->Moving();
      ASSERT_EQ(clone_path.Steps.size(), 2u) << label;
      const TMovingStep& hold = *clone_path.Steps[0];
      const TMovingStep& line = *clone_path.Steps[1];
      EXPECT_EQ(hold.Duration, delay) << label;
      EXPECT_TRUE(hold.Hidden) << label;
      EXPECT_EQ(line.Kind, 2) << label;
      for (const TMovingStep* s : {&hold, &line}) {
        ExpectArea(*s, sx, sy, sx + c.dx, sy + c.dy, label);
        EXPECT_EQ(s->StartX, sx) << label;
        EXPECT_EQ(s->StartY, sy) << label;
      }
    }
    EXPECT_EQ(RandSeed(), reference.Seed()) << "angle " << c.angle;
  }
}

TEST_F(StepPrepare, StreamAngleOutsideTheCircleBecomesStraightDown) {
  TMovingStepValues values = EmittingValues(5);
  values.EmitAngle = 400;
  const TMovingStep& step = AddStep(values, sprite.get());
  EXPECT_EQ(step.EmitAngle, 270);
  values.EmitAngle = -1;
  EXPECT_EQ(AddStep(values, sprite.get()).EmitAngle, 270);
  values.EmitAngle = 360;
  EXPECT_EQ(AddStep(values, sprite.get()).EmitAngle, 360);
}

TEST_F(StepPrepare, BurstClonesWaitAtTheCentreAndFlyToADrawnBorderPoint) {
  // Area 0,0 - 101,61: the centre rounds half to even, (50, 30).
  TMovingStepValues values = EmittingValues(6);
  values.AreaLeft = 0;
  values.AreaTop = 0;
  values.AreaRight = 101;
  values.AreaBottom = 61;
  values.Count = 30;
  values.Hidden = true;
  ReferenceGenerator reference(4242);
  SetRandSeed(4242);
  const TMovingStep& step = AddStep(values, sprite.get());
  ASSERT_EQ(step.Clones.size(), 30u);

  std::vector<bool> side_seen(4, false);
  for (std::size_t i = 0; i < step.Clones.size(); ++i) {
    const std::string label = "clone " + std::to_string(i);
    const TMoving& clone_path = step.Clones[i]->Moving();
    ASSERT_EQ(clone_path.Steps.size(), 2u) << label;
    const TMovingStep& hold = *clone_path.Steps[0];
    const TMovingStep& line = *clone_path.Steps[1];

    EXPECT_EQ(hold.Duration, reference.Next(values.MaxDelay)) << label;
    EXPECT_EQ(hold.Kind, 3) << label;
    EXPECT_TRUE(hold.Hidden) << label;
    ExpectArea(hold, 0, 0, 101, 61, label);
    EXPECT_EQ(hold.StartX, 50) << label;
    EXPECT_EQ(hold.StartY, 30) << label;

    const std::int32_t side = reference.Next(4);
    side_seen[static_cast<std::size_t>(side)] = true;
    const Real point = reference.NextReal() * (side <= 1 ? 61 : 101);
    switch (side) {
      case 0: ExpectArea(line, 50, std::min<Real>(30, point), 0, std::max<Real>(30, point), label); break;
      case 1: ExpectArea(line, 50, std::min<Real>(30, point), 101, std::max<Real>(30, point), label); break;
      case 2: ExpectArea(line, std::min<Real>(50, point), 0, std::max<Real>(50, point), 30, label); break;
      default: ExpectArea(line, std::min<Real>(50, point), 30, std::max<Real>(50, point), 61, label); break;
    }
    EXPECT_EQ(line.Kind, 2) << label;
    EXPECT_EQ(line.StartX, 50) << label;
    EXPECT_EQ(line.StartY, 30) << label;
    EXPECT_EQ(line.Duration, 6) << label;
    EXPECT_TRUE(line.Hidden) << label;
    ExpectCarriedValues(line, values);
  }
  EXPECT_EQ(side_seen, std::vector<bool>(4, true));
  EXPECT_EQ(RandSeed(), reference.Seed());
}

TEST_F(StepPrepare, NoClonesWithoutASpriteOrWithoutACount) {
  SetRandSeed(99);
  for (std::int32_t kind : {4, 5, 6}) {
    TMovingStepValues values = EmittingValues(kind);
    EXPECT_TRUE(AddStep(values, nullptr).Clones.empty()) << "kind " << kind;
    values.Count = 0;
    EXPECT_TRUE(AddStep(values, sprite.get()).Clones.empty()) << "kind " << kind;
    values.Count = -3;
    EXPECT_TRUE(AddStep(values, sprite.get()).Clones.empty()) << "kind " << kind;
  }
  EXPECT_EQ(RandSeed(), 99u) << "nothing was drawn";
}

TEST_F(StepPrepare, NonEmittingKindsMakeNoClones) {
  for (std::int32_t kind : {0, 1, 2, 3, 7, -4}) {
    TMovingStepValues values = EmittingValues(kind);
    EXPECT_TRUE(AddStep(values, sprite.get()).Clones.empty()) << "kind " << kind;
  }
}

TEST_F(StepPrepare, ClonesOfOnePathAreBounded) {
  TMovingStepValues values = EmittingValues(4);
  values.Count = 800;
  const TMovingStep& first = AddStep(values, sprite.get());
  const TMovingStep& second = AddStep(values, sprite.get());
  EXPECT_EQ(first.Clones.size(), 800u);
  EXPECT_EQ(second.Clones.size(), 200u);
  values.Count = 0x7FFFFFFF;
  EXPECT_TRUE(AddStep(values, sprite.get()).Clones.empty());
  // Preparing the path again hands out the same shares.
  path().Prepare(sprite.get());
  EXPECT_EQ(first.Clones.size(), 800u);
  EXPECT_EQ(second.Clones.size(), 200u);
}

TEST_F(StepPrepare, PreparingAgainMakesNewClonesWithNewDraws) {
  TMovingStepValues values = EmittingValues(4);
  values.Count = 3;
  values.MaxDelay = 1000;
  SetRandSeed(5);
  TMovingStep& step = AddStep(values, sprite.get());
  ReferenceGenerator reference(RandSeed());
  path().Prepare(sprite.get());
  ASSERT_EQ(step.Clones.size(), 3u);
  for (const auto& clone : step.Clones)
    EXPECT_EQ(clone->Moving().Steps[0]->Duration, reference.Next(1000));
  EXPECT_EQ(step.Clones[0]->ParentSprite, sprite.get());
}

TEST_F(StepPrepare, ClonesFollowThePathUnitsForTheirOrigins) {
  path().AbsoluteCoords = false;
  TMovingStepValues values = EmittingValues(4);
  values.Count = 1;
  const TMovingStep& step = AddStep(values, sprite.get());
  const TMovingStep& jump = *step.Clones[0]->Moving().Steps[1];
  EXPECT_EQ(jump.OriginX, 96);   // 15 % of 640
  EXPECT_EQ(jump.OriginY, 120);  // 25 % of 480
}

}  // namespace
}  // namespace velquora
