#pragma once
// Colours and rectangles shared by every layer.
#include <algorithm>
#include <cstdint>
#include <limits>

namespace velquora {

// value held within the signed 32-bit range.
constexpr std::int32_t Saturate32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
}

// Where a scene places its pictures is held within +-kCoordinateLimit pixels, far beyond
// any screen: a picture placed further out is not seen either way. Within the bound the
// width of any rectangle, a size or a margin added to a coordinate, and the unions of
// rectangles all stay inside 32 bits.
inline constexpr std::int32_t kCoordinateLimit = 1 << 29;
constexpr std::int32_t ClampCoordinate(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -kCoordinateLimit, kCoordinateLimit));
}

// A Windows RGB value 0x00BBGGRR: red in the low byte.
using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return TColor{red} | (TColor{green} << 8) | (TColor{blue} << 16);
}
constexpr std::uint8_t GetRValue(TColor color) { return static_cast<std::uint8_t>(color); }
constexpr std::uint8_t GetGValue(TColor color) { return static_cast<std::uint8_t>(color >> 8); }
constexpr std::uint8_t GetBValue(TColor color) { return static_cast<std::uint8_t>(color >> 16); }

struct Point {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Left, top, right, bottom; right and bottom exclusive.
struct Rect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;

  // Saturated: a rectangle spanning more than the 32-bit range is as wide as it gets.
  constexpr std::int32_t Width() const { return Saturate32(std::int64_t{Right} - Left); }
  constexpr std::int32_t Height() const { return Saturate32(std::int64_t{Bottom} - Top); }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

constexpr Rect Bounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  return Rect{left, top, Saturate32(std::int64_t{left} + width), Saturate32(std::int64_t{top} + height)};
}

// The common part of two rectangles; empty (all zero) when they do not meet.
constexpr Rect Intersection(const Rect& a, const Rect& b) {
  const Rect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
               std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? Rect{} : r;
}

// The smallest rectangle holding both; an empty rectangle contributes nothing.
constexpr Rect Union(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return Rect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
              std::max(a.Bottom, b.Bottom)};
}

}  // namespace velquora
