#pragma once
// Moving-step values for tests that build paths through TMoving::AddStep.
#include <cstdint>

#include "playback/moving_step.h"

namespace velquora {

// A step of the given kind over the area (left, top, right, bottom), starting at
// (start_x, start_y); every other value keeps its default.
inline TMovingStepValues StepValues(std::int32_t kind, Real left, Real top, Real right, Real bottom, Real start_x,
                                    Real start_y) {
  TMovingStepValues values;
  values.Kind = kind;
  values.AreaLeft = left;
  values.AreaTop = top;
  values.AreaRight = right;
  values.AreaBottom = bottom;
  values.StartX = start_x;
  values.StartY = start_y;
  return values;
}

}  // namespace velquora
