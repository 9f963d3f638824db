#include "playback/dirty_rects.h"

#include <cstddef>

namespace velquora {

void GrowOver(std::vector<Rect>& dirty, const Rect& rect) {
  for (Rect& d : dirty) {
    if (Intersects(d, rect)) d = Union(d, rect);
  }
}

bool MergePass(std::vector<Rect>& dirty) {
  bool changed = false;
  for (std::size_t i = 0; i < dirty.size(); ++i) {
    for (std::size_t j = 0; j < dirty.size(); ++j) {
      if (j == i || !Intersects(dirty[i], dirty[j])) continue;
      dirty[i] = Union(dirty[i], dirty[j]);
      dirty.erase(dirty.begin() + static_cast<std::ptrdiff_t>(j));
      changed = true;
      break;
    }
  }
  return changed;
}

// Each rectangle of dirty grows over the rectangles of over independently of the
// others, so the passes go rectangle by rectangle: all of over for one rectangle, then
// the next, which gives GrowOver's results in GrowOver's order.
void DirtyRectGrowth::GrowPass(const std::vector<Rect>& over) {
  if (over != last_over_) {
    settled_.assign(dirty_.size(), false);
    last_over_ = over;
  }
  for (std::size_t i = 0; i < dirty_.size(); ++i) {
    if (settled_[i]) continue;
    const Rect before = dirty_[i];
    Rect grown = before;
    for (const Rect& rect : over) {
      if (Intersects(grown, rect)) grown = Union(grown, rect);
    }
    dirty_[i] = grown;
    settled_[i] = grown == before;
  }
}

bool DirtyRectGrowth::Merge() {
  bool changed = false;
  for (std::size_t i = 0; i < dirty_.size(); ++i) {
    for (std::size_t j = 0; j < dirty_.size(); ++j) {
      if (j == i || !Intersects(dirty_[i], dirty_[j])) continue;
      const Rect merged = Union(dirty_[i], dirty_[j]);
      if (merged != dirty_[i]) settled_[i] = false;
      dirty_[i] = merged;
      dirty_.erase(dirty_.begin() + static_cast<std::ptrdiff_t>(j));
      settled_.erase(settled_.begin() + static_cast<std::ptrdiff_t>(j));
      changed = true;
      break;
    }
  }
  return changed;
}

}  // namespace velquora
