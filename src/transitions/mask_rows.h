#pragma once

// Writing the 8-bit mask of the mask effects row by row.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "foundation/rect.h"
#include "graphics/dibx.h"
#include "transitions/locked_rows.h"

namespace vorn {

// ramp(d, s): 0 below 0, rising by 255 over s units, then 255. s is at least 1.
inline std::uint8_t MaskRamp(std::int64_t d, std::int64_t s) {
  if (d <= 0) return 0;
  if (d >= s) return 255;
  return static_cast<std::uint8_t>(std::min<std::int64_t>(255, d * 255 / s));
}

// The mask locked for writing; Valid() is false for an empty or unlockable mask.
class MaskRows {
 public:
  explicit MaskRows(TDIBX& mask)
      : rows_(mask), width_(mask.GetWidth()), height_(mask.GetHeight()) {}

  bool Valid() const { return rows_.Valid() && width_ > 0 && height_ > 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint8_t* Row(int y) const { return rows_.Row(y); }

  void Clear(std::uint8_t value) const {
    for (int y = 0; y < height_; ++y) std::memset(Row(y), value, static_cast<std::size_t>(width_));
  }
  // Copies row 0 to every other row.
  void RepeatFirstRow() const {
    for (int y = 1; y < height_; ++y) std::memcpy(Row(y), Row(0), static_cast<std::size_t>(width_));
  }
  // The part of the rectangle (64-bit edges) inside the mask.
  void FillRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                std::uint8_t value) const {
    const auto l = static_cast<int>(std::clamp<std::int64_t>(left, 0, width_));
    const auto r = static_cast<int>(std::clamp<std::int64_t>(right, 0, width_));
    const auto t = static_cast<int>(std::clamp<std::int64_t>(top, 0, height_));
    const auto b = static_cast<int>(std::clamp<std::int64_t>(bottom, 0, height_));
    if (l >= r) return;
    for (int y = t; y < b; ++y) std::memset(Row(y) + l, value, static_cast<std::size_t>(r - l));
  }
  void FillRect(const TRect& rect, std::uint8_t value) const {
    FillRect(rect.left, rect.top, rect.right, rect.bottom, value);
  }

 private:
  LockedRows rows_;
  int width_;
  int height_;
};

}  // namespace vorn
