#pragma once

// Drawing helpers of the drawn controls (list box, slider, scroll bar, gauge): rectangles in 64
// bits, tiling of a picture part clipped to the drawing rectangle before any piece is made, and
// colour fills and frames by the opacity mode.

#include <cstdint>

#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;
class TPelkItemFrame;

// A rectangle whose edges may lie far outside 32 bits; right and bottom are exclusive.
struct TRect64 {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;

  std::int64_t Width() const { return right - left; }
  std::int64_t Height() const { return bottom - top; }
  bool IsEmpty() const { return !(left < right && top < bottom); }
  bool Contains(std::int64_t x, std::int64_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  static TRect64 Bounds(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
    return {left, top, left + width, top + height};
  }
};

// The part of the rectangle inside clip; false when nothing is left.
bool ClipRect64(const TRect64& rect, const TRect& clip, TRect& result);

// Fills rect with copies of the source part of the frame at the opacity mode alpha. Before
// mirroring, the first column of rect shows source column start_x (modulo the part's width) and
// the first row source line start_y; a flip mirrors the filled rectangle. Only the part inside the
// target's drawing rectangle is drawn, so a huge rectangle costs no more than the visible one.
void PaintTiled(TCustomDIBX& target, const TPelkItemFrame& frame, const TRect& source, const TRect64& rect,
                std::int32_t alpha, bool flip_h, bool flip_v, std::int64_t start_x, std::int64_t start_y);

// A colour fill (frame of the given width) of the rectangle by the opacity mode: 255 opaque,
// 1..254 blended, 256..511 added at (alpha - 256) / 256; nothing for other modes.
void FillByAlpha(TCustomDIBX& target, const TRect& rect, std::int32_t color, std::int32_t alpha);
void FrameByAlpha(TCustomDIBX& target, const TRect& rect, int width, std::int32_t color, std::int32_t alpha);

// Whether the frame's mask (when it has one) counts the picture point (x, y) as inside: value above
// 127. A frame without a mask answers true; a point outside the mask answers false.
bool MaskCovers(const TPelkItemFrame& frame, std::int64_t x, std::int64_t y);

}  // namespace vorn
