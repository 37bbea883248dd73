#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;

namespace surface_clip {

inline std::int32_t Saturate32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

inline bool IsEmptyRect(const TRect& r) { return !(r.left < r.right && r.top < r.bottom); }

inline TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
  if (IsEmptyRect(r)) return TRect{0, 0, 0, 0};
  return r;
}

// The rectangle drawing is limited to: the dirty rectangle (or the bounds), never reaching
// outside the surface's pixels, since the dirty rectangle may be stored unclipped.
TRect DrawLimit(TCustomDIBX& surface);

// Cuts srcRect to the source's own bounds and moves the destination origin (x, y) with it, the
// way the destination clip moves the source, flips respected. False when nothing is left.
bool ClipSourceToBounds(int sourceWidth, int sourceHeight, TRect& srcRect, std::int64_t& x,
                        std::int64_t& y, bool flipH, bool flipV);

}  // namespace surface_clip
}  // namespace vorn
