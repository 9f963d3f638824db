#pragma once
// TFrame: one picture of a sprite. The reader fills it; playback (preparing animations,
// drawing) builds on these fields.
#include <cstdint>
#include <memory>
#include <variant>

#include "core/ansi_text.h"
#include "core/geometry.h"
#include "core/memory_stream.h"
#include "core/real48.h"
#include "media/avi_image.h"
#include "media/gif/gif_file.h"
#include "media/min_gdi_bitmap.h"
#include "platform/gdi/bitmap.h"

namespace velquora {

class TSprite;

// AnimationKind values of a frame's payload.
enum class TPayloadKind : std::int32_t { Jpeg = 1, Gif = 2, Avi = 3 };

// A frame's animation source: none, the GIF of a kind-2 payload or the clip of a kind-3 one.
using TAnimation = std::variant<std::monostate, std::unique_ptr<TGifFile>, std::unique_ptr<TAVIImage>>;

class TFrame {
public:
  explicit TFrame(TSprite* sprite = nullptr);
  ~TFrame();
  TFrame(const TFrame&) = delete;
  TFrame& operator=(const TFrame&) = delete;

  bool LoadFailed = false;            // picture skipped for low resources; the reader drops the frame
  TColor TransparentColor = 0;        // colour left out when Transparent, sampled on first draw
  std::int32_t Duration = 4;          // ticks a still frame stays (reader)
  bool Changed = false;               // the last animation step put a new image in
  std::int32_t TransparentX = 0;      // picture pixel sampled for TransparentColor; < 0: none (reader)
  std::int32_t TransparentY = 0;
  bool TransparentSampled = false;    // TransparentColor has been taken
  AnsiString FileName;                // source picture file name (reader)
  // Decoded picture handed over by the reader (the empty bitmap when none); owned until
  // the first draw rasterises it, then released (null).
  std::unique_ptr<TBitmap> PendingPicture = std::make_unique<TBitmap>();
  TMinGDIBitmap Picture;              // the raster that is drawn, built from PendingPicture on first draw
  std::int32_t Width = 0;             // natural picture size, pixels (reader)
  std::int32_t Height = 0;
  std::int32_t SourceKind = 0;        // 1 picture file, 2 and 3 animation (reader)
  bool Animated = false;              // the record carried a payload (reader)
  std::int32_t AnimationKind = 0;     // payload kind: 1 JPEG, 2 GIF, 3 AVI (reader)
  TMemoryStream Payload;              // raw payload bytes kept by the reader (JPEG, GIF, AVI)
  TAnimation Animation;               // animation source of a GIF or AVI payload (reader)
  std::int32_t AdvanceCount = 0;      // ticks counted towards the next GIF image
  AnsiString AnimationName;           // name of the animation source (reader)
  TSprite* Sprite = nullptr;          // sprite whose list holds this frame; not owned
  bool Transparent = false;           // draw with TransparentColor left out (reader)

  // Advances an animated frame: imageIndex -1 by the time that has passed, any other
  // value shows that image (1 = first). Sets Changed; nothing for still frames. Never raises.
  void Prepare(std::int32_t imageIndex);
  // Draws the picture with its top-left corner at (x, y) into target, scaled, when any of
  // it falls inside (0, 0, areaWidth, areaHeight); Transparent leaves the target's pixels
  // where the picture has TransparentColor. percent has no effect. Never raises.
  void Draw(TBitmap& target, std::int32_t x, Real scaleX, Real scaleY, std::int32_t y, std::int32_t areaWidth,
            std::int32_t areaHeight, Real percent);

  // The GIF in Animation, or null.
  TGifFile* GifAnimation() {
    auto* gif = std::get_if<std::unique_ptr<TGifFile>>(&Animation);
    return gif != nullptr ? gif->get() : nullptr;
  }
  // The AVI clip in Animation, or null.
  TAVIImage* AviAnimation() {
    auto* avi = std::get_if<std::unique_ptr<TAVIImage>>(&Animation);
    return avi != nullptr ? avi->get() : nullptr;
  }
};

}  // namespace velquora
