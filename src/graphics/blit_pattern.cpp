#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "graphics/blit_driver.h"
#include "graphics/custom_dibx.h"

namespace vorn {

using namespace blit;

namespace {

// offset mod size, made non-negative.
std::int64_t WrapNonNegative(std::int64_t offset, std::int64_t size) {
  std::int64_t r = offset % size;
  if (r < 0) r += size;
  return r;
}

}  // namespace

void TCustomDIBX::FillPattern(const TRect& destRect, TCustomDIBX& pattern, int offsetX,
                              int offsetY, bool flipH, bool flipV) {
  TRect d = destRect;
  int ox = offsetX, oy = offsetY;
  if (!ClipTiledBlit(d, flipH, flipV, ox, oy)) return;
  const std::int64_t w = pattern.GetWidth(), h = pattern.GetHeight();
  if (w <= 0 || h <= 0) return;
  PixelView dv(*this);
  if (!dv.Valid()) return;
  PixelView pv(pattern);
  if (!pv.Valid()) return;
  const std::int64_t cx = WrapNonNegative(ox, w);
  const std::int64_t cy = WrapNonNegative(oy, h);
  const int columns = d.right - d.left;
  // The pattern column of each destination column; a flipped pattern is the mirror image of the
  // whole pattern, repeated (never alternately mirrored).
  std::vector<int> column(static_cast<std::size_t>(columns));
  for (int i = 0; i < columns; ++i) {
    const std::int64_t k = (cx + i) % w;
    column[static_cast<std::size_t>(i)] = static_cast<int>(flipH ? w - 1 - k : k);
  }
  for (int j = 0; j < d.bottom - d.top; ++j) {
    const std::int64_t k = (cy + j) % h;
    const int row = static_cast<int>(flipV ? h - 1 - k : k);
    for (int i = 0; i < columns; ++i)
      dv.Set(d.left + i, d.top + j, pv.Get(column[static_cast<std::size_t>(i)], row));
  }
}

namespace {

// Opacity modes of the zoomed tilings.
struct TileMode {
  enum Kind { kCopy, kBlend, kAdd } kind = kCopy;
  std::uint32_t weight = 0;

  // False when nothing is to be drawn.
  static bool Of(std::uint32_t opacity, TileMode& mode) {
    if (opacity == 0) return false;
    if (opacity < 255) {
      mode = TileMode{kBlend, opacity};
    } else if (opacity == 255) {
      mode = TileMode{kCopy, 255};
    } else {
      mode = TileMode{kAdd, std::min<std::uint32_t>(opacity - 256, 255)};
      if (mode.weight == 0) return false;
    }
    return true;
  }
};

// The 16.16 start position of the zoomed tiling along one axis.
std::int64_t ScaledTileStart(int offset, int zoom, std::int64_t size, bool flip) {
  const double zw = static_cast<double>(size) * zoom / 256.0;
  const double q = offset / zw;
  const double f = q - std::trunc(q);
  double u = f * static_cast<double>(size);
  if (offset < 0) u += static_cast<double>(size);
  if (flip) u = static_cast<double>(size) - u;
  if (u >= static_cast<double>(size)) u -= static_cast<double>(size);
  std::int64_t start = static_cast<std::int64_t>(std::nearbyint(u * 65536.0));
  // Rounding may land on the wrap point itself.
  const std::int64_t span = size * 65536;
  start = WrapNonNegative(start, span);
  return start;
}

template <class Op>
void RunScaledTiled(TCustomDIBX& dest, const TRect& destRect, int zoomX, int zoomY,
                    TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH, bool flipV,
                    TCustomDIBX* mask, Op&& op) {
  if (zoomX <= 0 || zoomY <= 0) return;
  TRect d = destRect;
  int ox = offsetX, oy = offsetY;
  if (!dest.ClipTiledBlit(d, flipH, flipV, ox, oy)) return;
  const std::int64_t w = pattern.GetWidth(), h = pattern.GetHeight();
  if (w <= 0 || h <= 0) return;
  if (mask != nullptr && !MaskCovers(mask, TRect{0, 0, static_cast<int>(w), static_cast<int>(h)}))
    return;
  const std::int64_t spanX = w * 65536, spanY = h * 65536;
  std::int64_t ax = static_cast<std::int64_t>(std::trunc(256.0 / zoomX * 65536.0));
  std::int64_t ay = static_cast<std::int64_t>(std::trunc(256.0 / zoomY * 65536.0));
  ax = std::min(ax, spanX);
  ay = std::min(ay, spanY);
  if (flipH) ax = -ax;
  if (flipV) ay = -ay;
  const std::int64_t startX = ScaledTileStart(ox, zoomX, w, flipH);
  std::int64_t posY = ScaledTileStart(oy, zoomY, h, flipV);

  PixelView dv(dest);
  if (!dv.Valid()) return;
  PixelView pv(pattern);
  if (!pv.Valid()) return;
  std::optional<PixelView> mv;
  if (mask != nullptr) {
    mv.emplace(*mask);
    if (!mv->Valid()) return;
  }
  const int columns = d.right - d.left;
  std::vector<int> column(static_cast<std::size_t>(columns));
  std::int64_t posX = startX;
  for (int i = 0; i < columns; ++i) {
    column[static_cast<std::size_t>(i)] = static_cast<int>(posX >> 16);
    posX += ax;
    if (posX >= spanX) posX -= spanX;
    if (posX < 0) posX += spanX;
  }
  for (int dy = d.top; dy < d.bottom; ++dy) {
    const int row = static_cast<int>(posY >> 16);
    for (int i = 0; i < columns; ++i) {
      const int col = column[static_cast<std::size_t>(i)];
      const std::uint32_t m = mv ? (mv->Get(col, row) & 0xFFu) : 255u;
      std::uint32_t dp = dv.Get(d.left + i, dy);
      if (op(dp, pv.Get(col, row), m)) dv.Set(d.left + i, dy, dp);
    }
    posY += ay;
    if (posY >= spanY) posY -= spanY;
    if (posY < 0) posY += spanY;
  }
}

}  // namespace

void TCustomDIBX::DrawScaledTiled(const TRect& destRect, int zoomX, int zoomY,
                                  TCustomDIBX& pattern, int offsetX, int offsetY, bool useKey,
                                  bool flipH, bool flipV, std::uint32_t opacity) {
  TileMode mode;
  if (!TileMode::Of(opacity, mode)) return;
  const Key key = Key::Of(pattern, useKey);
  const Channels c = Channels::Of(*this);
  RunScaledTiled(*this, destRect, zoomX, zoomY, pattern, offsetX, offsetY, flipH, flipV, nullptr,
                 [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
                   if (key.Skips(s)) return false;
                   switch (mode.kind) {
                     case TileMode::kCopy:
                       d = s;
                       break;
                     case TileMode::kBlend:
                       d = Blend(d, s, mode.weight, c);
                       break;
                     case TileMode::kAdd:
                       d = WeightedAdd(d, s, mode.weight, c);
                       break;
                   }
                   return true;
                 });
}

void TCustomDIBX::DrawScaledTiledMask(const TRect& destRect, int zoomX, int zoomY,
                                      TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH,
                                      bool flipV, TCustomDIBX* mask, std::uint32_t opacity) {
  TileMode mode;
  if (mask == nullptr || !TileMode::Of(opacity, mode)) return;
  const Channels c = Channels::Of(*this);
  RunScaledTiled(*this, destRect, zoomX, zoomY, pattern, offsetX, offsetY, flipH, flipV, mask,
                 [&](std::uint32_t& d, std::uint32_t s, std::uint32_t m) {
                   if (m == 0) return false;
                   const std::uint32_t w = (m * mode.weight) >> 8;
                   d = mode.kind == TileMode::kAdd ? WeightedAdd(d, s, w, c) : Blend(d, s, w, c);
                   return true;
                 });
}

}  // namespace vorn
