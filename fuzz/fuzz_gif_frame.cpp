// A GIF frame playing in a scene: the first three bytes choose the timer interval (two
// bytes) and how many ticks to play; the rest is the GIF, set up as the sprite reader sets
// it up. Ticks advance the animation, wraps move the sprite on, every seventh tick
// restarts at image 1, and every tick draws the frame (transparent, sometimes scaled).
// Preparing and drawing must never raise, and the tick count must stay within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "core/memory_stream.h"
#include "fuzz_determinism.h"
#include "media/gif/gif_file.h"
#include "platform/gdi/bitmap.h"
#include "playback/frame.h"
#include "playback/scene.h"
#include "playback/sprite.h"

namespace {

using namespace velquora;

// Rendering allocates screen-sized bitmaps; larger screens are not played, to keep runs fast.
constexpr std::int64_t kMaxRenderedPixels = std::int64_t{1} << 16;
constexpr int kHeaderBytes = 3;

bool LoadGifFrame(TFrame& frame, std::span<const std::uint8_t> bytes) {
  frame.Animated = true;
  frame.AnimationKind = static_cast<std::int32_t>(TPayloadKind::Gif);
  TGifFile& gif = *frame.Animation.emplace<std::unique_ptr<TGifFile>>(std::make_unique<TGifFile>());
  TMemoryStream stream(bytes);
  try {
    gif.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  if (std::int64_t{gif.ScreenWidth()} * gif.ScreenHeight() > kMaxRenderedPixels) return false;
  try {
    gif.Seek(1, *frame.PendingPicture);
  } catch (const Exception&) {
  }
  frame.Width = frame.PendingPicture->Width();
  frame.Height = frame.PendingPicture->Height();
  return true;
}

// A tick counts one more, or renders and starts counting again, or renders without
// counting (an image due faster than the timer). A render that fails keeps the count, so
// the next tick tries again; showing an image on request keeps it too.
void CheckCount(const TFrame& frame, std::int32_t countBefore) {
  if (frame.AdvanceCount < 0 || frame.AdvanceCount > countBefore + 1) std::abort();
  if (frame.Changed && frame.AdvanceCount != 0 && frame.AdvanceCount != countBefore) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  if (size < kHeaderBytes) return 0;
  TVelquoraScene scene;
  scene.TimerInterval = static_cast<std::int16_t>(data[0] | (data[1] << 8));
  const int ticks = data[2] % 64;
  TSprite& sprite = scene.AddSprite();
  TFrame& frame = sprite.AddFrame();
  TFrame& second = sprite.AddFrame();  // a still frame to move on to after a wrap
  second.Width = second.Height = 1;
  if (!LoadGifFrame(frame, std::span<const std::uint8_t>(data + kHeaderBytes, size - kHeaderBytes))) return 0;
  frame.Transparent = true;
  TBitmap target(8, 8, PixelFormat::Bits24);
  const bool singleImage = frame.GifAnimation()->FrameCount() <= 1;
  for (int tick = 1; tick <= ticks; ++tick) {
    sprite.AdvanceFrame();
    if (sprite.GetFrameIndex() != 0) sprite.SetFrameIndex(0);
    const bool restart = tick % 7 == 0;
    const std::int32_t countBefore = frame.AdvanceCount;
    frame.Prepare(restart ? 1 : -1);
    if (singleImage && frame.Changed) std::abort();
    if (!restart) CheckCount(frame, countBefore);
    const Real scale = tick % 3 == 0 ? Real(1.5) : Real(1);
    frame.Draw(target, -1, scale, scale, 0, 8, 8, 0);
  }
  return 0;
}
