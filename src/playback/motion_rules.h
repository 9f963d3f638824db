#pragma once
// The per-tick motion rules of the four moving kinds: bounce, line, hold and random
// jump. Each rule takes the path, its current step (whose pixel rectangle the path has
// just computed) and the advance flag; it returns the point the path stands at, sets
// the path's Moved, scales and DrawPercent, and when advancing commits its progress and
// may end the step. None allocates; the random jump draws from the process-wide
// generator.
#include <cstdint>

#include "core/geometry.h"
#include "core/real48.h"

namespace velquora {

class TMoving;
class TMovingStep;

// The slope of a direction as the rules use it: sine over cosine, and 1 when the cosine
// is exactly 0.
Real SlopeOf(Real sine, Real cosine);
// SlopeOf the angle, given in degrees, computed in extended precision.
Real MotionSlope(std::int32_t degrees);

// Kind 1: from the origin at the step's angle until the rectangle's border, where the
// point is clamped, the crossed axis's sign flips, the origin moves there and the step
// ends.
Point EvaluateBounce(TMoving& path, TMovingStep& step, bool advance);
// Kind 2: from the origin over the rectangle's width and height; ends on arrival.
Point EvaluateLine(TMoving& path, TMovingStep& step, bool advance);
// Kind 3: stays at the origin for Duration ticks, ramping scales and percent.
Point EvaluateHold(TMoving& path, TMovingStep& step, bool advance);
// Kind 4: a random point of the rectangle, a new one after each Duration + 1 ticks.
Point EvaluateRandomJump(TMoving& path, TMovingStep& step, bool advance);

}  // namespace velquora
