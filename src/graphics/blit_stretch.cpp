#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "graphics/blit_driver.h"
#include "graphics/custom_dibx.h"

namespace vorn {

using namespace blit;

namespace {

// Walks a stretched blit with 16.16 source stepping. op(d, s, m) returns true when it changed d.
// Samples outside the source rectangle (or the source itself) leave the destination pixel.
template <class Op>
void RunStretch(TCustomDIBX& dest, const TRect& destRect, TCustomDIBX& source,
                const TRect& srcRect, bool flipH, bool flipV, TCustomDIBX* mask, Op&& op) {
  TRect d = destRect;
  TRect s = srcRect;
  double stepX = 0, stepY = 0, fracX = 0, fracY = 0;
  if (!dest.ClipStretchBlit(d, s, flipH, flipV, stepX, stepY, fracX, fracY)) return;
  // Samples must come from the rectangle asked for and from inside the source.
  const TRect sampleLimit =
      surface_clip::Intersect(srcRect, TRect{0, 0, source.GetWidth(), source.GetHeight()});
  if (surface_clip::IsEmptyRect(sampleLimit)) return;
  if (mask != nullptr && !MaskCovers(mask, sampleLimit)) return;

  const auto sx16 = static_cast<std::int64_t>(std::trunc(stepX * 65536.0));
  const auto sy16 = static_cast<std::int64_t>(std::trunc(stepY * 65536.0));
  const auto fx = static_cast<std::int64_t>(std::trunc(fracX * 65536.0));
  const auto fy = static_cast<std::int64_t>(std::trunc(fracY * 65536.0));
  const std::int64_t x0 = flipH ? static_cast<std::int64_t>(s.right) * 65536 - 1 - fx
                                : static_cast<std::int64_t>(s.left) * 65536 + fx;
  std::int64_t y = flipV ? static_cast<std::int64_t>(s.bottom) * 65536 - 1 - fy
                         : static_cast<std::int64_t>(s.top) * 65536 + fy;

  PixelView dv(dest);
  if (!dv.Valid()) return;
  PixelView sv(source);
  if (!sv.Valid()) return;
  std::optional<PixelView> mv;
  if (mask != nullptr) {
    mv.emplace(*mask);
    if (!mv->Valid()) return;
  }
  for (int dy = d.top; dy < d.bottom; ++dy, y += sy16) {
    const std::int64_t sy = y >> 16;
    if (sy < sampleLimit.top || sy >= sampleLimit.bottom) continue;
    std::int64_t x = x0;
    for (int dx = d.left; dx < d.right; ++dx, x += sx16) {
      const std::int64_t sx = x >> 16;
      if (sx < sampleLimit.left || sx >= sampleLimit.right) continue;
      const int isx = static_cast<int>(sx), isy = static_cast<int>(sy);
      const std::uint32_t m = mv ? (mv->Get(isx, isy) & 0xFFu) : 255u;
      std::uint32_t dp = dv.Get(dx, dy);
      if (op(dp, sv.Get(isx, isy), m)) dv.Set(dx, dy, dp);
    }
  }
}

}  // namespace

void TCustomDIBX::StretchDraw(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect,
                              bool useKey, bool flipH, bool flipV, std::uint32_t opacity) {
  if (opacity == 0) return;
  const Key key = Key::Of(source, useKey);
  if (opacity >= 255) {
    RunStretch(*this, destRect, source, srcRect, flipH, flipV, nullptr,
               [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
                 if (key.Skips(s)) return false;
                 d = s;
                 return true;
               });
    return;
  }
  const bool vectorRules = IsVectorDepth(GetBitCount());
  const Channels c = Channels::Of(*this);
  RunStretch(*this, destRect, source, srcRect, flipH, flipV, nullptr,
             [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
               if (key.Skips(s)) return false;
               if (vectorRules && d == s) return false;
               d = Blend(d, s, opacity, c);
               return true;
             });
}

void TCustomDIBX::StretchDrawMask(const TRect& destRect, TCustomDIBX& source,
                                  const TRect& srcRect, bool flipH, bool flipV,
                                  TCustomDIBX* mask, std::uint32_t opacity) {
  if (opacity == 0 || mask == nullptr) return;
  const bool vectorRules = IsVectorDepth(GetBitCount());
  const std::uint32_t full = Weight(opacity);
  const Channels c = Channels::Of(*this);
  RunStretch(*this, destRect, source, srcRect, flipH, flipV, mask,
             [&](std::uint32_t& d, std::uint32_t s, std::uint32_t m) {
               if (m == 0) return false;
               if (vectorRules && d == s) return false;
               d = Blend(d, s, (full * m) >> 8, c);
               return true;
             });
}

void TCustomDIBX::StretchDrawAdd(const TRect& destRect, TCustomDIBX& source,
                                 const TRect& srcRect, bool useKey, bool flipH, bool flipV,
                                 std::uint32_t opacity) {
  if (opacity == 0) return;
  const Key key = Key::Of(source, useKey);
  const std::uint32_t w = AddWeight(opacity);
  const Channels c = Channels::Of(*this);
  RunStretch(*this, destRect, source, srcRect, flipH, flipV, nullptr,
             [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
               if (key.Skips(s)) return false;
               d = WeightedAdd(d, s, w, c);
               return true;
             });
}

void TCustomDIBX::StretchDrawMaskAdd(const TRect& destRect, TCustomDIBX& source,
                                     const TRect& srcRect, bool flipH, bool flipV,
                                     TCustomDIBX* mask, std::uint32_t opacity) {
  if (opacity == 0 || mask == nullptr) return;
  const std::uint32_t full = AddWeight(opacity);
  const Channels c = Channels::Of(*this);
  RunStretch(*this, destRect, source, srcRect, flipH, flipV, mask,
             [&](std::uint32_t& d, std::uint32_t s, std::uint32_t m) {
               if (m == 0) return false;
               d = WeightedAdd(d, s, (full * m) >> 8, c);
               return true;
             });
}

namespace {

// The offsets [from, to) within a block of factor samples starting at start and walking in dir
// whose positions fall inside [low, high).
void BlockRange(std::int64_t start, int dir, int factor, std::int64_t low, std::int64_t high,
                std::int64_t& from, std::int64_t& to) {
  if (dir > 0) {
    from = std::max<std::int64_t>(0, low - start);
    to = std::min<std::int64_t>(factor, high - start);
  } else {
    from = std::max<std::int64_t>(0, start - (high - 1));
    to = std::min<std::int64_t>(factor, start - low + 1);
  }
  if (to < from) to = from;
}

// The reductions share their geometry: factor x factor source blocks per destination pixel,
// walked from the clipped start in the drawing direction.
template <class Pixel>
void RunShrink(TCustomDIBX& dest, int x, int y, TCustomDIBX& source, const TRect& srcRect,
               bool flipH, bool flipV, int factor, Pixel&& pixel) {
  if (factor < 1 || factor > 256) return;
  const int bits = dest.GetBitCount();
  if (!IsVectorDepth(bits)) return;
  const std::int64_t w = (static_cast<std::int64_t>(srcRect.right) - srcRect.left) / factor;
  const std::int64_t h = (static_cast<std::int64_t>(srcRect.bottom) - srcRect.top) / factor;
  TRect d{x, y, surface_clip::Saturate32(x + w), surface_clip::Saturate32(y + h)};
  TRect s = srcRect;
  int stepX = 0, stepY = 0;
  if (!dest.ClipShrinkBlit(d, s, flipH, flipV, stepX, stepY)) return;
  PixelView dv(dest);
  if (!dv.Valid()) return;
  PixelView sv(source);
  if (!sv.Valid()) return;
  const int dirX = flipH ? -1 : 1;
  const int dirY = flipV ? -1 : 1;
  const std::int64_t sx0 = flipH ? static_cast<std::int64_t>(s.right) - 1 : s.left;
  const std::int64_t sy0 = flipV ? static_cast<std::int64_t>(s.bottom) - 1 : s.top;
  // Blocks are read only from the rectangle asked for, inside the source.
  const TRect limit =
      surface_clip::Intersect(srcRect, TRect{0, 0, source.GetWidth(), source.GetHeight()});
  std::vector<std::uint32_t> block;
  block.reserve(static_cast<std::size_t>(factor) * factor);
  for (int j = 0; j < d.bottom - d.top; ++j) {
    const std::int64_t by = sy0 + static_cast<std::int64_t>(j) * factor * dirY;
    for (int i = 0; i < d.right - d.left; ++i) {
      const std::int64_t bx = sx0 + static_cast<std::int64_t>(i) * factor * dirX;
      block.clear();
      std::int64_t u0, u1, v0, v1;
      BlockRange(bx, dirX, factor, limit.left, limit.right, u0, u1);
      BlockRange(by, dirY, factor, limit.top, limit.bottom, v0, v1);
      for (std::int64_t v = v0; v < v1; ++v) {
        const std::int64_t sy = by + v * dirY;
        for (std::int64_t u = u0; u < u1; ++u)
          block.push_back(sv.Get(static_cast<int>(bx + u * dirX), static_cast<int>(sy)));
      }
      const int dx = d.left + i, dy = d.top + j;
      std::uint32_t dp = dv.Get(dx, dy);
      if (pixel(dp, block)) dv.Set(dx, dy, dp);
    }
  }
}

}  // namespace

void TCustomDIBX::DrawShrinkMono(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                                 std::uint32_t color, bool flipH, bool flipV,
                                 std::uint32_t opacity, int factor) {
  if (factor < 1) return;
  const std::uint64_t area = static_cast<std::uint64_t>(factor) * factor;
  const bool wide = GetBitCount() == 32;
  const Channels c = Channels::Of(*this);
  RunShrink(*this, x, y, source, srcRect, flipH, flipV, factor,
            [&](std::uint32_t& d, const std::vector<std::uint32_t>& block) {
              std::uint64_t n = 0;
              for (std::uint32_t bit : block) n += (bit & 1u) == 0;
              const std::uint64_t g = opacity >= 255 ? n : (opacity * n) >> 8;
              const std::uint64_t h = area - g;
              auto channel = [&](std::uint32_t m) {
                return static_cast<std::uint32_t>(((color & m) * g + (d & m) * h) / area) & m;
              };
              if (wide) {
                std::uint32_t out = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                  const std::uint64_t v = (((color >> shift) & 0xFFu) * g +
                                           ((d >> shift) & 0xFFu) * h) / area;
                  out |= static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 255)) << shift;
                }
                d = out;
              } else {
                d = channel(c.r) | channel(c.g) | channel(c.b);
              }
              return true;
            });
}

void TCustomDIBX::DrawShrinkQuad(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                                 const TShrinkColors& colors, int, bool flipH, bool flipV,
                                 std::uint32_t opacity, int factor) {
  if (factor < 1) return;
  const std::uint64_t area = static_cast<std::uint64_t>(factor) * factor;
  const std::uint64_t whole = 256 * area;
  const bool wide = GetBitCount() == 32;
  const Channels c = Channels::Of(*this);
  const std::uint32_t cs[4] = {0, colors.Color1, colors.Color2, colors.Color3};
  RunShrink(*this, x, y, source, srcRect, flipH, flipV, factor,
            [&](std::uint32_t& d, const std::vector<std::uint32_t>& block) {
              std::uint64_t q[4] = {area - block.size(), 0, 0, 0};  // unread counts as background
              for (std::uint32_t v : block) ++q[v & 3u];
              if (q[0] == area) return false;
              if (opacity == 255 && q[1] == area) {
                d = cs[1];
                return true;
              }
              if (opacity == 255 && q[2] == area) {
                d = cs[2];
                return true;
              }
              const std::uint64_t per = opacity == 255 ? 256 : (opacity & 255u);
              const std::uint64_t wk[4] = {0, q[1] * per, q[2] * per, q[3] * per};
              const std::uint64_t rest = whole - wk[1] - wk[2] - wk[3];
              if (wide) {
                std::uint32_t out = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                  std::uint64_t t = rest * ((d >> shift) & 0xFFu);
                  for (int k = 1; k <= 3; ++k) t += wk[k] * ((cs[k] >> shift) & 0xFFu);
                  out |= static_cast<std::uint32_t>(std::min<std::uint64_t>(t / whole, 255))
                         << shift;
                }
                d = out;
                return true;
              }
              const std::uint64_t b = opacity > 255 ? whole : rest;
              auto channel = [&](std::uint32_t m) {
                std::uint64_t t = b * (d & m);
                for (int k = 1; k <= 3; ++k) t += wk[k] * (cs[k] & m);
                if (opacity > 255) t = std::min<std::uint64_t>(t, static_cast<std::uint64_t>(m) * whole);
                return static_cast<std::uint32_t>(t / whole) & m;
              };
              d = channel(c.r) | channel(c.g) | channel(c.b);
              return true;
            });
}

}  // namespace vorn
