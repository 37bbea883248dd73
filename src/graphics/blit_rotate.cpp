#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "graphics/blit_driver.h"
#include "graphics/custom_dibx.h"

namespace vorn {

using namespace blit;

namespace {

struct Bounds64 {
  std::int64_t left, top, right, bottom;
};

std::int64_t TruncTo64(double v) {
  constexpr double kLimit = 4.0e18;
  if (!(v > -kLimit)) return static_cast<std::int64_t>(-kLimit);
  if (!(v < kLimit)) return static_cast<std::int64_t>(kLimit);
  return static_cast<std::int64_t>(std::trunc(v));
}

// The destination rectangle a turned and zoomed source rectangle of w x h can touch.
Bounds64 RotatedBounds(int x, int y, int pivotX, int pivotY, int angle, std::int64_t w,
                       std::int64_t h, double zx, double zy) {
  const double theta = angle * 2.0 * std::numbers::pi / 256.0;
  const double c = std::cos(theta), s = std::sin(theta);
  const double ox = zx * pivotX, oy = zy * pivotY;
  const double us[4] = {-ox, zx * w - ox - 1, -ox, zx * w - ox - 1};
  const double vs[4] = {-oy, -oy, zy * h - oy - 1, zy * h - oy - 1};
  double minU = 0, maxU = 0, minV = 0, maxV = 0;
  for (int i = 0; i < 4; ++i) {
    const double u = us[i] * c - vs[i] * s + x;
    const double v = us[i] * s + vs[i] * c + y;
    if (i == 0 || u < minU) minU = u;
    if (i == 0 || u > maxU) maxU = u;
    if (i == 0 || v < minV) minV = v;
    if (i == 0 || v > maxV) maxV = v;
  }
  return Bounds64{TruncTo64(minU), TruncTo64(minV), TruncTo64(maxU + 1), TruncTo64(maxV + 1)};
}

// Walks every destination pixel of a rotate-and-zoom blit that samples inside srcRect.
// op(d, sx, sy) returns true when it changed d.
template <class Op>
void RunRotate(TCustomDIBX& dest, int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
               const TRect& srcRect, int pivotX, int pivotY, int angle, bool flipH, bool flipV,
               Op&& op) {
  const double zx = zoomX / 256.0, zy = zoomY / 256.0;
  const double theta = angle * 2.0 * std::numbers::pi / 256.0;
  const double c = std::cos(-theta), s = std::sin(-theta);
  const std::int64_t dxx = TruncTo64(c / zx * 65536.0);
  const std::int64_t dxy = TruncTo64(s / zy * 65536.0);
  const std::int64_t dyx = TruncTo64(-s / zx * 65536.0);
  const std::int64_t dyy = TruncTo64(c / zy * 65536.0);
  const std::int64_t w = static_cast<std::int64_t>(srcRect.right) - srcRect.left;
  const std::int64_t h = static_cast<std::int64_t>(srcRect.bottom) - srcRect.top;
  const Bounds64 b = RotatedBounds(x, y, pivotX, pivotY, angle, w, h, zx, zy);
  const TRect clip = surface_clip::DrawLimit(dest);
  if (!(b.left < clip.right && clip.left < b.right && b.top < clip.bottom && clip.top < b.bottom))
    return;
  const int rowFrom = static_cast<int>(std::max<std::int64_t>(b.top, clip.top));
  const int rowTo = static_cast<int>(std::min<std::int64_t>(b.bottom, clip.bottom));
  const int colFrom = static_cast<int>(std::max<std::int64_t>(b.left, clip.left));
  const int colTo = static_cast<int>(std::min<std::int64_t>(b.right, clip.right));
  // Samples come from the rectangle asked for, inside the source.
  const TRect limit =
      surface_clip::Intersect(srcRect, TRect{0, 0, source.GetWidth(), source.GetHeight()});
  if (surface_clip::IsEmptyRect(limit)) return;
  for (int py = rowFrom; py < rowTo; ++py) {
    const std::int64_t ry = static_cast<std::int64_t>(py) - y;
    for (int px = colFrom; px < colTo; ++px) {
      const std::int64_t rx = static_cast<std::int64_t>(px) - x;
      const std::int64_t sxPos = static_cast<std::int64_t>(pivotX) * 65536 + rx * dxx + ry * dyx;
      const std::int64_t syPos = static_cast<std::int64_t>(pivotY) * 65536 + rx * dxy + ry * dyy;
      if (sxPos < 0 || syPos < 0) continue;
      std::int64_t sx = sxPos >> 16, sy = syPos >> 16;
      if (flipH) sx = static_cast<std::int64_t>(srcRect.right) - sx - 1;
      if (flipV) sy = static_cast<std::int64_t>(srcRect.bottom) - sy - 1;
      if (sx < limit.left || sx >= limit.right || sy < limit.top || sy >= limit.bottom) continue;
      op(px, py, static_cast<int>(sx), static_cast<int>(sy));
    }
  }
}

bool IsRotateDepth(int bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

void TCustomDIBX::DrawRotate(int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
                             const TRect& srcRect, int pivotX, int pivotY, int angle, bool useKey,
                             bool flipH, bool flipV, std::uint32_t opacity) {
  if (opacity == 0 || zoomX <= 0 || zoomY <= 0) return;
  if (!IsRotateDepth(GetBitCount())) return;
  PixelView dv(*this);
  if (!dv.Valid()) return;
  PixelView sv(source);
  if (!sv.Valid()) return;
  const Key key = Key::Of(source, useKey);
  const Channels c = Channels::Of(*this);
  const std::uint32_t low = opacity & 255u;
  RunRotate(*this, x, y, zoomX, zoomY, source, srcRect, pivotX, pivotY, angle, flipH, flipV,
            [&](int px, int py, int sx, int sy) {
              const std::uint32_t s = sv.Get(sx, sy);
              if (key.Skips(s)) return;
              if (opacity == 255) {
                dv.Set(px, py, s);
              } else if (opacity < 255) {
                dv.Set(px, py, Blend(dv.Get(px, py), s, opacity, c));
              } else {
                dv.Set(px, py, WeightedAdd(dv.Get(px, py), s, low, c));
              }
            });
}

void TCustomDIBX::DrawRotateMask(int x, int y, int zoomX, int zoomY, TCustomDIBX& source,
                                 const TRect& srcRect, int pivotX, int pivotY, int angle,
                                 bool flipH, bool flipV, TCustomDIBX* mask,
                                 std::uint32_t opacity) {
  if (opacity == 0 || zoomX <= 0 || zoomY <= 0 || mask == nullptr) return;
  if (!IsRotateDepth(GetBitCount())) return;
  const TRect limit =
      surface_clip::Intersect(srcRect, TRect{0, 0, source.GetWidth(), source.GetHeight()});
  if (!MaskCovers(mask, limit)) return;
  PixelView dv(*this);
  if (!dv.Valid()) return;
  PixelView sv(source);
  if (!sv.Valid()) return;
  PixelView mv(*mask);
  if (!mv.Valid()) return;
  const Channels c = Channels::Of(*this);
  const std::uint32_t low = opacity & 255u;
  RunRotate(*this, x, y, zoomX, zoomY, source, srcRect, pivotX, pivotY, angle, flipH, flipV,
            [&](int px, int py, int sx, int sy) {
              std::uint32_t m = mv.Get(sx, sy) & 0xFFu;
              if (m == 0) return;
              if (low != 255) m = (m * low) >> 8;
              const std::uint32_t s = sv.Get(sx, sy);
              const std::uint32_t d = dv.Get(px, py);
              dv.Set(px, py, opacity >= 256 ? WeightedAdd(d, s, m, c) : Blend(d, s, m, c));
            });
}

void RotatedBlitSetup(int x, int y, int pivotX, int pivotY, int angle, const TRect& srcRect,
                      int zoomX, int zoomY, int sourceWidth, int sourceHeight, bool flipH,
                      bool flipV, TRect& result) {
  if (flipH) pivotX = surface_clip::Saturate32(static_cast<std::int64_t>(sourceWidth) - pivotX - 1);
  if (flipV) pivotY = surface_clip::Saturate32(static_cast<std::int64_t>(sourceHeight) - pivotY - 1);
  const std::int64_t w = static_cast<std::int64_t>(srcRect.right) - srcRect.left;
  const std::int64_t h = static_cast<std::int64_t>(srcRect.bottom) - srcRect.top;
  const Bounds64 b = RotatedBounds(x, y, pivotX, pivotY, angle, w, h, zoomX / 256.0, zoomY / 256.0);
  result = TRect{surface_clip::Saturate32(b.left), surface_clip::Saturate32(b.top),
                 surface_clip::Saturate32(b.right), surface_clip::Saturate32(b.bottom)};
}

TRect DrawRotateBounds(int x, int y, int zoomX, int zoomY, const TRect& srcRect, int pivotX,
                       int pivotY, int angle) {
  const std::int64_t w = static_cast<std::int64_t>(srcRect.right) - srcRect.left;
  const std::int64_t h = static_cast<std::int64_t>(srcRect.bottom) - srcRect.top;
  const Bounds64 b =
      RotatedBounds(x, y, pivotX, pivotY, angle, w, h, zoomX / 256.0, zoomY / 256.0);
  return TRect{surface_clip::Saturate32(b.left), surface_clip::Saturate32(b.top),
               surface_clip::Saturate32(b.right), surface_clip::Saturate32(b.bottom)};
}

}  // namespace vorn
