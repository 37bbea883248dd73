#include <algorithm>
#include <cmath>

#include "graphics/blit_driver.h"
#include "graphics/custom_dibx.h"

namespace vorn {

using namespace blit;

namespace {

// Walks a one-to-one blit from an indexed source: op(d, index) returns true when it changed d.
template <class Op>
void RunIndexed(TCustomDIBX& dest, int x, int y, TCustomDIBX& source, const TRect& srcRect,
                bool flipH, bool flipV, Op&& op) {
  BlitArea area;
  if (!PrepareBlit(dest, x, y, source.GetWidth(), source.GetHeight(), srcRect, flipH, flipV, area))
    return;
  PixelView dv(dest);
  if (!dv.Valid()) return;
  PixelView sv(source);
  if (!sv.Valid()) return;
  const int sx0 = flipH ? area.src.right - 1 : area.src.left;
  const int sy0 = flipV ? area.src.bottom - 1 : area.src.top;
  const int dx = flipH ? -1 : 1;
  const int dy = flipV ? -1 : 1;
  for (int j = 0; j < area.Height(); ++j) {
    for (int i = 0; i < area.Width(); ++i) {
      const std::uint32_t index = sv.Get(sx0 + i * dx, sy0 + j * dy) & 0xFFu;
      std::uint32_t d = dv.Get(area.dest.left + i, area.dest.top + j);
      if (op(d, index)) dv.Set(area.dest.left + i, area.dest.top + j, d);
    }
  }
}

// The byte-wise weighted add of the 32-bit table loops: each byte of the entry scaled by w and
// added with saturation.
std::uint32_t AddScaled4(std::uint32_t d, std::uint32_t entry, std::uint32_t w) {
  std::uint32_t scaled = 0;
  for (int shift = 0; shift < 32; shift += 8)
    scaled |= ((((entry >> shift) & 0xFFu) * w) >> 8) << shift;
  return AddSaturate4(d, scaled);
}

}  // namespace

void TCustomDIBX::DrawTable4(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                             bool flipV, std::uint32_t opacity, const std::uint32_t* table) {
  if (opacity == 0 || table == nullptr || source.GetBitCount() != 4) return;
  const int bits = GetBitCount();
  if (!IsVectorDepth(bits)) return;
  const std::int32_t key = source.ColorKey;
  const Channels c = Channels::Of(*this);
  const std::uint32_t low = opacity & 255u;
  if (bits == 32) {
    RunIndexed(*this, x, y, source, srcRect, flipH, flipV, [&](std::uint32_t& d, std::uint32_t i) {
      if (key != -1 && static_cast<std::int32_t>(i) == key) return false;
      const std::uint32_t e = table[i];
      if (opacity == 255) {
        d = e;
      } else if (opacity > 255) {
        if (e == 0 || d >= 0x00FFFFFFu) return false;
        d = AddScaled4(d, e, low);
      } else {
        d = Blend4(d, e, opacity);
      }
      return true;
    });
    return;
  }
  RunIndexed(*this, x, y, source, srcRect, flipH, flipV, [&](std::uint32_t& d, std::uint32_t i) {
    if (key != -1 && static_cast<std::int32_t>(i) == key) return false;
    const std::uint32_t e = table[i] & 0xFFFFu;
    if (opacity == 255) {
      d = e;
    } else if (opacity > 255) {
      if (e == 0 || d == 0xFFFFu) return false;
      d = WeightedAdd(d, e, low, c);
    } else {
      if (e == d) return false;
      d = Blend(d, e, opacity, c);
    }
    return true;
  });
}

void TCustomDIBX::DrawTableAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                               int threshold, bool flipH, bool flipV, std::uint32_t opacity,
                               const std::uint32_t* table) {
  if (opacity == 0 || table == nullptr || source.GetBitCount() != 8) return;
  const int bits = GetBitCount();
  const std::uint32_t w = AddWeight(opacity);
  const Channels c = Channels::Of(*this);
  if (IsVectorDepth(bits)) {
    RunIndexed(*this, x, y, source, srcRect, flipH, flipV, [&](std::uint32_t& d, std::uint32_t i) {
      if (static_cast<int>(i) < threshold) return false;
      d = WeightedAdd(d, table[i], w, c);
      return true;
    });
    return;
  }
  const std::int64_t key = source.ColorKey;
  RunIndexed(*this, x, y, source, srcRect, flipH, flipV, [&](std::uint32_t& d, std::uint32_t i) {
    if (static_cast<std::int64_t>(i) <= key) return false;
    d = WeightedAdd(d, table[i], w, c);
    return true;
  });
}

void TCustomDIBX::StretchDrawTableAdd(const TRect& destRect, TCustomDIBX& source,
                                      const TRect& srcRect, int threshold, bool flipH,
                                      bool flipV, std::uint32_t opacity,
                                      const std::uint32_t* table) {
  if (opacity == 0 || table == nullptr || source.GetBitCount() != 8) return;
  if (!IsVectorDepth(GetBitCount())) return;
  TRect d = destRect;
  TRect s = srcRect;
  double stepX = 0, stepY = 0, fracX = 0, fracY = 0;
  if (!ClipStretchBlit(d, s, flipH, flipV, stepX, stepY, fracX, fracY)) return;
  const TRect limit =
      surface_clip::Intersect(srcRect, TRect{0, 0, source.GetWidth(), source.GetHeight()});
  if (surface_clip::IsEmptyRect(limit)) return;
  const auto sx16 = static_cast<std::int64_t>(std::trunc(stepX * 65536.0));
  const auto sy16 = static_cast<std::int64_t>(std::trunc(stepY * 65536.0));
  const auto fx = static_cast<std::int64_t>(std::trunc(fracX * 65536.0));
  const auto fy = static_cast<std::int64_t>(std::trunc(fracY * 65536.0));
  const std::int64_t x0 = flipH ? static_cast<std::int64_t>(s.right) * 65536 - 1 - fx
                                : static_cast<std::int64_t>(s.left) * 65536 + fx;
  std::int64_t yPos = flipV ? static_cast<std::int64_t>(s.bottom) * 65536 - 1 - fy
                            : static_cast<std::int64_t>(s.top) * 65536 + fy;
  PixelView dv(*this);
  if (!dv.Valid()) return;
  PixelView sv(source);
  if (!sv.Valid()) return;
  const std::uint32_t w = AddWeight(opacity);
  const Channels c = Channels::Of(*this);
  for (int dy = d.top; dy < d.bottom; ++dy, yPos += sy16) {
    const std::int64_t sy = yPos >> 16;
    if (sy < limit.top || sy >= limit.bottom) continue;
    std::int64_t xPos = x0;
    for (int dx = d.left; dx < d.right; ++dx, xPos += sx16) {
      const std::int64_t sx = xPos >> 16;
      if (sx < limit.left || sx >= limit.right) continue;
      const std::uint32_t i = sv.Get(static_cast<int>(sx), static_cast<int>(sy)) & 0xFFu;
      if (static_cast<int>(i) < threshold) continue;
      dv.Set(dx, dy, WeightedAdd(dv.Get(dx, dy), table[i], w, c));
    }
  }
}

}  // namespace vorn
