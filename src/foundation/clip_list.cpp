#include "foundation/clip_list.h"

#include <cstdint>

#include "foundation/list_error.h"

namespace vorn {
namespace {

// They overlap or lie within kNearPixels of each other on both axes. 64-bit so rectangles at the
// ends of the int32 range do not wrap.
bool IsNear(const TRect& s, const TRect& r) {
  const std::int64_t near = TClipList::kNearPixels;
  return std::int64_t{s.right} + near >= r.left && std::int64_t{s.bottom} + near >= r.top &&
         std::int64_t{r.right} >= std::int64_t{s.left} - near && std::int64_t{r.bottom} >= std::int64_t{s.top} - near;
}

bool Contains(const TRect& s, const TRect& r) {
  return r.left >= s.left && r.top >= s.top && r.right <= s.right && r.bottom <= s.bottom;
}

}  // namespace

void TClipList::AddRect(const TRect& added) {
  if (RectIsEmpty(added)) return;
  TRect r = added;
  for (;;) {
    std::size_t i = 0;
    while (i < rects_.size() && !IsNear(rects_[i], r)) ++i;
    if (i == rects_.size()) {
      rects_.push_back(r);
      changed_ = true;
      return;
    }
    if (Contains(rects_[i], r)) return;
    r = UnionRect(rects_[i], r);
    rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
    changed_ = true;
  }
}

const TRect& TClipList::GetRect(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return rects_[static_cast<std::size_t>(index)];
}

void TClipList::Delete(int index) {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  rects_.erase(rects_.begin() + index);
  changed_ = true;
}

void TClipList::Clear() {
  rects_.clear();
  changed_ = true;
}

}  // namespace vorn
