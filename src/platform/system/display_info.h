#pragma once
// What the host needs to know about the screen before any window exists: its colour
// depth and its size. The window layer installs a query for a real display; without one
// the process is headless: no depth, and the screen size set by the tool options.
#include <cstdint>
#include <functional>
#include <optional>

namespace velquora {

struct ScreenSize {
  std::int32_t Width = 640;
  std::int32_t Height = 480;
  friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

// Bits per pixel times colour planes of the screen; empty when there is no display.
std::optional<int> ScreenColorBits();
void SetScreenColorBitsQuery(std::function<std::optional<int>()> query);

// The primary screen's size; without a display, the headless size (default 640 x 480).
ScreenSize PrimaryScreenSize();
void SetScreenSizeQuery(std::function<std::optional<ScreenSize>()> query);
ScreenSize HeadlessScreenSize();
void SetHeadlessScreenSize(ScreenSize size);

// The screen shows at most 256 colours through a palette. Start-up sets it from the
// colour depth; pictures are then composed in the background picture's palette.
bool PaletteDisplay();
void SetPaletteDisplay(bool on);

// Sets the palette display flag for the lifetime of this object, for tests.
class ScopedPaletteDisplay {
public:
  explicit ScopedPaletteDisplay(bool on);
  ~ScopedPaletteDisplay();
  ScopedPaletteDisplay(const ScopedPaletteDisplay&) = delete;
  ScopedPaletteDisplay& operator=(const ScopedPaletteDisplay&) = delete;

private:
  bool previous_;
};

}  // namespace velquora
