#pragma once

#include <algorithm>
#include <cstdint>

namespace vorn {

struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and bottom are exclusive.
struct TRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint MakePoint(std::int32_t x, std::int32_t y) { return TPoint{x, y}; }
inline TRect MakeRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  return TRect{left, top, right, bottom};
}

inline bool RectIsEmpty(const TRect& r) { return !(r.left < r.right && r.top < r.bottom); }

// True when the two share an interior point.
inline bool RectsOverlap(const TRect& a, const TRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

inline bool PointInRect(const TPoint& p, const TRect& r) {
  return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom;
}

// The intersection, or the empty rectangle (all zero) when they do not overlap.
inline TRect ClipRectTo(const TRect& a, const TRect& b) {
  if (!RectsOverlap(a, b)) return TRect{};
  return TRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
}

inline TRect UnionRect(const TRect& a, const TRect& b) {
  return TRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
               std::max(a.bottom, b.bottom)};
}

}  // namespace vorn
