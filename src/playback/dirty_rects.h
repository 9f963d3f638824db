#pragma once
// The rectangle rules of the scene's dirty-rectangle pass. Intersection and union follow
// the platform's rules: empty rectangles never intersect, and a union ignores an empty
// operand.
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
};

}  // namespace velquora
