#include "media/min_gdi_bitmap.h"

#include "platform/system/process_list_flag.h"
#include "platform/system/resource_probe.h"

namespace velquora {

bool TMinGDIBitmap::EconomyMode() { return ProcessListAvailable(); }

TMinGDIBitmap::Snapshot TMinGDIBitmap::TakeSnapshot() const {
  Snapshot snapshot;
  snapshot.Width = TBitmap::Width();
  snapshot.Height = TBitmap::Height();
  snapshot.Format = TBitmap::Format();
  if (IsIndexed(snapshot.Format)) snapshot.Palette = Palette();
  snapshot.ColoursCrc = PixelsCrc32(*this);
  return snapshot;
}

bool TMinGDIBitmap::Changed() const { return modified_ || TakeSnapshot() != stream_snapshot_; }

void TMinGDIBitmap::WriteStream() {
  stream_.Clear();
  if (!TBitmap::Empty()) TBitmap::SaveToStream(stream_);
  stream_snapshot_ = TakeSnapshot();
}

void TMinGDIBitmap::Acquire() {
  if (!dormant_ || stream_.Size() == 0) return;
  // Transparency and the palette mark live outside the bitmap file; the picture keeps them.
  const bool paletteModified = PaletteModified;
  stream_.SetPosition(0);
  TBitmap::LoadFromStream(stream_);
  dormant_ = false;
  modified_ = false;
  // A colour table means nothing to a picture without palette indices.
  if (!IsIndexed(TBitmap::Format()) && !Palette().empty()) SetPalette({});
  PaletteModified = paletteModified;
}

void TMinGDIBitmap::MakeDormant() {
  // The copy must show the picture before the pixels go, also when it changed without a
  // Store, so that nothing drawn is lost.
  if (Changed()) WriteStream();
  if (stream_.Size() == 0) return;
  const bool transparent = Transparent;
  const TColor transparentColor = TransparentColor;
  const bool paletteModified = PaletteModified;
  dormant_width_ = TBitmap::Width();
  dormant_height_ = TBitmap::Height();
  TBitmap::operator=(TBitmap());
  Transparent = transparent;
  TransparentColor = transparentColor;
  PaletteModified = paletteModified;
  dormant_ = true;
}

void TMinGDIBitmap::Release() {
  if (!EconomyMode()) return;
  modified_ = false;
  if (dormant_ || Empty()) return;
  if (FreeSystemResources() <= kReleaseThreshold || ForceRelease) {
    MakeDormant();
    ForceRelease = false;
  }
}

void TMinGDIBitmap::Store() {
  if (!EconomyMode()) return;
  if (!dormant_ && Changed()) WriteStream();
  Release();
}

void TMinGDIBitmap::LoadFromStream(TStream& stream) {
  Acquire();
  if (!EconomyMode()) {
    TBitmap::LoadFromStream(stream);
    return;
  }
  const std::int64_t start = stream.Position();
  const std::vector<std::uint8_t> rest = ReadBytes(stream, stream.Remaining());
  stream.SetPosition(start);
  TBitmap::LoadFromStream(stream);
  stream_.Clear();
  stream_.WriteBuffer(rest.data(), rest.size());
  stream_snapshot_ = TakeSnapshot();
  Release();
}

void TMinGDIBitmap::SaveToStream(TStream& stream) {
  Acquire();
  TBitmap::SaveToStream(stream);
  Release();
}

void TMinGDIBitmap::Assign(const TBitmap& source) {
  Acquire();
  TBitmap::Assign(source);
  if (EconomyMode()) modified_ = true;
}

void TMinGDIBitmap::Assign(TMinGDIBitmap& source) {
  Acquire();
  source.Acquire();
  TBitmap::Assign(source);
  if (EconomyMode()) modified_ = true;
}

TCanvas TMinGDIBitmap::Canvas() {
  Acquire();
  return TCanvas(*this);
}

void TMinGDIBitmap::SetTransparentColor(TColor color) {
  Acquire();
  TransparentColor = color;
  if (!EconomyMode()) return;
  modified_ = true;
  WriteStream();
}

void TMinGDIBitmap::SetPixelFormat(PixelFormat format) {
  Acquire();
  TBitmap::SetPixelFormat(format);
  if (!EconomyMode()) return;
  modified_ = true;
  WriteStream();
}

PixelFormat TMinGDIBitmap::Format() {
  Acquire();
  return TBitmap::Format();
}

void TMinGDIBitmap::SetTransparent(bool flag) {
  Acquire();
  Transparent = flag;
}

}  // namespace velquora
