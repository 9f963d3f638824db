#include "platform/gdi/region.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velquora {

namespace {

std::int64_t Clamp(std::int64_t value) {
  return std::clamp<std::int64_t>(value, -TRegion::CoordinateLimit, TRegion::CoordinateLimit);
}

// The rows top .. bottom - 1 of a rectangle, cut to the coordinate limits.
struct RowRange {
  std::int64_t Top;
  std::int64_t Bottom;
  std::size_t Count() const { return Bottom > Top ? static_cast<std::size_t>(Bottom - Top) : 0; }
};

RowRange ClampedRows(std::int64_t top, std::int64_t bottom) { return {Clamp(top), Clamp(bottom)}; }

}  // namespace

TRegion TRegion::FromRect(const Rect& rect) {
  const std::int64_t left = Clamp(std::min(rect.Left, rect.Right));
  const std::int64_t right = Clamp(std::max(rect.Left, rect.Right));
  const RowRange rows = ClampedRows(std::min(rect.Top, rect.Bottom), std::max(rect.Top, rect.Bottom));
  TRegion region;
  if (right <= left) return region;
  region.top_ = static_cast<std::int32_t>(rows.Top);
  region.rows_.assign(rows.Count(), Span{static_cast<std::int32_t>(left), static_cast<std::int32_t>(right)});
  region.Finish();
  return region;
}

TRegion TRegion::RoundRect(const Rect& rect, int ellipseWidth, int ellipseHeight) {
  // R, the rectangle without its last column and row.
  const std::int64_t left = std::min(rect.Left, rect.Right);
  const std::int64_t top = std::min(rect.Top, rect.Bottom);
  const std::int64_t right = std::int64_t{std::max(rect.Left, rect.Right)} - 1;
  const std::int64_t bottom = std::int64_t{std::max(rect.Top, rect.Bottom)} - 1;
  if (right <= left || bottom <= top) return TRegion();
  const std::int64_t w = std::min<std::int64_t>(std::llabs(ellipseWidth), right - left);
  const std::int64_t h = std::min<std::int64_t>(std::llabs(ellipseHeight), bottom - top);
  if (w < 2 || h < 2)
    return FromRect(Rect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                         static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)});

  const double a = static_cast<double>(w) / 2;  // ellipse radii
  const double b = static_cast<double>(h) / 2;
  const double upperCentre = static_cast<double>(top) + b;
  const double lowerCentre = static_cast<double>(bottom) - b;
  const double leftCentre = static_cast<double>(left) + a;
  const double rightCentre = static_cast<double>(right) - a;
  constexpr double Tolerance = 1e-9;

  const RowRange rows = ClampedRows(top, bottom);
  TRegion region;
  region.top_ = static_cast<std::int32_t>(rows.Top);
  region.rows_.resize(rows.Count());
  for (std::int64_t y = rows.Top; y < rows.Bottom; ++y) {
    const double centreY = static_cast<double>(y) + 0.5;
    double dy = 0;
    if (centreY < upperCentre) dy = upperCentre - centreY;
    if (centreY > lowerCentre) dy = centreY - lowerCentre;
    const double ratio = dy / b;
    const double halfWidth = a * std::sqrt(std::max(0.0, 1 - ratio * ratio));
    // Pixels whose centres x + 0.5 lie within [leftCentre - halfWidth, rightCentre + halfWidth].
    const auto first = static_cast<std::int64_t>(std::ceil(leftCentre - halfWidth - 0.5 - Tolerance));
    const auto last = static_cast<std::int64_t>(std::floor(rightCentre + halfWidth - 0.5 + Tolerance));
    const std::int64_t spanLeft = Clamp(std::max(first, left));
    const std::int64_t spanRight = Clamp(std::min(last + 1, right));
    region.rows_[static_cast<std::size_t>(y - rows.Top)] =
        Span{static_cast<std::int32_t>(spanLeft), static_cast<std::int32_t>(std::max(spanLeft, spanRight))};
  }
  region.Finish();
  return region;
}

void TRegion::Finish() {
  while (!rows_.empty() && rows_.back().Empty()) rows_.pop_back();
  std::size_t leading = 0;
  while (leading < rows_.size() && rows_[leading].Empty()) ++leading;
  rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(leading));
  top_ += static_cast<std::int32_t>(leading);
  if (rows_.empty()) {
    top_ = 0;
    bounds_ = Rect{};
    return;
  }
  bounds_ = Rect{rows_.front().Left, top_, rows_.front().Right, top_ + static_cast<std::int32_t>(rows_.size())};
  for (const Span& span : rows_) {
    if (span.Empty()) continue;
    bounds_.Left = std::min(bounds_.Left, span.Left);
    bounds_.Right = std::max(bounds_.Right, span.Right);
  }
}

Span TRegion::RowSpan(int y) const {
  const std::int64_t row = std::int64_t{y} - top_;
  if (row < 0 || row >= static_cast<std::int64_t>(rows_.size())) return Span{};
  return rows_[static_cast<std::size_t>(row)];
}

bool TRegion::Contains(int x, int y) const {
  const Span span = RowSpan(y);
  return x >= span.Left && x < span.Right;
}

}  // namespace velquora
