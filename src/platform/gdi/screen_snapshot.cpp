#include "platform/gdi/screen_snapshot.h"

#include <utility>

#include "platform/gdi/canvas.h"

namespace velquora {

namespace {
ScreenReader& InstalledScreenReader() {
  static ScreenReader reader;
  return reader;
}

void FillBlack(TBitmap& target) {
  TCanvas canvas(target);
  canvas.Brush.Color = RGB(0, 0, 0);
  canvas.FillRect(target.BoundsRect());
}
}  // namespace

void SetScreenReader(ScreenReader reader) { InstalledScreenReader() = std::move(reader); }

void ReadScreen(TBitmap& target) {
  FillBlack(target);
  const ScreenReader& reader = InstalledScreenReader();
  if (reader && !reader(target)) FillBlack(target);
}

}  // namespace velquora
