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

}  // namespace velquora
