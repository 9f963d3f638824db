// A path's evaluation around the motion rules: step index rules, step ending, the
// step's pixel rectangle, screen fitting, the hot spot, frame advance, the change flags,
// and the clones of stream and burst steps flying their paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "step_values.h"
#include "core/memory_stream.h"
#include "core/random.h"
#include "gif_writer.h"
#include "media/gif/gif_file.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"
#include "reference_generator.h"

namespace velquora {
namespace {

using testing::ReferenceGenerator;

TMovingStepValues Hold(Real x, Real y, std::int32_t duration) {
  TMovingStepValues values;
  values.Kind = 3;
  values.StartX = x;
  values.StartY = y;
  values.Duration = duration;
  return values;
}


// Ticks a clone's hidden hold of duration d lasts: d + 1 for d >= 2, else one.
int HoldTicks(std::int32_t d) { return d >= 2 ? d + 1 : 1; }

class PathEvaluate : public ::testing::Test {
protected:
  PathEvaluate() {
    scene.ScreenWidth = 640;
    scene.ScreenHeight = 480;
    sprite = std::make_unique<TSprite>(scene);
    path().AbsoluteCoords = true;
  }

  TMoving& path() { return sprite->Moving(); }
  TMovingStep& Add(const TMovingStepValues& values) { return *path().Steps[path().AddStep(values, sprite.get())]; }
  TFrame& AddFrame(std::int32_t width, std::int32_t height) {
    TFrame& frame = sprite->AddFrame();
    frame.Width = width;
    frame.Height = height;
    return frame;
  }

  TVelquoraScene scene;
  std::unique_ptr<TSprite> sprite;
};

// ---- Steps and their index ----

TEST_F(PathEvaluate, PathWithoutStepsStandsAtTheOrigin) {
  path().PosX = 5;
  path().PosY = -2;
  EXPECT_EQ(path().Evaluate(false), (Point{0, 0}));
  EXPECT_TRUE(path().Moved);
  EXPECT_EQ(path().PosX, 5) << "a peek commits nothing";
  EXPECT_EQ(path().Evaluate(true), (Point{0, 0}));
  EXPECT_TRUE(path().Moved);
  EXPECT_EQ(path().PosX, 0);
  EXPECT_EQ(path().PosY, 0);
  path().Evaluate(true);
  EXPECT_FALSE(path().Moved);
}

struct IndexCase {
  std::int32_t set;
  std::int32_t expected;
};

TEST_F(PathEvaluate, StepIndexOutsideTheStepsBecomesZero) {
  EXPECT_EQ(path().GetStepIndex(), 0) << "no steps";
  for (int i = 0; i < 3; ++i) Add(Hold(i, i, 9));
  const std::vector<IndexCase> cases{{-3, 0}, {3, 0}, {0, 0}, {1, 1}, {2, 2}, {4, 0}, {INT32_MIN, 0}, {INT32_MAX, 0}};
  for (const IndexCase& c : cases) {
    path().SetStepIndex(c.set);
    EXPECT_EQ(path().StepIndex, c.expected) << "set " << c.set;
    path().StepIndex = c.set;
    EXPECT_EQ(path().GetStepIndex(), c.expected) << "stored " << c.set;
    EXPECT_EQ(path().StepIndex, c.expected) << "stored " << c.set;
  }
}

TEST_F(PathEvaluate, EndingAStepResetsTheCountersAndWrapsAfterTheLast) {
  for (int i = 0; i < 3; ++i) Add(Hold(i, i, 9));
  const std::vector<std::int32_t> next{1, 2, 0, 1};
  for (std::int32_t expected : next) {
    path().Travelled = 12.5L;
    path().TickInStep = 4;
    path().EndStep();
    EXPECT_EQ(path().StepIndex, expected);
    EXPECT_EQ(path().Travelled, 0);
    EXPECT_EQ(path().TickInStep, 0);
  }
}

TEST_F(PathEvaluate, AddStepReturnsTheIndexAndStandsAtTheNewOrigin) {
  EXPECT_EQ(path().AddStep(Hold(4, 5, 9), nullptr), 0u);
  EXPECT_EQ(path().AddStep(Hold(6, 7, 9), nullptr), 1u);
  EXPECT_EQ(path().Steps[1]->Moving, &path());
  EXPECT_EQ(path().PosX, 6);
  EXPECT_EQ(path().PosY, 7);
}

TEST_F(PathEvaluate, EvaluationNormalisesAStrayStepIndex) {
  Add(Hold(4, 5, -1));
  Add(Hold(6, 7, -1));
  path().StepIndex = 9;
  EXPECT_EQ(path().Evaluate(true), (Point{4, 5}));
  EXPECT_EQ(path().StepIndex, 0);
}

struct KindCase {
  std::string name;
  TMovingStepValues values;
};

TEST_F(PathEvaluate, PeekingTwiceGivesTheSamePointAndKeepsTheCounters) {
  TMovingStepValues bounce = StepValues(1, 0, 0, 300, 300, 0, 100);
  bounce.Angle = 30;
  bounce.SpeedFrom = bounce.SpeedTo = 7;
  TMovingStepValues line = StepValues(2, 0, 0, 300, 200, 0, 0);
  line.SpeedFrom = line.SpeedTo = 9;
  TMovingStepValues hold = Hold(8, 9, 20);
  hold.ScaleXTo = 3;
  TMovingStepValues jump = StepValues(4, 0, 0, 300, 200, 0, 0);
  jump.Duration = 5;
  const std::vector<KindCase> cases{{"bounce", bounce}, {"line", line}, {"hold", hold}, {"jump", jump}};
  for (const KindCase& c : cases) {
    path().Steps.clear();
    path().StepIndex = 0;
    path().Travelled = 0;
    path().TickInStep = 0;
    SetRandSeed(3);
    Add(c.values);
    Add(Hold(1, 1, 9));
    for (int tick = 0; tick < 3; ++tick) path().Evaluate(true);
    const Real travelled = path().Travelled;
    const std::int32_t ticks = path().TickInStep;
    const Point committed{path().PosX, path().PosY};
    const Point first = path().Evaluate(false);
    EXPECT_EQ(path().Evaluate(false), first) << c.name;
    EXPECT_EQ(path().StepIndex, 0) << c.name;
    EXPECT_EQ(path().Travelled, travelled) << c.name;
    EXPECT_EQ(path().TickInStep, ticks) << c.name;
    EXPECT_EQ((Point{path().PosX, path().PosY}), committed) << c.name;
  }
}

TEST_F(PathEvaluate, KindsWithoutARuleKeepTheLastCommittedPosition) {
  for (std::int32_t kind : {5, 6, 0, 7, -1}) {
    path().Steps.clear();
    path().StepIndex = 0;
    Add(StepValues(kind, 0, 0, 100, 100, 10, 20));
    Add(Hold(1, 1, 9));
    path().StepIndex = 0;
    path().PosX = 33;
    path().PosY = 44;
    EXPECT_EQ(path().Evaluate(true), (Point{33, 44})) << "kind " << kind;
    EXPECT_FALSE(path().Moved) << "kind " << kind;
    EXPECT_EQ(path().StepIndex, 0) << "kind " << kind;
  }
}

// ---- The step's pixel rectangle ----

TEST_F(PathEvaluate, PercentAreaFollowsTheScreenSizeAtEveryEvaluation) {
  path().AbsoluteCoords = false;
  TMovingStep& step = Add(StepValues(3, 10, 20, 50, 80, 0, 0));
  path().Evaluate(false);
  // 10 % and 50 % of 640, 20 % and 80 % of 480.
  EXPECT_EQ((Rect{step.PixLeft, step.PixTop, step.PixRight, step.PixBottom}), (Rect{64, 96, 320, 384}));
  scene.ScreenWidth = 800;
  scene.ScreenHeight = 600;
  path().Evaluate(false);
  EXPECT_EQ((Rect{step.PixLeft, step.PixTop, step.PixRight, step.PixBottom}), (Rect{80, 120, 400, 480}));
}

TEST_F(PathEvaluate, PixelAreaRoundsHalfToEven) {
  // Pixels: 2.5 -> 2, 3.5 -> 4, -0.5 -> 0, -1.5 -> -2.
  TMovingStep& step = Add(StepValues(3, 2.5L, 3.5L, -0.5L, -1.5L, 0, 0));
  path().Evaluate(false);
  EXPECT_EQ((Rect{step.PixLeft, step.PixTop, step.PixRight, step.PixBottom}), (Rect{2, 4, 0, -2}));
  // Percent of a 4 x 4 screen: 12.5 % is 0.5 -> 0, 37.5 % is 1.5 -> 2.
  path().AbsoluteCoords = false;
  scene.ScreenWidth = scene.ScreenHeight = 4;
  step.AreaLeft = 12.5L;
  step.AreaTop = 37.5L;
  step.AreaRight = 62.5L;
  step.AreaBottom = 87.5L;
  path().Evaluate(false);
  EXPECT_EQ((Rect{step.PixLeft, step.PixTop, step.PixRight, step.PixBottom}), (Rect{0, 2, 2, 4}));
}

// ---- Screen fitting and hot spot ----

struct FitCase {
  std::string name;
  std::int32_t width, height;
  bool keep_aspect;
  Real scale_x, scale_y;
};

TEST_F(PathEvaluate, FitToScreenScalesTheFrameToTheScreen) {
  // 640 x 480 screen. 100 x 50: 640 / 100 = 6.4 and 480 / 50 = 9.6; with the aspect kept
  // 480 >= 640 / 100 * 50 = 320, so both 6.4. 50 x 100 kept: 480 < 1280, so 480 / 100.
  const std::vector<FitCase> cases{
      {"wide, kept", 100, 50, true, 6.4L, 6.4L},
      {"wide, free", 100, 50, false, 6.4L, 9.6L},
      {"tall, kept", 50, 100, true, 4.8L, 4.8L},
      {"tall, free", 50, 100, false, 12.8L, 4.8L},
      {"screen size", 640, 480, true, 1, 1},
  };
  path().FitToScreen = true;
  TFrame& frame = AddFrame(0, 0);
  Add(Hold(10, 20, -1));
  for (const FitCase& c : cases) {
    frame.Width = c.width;
    frame.Height = c.height;
    path().KeepAspect = c.keep_aspect;
    EXPECT_EQ(path().Evaluate(true), (Point{10, 20})) << c.name;
    EXPECT_EQ(path().ScaleX, c.scale_x) << c.name;
    EXPECT_EQ(path().ScaleY, c.scale_y) << c.name;
  }
}

TEST_F(PathEvaluate, FrameWithoutSizeKeepsTheStepScales) {
  path().FitToScreen = true;
  TFrame& frame = AddFrame(0, 30);
  TMovingStepValues hold = Hold(10, 20, -1);
  hold.ScaleXFrom = 2;
  hold.ScaleYFrom = 3;
  Add(hold);
  path().Evaluate(true);
  EXPECT_EQ(path().ScaleX, 2);
  EXPECT_EQ(path().ScaleY, 3);
  frame.Width = 30;
  frame.Height = 0;
  path().Evaluate(true);
  EXPECT_EQ(path().ScaleX, 2);
  EXPECT_EQ(path().ScaleY, 3);
}

TEST_F(PathEvaluate, FittingNeedsASpriteWithFrames) {
  path().FitToScreen = true;
  path().HotSpotX = path().HotSpotY = 50;
  TMovingStepValues hold = Hold(10, 20, -1);
  hold.ScaleXFrom = 2;
  Add(hold);
  EXPECT_EQ(path().Evaluate(true), (Point{10, 20}));
  EXPECT_EQ(path().ScaleX, 2);
}

struct HotSpotCase {
  std::string name;
  bool percent;
  std::int32_t hot_x, hot_y;
  std::int32_t width, height;
  Real scale;
  Point shown;  // the point of a hold at (200, 100)
};

TEST_F(PathEvaluate, HotSpotMovesTheDrawnPointButNotTheCommittedOne) {
  // Percent: dx = Round(W * ScaleX * HotSpotX / 100). 50/50 of 100 x 50 at scale 1 is
  // (50, 25); at scale 2 (100, 50); 50 % of 5 x 3 is (2.5, 1.5), rounded to even (2, 2);
  // -20 % of 100 x 50 is (-20, -10). Pixels: the values themselves.
  const std::vector<HotSpotCase> cases{
      {"half of 100 x 50", true, 50, 50, 100, 50, 1, {150, 75}},
      {"half at scale 2", true, 50, 50, 100, 50, 2, {100, 50}},
      {"ties to even", true, 50, 50, 5, 3, 1, {198, 98}},
      {"negative percent", true, -20, -20, 100, 50, 1, {220, 110}},
      {"pixels", false, 7, -3, 100, 50, 2, {193, 103}},
  };
  TFrame& frame = AddFrame(0, 0);
  TMovingStep& hold = Add(Hold(200, 100, -1));
  for (const HotSpotCase& c : cases) {
    frame.Width = c.width;
    frame.Height = c.height;
    hold.ScaleXFrom = hold.ScaleYFrom = c.scale;
    path().HotSpotInPercent = c.percent;
    path().HotSpotX = c.hot_x;
    path().HotSpotY = c.hot_y;
    EXPECT_EQ(path().Evaluate(true), c.shown) << c.name;
    EXPECT_EQ(path().PosX, 200) << c.name;
    EXPECT_EQ(path().PosY, 100) << c.name;
  }
}

TEST_F(PathEvaluate, HotSpotUsesTheFittedScale) {
  // 100 x 50 fitted with the aspect kept: 6.4; half of 640 x 320 is (320, 160).
  AddFrame(100, 50);
  path().FitToScreen = true;
  path().KeepAspect = true;
  path().HotSpotX = path().HotSpotY = 50;
  Add(Hold(320, 240, -1));
  EXPECT_EQ(path().Evaluate(true), (Point{0, 80}));
}

// ---- Frame advance and change flags ----

TEST_F(PathEvaluate, TwoStillFramesOfDurationFourChangeAtEveryFourthTick) {
  // Frame 0 during evaluations 1-3, frame 1 during 4-7, frame 0 from 8. Moved at the
  // first tick of the endless hold (n = 0) and whenever Duration <= FrameTicks + 1.
  AddFrame(10, 10);
  AddFrame(10, 10);
  Add(Hold(5, 5, -1));
  const std::vector<std::int32_t> index_after{0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1};
  const std::vector<bool> moved{true, false, false, true, false, false, false, true, false, false, false, true};
  for (std::size_t i = 0; i < index_after.size(); ++i) {
    path().Evaluate(true);
    EXPECT_EQ(sprite->FrameIndex, index_after[i]) << "evaluation " << i + 1;
    EXPECT_EQ(path().Moved, moved[i]) << "evaluation " << i + 1;
    EXPECT_EQ(path().Changed, moved[i]) << "evaluation " << i + 1;
  }
}

TEST_F(PathEvaluate, FramesAdvanceOnlyWhenAdvancingWithMoreThanOneFrame) {
  AddFrame(10, 10).Duration = 1;
  Add(Hold(5, 5, -1));
  for (int tick = 0; tick < 5; ++tick) path().Evaluate(true);
  EXPECT_EQ(sprite->FrameTicks, 0) << "one frame: nothing to advance";
  AddFrame(10, 10);
  for (int tick = 0; tick < 5; ++tick) path().Evaluate(false);
  EXPECT_EQ(sprite->FrameTicks, 0);
  EXPECT_EQ(sprite->FrameIndex, 0);
  EXPECT_TRUE(path().Moved) << "Duration 1 <= FrameTicks + 1: about to change";
  path().Evaluate(true);
  EXPECT_EQ(sprite->FrameIndex, 1);
}

TEST_F(PathEvaluate, AFrameOfEachDurationShowsForThatManyTicks) {
  AddFrame(10, 10).Duration = 2;
  AddFrame(10, 10).Duration = 5;
  AddFrame(10, 10).Duration = 0;
  Add(Hold(5, 5, -1));
  // 2 ticks frame 0, 5 ticks frame 1, 1 tick frame 2 (Duration 0 is not above 1).
  const std::vector<std::int32_t> shown{0, 0, 1, 1, 1, 1, 1, 2, 0, 0, 1};
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(sprite->GetFrameIndex(), shown[i]) << "tick " << i + 1;
    path().Evaluate(true);
  }
}

TEST_F(PathEvaluate, AGifFrameMovesOnWhenItsAnimationWraps) {
  GifWriter writer(2, 2, {{255, 0, 0}, {0, 0, 255}});
  writer.Image(GifImage(0, 0, 2, 2, {0, 0, 0, 0})).Image(GifImage(0, 0, 2, 2, {1, 1, 1, 1})).Trailer();
  auto gif = std::make_unique<TGifFile>();
  TMemoryStream stream(writer.Bytes());
  gif->LoadFromStream(stream);
  TGifFile& animation = *gif;

  TFrame& frame = AddFrame(2, 2);
  frame.Animated = true;
  frame.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Gif);
  frame.Animation = std::move(gif);
  AddFrame(2, 2);
  Add(Hold(5, 5, -1));
  path().Evaluate(true);

  TBitmap target;
  animation.RenderNext(target);
  animation.RenderNext(target);
  for (int tick = 0; tick < 6; ++tick) {
    path().Evaluate(true);
    EXPECT_FALSE(path().Moved) << "no wrap yet, tick " << tick;
    EXPECT_EQ(sprite->FrameIndex, 0);
    EXPECT_EQ(sprite->FrameTicks, 0) << "an animation does not count ticks";
  }
  animation.RenderNext(target);  // past the last image: wraps
  EXPECT_EQ(animation.NextFrameIndex(), 2);
  path().Evaluate(true);
  EXPECT_TRUE(path().Moved);
  EXPECT_EQ(sprite->FrameIndex, 1);
  EXPECT_EQ(animation.NextFrameIndex(), 1) << "starts again at its first image";
  EXPECT_FALSE(animation.Wrapped());
}

TEST_F(PathEvaluate, AnAnimatedFrameWithoutAnAnimationCountsTicksLikeAStillOne) {
  TFrame& frame = AddFrame(2, 2);
  frame.Animated = true;
  frame.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Gif);
  frame.Duration = 2;
  AddFrame(2, 2);
  Add(Hold(5, 5, -1));
  path().Evaluate(true);
  path().Evaluate(true);
  EXPECT_EQ(sprite->FrameIndex, 1);
}

TEST_F(PathEvaluate, AdvancingClearsTheChangeFlagAndPeekingOnlySetsIt) {
  Add(Hold(5, 5, -1));
  path().Changed = true;
  path().Evaluate(true);  // n = 0 of an endless hold: moved
  EXPECT_TRUE(path().Changed);
  path().Evaluate(true);  // nothing moved
  EXPECT_FALSE(path().Changed);
  path().Changed = true;
  path().Evaluate(false);
  EXPECT_FALSE(path().Moved);
  EXPECT_TRUE(path().Changed) << "a peek never clears it";
  path().PosX = 4;
  path().Changed = false;
  path().Evaluate(false);
  EXPECT_TRUE(path().Changed);
}

TEST_F(PathEvaluate, AfterPreparingAHoldTheFirstAdvancingEvaluationReportsAChange) {
  // Duration 0: only the displacement can report a change.
  Add(Hold(5, 5, 0));
  path().Evaluate(true);
  path().Evaluate(true);
  EXPECT_FALSE(path().Moved);
  path().Prepare(sprite.get());
  EXPECT_EQ(path().PosX, 6);
  path().Evaluate(true);
  EXPECT_TRUE(path().Moved);
  EXPECT_TRUE(path().Changed);
}

TEST_F(PathEvaluate, ABounceOnlyStepLoopsFromItsLastBouncePoint) {
  TMovingStepValues bounce = StepValues(1, 0, 0, 100, 100, 0, 50);
  bounce.Angle = 0;
  bounce.SpeedFrom = bounce.SpeedTo = 30;
  Add(bounce);
  // 30, 60, 90, then 120 is clamped to 100; back 70, 40, 10, then -20 clamped to 0.
  const std::vector<std::int32_t> xs{30, 60, 90, 100, 70, 40, 10, 0, 30};
  for (std::int32_t x : xs) EXPECT_EQ(path().Evaluate(true), (Point{x, 50}));
  EXPECT_EQ(path().Steps[0]->OriginX, 0) << "the last bounce point";
}

// ---- Clones of stream and burst steps ----

// Runs a clone's path through one round (hidden wait, then flight) and returns the
// points shown; checks that the wait shows the start with a hidden step.
std::vector<Point> FlyRound(TMoving& clone_path, const std::string& label) {
  const TMovingStep& hold = *clone_path.Steps[0];
  std::vector<Point> shown;
  for (int tick = 0; tick < HoldTicks(hold.Duration); ++tick) {
    EXPECT_EQ(clone_path.StepIndex, 0) << label << " tick " << tick;
    EXPECT_TRUE(hold.Hidden) << label;
    shown.push_back(clone_path.Evaluate(true));
  }
  EXPECT_EQ(clone_path.StepIndex, 1) << label << ": the wait is over";
  for (int tick = 0; tick < 1000 && clone_path.StepIndex == 1; ++tick) shown.push_back(clone_path.Evaluate(true));
  EXPECT_EQ(clone_path.StepIndex, 0) << label << ": the flight ended";
  return shown;
}

class CloneFlights : public PathEvaluate {
protected:
  CloneFlights() { AddFrame(0, 0); }
};

TEST_F(CloneFlights, StreamAtTheDefaultAngleFliesStraightDownTheDiagonal) {
  // Area 0,0 - 100,50: flight length Round(sqrt(100^2 + 50^2)) = Round(111.8) = 112. At
  // 270 the row's share is 0: r = Random(45) = 0 starts on the right edge (R, T + RY),
  // anything else on the top edge (R - RX, T). At 4 px a tick the flight takes 28 ticks.
  for (std::int32_t emit_angle : {270, 400}) {
    path().Steps.clear();
    TMovingStepValues stream = StepValues(5, 0, 0, 100, 50, 0, 0);
    stream.EmitAngle = emit_angle;
    stream.Count = 30;
    stream.MaxDelay = 6;
    stream.SpeedFrom = stream.SpeedTo = 4;
    SetRandSeed(1000 + static_cast<std::uint32_t>(emit_angle));
    ReferenceGenerator reference(1000 + static_cast<std::uint32_t>(emit_angle));
    TMovingStep& step = Add(stream);
    EXPECT_EQ(step.EmitAngle, 270);
    ASSERT_EQ(step.Clones.size(), 30u);

    for (std::size_t i = 0; i < step.Clones.size(); ++i) {
      const std::string label = "angle " + std::to_string(emit_angle) + " clone " + std::to_string(i);
      const bool right_edge = reference.Next(45) == 0;
      const std::int32_t offset = reference.Next(right_edge ? 50 : 100);
      const Point start = right_edge ? Point{100, offset} : Point{100 - offset, 0};
      const std::int32_t delay = reference.Next(6);

      TMoving& clone_path = step.Clones[i]->Moving();
      ASSERT_EQ(clone_path.Steps.size(), 2u) << label;
      EXPECT_EQ(clone_path.Steps[0]->Duration, delay) << label;
      for (int round = 0; round < 2; ++round) {
        const std::vector<Point> shown = FlyRound(clone_path, label);
        const auto wait = static_cast<std::size_t>(HoldTicks(delay));
        ASSERT_EQ(shown.size(), wait + 28) << label;
        for (std::size_t k = 0; k < wait; ++k) EXPECT_EQ(shown[k], start) << label;
        for (std::size_t k = 1; k <= 28; ++k)
          EXPECT_EQ(shown[wait + k - 1], (Point{start.X, start.Y + 4 * static_cast<std::int32_t>(k)})) << label;
      }
    }
    EXPECT_EQ(RandSeed(), reference.Seed());
  }
}

TEST_F(CloneFlights, BurstClonesWaitAtTheCentreAndFlyToTheirBorderPointEveryRound) {
  // Area 0,0 - 100,60: centre (50, 30). A speed of 1000 reaches the border in one tick.
  TMovingStepValues burst = StepValues(6, 0, 0, 100, 60, 0, 0);
  burst.Count = 40;
  burst.MaxDelay = 5;
  burst.SpeedFrom = burst.SpeedTo = 1000;
  SetRandSeed(8);
  TMovingStep& step = Add(burst);
  ASSERT_EQ(step.Clones.size(), 40u);

  std::vector<bool> border_seen(4, false);
  for (std::size_t i = 0; i < step.Clones.size(); ++i) {
    const std::string label = "clone " + std::to_string(i);
    TMoving& clone_path = step.Clones[i]->Moving();
    const std::vector<Point> first = FlyRound(clone_path, label);
    const auto wait = static_cast<std::size_t>(HoldTicks(clone_path.Steps[0]->Duration));
    ASSERT_EQ(first.size(), wait + 1) << label;
    for (std::size_t k = 0; k < wait; ++k) EXPECT_EQ(first[k], (Point{50, 30})) << label;
    const Point end = first.back();
    const std::vector<bool> on{end.X == 0, end.X == 100, end.Y == 0, end.Y == 60};
    EXPECT_TRUE(on[0] || on[1] || on[2] || on[3]) << label << " ends inside the Area";
    EXPECT_TRUE(end.X >= 0 && end.X <= 100 && end.Y >= 0 && end.Y <= 60) << label;
    for (std::size_t side = 0; side < 4; ++side) border_seen[side] = border_seen[side] || on[side];
    EXPECT_EQ(FlyRound(clone_path, label), first) << label << ": the same wait and point again";
  }
  EXPECT_EQ(border_seen, std::vector<bool>(4, true));
}

}  // namespace
}  // namespace velquora
