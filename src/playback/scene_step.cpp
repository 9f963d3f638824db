// The scene's playback tick and its rewind. A Step moves every sprite (or the clones
// standing in for it), collects the rectangles that changed, grows and merges them so
// that every sprite is drawn whole into one of them, recomposes each from the
// background and the sprites in list order in WorkBitmap, and copies the finished
// rectangles to the target.
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

#include "platform/system/display_info.h"
#include "platform/system/resource_probe.h"
#include "platform/gdi/canvas.h"
#include "platform/win/window_system.h"
#include "playback/dirty_rects.h"
#include "playback/frame.h"
#include "playback/moving.h"
#include "playback/moving_step.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace velquora {

namespace {

// Below this free-resources figure (percent) no dirty rectangle is drawn.
constexpr int kMinimumDrawingResources = 11;

// Counters that would run past the 32-bit range wrap instead of overflowing.
std::int32_t Incremented(std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}
std::int32_t Decremented(std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) - 1u);
}

// Clears InStep however the Step ends.
class StepGuard {
public:
  explicit StepGuard(bool& in_step) : in_step_(in_step) { in_step_ = true; }
  ~StepGuard() { in_step_ = false; }
  StepGuard(const StepGuard&) = delete;
  StepGuard& operator=(const StepGuard&) = delete;

private:
  bool& in_step_;
};

// Calls action for the sprite, or, while it is in an emitting step, for each of that
// step's clones in order.
template <typename Action>
void ForSpriteOrClones(TSprite& sprite, Action&& action) {
  if (TMovingStep* step = sprite.CloneStep()) {
    for (auto& clone : step->Clones) action(static_cast<TSprite&>(*clone));
  } else {
    action(sprite);
  }
}

void MoveSprites(TVelquoraScene& scene) {
  for (TSpriteEntry& entry : scene.Sprites) {
    ForSpriteOrClones(*entry.second, [](TSprite& actor) {
      actor.Drawn = false;
      actor.UpdateHidden();
      actor.Erased = false;
      actor.Moving().Evaluate(true);
    });
  }
}

// Rectangles are remembered only between the movement and the end of a Step: every
// sprite and every clone of every step forgets its own.
void ForgetNewRects(TVelquoraScene& scene) {
  for (TSpriteEntry& entry : scene.Sprites) {
    TSprite& sprite = *entry.second;
    sprite.ForgetNewRect();
    for (auto& step : sprite.Moving().Steps) {
      for (auto& clone : step->Clones) clone->ForgetNewRect();
    }
  }
}

// Where each changed sprite was drawn and where it goes now.
void CollectChangedRects(TVelquoraScene& scene, std::vector<Rect>& dirty) {
  for (TSpriteEntry& entry : scene.Sprites) {
    TSprite& sprite = *entry.second;
    if (!sprite.ChangeTest(false) || sprite.Hidden) continue;
    if (TMovingStep* step = sprite.CloneStep()) {
      for (auto& clone : step->Clones) {
        if (!clone->ChangeTest(false) || clone->Hidden) continue;
        dirty.push_back(clone->DrawnRect);
        dirty.push_back(clone->RememberedNewRect());
      }
    } else {
      dirty.push_back(sprite.DrawnRect);
      dirty.push_back(sprite.RememberedNewRect());
    }
  }
}

// The rectangles every dirty rectangle that touches them grows to contain: each visible
// sprite's whole new place. Clones that changed are in the collection already; the
// others are grown over. Asked anew for every growing pass, as the clones' change tests
// run again each time.
void CollectGrowRects(TVelquoraScene& scene, std::vector<Rect>& over) {
  over.clear();
  for (TSpriteEntry& entry : scene.Sprites) {
    TSprite& sprite = *entry.second;
    if (sprite.Hidden) continue;
    if (TMovingStep* step = sprite.CloneStep()) {
      for (auto& clone : step->Clones) {
        if (clone->ChangeTest(false) || clone->Hidden) continue;
        over.push_back(clone->RememberedNewRect());
      }
    } else {
      const Rect rect = sprite.RememberedNewRect();
      if (rect.Width() > 0 && rect.Height() > 0) over.push_back(rect);
    }
  }
}

void GrowAndMerge(TVelquoraScene& scene, std::vector<Rect>& dirty) {
  DirtyRectGrowth growth(dirty);
  std::vector<Rect> over;
  do {
    for (int pass = 0; pass < 2; ++pass) {
      CollectGrowRects(scene, over);
      growth.GrowPass(over);
    }
  } while (growth.Merge());
}

bool Contains(const Rect& outer, const Rect& inner) { return Union(inner, outer) == outer; }

// Draws the actor when it lies wholly inside the rectangle and has not been drawn in
// this Step; marks its old place restored when that lies inside too.
void DrawIntoRect(TSprite& actor, const Rect& rect, TBitmap& work) {
  if (!actor.Drawn && Contains(rect, actor.RememberedNewRect())) {
    actor.Draw(work);
    actor.ForgetNewRect();  // drawing may have hidden or rewound it
  }
  if (!actor.Erased && Contains(rect, actor.DrawnRect)) actor.SetErased(true);
}

class Composer {
public:
  // window_dc, when given, is the context target belongs to; it learns each part drawn.
  Composer(TVelquoraScene& scene, TBitmap* target, TWindowDeviceContext* window_dc)
      : scene_(scene), target_(target), window_dc_(window_dc) {
    if (window_dc_ != nullptr) window_dc_->NoteDrawn(Rect{});
  }

  void ShowWholeBackground() {
    const TBitmap& background = scene_.BackgroundBitmap;
    if (target_ == nullptr) return;
    TCanvas(*target_).BitBlt(0, 0, background.Width(), background.Height(), background, 0, 0);
    if (window_dc_ != nullptr) window_dc_->NoteDrawn(background.BoundsRect());
  }

  void DrawDirtyRect(const Rect& rect) {
    if (FreeSystemResources() < kMinimumDrawingResources) return;
    if (rect.Width() <= 0 || rect.Height() <= 0) return;
    const std::optional<Rect> visible = VisiblePart(rect);
    if (visible) RestoreBackground(*visible);
    for (TSpriteEntry& entry : scene_.Sprites) {
      TSprite& sprite = *entry.second;
      if (TMovingStep* step = sprite.CloneStep()) {
        for (auto& clone : step->Clones) {
          if (!clone->Hidden) DrawIntoRect(*clone, rect, scene_.WorkBitmap);
        }
      } else if (!sprite.Hidden) {
        DrawIntoRect(sprite, rect, scene_.WorkBitmap);
      }
    }
    if (visible && target_ != nullptr) {
      Copy(*target_, *visible, scene_.WorkBitmap);
      if (window_dc_ != nullptr) window_dc_->NoteDrawn(*visible);
    }
  }

private:
  std::optional<Rect> VisiblePart(const Rect& rect) const {
    const Rect area{0, 0, scene_.ScreenWidth, scene_.ScreenHeight};
    if (rect.Left >= area.Right || rect.Top >= area.Bottom || rect.Right <= 0 || rect.Bottom <= 0) return std::nullopt;
    return Intersection(rect, area);
  }

  void RestoreBackground(const Rect& part) {
    TBitmap& background = scene_.BackgroundBitmap;
    TBitmap& work = scene_.WorkBitmap;
    if (PaletteDisplay() && (!work.PaletteModified || background.PaletteModified) && !background.Palette().empty()) {
      work.SetPalette(background.Palette());
      background.PaletteModified = false;
    }
    Copy(work, part, background);
  }

  // In palette mode through the canvas copy, which maps colours through the palettes;
  // otherwise a plain block copy.
  static void Copy(TBitmap& to, const Rect& part, const TBitmap& from) {
    TCanvas canvas(to);
    if (PaletteDisplay()) {
      canvas.CopyRect(part, from, part);
    } else {
      canvas.BitBlt(part.Left, part.Top, part.Width(), part.Height(), from, part.Left, part.Top);
    }
  }

  TVelquoraScene& scene_;
  TBitmap* target_;
  TWindowDeviceContext* window_dc_;
};

// The owner window's device context, taken only when there is no target bitmap.
std::optional<TWindowDeviceContext> OwnerWindowDC(const TVelquoraScene& scene) {
  TWindowSystem* windows = InstalledWindowSystem();
  if (scene.TargetBitmap != nullptr || windows == nullptr) return std::nullopt;
  return windows->GetDC(scene.OwnerWindow);
}

void Compose(TVelquoraScene& scene, const std::vector<Rect>& dirty) {
  scene.WorkBitmap.SetSize(scene.ScreenWidth, scene.ScreenHeight);
  // Without a target bitmap the scene draws into its window; headless there is none,
  // and the rectangles are composed without being shown.
  std::optional<TWindowDeviceContext> window_dc = OwnerWindowDC(scene);
  TBitmap* target = scene.TargetBitmap;
  if (target == nullptr && window_dc) target = &window_dc->Bitmap();
  Composer composer(scene, target, window_dc ? &*window_dc : nullptr);
  if (!scene.BackgroundShown) composer.ShowWholeBackground();
  for (const Rect& rect : dirty) composer.DrawDirtyRect(rect);
  scene.BackgroundShown = true;
}

void AdvanceCounters(TVelquoraScene& scene) {
  if (scene.CurrentTick >= scene.CycleLength) {
    scene.CurrentTick = 1;
    scene.CyclesDone = Incremented(scene.CyclesDone);
    if (scene.RepeatMode >= 0) scene.RunsLeft = Decremented(scene.RunsLeft);
  } else {
    scene.CurrentTick = Incremented(scene.CurrentTick);
  }
  scene.StepCount = Incremented(scene.StepCount);
}

// The clips of visible sprites get the player for their sound's next start. A sprite
// that changed last Step and is hidden now gives it up, and stops the player when the
// player holds its clip's sound.
void HandOverClipSound(TVelquoraScene& scene, TMediaPlayer& player) {
  for (TSpriteEntry& entry : scene.Sprites) {
    TSprite& sprite = *entry.second;
    if (sprite.Hidden) continue;
    for (auto& frame : sprite.Frames()) {
      if (TAVIImage* avi = frame->AviAnimation()) avi->Player = &player;
    }
  }
  for (TSpriteEntry& entry : scene.Sprites) {
    TSprite& sprite = *entry.second;
    if (!sprite.Moving().Changed || !sprite.Hidden) continue;
    TFrame* frame = sprite.CurrentFrame();
    TAVIImage* avi = frame != nullptr ? frame->AviAnimation() : nullptr;
    if (avi == nullptr || avi->SoundFileName.empty()) continue;
    avi->Player = nullptr;
    if (player.FileName == avi->SoundFileName) player.Stop();
  }
}

}  // namespace

void TVelquoraScene::Step() {
  if (RunsLeft == 0 || InStep) return;
  const StepGuard guard(InStep);

  // Audio: the playlist first. Whatever goes wrong here ends the audio of this tick and
  // nothing else.
  if (SoundEnabled && Player) {
    try {
      PlaylistTick(AudioFiles, CurrentAudioIndex, CurrentTick, *Player);
      HandOverClipSound(*this, *Player);
    } catch (...) {
    }
  }

  LastDirtyRects.clear();
  try {
    MoveSprites(*this);
    ForgetNewRects(*this);
    CollectChangedRects(*this, LastDirtyRects);
    GrowAndMerge(*this, LastDirtyRects);
    Compose(*this, LastDirtyRects);
  } catch (const std::exception&) {
    // A tick that fails while moving or drawing is dropped; the counters still advance
    // and the next Step starts afresh.
  }
  ForgetNewRects(*this);
  AdvanceCounters(*this);
}

void TVelquoraScene::Restart() {
  CurrentAudioIndex = 0;
  CurrentTick = 1;
  for (TSpriteEntry& entry : Sprites) {
    TSprite& sprite = *entry.second;
    TMoving& path = sprite.Moving();
    path.TickInStep = 0;
    path.StepIndex = 0;
    path.Travelled = 0;
    path.PosX = Decremented(path.PosX);
    sprite.FrameTicks = 0;
    sprite.SetFrameIndex(0);
    for (auto& frame : sprite.Frames()) {
      frame->AdvanceCount = 0;
      if (TAVIImage* avi = frame->AviAnimation()) avi->Player = nullptr;
      frame->Prepare(1);
    }
  }
}

}  // namespace velquora
