#pragma once
// The rectangle rules of the scene's dirty-rectangle pass. Intersection and union follow
// the platform's rules: empty rectangles never intersect, and a union ignores an empty
// operand.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/geometry.h"

namespace velquora {

// Whether the two rectangles share at least one pixel (the common part of the two is
// not empty). Inline: the growing passes ask it for every sprite and rectangle.
inline bool Intersects(const Rect& a, const Rect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Left < a.Right && b.Left < b.Right &&  //
         a.Top < b.Bottom && b.Top < a.Bottom && a.Top < a.Bottom && b.Top < b.Bottom;
}

// Every rectangle of dirty that intersects rect becomes its union with rect.
void GrowOver(std::vector<Rect>& dirty, const Rect& rect);

// One merge pass: for each rectangle i in turn, the first other rectangle j that
// intersects it is merged into i and removed, and i moves on to the next index of the
// shrunken list. Returns true when anything was merged.
bool MergePass(std::vector<Rect>& dirty);

// Rectangles side by side, a column per side, so that the search for the first one that
// meets a given rectangle tests several at a time without a branch per rectangle. An
// empty rectangle is kept as one that meets nothing.
class RectColumns {
public:
  void Assign(const std::vector<Rect>& rects);
  void Set(std::size_t index, const Rect& rect);
  std::size_t Size() const { return left_.size(); }
  // The first index in [from, to) whose rectangle intersects `rect`, or `to`.
  std::size_t FirstIntersecting(const Rect& rect, std::size_t from, std::size_t to) const;

private:
  std::vector<std::int32_t> left_, top_, right_, bottom_;
};

// The growing and merge passes of one Step over one collection, with GrowOver and
// MergePass's results, cheaper: a rectangle that a growing pass left as it was stays as
// it is in the next pass over the same rectangles, so it is not tested again until a
// merge changes it or the rectangles to grow over change.
class DirtyRectGrowth {
public:
  explicit DirtyRectGrowth(std::vector<Rect>& dirty) : dirty_(dirty), settled_(dirty.size(), false) {}

  // GrowOver(dirty, rect) for every rect of over, in order.
  void GrowPass(const std::vector<Rect>& over);
  // MergePass(dirty).
  bool Merge();

private:
  std::vector<Rect>& dirty_;
  std::vector<bool> settled_;  // per rectangle of dirty_: the last pass over last_over_ left it alone
  std::vector<Rect> last_over_;
  RectColumns over_columns_;   // last_over_, for the growing scans
  RectColumns dirty_columns_;  // dirty_, during a merge pass
};

}  // namespace velquora
