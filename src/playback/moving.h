#pragma once
// TMoving: a sprite's path, an ordered loop of moving steps, with the units, hot spot
// and screen fitting that apply to all of them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/geometry.h"
#include "core/real48.h"
#include "playback/moving_step.h"

namespace velquora {

class TVelquoraScene;
class TSprite;

class TMoving {
public:
  explicit TMoving(TVelquoraScene& scene);
  ~TMoving();
  TMoving(const TMoving&) = delete;
  TMoving& operator=(const TMoving&) = delete;

  // StepIndex normalised (negative or past the last step: 0), then returned.
  std::int32_t GetStepIndex();
  void SetStepIndex(std::int32_t index);

  // Appends a new step owned by this path, assigns it the values (which prepares it)
  // and returns its index.
  std::size_t AddStep(const TMovingStepValues& values, TSprite* sprite);
  // Copies the values into the step, prepares it with Scene and the sprite, and moves
  // PosX/PosY to the step's origin.
  void AssignStep(TMovingStep& step, const TMovingStepValues& values, TSprite* sprite);
  // Assigns every step its own values again (origins recomputed, clones made anew),
  // then nudges PosX by one so the next evaluation registers a change.
  void Prepare(TSprite* sprite);

  // One tick of the path (advance) or a look at where it stands (no advance): applies
  // the current step's motion rule, fits the frame to the screen, offsets the hot spot
  // and, when advancing, drives the sprite's frame animation. Returns the point where
  // the sprite's top-left corner goes and sets Moved and Changed.
  Point Evaluate(bool advance);
  // Ends the current step: Travelled and TickInStep to 0, on to the next step, after
  // the last back to the first.
  void EndStep();

  Real Travelled = 0;                 // distance covered in the current leg
  TVelquoraScene* Scene = nullptr;    // gives the screen size for percent units; not owned
  std::int32_t TickInStep = 0;        // ticks spent in the current hold or jump step
  bool NewJumpPending = true;         // a random jump draws a fresh point next time
  std::int32_t ShapeA = 8;            // current shape values; nothing draws with them
  std::int32_t ShapeB = 6;
  std::int32_t ShapeC = 6;
  TColor ShapeColor = 0;
  std::int32_t ShapeE = 50;
  std::int32_t StepIndex = 0;         // the current step
  bool AbsoluteCoords = false;        // Areas and start points in pixels, else percent (reader)
  bool AbsoluteSpeed = true;          // speeds in pixels per tick, else percent of width (reader)
  std::int32_t HotSpotX = 0;          // the sprite's anchor (reader)
  std::int32_t HotSpotY = 0;
  bool HotSpotInPercent = true;       // anchor in percent of the drawn frame, else pixels (reader)
  bool FitToScreen = false;           // scale the frame to the screen (reader)
  bool KeepAspect = false;            // with FitToScreen: one common scale (reader)
  TSprite* Sprite = nullptr;          // the sprite owning this path; not owned
  std::vector<std::unique_ptr<TMovingStep>> Steps;  // owned; each points back here
  std::int32_t CycleLimit = -1;       // shown while completed cycles <= this; < 0 no limit (reader)
  std::int32_t PosX = 0;              // last committed position, pixels, before the hot spot
  std::int32_t PosY = 0;
  bool Moved = true;                  // the latest evaluation changed something visible
  Real ScaleX = 1;                    // current scale factors of the drawn frame
  Real ScaleY = 1;
  Real DrawPercent = 100;             // percentage handed to frame drawing
  bool Changed = false;               // the sprite needs redrawing
};

}  // namespace velquora
