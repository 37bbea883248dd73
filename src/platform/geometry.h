#pragma once

#include <algorithm>

namespace vorn::platform {

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

// A rectangle as left, top, width and height; empty when either extent is not positive.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool empty() const { return width <= 0 || height <= 0; }
  bool Contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
  bool operator==(const Rect&) const = default;
};

inline Rect Intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.left, b.left);
  const int top = std::max(a.top, b.top);
  const int right = std::min(a.right(), b.right());
  const int bottom = std::min(a.bottom(), b.bottom());
  if (right <= left || bottom <= top) return Rect{left, top, 0, 0};
  return Rect{left, top, right - left, bottom - top};
}

}  // namespace vorn::platform
