#include "platform/system/display_info.h"

#include <utility>

namespace velquora {

namespace {
std::function<std::optional<int>()>& ColorBitsQuery() {
  static std::function<std::optional<int>()> query;
  return query;
}

std::function<std::optional<ScreenSize>()>& SizeQuery() {
  static std::function<std::optional<ScreenSize>()> query;
  return query;
}

bool& PaletteFlag() {
  static bool on = false;
  return on;
}

ScreenSize& Headless() {
  static ScreenSize size;
  return size;
}
}  // namespace

std::optional<int> ScreenColorBits() {
  const auto& query = ColorBitsQuery();
  return query ? query() : std::nullopt;
}

void SetScreenColorBitsQuery(std::function<std::optional<int>()> query) {
  ColorBitsQuery() = std::move(query);
}

ScreenSize PrimaryScreenSize() {
  const auto& query = SizeQuery();
  if (query) {
    if (const auto size = query()) return *size;
  }
  return Headless();
}

void SetScreenSizeQuery(std::function<std::optional<ScreenSize>()> query) { SizeQuery() = std::move(query); }
ScreenSize HeadlessScreenSize() { return Headless(); }
void SetHeadlessScreenSize(ScreenSize size) { Headless() = size; }

bool PaletteDisplay() { return PaletteFlag(); }

void SetPaletteDisplay(bool on) { PaletteFlag() = on; }

ScopedPaletteDisplay::ScopedPaletteDisplay(bool on) : previous_(std::exchange(PaletteFlag(), on)) {}

ScopedPaletteDisplay::~ScopedPaletteDisplay() { PaletteFlag() = previous_; }

}  // namespace velquora
