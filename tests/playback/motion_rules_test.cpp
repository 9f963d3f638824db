// The four motion rules (bounce, line, hold, random jump) as a path's evaluation applies
// them. Expected values are worked out from the rules by hand, or with a small reference
// computation in the test that rounds with the floating-point unit's own ties-to-even.
#include "playback/motion_rules.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "step_values.h"
#include "core/random.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "reference_generator.h"

namespace velquora {
namespace {

using testing::ReferenceGenerator;

// Round half to even through the FPU (default rounding mode), independent of the code's.
long double ReferenceRound(long double value) {
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  return std::nearbyint(value);
}


// A path of its own (no sprite, so no frame fitting) on a 640 x 480 screen, in pixels.
class MotionRules : public ::testing::Test {
protected:
  MotionRules() : path(scene) {
    scene.ScreenWidth = 640;
    scene.ScreenHeight = 480;
    path.AbsoluteCoords = true;
  }

  TMovingStep& Add(const TMovingStepValues& values) { return *path.Steps[path.AddStep(values, nullptr)]; }

  // An empty path at the start of its first step, for the next row of a table.
  void Restart() {
    path.Steps.clear();
    path.StepIndex = 0;
    path.TickInStep = 0;
    path.Travelled = 0;
  }

  // Advancing evaluations until the path leaves step 0; returns the points shown, at
  // most limit of them.
  std::vector<Point> RunStep(int limit) {
    std::vector<Point> shown;
    do {
      shown.push_back(path.Evaluate(true));
    } while (path.StepIndex == 0 && static_cast<int>(shown.size()) < limit);
    return shown;
  }

  TVelquoraScene scene;
  TMoving path;
};

// ---- Slope ----

TEST(MotionSlope, CosineOfExactlyZeroGivesSlopeOne) {
  EXPECT_EQ(SlopeOf(1, 0), 1);
  EXPECT_EQ(SlopeOf(-1, 0), 1);
  EXPECT_EQ(SlopeOf(0.5L, -0.25L), -2);
  EXPECT_EQ(SlopeOf(0, 1), 0);
}

TEST(MotionSlope, NinetyDegreesIsASteepSlopeNotOne) {
  // pi/2 is not exact, so the cosine is tiny but not 0: the slope is huge.
  EXPECT_GT(std::fabs(MotionSlope(90)), 1e15L);
  EXPECT_GT(std::fabs(MotionSlope(270)), 1e15L);
  EXPECT_EQ(MotionSlope(0), 0);
  EXPECT_NEAR(static_cast<double>(MotionSlope(45)), 1.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(MotionSlope(30)), 0.5773502691896258, 1e-15);
  EXPECT_NEAR(static_cast<double>(MotionSlope(135)), -1.0, 1e-15);
}

// ---- Bounce ----

TEST_F(MotionRules, BounceAtAngleZeroRunsTenPixelsATickAndClampsAtTheBorder) {
  // Area 0,0 - 100,100, start (0, 50): StartX <= L gives signs (+1, +1). Angle 0: k = 0,
  // so y stays 50 and x = 0 + Round(t) with t = 10, 20, ... At t = 110 the point passes
  // the right border: clamped to 100, DirX := -1, origin := (100, 50), step ends.
  TMovingStepValues values = StepValues(1, 0, 0, 100, 100, 0, 50);
  values.Angle = 0;
  values.SpeedFrom = values.SpeedTo = 10;
  TMovingStep& step = Add(values);
  ASSERT_EQ(step.DirX, +1);
  ASSERT_EQ(step.DirY, +1);

  for (int tick = 1; tick <= 10; ++tick) {
    EXPECT_EQ(path.Evaluate(true), (Point{10 * tick, 50})) << "tick " << tick;
    EXPECT_TRUE(path.Moved);
    EXPECT_EQ(path.Travelled, 10 * tick);
  }
  EXPECT_EQ(path.Evaluate(true), (Point{100, 50})) << "clamped";
  EXPECT_EQ(step.DirX, -1);
  EXPECT_EQ(step.DirY, +1);
  EXPECT_EQ(step.OriginX, 100);
  EXPECT_EQ(step.OriginY, 50);
  EXPECT_EQ(path.Travelled, 0) << "the step ended";
  EXPECT_EQ(path.StepIndex, 0) << "the only step starts again";
  EXPECT_EQ(path.PosX, 100);

  // The restarted leg runs left from the bounce point.
  EXPECT_EQ(path.Evaluate(true), (Point{90, 50}));
  EXPECT_EQ(path.Evaluate(true), (Point{80, 50}));
}

TEST_F(MotionRules, BounceEndingMovesToTheNextStep) {
  TMovingStepValues values = StepValues(1, 0, 0, 100, 100, 95, 100);
  values.Angle = 90;
  values.SpeedFrom = values.SpeedTo = 60;
  Add(values);
  Add(StepValues(3, 0, 0, 40, 40, 7, 8));
  // Start on the bottom edge: signs (+1, -1), straight up 60 a tick: 40, then -20 is
  // clamped to the top, 0, and the step ends.
  EXPECT_EQ(path.Evaluate(true), (Point{95, 40}));
  EXPECT_EQ(path.Evaluate(true), (Point{95, 0}));
  EXPECT_EQ(path.StepIndex, 1);
  EXPECT_EQ(path.Steps[0]->DirY, +1);
  EXPECT_EQ(path.Evaluate(true), (Point{7, 8}));
}

TEST_F(MotionRules, BounceAtNinetyDegreesIsAlmostPurelyVertical) {
  // Start on the bottom edge (50, 200): signs (+1, -1). The slope is huge, so the x
  // offset t / |k| rounds to 0 and y falls by t.
  TMovingStepValues values = StepValues(1, 0, 0, 100, 200, 50, 200);
  values.Angle = 90;
  values.SpeedFrom = values.SpeedTo = 7;
  Add(values);
  for (int tick = 1; tick <= 20; ++tick) EXPECT_EQ(path.Evaluate(true), (Point{50, 200 - 7 * tick})) << tick;
}

struct AngleCase {
  std::int32_t angle;
  std::int32_t x, y;  // offsets after one tick of t = 30
};

TEST_F(MotionRules, BounceOffsetsUseOnlyTheSizeOfCosineAndSine) {
  // t = 30: x = Round(30 |cos a|), y = Round(30 |sin a|); the signs are the step's.
  // 30 cos 30 = 25.98, 30 sin 30 = 15; 30 cos 45 = 21.21; 30 cos 60 = 15, 30 sin 60 = 25.98.
  const std::vector<AngleCase> cases{
      {0, 30, 0}, {30, 26, 15}, {45, 21, 21}, {60, 15, 26}, {150, 26, 15}, {210, 26, 15}, {-30, 26, 15},
      {180, 30, 0}, {360, 30, 0},
  };
  for (const AngleCase& c : cases) {
    Restart();
    TMovingStepValues values = StepValues(1, 0, 0, 300, 300, 0, 0);
    values.Angle = c.angle;
    values.SpeedFrom = values.SpeedTo = 30;
    Add(values);
    EXPECT_EQ(path.Evaluate(true), (Point{c.x, c.y})) << "angle " << c.angle;
  }
}

TEST_F(MotionRules, BounceUpwardsFromTheBottomEdgeUsesTheNegativeSign) {
  // Start (0, 300) on the bottom-left corner: the bottom test comes later, (+1, -1).
  TMovingStepValues values = StepValues(1, 0, 0, 300, 300, 0, 300);
  values.Angle = 45;
  values.SpeedFrom = values.SpeedTo = 30;
  Add(values);
  EXPECT_EQ(path.Evaluate(true), (Point{21, 279}));
}

TEST_F(MotionRules, BounceIntoACornerFlipsBothSigns) {
  // Angle 45 from (0, 0) at 10 a tick: offsets Round(t / sqrt 2) = 7, 14, 21; at t = 30
  // both exceed 20 and both are clamped.
  TMovingStepValues values = StepValues(1, 0, 0, 20, 20, 0, 0);
  values.Angle = 45;
  values.SpeedFrom = values.SpeedTo = 10;
  TMovingStep& step = Add(values);
  EXPECT_EQ(path.Evaluate(true), (Point{7, 7}));
  EXPECT_EQ(path.Evaluate(true), (Point{14, 14}));
  EXPECT_EQ(path.Evaluate(true), (Point{20, 20}));
  EXPECT_EQ(step.DirX, -1);
  EXPECT_EQ(step.DirY, -1);
  EXPECT_EQ(path.Evaluate(true), (Point{13, 13}));
}

TEST_F(MotionRules, BouncePeekShowsTheUnclampedPointAndCommitsNothing) {
  TMovingStepValues values = StepValues(1, 0, 0, 100, 100, 0, 50);
  values.Angle = 0;
  values.SpeedFrom = values.SpeedTo = 30;
  TMovingStep& step = Add(values);
  for (int tick = 0; tick < 3; ++tick) path.Evaluate(true);
  EXPECT_EQ(path.Evaluate(false), (Point{120, 50})) << "past the border, not clamped";
  EXPECT_TRUE(path.Moved);
  EXPECT_EQ(path.Travelled, 90);
  EXPECT_EQ(path.PosX, 90);
  EXPECT_EQ(step.DirX, +1);
  EXPECT_EQ(step.OriginX, 0);
}

TEST_F(MotionRules, BounceSpeedAndScalesRampOverTheDiagonal) {
  // Area 100 x 100: D = 141.421356. Tick 1: f = 0, speed 10, t = 10. Tick 2:
  // f = 10 / D = 0.0707107, speed = 10 + 20 f = 11.414214, t = 21.414214, x = 21;
  // ScaleX = 1 + 2 f = 1.141421; ScaleY = 2 - f = 1.929289; percent = 40 + 60 f = 44.2426.
  TMovingStepValues values = StepValues(1, 0, 0, 100, 100, 0, 50);
  values.Angle = 0;
  values.SpeedFrom = 10;
  values.SpeedTo = 30;
  values.ScaleXFrom = 1;
  values.ScaleXTo = 3;
  values.ScaleYFrom = 2;
  values.ScaleYTo = 1;
  values.PercentFrom = 40;
  values.PercentTo = 100;
  Add(values);
  EXPECT_EQ(path.Evaluate(true), (Point{10, 50}));
  EXPECT_EQ(path.ScaleX, 1);
  EXPECT_EQ(path.DrawPercent, 40);
  EXPECT_EQ(path.Evaluate(true), (Point{21, 50}));
  EXPECT_NEAR(static_cast<double>(path.Travelled), 21.414214, 1e-6);
  EXPECT_NEAR(static_cast<double>(path.ScaleX), 1.141421, 1e-6);
  EXPECT_NEAR(static_cast<double>(path.ScaleY), 1.929289, 1e-6);
  EXPECT_NEAR(static_cast<double>(path.DrawPercent), 44.242641, 1e-6);
}

TEST_F(MotionRules, BounceSpeedInPercentIsRoundedToWholePixels) {
  // 1.25 % of 640 = 8 px a tick; 0.5 % of 500 is 2.5, rounded to even 2.
  path.AbsoluteSpeed = false;
  TMovingStepValues values = StepValues(1, 0, 0, 100, 100, 0, 50);
  values.Angle = 0;
  values.SpeedFrom = values.SpeedTo = 1.25L;
  Add(values);
  EXPECT_EQ(path.Evaluate(true), (Point{8, 50}));
  path.Steps[0]->SpeedFrom = path.Steps[0]->SpeedTo = 0.5L;
  scene.ScreenWidth = 500;
  EXPECT_EQ(path.Evaluate(true), (Point{10, 50}));
}

TEST_F(MotionRules, BounceWithoutDiagonalStaysAtTheCorner) {
  TMovingStepValues values = StepValues(1, 30, 40, 30, 40, 30, 40);
  values.SpeedFrom = values.SpeedTo = 5;
  Add(values);
  path.Moved = true;
  EXPECT_EQ(path.Evaluate(true), (Point{30, 40}));
  EXPECT_FALSE(path.Moved);
  EXPECT_EQ(path.Travelled, 0);
  EXPECT_EQ(path.StepIndex, 0);
}

// ---- Line ----

TEST_F(MotionRules, LineFromTheFirstCornerShowsTheAdvancedPointAtOnceAndEndsOnArrival) {
  // Area (0, 0) - (200, 100), 10 px a tick: D = 223.6068. Tick k shows
  // (Round(t / D * 200), Round(t / D * 100)) with t = min(10 k, D): tick 1 (9, 4); tick
  // 23 clamps t to D and shows (200, 100), then the step ends.
  TMovingStepValues line = StepValues(2, 0, 0, 200, 100, 0, 0);
  line.SpeedFrom = line.SpeedTo = 10;
  Add(line);
  Add(StepValues(3, 0, 0, 40, 40, 1, 1));
  const long double d = std::sqrt(200.0L * 200 + 100 * 100);

  const std::vector<Point> shown = RunStep(100);
  ASSERT_EQ(shown.size(), 23u);
  EXPECT_EQ(shown.front(), (Point{9, 4}));
  EXPECT_EQ(shown.back(), (Point{200, 100}));
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const long double t = std::min(10.0L * static_cast<long double>(i + 1), d);
    EXPECT_EQ(shown[i].X, ReferenceRound(t / d * 200)) << "tick " << i + 1;
    EXPECT_EQ(shown[i].Y, ReferenceRound(t / d * 100)) << "tick " << i + 1;
  }
  EXPECT_EQ(path.StepIndex, 1);
  EXPECT_EQ(path.Travelled, 0);
}

TEST_F(MotionRules, LineFromTheSecondCornerRunsBack) {
  // Start (200, 100): PixLeft < OriginX and PixTop < OriginY, signs (-1, -1).
  TMovingStep& step = Add(StepValues(2, 0, 0, 200, 100, 200, 100));
  step.SpeedFrom = step.SpeedTo = 10;
  EXPECT_EQ(path.Evaluate(true), (Point{191, 96}));
  EXPECT_EQ(step.DirX, -1);
  EXPECT_EQ(step.DirY, -1);
  Add(StepValues(3, 0, 0, 40, 40, 1, 1));
  const std::vector<Point> rest = RunStep(100);
  EXPECT_EQ(rest.size(), 22u);
  EXPECT_EQ(rest.back(), (Point{0, 0}));
}

TEST_F(MotionRules, LineWithSecondCornerLeftOfTheFirstRunsLeft) {
  // A burst clone's line: Area (50, 30) - (0, 40) from (50, 30): signs (+1, +1) and the
  // negative width takes x down to 0. D = sqrt(2500 + 100) = 50.990; speed 51 arrives.
  TMovingStep& step = Add(StepValues(2, 50, 30, 0, 40, 50, 30));
  step.SpeedFrom = step.SpeedTo = 51;
  EXPECT_EQ(path.Evaluate(true), (Point{0, 40}));
}

TEST_F(MotionRules, LineWithoutDiagonalEndsAtOnceAtTheCorner) {
  TMovingStepValues values = StepValues(2, 12, 34, 12, 34, 0, 0);
  values.PercentFrom = 30;
  values.PercentTo = 90;
  Add(values);
  Add(StepValues(3, 0, 0, 40, 40, 1, 1));
  path.NewJumpPending = false;
  EXPECT_EQ(path.Evaluate(false), (Point{12, 34}));
  EXPECT_EQ(path.StepIndex, 0) << "a peek never ends a step";
  EXPECT_EQ(path.Evaluate(true), (Point{12, 34}));
  EXPECT_TRUE(path.Moved);
  EXPECT_EQ(path.DrawPercent, 30);
  EXPECT_EQ(path.PosX, 12);
  EXPECT_EQ(path.PosY, 34);
  EXPECT_EQ(path.StepIndex, 1);
  EXPECT_TRUE(path.NewJumpPending);
}

TEST_F(MotionRules, LineAsksTheNextJumpForAFreshPoint) {
  Add(StepValues(2, 0, 0, 100, 0, 0, 0));
  path.NewJumpPending = false;
  path.Evaluate(false);
  EXPECT_TRUE(path.NewJumpPending);
}

struct PercentSpeedCase {
  Real speed;
  std::int32_t width;
  std::int32_t first_x;
};

TEST_F(MotionRules, LineSpeedInPercentOfTheScreenWidthRoundsHalfToEven) {
  // advance = Round(speed * width / 100): 2.5 -> 2, 3.5 -> 4, 6.4 -> 6, 4.5 -> 4.
  const std::vector<PercentSpeedCase> cases{{2.5L, 100, 2}, {3.5L, 100, 4}, {1, 640, 6}, {0.5L, 900, 4}};
  path.AbsoluteSpeed = false;
  for (const PercentSpeedCase& c : cases) {
    Restart();
    scene.ScreenWidth = c.width;
    TMovingStep& step = Add(StepValues(2, 0, 0, 1000, 0, 0, 0));
    step.SpeedFrom = step.SpeedTo = c.speed;
    EXPECT_EQ(path.Evaluate(true).X, c.first_x) << "speed " << static_cast<double>(c.speed) << " width " << c.width;
  }
}

TEST_F(MotionRules, LinePeekKeepsTheLegWhereItIs) {
  TMovingStep& step = Add(StepValues(2, 0, 0, 200, 100, 0, 0));
  step.SpeedFrom = step.SpeedTo = 10;
  path.Evaluate(true);
  EXPECT_EQ(path.Evaluate(false), (Point{18, 9}));
  EXPECT_EQ(path.Evaluate(false), (Point{18, 9}));
  EXPECT_EQ(path.Travelled, 10);
  EXPECT_EQ(path.PosX, 9);
}

// ---- Hold ----

struct HoldCase {
  std::int32_t duration;
  int ticks;  // advancing evaluations until the step ends; 0: never (checked over 500)
};

TEST_F(MotionRules, HoldLastsDurationPlusOneTicksWithTheShortAndEndlessCases) {
  // Ends after a tick when (d < n and d != -1) or d = 1, n counted after the tick:
  // d >= 2 lasts d + 1 ticks, d = 0 and d = 1 one tick, d <= -2 one tick, d = -1 never.
  const std::vector<HoldCase> cases{{9, 10}, {2, 3}, {1, 1}, {0, 1}, {-1, 0}, {-2, 1}, {-50, 1}, {100, 101}};
  for (const HoldCase& c : cases) {
    Restart();
    TMovingStepValues hold = StepValues(3, 0, 0, 40, 40, 5, 6);
    hold.Duration = c.duration;
    Add(hold);
    Add(StepValues(3, 0, 0, 40, 40, 1, 1));
    const std::vector<Point> shown = RunStep(500);
    if (c.ticks == 0) {
      EXPECT_EQ(shown.size(), 500u) << "duration " << c.duration;
      EXPECT_EQ(path.StepIndex, 0) << "duration " << c.duration;
    } else {
      EXPECT_EQ(static_cast<int>(shown.size()), c.ticks) << "duration " << c.duration;
      EXPECT_EQ(path.StepIndex, 1) << "duration " << c.duration;
      EXPECT_EQ(path.TickInStep, 0) << "duration " << c.duration;
    }
    for (const Point& p : shown) EXPECT_EQ(p, (Point{5, 6})) << "duration " << c.duration;
  }
}

TEST_F(MotionRules, HoldRampsScalesAndPercentFromTheFirstToTheSecondValue) {
  // d = 4: n = 0 .. 4 give ScaleX 1 + 2 n / 4, ScaleY 2 - n / 4, percent 100 - 25 n.
  TMovingStepValues values = StepValues(3, 0, 0, 40, 40, 5, 6);
  values.Duration = 4;
  values.ScaleXFrom = 1;
  values.ScaleXTo = 3;
  values.ScaleYFrom = 2;
  values.ScaleYTo = 1;
  values.PercentFrom = 100;
  values.PercentTo = 0;
  Add(values);
  for (int n = 0; n <= 4; ++n) {
    path.Evaluate(true);
    EXPECT_EQ(path.ScaleX, 1 + 0.5L * n) << "n " << n;
    EXPECT_EQ(path.ScaleY, 2 - 0.25L * n) << "n " << n;
    EXPECT_EQ(path.DrawPercent, 100 - 25 * n) << "n " << n;
    EXPECT_TRUE(path.Moved) << "n " << n;
  }
  EXPECT_EQ(path.TickInStep, 0) << "ended after d + 1 ticks";
}

TEST_F(MotionRules, HoldWithoutPositiveDurationUsesTheFirstValues) {
  TMovingStepValues values = StepValues(3, 0, 0, 40, 40, 5, 6);
  values.Duration = -1;
  values.ScaleXFrom = 1.5L;
  values.ScaleXTo = 3;
  values.ScaleYFrom = 0.5L;
  values.PercentFrom = 70;
  values.PercentTo = 10;
  Add(values);
  for (int tick = 0; tick < 3; ++tick) {
    path.Evaluate(true);
    EXPECT_EQ(path.ScaleX, 1.5L);
    EXPECT_EQ(path.ScaleY, 0.5L);
    EXPECT_EQ(path.DrawPercent, 70);
  }
  EXPECT_FALSE(path.Moved) << "in place, n > 0, no ramp runs";
}

struct HoldMovedCase {
  std::string name;
  std::int32_t duration;
  bool hidden;
  bool displaced;  // PosX differs from the origin
  std::int32_t n;
  bool shape_ramp;
  bool moved;
};

TEST_F(MotionRules, HoldReportsAChangeForADisplacedPointAFirstTickOrARunningRamp) {
  const std::vector<HoldMovedCase> cases{
      {"still", 0, false, false, 0, false, false},
      {"displaced", 0, false, true, 0, false, true},
      {"displaced but hidden", 0, true, true, 0, false, false},
      {"first tick of a timed hold", 5, true, false, 0, false, true},
      {"first tick of an endless hold", -1, false, false, 0, false, true},
      {"later tick", 5, false, false, 2, false, false},
      {"shape pair differs", 5, false, false, 2, true, true},
      {"shape pair differs without duration", 0, false, false, 3, true, false},
  };
  for (const HoldMovedCase& c : cases) {
    Restart();
    TMovingStepValues values = StepValues(3, 0, 0, 40, 40, 5, 6);
    values.Duration = c.duration;
    values.Hidden = c.hidden;
    TMovingStep& step = Add(values);
    if (c.shape_ramp) step.ShapeColorTo = 0x123456;
    path.PosX = c.displaced ? 4 : 5;
    path.TickInStep = c.n;
    EXPECT_EQ(path.Evaluate(false), (Point{5, 6})) << c.name;
    EXPECT_EQ(path.Moved, c.moved) << c.name;
  }
}

TEST_F(MotionRules, EachShapePairThatDiffersKeepsAHoldChanging) {
  for (int pair = 0; pair < 5; ++pair) {
    Restart();
    TMovingStepValues values = StepValues(3, 0, 0, 40, 40, 5, 6);
    values.Duration = 5;
    TMovingStep& step = Add(values);
    path.TickInStep = 2;
    path.Evaluate(false);
    EXPECT_FALSE(path.Moved) << "pair " << pair;
    switch (pair) {
      case 0: step.ShapeATo = 9; break;
      case 1: step.ShapeETo = 9; break;
      case 2: step.ShapeBTo = 9; break;
      case 3: step.ShapeCTo = 9; break;
      default: step.ShapeColorTo = 9; break;
    }
    path.Evaluate(false);
    EXPECT_TRUE(path.Moved) << "pair " << pair;
  }
}

TEST_F(MotionRules, HoldCommitsTheOriginAndAsksTheNextJumpForAFreshPoint) {
  Add(StepValues(3, 0, 0, 40, 40, 5, 6)).Duration = -1;
  path.PosX = 100;
  path.NewJumpPending = false;
  path.Evaluate(false);
  EXPECT_TRUE(path.NewJumpPending);
  EXPECT_EQ(path.PosX, 100) << "a peek commits nothing";
  path.Evaluate(true);
  EXPECT_EQ(path.PosX, 5);
  EXPECT_EQ(path.PosY, 6);
  EXPECT_EQ(path.TickInStep, 1);
}

TEST_F(MotionRules, EndlessHoldStopsCountingAtTheLargestTick) {
  Add(StepValues(3, 0, 0, 40, 40, 5, 6)).Duration = -1;
  path.TickInStep = INT32_MAX - 1;
  path.Evaluate(true);
  path.Evaluate(true);
  EXPECT_EQ(path.TickInStep, INT32_MAX);
  EXPECT_EQ(path.StepIndex, 0);
}

// ---- Random jump ----

TEST_F(MotionRules, RandomJumpWithDurationZeroShowsANewPointAtEveryTick) {
  // Area 10,20 - 110,70. The first evaluation draws (10 + Random(100), 20 + Random(50))
  // because a jump is pending; each advancing tick then ends the step (0 < n = 1) after
  // drawing the point the next tick shows.
  SetRandSeed(2024);
  ReferenceGenerator reference(2024);
  TMovingStepValues values = StepValues(4, 10, 20, 110, 70, 0, 0);
  values.Duration = 0;
  Add(values);
  for (int tick = 0; tick < 30; ++tick) {
    const std::int32_t x = 10 + reference.Next(100);
    const std::int32_t y = 20 + reference.Next(50);
    EXPECT_EQ(path.Evaluate(true), (Point{x, y})) << "tick " << tick;
    EXPECT_TRUE(path.Moved) << "tick " << tick;
    EXPECT_FALSE(path.NewJumpPending);
    EXPECT_EQ(path.TickInStep, 0) << "tick " << tick;
  }
}

TEST_F(MotionRules, RandomJumpShowsAPointForDurationPlusOneTicks) {
  // d = 2: ticks n = 0, 1, 2 show one point; Moved at n = 0 (new point) and at n = 2
  // (n + 1 > d: the point is about to change), not at n = 1.
  SetRandSeed(77);
  ReferenceGenerator reference(77);
  TMovingStepValues values = StepValues(4, 0, 0, 300, 200, 0, 0);
  values.Duration = 2;
  Add(values);
  for (int round = 0; round < 4; ++round) {
    const Point expected{reference.Next(300), reference.Next(200)};
    const std::vector<bool> moved{true, false, true};
    for (int n = 0; n <= 2; ++n) {
      EXPECT_EQ(path.Evaluate(true), expected) << "round " << round << " n " << n;
      EXPECT_EQ(path.Moved, moved[static_cast<std::size_t>(n)]) << "round " << round << " n " << n;
    }
  }
  // The point of the fifth round was drawn when the fourth ended.
  reference.Next(300);
  reference.Next(200);
  EXPECT_EQ(RandSeed(), reference.Seed());
}

TEST_F(MotionRules, RandomJumpPeekDrawsAPendingPointOnceAndKeepsIt) {
  SetRandSeed(5);
  ReferenceGenerator reference(5);
  TMovingStepValues values = StepValues(4, 0, 0, 300, 200, 0, 0);
  values.Duration = 3;
  values.ScaleXFrom = 2;
  values.ScaleXTo = 9;
  values.PercentFrom = 55;
  Add(values);
  const Point expected{reference.Next(300), reference.Next(200)};
  EXPECT_EQ(path.Evaluate(false), expected);
  EXPECT_EQ(path.Evaluate(false), expected);
  EXPECT_EQ(RandSeed(), reference.Seed());
  EXPECT_EQ(path.TickInStep, 0);
  EXPECT_EQ(path.ScaleX, 2);
  EXPECT_EQ(path.DrawPercent, 55);
  EXPECT_EQ(path.PosX, 0);
}

TEST_F(MotionRules, EndlessRandomJumpDrawsOnceAndStays) {
  SetRandSeed(9);
  ReferenceGenerator reference(9);
  TMovingStepValues values = StepValues(4, 0, 0, 300, 200, 0, 0);
  values.Duration = -1;
  Add(values);
  const Point expected{reference.Next(300), reference.Next(200)};
  EXPECT_EQ(path.Evaluate(true), expected);
  for (int tick = 0; tick < 50; ++tick) {
    EXPECT_EQ(path.Evaluate(true), expected);
    EXPECT_FALSE(path.Moved);
  }
  EXPECT_EQ(RandSeed(), reference.Seed());
}

TEST_F(MotionRules, RandomJumpInAReversedAreaDrawsBetweenItsCorners) {
  // Second corner left of and above the first: the draw runs from the smaller corner.
  SetRandSeed(31);
  ReferenceGenerator reference(31);
  TMovingStepValues values = StepValues(4, 300, 200, 100, 50, 0, 0);
  values.Duration = 0;
  Add(values);
  for (int tick = 0; tick < 20; ++tick) {
    const Point expected{100 + reference.Next(200), 50 + reference.Next(150)};
    EXPECT_EQ(path.Evaluate(true), expected) << "tick " << tick;
  }
}

TEST_F(MotionRules, RandomJumpAfterALineDrawsAFreshPoint) {
  SetRandSeed(40);
  TMovingStep& line = Add(StepValues(2, 0, 0, 3, 4, 0, 0));
  line.SpeedFrom = line.SpeedTo = 5;
  TMovingStepValues values = StepValues(4, 0, 0, 300, 200, 0, 0);
  values.Duration = 5;
  TMovingStep& jump = Add(values);
  path.StepIndex = 1;
  const Point first = path.Evaluate(true);
  path.StepIndex = 0;
  EXPECT_EQ(path.Evaluate(true), (Point{3, 4}));
  ASSERT_EQ(path.StepIndex, 1);
  ReferenceGenerator reference(RandSeed());
  const Point fresh{reference.Next(300), reference.Next(200)};
  EXPECT_EQ(path.Evaluate(true), fresh);
  EXPECT_EQ(jump.JumpX, fresh.X);
  EXPECT_NE(first, fresh);
}

}  // namespace
}  // namespace velquora
