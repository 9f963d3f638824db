// Arbitrary bytes as a GIF: loaded, every frame turned into its bitmap, the animation rendered
// once round and sought back to frame 1. Failures must be the system's own exceptions; frames
// loaded before a failure must stay usable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/memory_stream.h"
#include "fuzz_determinism.h"
#include "media/gif/gif_file.h"

namespace {

// Rendering allocates screen-sized bitmaps; larger screens are only loaded, to keep runs fast.
constexpr std::int64_t kMaxRenderedPixels = std::int64_t{1} << 20;

void CheckFrames(velquora::TGifFile& gif) {
  for (int i = 1; i <= gif.FrameCount(); ++i) {
    const velquora::TGifSubImage& frame = *gif.Frame(i);
    if (frame.HasPixels() && (frame.Pixels().Rows() != static_cast<std::size_t>(frame.Height()) ||
                              frame.Pixels().Columns() != static_cast<std::size_t>(frame.Width())))
      std::abort();
    if (gif.FrameDelay(i) < 0 || gif.FrameDelay(i) > 65535) std::abort();
    try {
      velquora::TBitmap* bitmap = gif.FrameBitmap(i);
      if (bitmap != nullptr && (bitmap->Width() != frame.Width() || bitmap->Height() != frame.Height())) std::abort();
    } catch (const velquora::Exception&) {
    }
  }
}

void Animate(velquora::TGifFile& gif) {
  if (std::int64_t{gif.ScreenWidth()} * gif.ScreenHeight() > kMaxRenderedPixels) return;
  velquora::TBitmap target;
  try {
    for (int i = 0; i <= gif.FrameCount(); ++i) gif.RenderNext(target);
    gif.Seek(1, target);
  } catch (const velquora::Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const velquora::FuzzDeterminism determinism(data, size);
  velquora::TMemoryStream stream(std::span<const std::uint8_t>(data, size));
  velquora::TGifFile gif;
  try {
    gif.LoadFromStream(stream);
  } catch (const velquora::Exception&) {
  }
  CheckFrames(gif);
  Animate(gif);
  return 0;
}
