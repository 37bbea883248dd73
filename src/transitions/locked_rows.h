#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/custom_dibx.h"

namespace vorn {

// Holds a surface locked from pixel (0, 0) until the end of the scope, so that per-pixel effects
// walk its rows by pitch instead of locking each one.
class LockedRows {
 public:
  explicit LockedRows(TCustomDIBX& surface) : surface_(surface), base_(surface.Lock(0, 0)) {
    if (base_ != nullptr) pitch_ = surface.GetPitch();
  }
  ~LockedRows() {
    if (base_ != nullptr) surface_.Unlock();
  }
  LockedRows(const LockedRows&) = delete;
  LockedRows& operator=(const LockedRows&) = delete;

  bool Valid() const { return base_ != nullptr; }
  std::uint8_t* Row(int y) const { return base_ + pitch_ * static_cast<std::ptrdiff_t>(y); }

 private:
  TCustomDIBX& surface_;
  std::uint8_t* base_;
  std::ptrdiff_t pitch_ = 0;
};

// Whether a page can be read at the target's geometry: the same bit count and at least its size.
inline bool CoversTarget(TCustomDIBX& page, int bitCount, int width, int height) {
  return page.GetBitCount() == bitCount && page.GetWidth() >= width && page.GetHeight() >= height;
}

// The depths at which effects work on pixels themselves.
inline bool DrawnPerPixel(int bitCount) { return bitCount == 15 || bitCount == 16 || bitCount == 32; }

}  // namespace vorn
