#pragma once
// TSprite: one moving picture of the scene (frames, visibility windows, a moving path),
// and TEffectSprite, a clone made by an emitting moving step.
//
// Ownership: a sprite owns its frame list and window list through unique_ptr and owns
// its path. An effect sprite owns only its path; Frames() and StartFinish() of a clone
// return its parent's lists (not copies). Clones are owned by a step of the parent's
// path, so they always die before the parent's lists do.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/ansi_text.h"
#include "core/geometry.h"

namespace velquora {

class TVelquoraScene;
class TBitmap;
class TFrame;
class TMoving;
class TMovingStep;
class TStartAndFinish;

using TFrameList = std::vector<std::unique_ptr<TFrame>>;
using TStartFinishList = std::vector<std::unique_ptr<TStartAndFinish>>;

class TSprite {
public:
  explicit TSprite(TVelquoraScene& scene);
  virtual ~TSprite();
  TSprite(const TSprite&) = delete;
  TSprite& operator=(const TSprite&) = delete;

  // The collections; an effect sprite answers with its parent's.
  TFrameList& Frames() { return *frames_; }
  const TFrameList& Frames() const { return *frames_; }
  TStartFinishList& StartFinish() { return *start_finish_; }
  const TStartFinishList& StartFinish() const { return *start_finish_; }
  TMoving& Moving() { return *moving_; }
  const TMoving& Moving() const { return *moving_; }

  // Appends a new frame to Frames and points it at this sprite.
  TFrame& AddFrame();
  // Frees the frame at index and removes it from Frames (out-of-range: nothing).
  void DeleteFrame(std::size_t index);
  // Appends a new window to StartFinish and points it at this sprite.
  TStartAndFinish& AddStartFinish();

  // FrameIndex when it names a frame, else the last frame's index (-1 without frames).
  std::int32_t GetFrameIndex() const;
  // FrameIndex := index when it names a frame, else 0.
  void SetFrameIndex(std::int32_t index);
  Rect GetDrawnRect() const { return DrawnRect; }
  // Erased := flag; when set and the sprite was drawn, DrawnRect moves to CurrentRect.
  void SetErased(bool flag);
  // Moves the frame animation on by one advancing evaluation of the path. Returns true
  // only when an animation finished and the sprite moved on to its next frame.
  bool AdvanceFrame();

  // The current frame (Frames at GetFrameIndex); null without frames.
  TFrame* CurrentFrame();
  // The path's current step when it is an emitting step (kind above 3): its clones are
  // moved and drawn instead of this sprite. Null otherwise.
  TMovingStep* CloneStep() const;
  // The path's current step is a hold with its Hidden flag.
  bool InHiddenHold() const;
  // The rectangle the sprite covers at its current position (evaluates the path without
  // advancing); 1 x 1 without frames.
  Rect NewRect();
  // Applies the start/finish windows, the hidden hold and the cycle limit; rewinds a
  // sprite that left its windows unless it keeps its state. True: not to be shown.
  bool UpdateHidden();
  // Whether the sprite must be redrawn in this Step (query: only read the path's
  // Changed flag). Advances an animated frame by the time that has passed.
  bool ChangeTest(bool query);
  // Draws the current frame at the new position into target, unless hidden.
  void Draw(TBitmap& target);
  // NewRect, evaluated at the first call and then given back unchanged until
  // ForgetNewRect. The scene's Step asks for it many times while the path stands
  // still; a peeking evaluation repeated on an unchanged path gives the same rectangle
  // and the same flags, so remembering it changes nothing but the cost.
  Rect RememberedNewRect();
  void ForgetNewRect() { remembered_new_rect_.reset(); }

  Rect DrawnRect;                     // where the sprite was last drawn, pixels
  Rect CurrentRect;                   // rectangle computed at the last draw, pixels
  bool Erased = false;                // DrawnRect has been restored during this Step
  bool KeepStateWhenHidden = false;   // false: rewind path and frames when hidden (reader)
  TSprite* ParentSprite = nullptr;    // the sprite an effect sprite was cloned from; not owned
  std::int32_t FrameIndex = 0;        // current frame, 0-based
  std::int32_t FrameTicks = 0;        // Steps the current still frame has been shown
  bool Drawn = false;                 // drawn during this Step
  bool Hidden = false;                // not shown at present
  TVelquoraScene* Owner = nullptr;    // the scene; not owned
  AnsiString Name;                    // stored or derived name (reader)
  bool HadBadFrame = false;           // the reader dropped at least one frame

protected:
  // For effect sprites: shares parent's frames and windows instead of making its own.
  TSprite(TVelquoraScene& scene, TSprite& parent);

private:
  // Declaration order matters: the path (and with it any clones) is destroyed before
  // the lists that the clones point to.
  std::unique_ptr<TFrameList> own_frames_;               // null in an effect sprite
  std::unique_ptr<TStartFinishList> own_start_finish_;   // null in an effect sprite
  TFrameList* frames_ = nullptr;                         // own_frames_ or the parent's
  TStartFinishList* start_finish_ = nullptr;             // own_start_finish_ or the parent's
  std::unique_ptr<TMoving> moving_;                      // owned path, points back here
  std::optional<Rect> remembered_new_rect_;              // see RememberedNewRect
};

// A clone made by an emitting moving step: shares the parent's frames and windows,
// has a path of its own (empty until the step fills it).
class TEffectSprite : public TSprite {
public:
  explicit TEffectSprite(TSprite& parent);
  ~TEffectSprite() override;
};

}  // namespace velquora
