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

// One axis of the one-to-one clip against [cLow, cHigh): the destination edge that leaves the
// range moves the source edge with it (the far one when flipped). In 64 bits, so positions near
// the int32 limits never wrap around into the range.
void ClipBlitAxis(std::int64_t cLow, std::int64_t cHigh, std::int32_t& dLow, std::int32_t& dHigh,
                  std::int32_t& sLow, std::int32_t& sHigh, bool flip);

// The whole one-to-one clip of srcRect drawn at (x, y): first to the source's bounds, then to
// clip. Fills the destination and source rectangles of what is left; false when nothing is.
bool ClipOneToOne(const TRect& clip, std::int64_t x, std::int64_t y, int sourceWidth,
                  int sourceHeight, const TRect& srcRect, bool flipH, bool flipV, TRect& destOut,
                  TRect& srcOut);

}  // namespace surface_clip
}  // namespace vorn
