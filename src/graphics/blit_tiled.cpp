#include <algorithm>
#include <cmath>

#include "graphics/blit_driver.h"
#include "graphics/custom_dibx.h"

namespace vorn {

using namespace blit;

namespace {

// Narrows the surface's dirty rectangle to the work area while a tiled operation runs, and puts
// the previous one back afterwards, also when an exception passes.
class WorkArea {
 public:
  WorkArea(TCustomDIBX& surface, const TRect& destRect)
      : surface_(surface), saved_(surface.DirtyRect) {
    area_ = surface_clip::Intersect(destRect, surface_clip::DrawLimit(surface));
    if (!surface_clip::IsEmptyRect(area_)) surface.DirtyRect = area_;
  }
  ~WorkArea() { surface_.DirtyRect = saved_; }
  WorkArea(const WorkArea&) = delete;
  WorkArea& operator=(const WorkArea&) = delete;

  bool Empty() const { return surface_clip::IsEmptyRect(area_); }
  const TRect& Area() const { return area_; }

 private:
  TCustomDIBX& surface_;
  TRect saved_;
  TRect area_{};
};

// The start of the tiling inside the source rectangle along one axis.
std::int64_t WrapAxis(std::int64_t offset, std::int64_t low, std::int64_t high) {
  const std::int64_t w = high - low;
  if (offset >= 0) return low + offset % w;
  const std::int64_t r = (-offset) % w;
  return r == 0 ? low : high - r;
}

// One axis of the 1:1 tiling: calls tile(position, sourceStart, length) for every tile that can
// reach the work area [workLow, workHigh).
template <class Tile>
void TileAxis(std::int64_t destLow, std::int64_t destHigh, std::int64_t workLow,
              std::int64_t workHigh, std::int64_t srcLow, std::int64_t srcHigh,
              std::int64_t start, std::int64_t gap, Tile&& tile) {
  const std::int64_t full = srcHigh - srcLow;
  std::int64_t pos = destLow;
  std::int64_t from = start;
  std::int64_t length = srcHigh - start;
  bool first = true;
  while (pos < destHigh && pos < workHigh) {
    const std::int64_t cut = std::min(length, destHigh - pos);
    if (pos + cut > workLow) tile(pos, from, cut);
    const std::int64_t advance = length + gap;
    if (advance <= 0) break;  // a gap that swallows the tile would never move on
    pos += advance;
    if (first) {
      first = false;
      from = srcLow;
      length = full;
      // Skip whole periods that end before the work area.
      const std::int64_t period = full + gap;
      if (period > 0 && pos + full <= workLow) pos += ((workLow - pos - full) / period) * period;
    }
  }
}

}  // namespace

namespace {

template <class Draw>
void RunTiled(TCustomDIBX& dest, const TRect& destRect, int hGap, int vGap, const TRect& srcRect,
              int offsetX, int offsetY, Draw&& draw) {
  if (srcRect.right <= srcRect.left || srcRect.bottom <= srcRect.top) return;
  WorkArea work(dest, destRect);
  if (work.Empty()) return;
  const TRect& a = work.Area();
  const std::int64_t sx = WrapAxis(offsetX, srcRect.left, srcRect.right);
  const std::int64_t sy = WrapAxis(offsetY, srcRect.top, srcRect.bottom);
  TileAxis(destRect.top, destRect.bottom, a.top, a.bottom, srcRect.top, srcRect.bottom, sy, vGap,
           [&](std::int64_t y, std::int64_t row, std::int64_t height) {
             TileAxis(destRect.left, destRect.right, a.left, a.right, srcRect.left,
                      srcRect.right, sx, hGap,
                      [&](std::int64_t x, std::int64_t col, std::int64_t width) {
                        draw(static_cast<int>(x), static_cast<int>(y),
                             TRect{static_cast<int>(col), static_cast<int>(row),
                                   static_cast<int>(col + width),
                                   static_cast<int>(row + height)});
                      });
           });
}

}  // namespace

void TCustomDIBX::DrawRectTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                                const TRect& srcRect, bool useKey, int offsetX, int offsetY) {
  RunTiled(*this, destRect, hGap, vGap, srcRect, offsetX, offsetY,
           [&](int x, int y, const TRect& r) { DrawRect(x, y, source, r, useKey, false, false); });
}

void TCustomDIBX::DrawOpacityTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                                   const TRect& srcRect, bool useKey, std::uint32_t opacity,
                                   int offsetX, int offsetY) {
  if (opacity == 0) return;
  RunTiled(*this, destRect, hGap, vGap, srcRect, offsetX, offsetY, [&](int x, int y, const TRect& r) {
    DrawOpacity(x, y, source, r, useKey, false, false, opacity);
  });
}

void TCustomDIBX::DrawAddTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                               const TRect& srcRect, bool useKey, std::uint32_t opacity,
                               int offsetX, int offsetY) {
  if (opacity == 0) return;
  RunTiled(*this, destRect, hGap, vGap, srcRect, offsetX, offsetY, [&](int x, int y, const TRect& r) {
    DrawAdd(x, y, source, r, useKey, false, false, opacity);
  });
}

void TCustomDIBX::DrawMaskTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                                const TRect& srcRect, TCustomDIBX* mask, int offsetX,
                                int offsetY) {
  if (mask == nullptr) return;
  RunTiled(*this, destRect, hGap, vGap, srcRect, offsetX, offsetY, [&](int x, int y, const TRect& r) {
    DrawMask(x, y, source, r, false, false, mask);
  });
}

void TCustomDIBX::DrawMaskOpacityTiled(const TRect& destRect, int hGap, int vGap,
                                       TCustomDIBX& source, const TRect& srcRect,
                                       TCustomDIBX* mask, std::uint32_t opacity, int offsetX,
                                       int offsetY) {
  if (mask == nullptr || opacity == 0) return;
  RunTiled(*this, destRect, hGap, vGap, srcRect, offsetX, offsetY, [&](int x, int y, const TRect& r) {
    DrawMaskOpacity(x, y, source, r, false, false, mask, opacity);
  });
}

void TCustomDIBX::DrawMaskAddTiled(const TRect& destRect, int hGap, int vGap, TCustomDIBX& source,
                                   const TRect& srcRect, TCustomDIBX* mask,
                                   std::uint32_t opacity, int offsetX, int offsetY) {
  if (mask == nullptr || opacity == 0) return;
  RunTiled(*this, destRect, hGap, vGap, srcRect, offsetX, offsetY, [&](int x, int y, const TRect& r) {
    DrawMaskAdd(x, y, source, r, false, false, mask, opacity);
  });
}

namespace {

// One axis of the zoomed tiling: calls tile(pixelPosition) for every tile origin (16.16 stepping)
// whose tile can reach the work area.
template <class Tile>
void ZoomedAxis(std::int64_t start, std::int64_t step, std::int64_t tileSize,
                std::int64_t destHigh, std::int64_t workLow, std::int64_t workHigh, Tile&& tile) {
  std::int64_t pos = start;
  const std::int64_t end = std::min(destHigh, workHigh) * 65536;
  // Origins whose tile ends before the work area draw nothing: skip them in one step. Huge tiles
  // at small steps pile up without end (2^33 draws of one pixel column); no real picture needs
  // more than the last kMaxOverlappingTiles of them over any pixel, so older ones are skipped too.
  constexpr std::int64_t kMaxOverlappingTiles = 1024;
  const std::int64_t firstUseful =
      std::max((workLow - tileSize) * 65536, workLow * 65536 - kMaxOverlappingTiles * step);
  if (pos < firstUseful) pos += ((firstUseful - pos) / step) * step;
  for (; pos < end; pos += step) tile(pos / 65536);
}

template <class Draw>
void RunZoomedTiled(TCustomDIBX& dest, const TRect& destRect, int stepX, int stepY, int zoomX,
                    int zoomY, const TRect& srcRect, int offsetX, int offsetY, bool wholePixels,
                    Draw&& draw) {
  if (zoomX <= 0 || zoomY <= 0 || stepX <= 0 || stepY <= 0) return;
  const std::int64_t srcW = static_cast<std::int64_t>(srcRect.right) - srcRect.left;
  const std::int64_t srcH = static_cast<std::int64_t>(srcRect.bottom) - srcRect.top;
  if (srcW <= 0 || srcH <= 0) return;
  // Steps and tiles beyond 2^33 pixels reach past every 32-bit coordinate; capping them there
  // changes no pixel and keeps the 16.16 arithmetic inside 64 bits.
  constexpr double kFar = 8589934592.0;
  const double stepXr = std::min(static_cast<double>(stepX) * zoomX / 256.0, kFar);
  const double stepYr = std::min(static_cast<double>(stepY) * zoomY / 256.0, kFar);
  const std::int64_t tileW = std::max<std::int64_t>(
      1, static_cast<std::int64_t>(std::trunc(std::min(srcW * static_cast<double>(zoomX) / 256.0, kFar))));
  const std::int64_t tileH = std::max<std::int64_t>(
      1, static_cast<std::int64_t>(std::trunc(std::min(srcH * static_cast<double>(zoomY) / 256.0, kFar))));
  std::int64_t x0, y0;
  if (wholePixels) {
    const auto tx = static_cast<std::int64_t>(std::trunc(stepXr));
    const auto ty = static_cast<std::int64_t>(std::trunc(stepYr));
    if (tx <= 0 || ty <= 0) return;
    x0 = offsetX >= 0 ? destRect.left - offsetX % tx : destRect.left - tx - offsetX % tx;
    y0 = offsetY >= 0 ? destRect.top - offsetY % ty : destRect.top - ty - offsetY % ty;
    x0 *= 65536;
    y0 *= 65536;
  } else {
    auto start = [](std::int64_t low, int offset, double step) {
      const double q = offset / step;
      const double f = (q - std::trunc(q)) * step;
      const double back = offset >= 0 ? f : f + step;
      return low * 65536 - static_cast<std::int64_t>(std::nearbyint(back * 65536.0));
    };
    x0 = start(destRect.left, offsetX, stepXr);
    y0 = start(destRect.top, offsetY, stepYr);
  }
  const std::int64_t sx = std::max<std::int64_t>(static_cast<std::int64_t>(std::nearbyint(stepXr * 65536.0)), 0x10000);
  const std::int64_t sy = std::max<std::int64_t>(static_cast<std::int64_t>(std::nearbyint(stepYr * 65536.0)), 0x10000);
  WorkArea work(dest, destRect);
  if (work.Empty()) return;
  const TRect& a = work.Area();
  ZoomedAxis(y0, sy, tileH, destRect.bottom, a.top, a.bottom, [&](std::int64_t y) {
    ZoomedAxis(x0, sx, tileW, destRect.right, a.left, a.right, [&](std::int64_t x) {
      draw(TRect{surface_clip::Saturate32(x), surface_clip::Saturate32(y),
                 surface_clip::Saturate32(x + tileW), surface_clip::Saturate32(y + tileH)});
    });
  });
}

}  // namespace

void TCustomDIBX::StretchDrawTiled(const TRect& destRect, int stepX, int stepY, int zoomX,
                                   int zoomY, TCustomDIBX& source, const TRect& srcRect,
                                   bool useKey, bool flipH, bool flipV, std::uint32_t opacity,
                                   int offsetX, int offsetY) {
  if (opacity == 0) return;
  RunZoomedTiled(*this, destRect, stepX, stepY, zoomX, zoomY, srcRect, offsetX, offsetY, false,
                 [&](const TRect& tile) {
                   if (opacity > 255)
                     StretchDrawAdd(tile, source, srcRect, useKey, flipH, flipV, opacity & 255u);
                   else
                     StretchDraw(tile, source, srcRect, useKey, flipH, flipV, opacity);
                 });
}

void TCustomDIBX::StretchDrawMaskTiled(const TRect& destRect, int stepX, int stepY, int zoomX,
                                       int zoomY, TCustomDIBX& source, const TRect& srcRect,
                                       TCustomDIBX* mask, bool flipH, bool flipV,
                                       std::uint32_t opacity, int offsetX, int offsetY) {
  if (opacity == 0 || mask == nullptr) return;
  RunZoomedTiled(*this, destRect, stepX, stepY, zoomX, zoomY, srcRect, offsetX, offsetY, true,
                 [&](const TRect& tile) {
                   if (opacity > 255)
                     StretchDrawMaskAdd(tile, source, srcRect, flipH, flipV, mask, opacity & 255u);
                   else
                     StretchDrawMask(tile, source, srcRect, flipH, flipV, mask, opacity);
                 });
}

void TCustomDIBX::DrawBorder(const TRect& rect, int width, TCustomDIBX& pattern, int offsetX,
                             int offsetY) {
  if (width <= 0) return;
  const std::int64_t l = rect.left, t = rect.top, r = rect.right, b = rect.bottom, w = width;
  auto edge = [](std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    return TRect{surface_clip::Saturate32(left), surface_clip::Saturate32(top),
                 surface_clip::Saturate32(right), surface_clip::Saturate32(bottom)};
  };
  FillPattern(edge(l, t, r, t + w), pattern, offsetX, offsetY, false, false);
  FillPattern(edge(l, b - w, r, b), pattern, offsetX, offsetY, false, false);
  FillPattern(edge(l, t, l + w, b), pattern, offsetX, offsetY, false, false);
  FillPattern(edge(r - w, t, r, b), pattern, offsetX, offsetY, false, false);
}

}  // namespace vorn
