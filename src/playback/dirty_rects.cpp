#include "playback/dirty_rects.h"

#include <bit>
#include <cstddef>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velquora {

namespace {

// Tested four at a time where the processor compares four at once.
constexpr std::size_t kScanBlock = 4;

}  // namespace

void RectColumns::Assign(const std::vector<Rect>& rects) {
  for (auto* column : {&left_, &top_, &right_, &bottom_}) column->resize(rects.size());
  for (std::size_t i = 0; i < rects.size(); ++i) Set(i, rects[i]);
}

void RectColumns::Set(std::size_t index, const Rect& rect) {
  // Left above every right meets nothing, as an empty rectangle must.
  const bool empty = rect.IsEmpty();
  left_[index] = empty ? std::numeric_limits<std::int32_t>::max() : rect.Left;
  right_[index] = empty ? std::numeric_limits<std::int32_t>::min() : rect.Right;
  top_[index] = rect.Top;
  bottom_[index] = rect.Bottom;
}

std::size_t RectColumns::FirstIntersecting(const Rect& rect, std::size_t from, std::size_t to) const {
  if (rect.IsEmpty()) return to;
  std::size_t k = from;
#if defined(__SSE2__)
  const __m128i right = _mm_set1_epi32(rect.Right);
  const __m128i left = _mm_set1_epi32(rect.Left);
  const __m128i bottom = _mm_set1_epi32(rect.Bottom);
  const __m128i top = _mm_set1_epi32(rect.Top);
  const auto load = [](const std::vector<std::int32_t>& column, std::size_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(column.data() + at));
  };
  for (; k + kScanBlock <= to; k += kScanBlock) {
    const __m128i across = _mm_and_si128(_mm_cmplt_epi32(load(left_, k), right), _mm_cmpgt_epi32(load(right_, k), left));
    const __m128i down = _mm_and_si128(_mm_cmplt_epi32(load(top_, k), bottom), _mm_cmpgt_epi32(load(bottom_, k), top));
    const int hits = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(across, down)));
    if (hits != 0) return k + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(hits)));
  }
#endif
  for (; k < to; ++k) {
    if (left_[k] < rect.Right && rect.Left < right_[k] && top_[k] < rect.Bottom && rect.Top < bottom_[k]) return k;
  }
  return to;
}

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
    over_columns_.Assign(over);
  }
  const std::size_t count = over.size();
  for (std::size_t i = 0; i < dirty_.size(); ++i) {
    if (settled_[i]) continue;
    const Rect before = dirty_[i];
    Rect grown = before;
    for (std::size_t k = over_columns_.FirstIntersecting(grown, 0, count); k < count;
         k = over_columns_.FirstIntersecting(grown, k + 1, count)) {
      grown = Union(grown, over[k]);
    }
    dirty_[i] = grown;
    settled_[i] = grown == before;
  }
}

// A rectangle merged away is left in place as an empty one, which meets nothing, and
// the list is closed up at the end. Walking the rectangles that remain in order visits
// them as MergePass's shrinking list does, where removing a rectangle before i moves
// the next one onto i's index, so the pass steps over it.
bool DirtyRectGrowth::Merge() {
  const std::size_t count = dirty_.size();
  dirty_columns_.Assign(dirty_);
  std::vector<bool> removed(count, false);
  bool changed = false;
  bool step_over = false;
  for (std::size_t i = 0; i < count; ++i) {
    if (removed[i]) continue;
    if (step_over) {
      step_over = false;
      continue;
    }
    std::size_t j = dirty_columns_.FirstIntersecting(dirty_[i], 0, i);
    if (j == i) j = dirty_columns_.FirstIntersecting(dirty_[i], i + 1, count);
    if (j == count) continue;
    const Rect merged = Union(dirty_[i], dirty_[j]);
    if (merged != dirty_[i]) settled_[i] = false;
    dirty_[i] = merged;
    dirty_columns_.Set(i, merged);
    dirty_columns_.Set(j, Rect{});
    removed[j] = true;
    step_over = j < i;
    changed = true;
  }
  if (changed) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (removed[i]) continue;
      dirty_[kept] = dirty_[i];
      settled_[kept] = settled_[i];
      ++kept;
    }
    dirty_.resize(kept);
    settled_.resize(kept);
  }
  return changed;
}

}  // namespace velquora
