#pragma once
// TMinGDIBitmap: a bitmap that can drop its pixels between uses and rebuild them from a
// private copy kept as a bitmap file, so that a scene with many pictures holds little
// drawing memory while the system reports its resources low. Sprite frames keep their
// pictures in these.
//
// Economy mode is on while the resource probe's process-list flag is set; with it off
// (always, on this system) the class behaves as a plain bitmap and never touches its
// private copy.
//
// In economy mode a bitmap is either present (it has its pixels) or dormant (only the
// private copy holds the picture). Acquire makes a dormant bitmap present again. Release
// makes it dormant when the free-resources figure is at most kReleaseThreshold percent
// or ForceRelease is set. Users acquire before use and call Store (or Release)
// afterwards so that the pixels can go. The operations declared here acquire first
// (GetTransparent does not); hand the bitmap on as a plain TBitmap (to a canvas or a
// decoder) only after Acquire, because a dormant bitmap seen as a TBitmap is empty.
#include <cstdint>
#include <vector>

#include "core/memory_stream.h"
#include "core/stream.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/canvas.h"

namespace velquora {

class TMinGDIBitmap : public TBitmap {
public:
  // Free system resources, in percent, at or below which Release drops the pixels.
  static constexpr int kReleaseThreshold = 18;

  TMinGDIBitmap() = default;
  TMinGDIBitmap(const TMinGDIBitmap&) = delete;
  TMinGDIBitmap& operator=(const TMinGDIBitmap&) = delete;

  // On while the probe's process-list flag is set.
  static bool EconomyMode();

  // Rebuilds a dormant bitmap from the private copy.
  void Acquire();
  // Economy mode: clears the modified mark, then makes a present, non-empty bitmap
  // dormant when resources are low or ForceRelease is set (clearing ForceRelease).
  void Release();
  // Economy mode: rewrites the private copy when the picture changed, then releases.
  void Store();

  // The size; while dormant, the size the picture had. These do not acquire.
  int Width() const { return dormant_ ? dormant_width_ : TBitmap::Width(); }
  int Height() const { return dormant_ ? dormant_height_ : TBitmap::Height(); }
  bool Empty() const { return Width() == 0 || Height() == 0; }

  // Loads a bitmap file from the stream's position. Economy mode keeps the rest of the
  // stream (from that position to its end) as the private copy; a picture that fails to
  // load leaves bitmap and copy as they were. Releases afterwards.
  void LoadFromStream(TStream& stream);
  // Writes a bitmap file, then releases.
  void SaveToStream(TStream& stream);
  // Copies source (acquiring it too when it is a minimal bitmap); economy mode marks
  // the picture modified.
  void Assign(const TBitmap& source);
  void Assign(TMinGDIBitmap& source);
  // A canvas on the present bitmap.
  TCanvas Canvas();
  // These set the value; economy mode marks the picture modified and rewrites the copy.
  void SetTransparentColor(TColor color);
  void SetPixelFormat(PixelFormat format);
  PixelFormat Format();
  void SetTransparent(bool flag);
  bool GetTransparent() const { return Transparent; }

  bool ForceRelease = false;  // the next Release drops the pixels whatever the figure
  bool Modified() const { return modified_; }
  void MarkModified() { modified_ = true; }
  bool Dormant() const { return dormant_; }
  // The private copy: a bitmap file, or nothing.
  const TMemoryStream& PrivateStream() const { return stream_; }

private:
  // What the private copy shows: size, format, colours (the palette too when indexed).
  struct Snapshot {
    int Width = 0;
    int Height = 0;
    PixelFormat Format = PixelFormat::Bits32;
    std::vector<PaletteEntry> Palette;
    std::uint32_t ColoursCrc = 0;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
  };
  Snapshot TakeSnapshot() const;
  // The picture differs from the private copy (by the mark, or by its pixels).
  bool Changed() const;
  void WriteStream();
  void MakeDormant();

  TMemoryStream stream_;
  Snapshot stream_snapshot_;  // what stream_ holds
  bool modified_ = false;
  bool dormant_ = false;
  int dormant_width_ = 0;
  int dormant_height_ = 0;
};

}  // namespace velquora
