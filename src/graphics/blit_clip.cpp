#include <cmath>

#include "graphics/custom_dibx.h"
#include "graphics/surface_clip.h"

namespace vorn {

using surface_clip::Saturate32;

namespace surface_clip {

TRect DrawLimit(TCustomDIBX& surface) {
  const TRect bounds{0, 0, std::max(surface.GetWidth(), 0), std::max(surface.GetHeight(), 0)};
  return Intersect(surface.GetDirtyRect(), bounds);
}

bool ClipSourceToBounds(int sourceWidth, int sourceHeight, TRect& srcRect, std::int64_t& x,
                        std::int64_t& y, bool flipH, bool flipV) {
  if (sourceWidth <= 0 || sourceHeight <= 0) return false;
  if (srcRect.left < 0) {
    if (!flipH) x += -static_cast<std::int64_t>(srcRect.left);
    srcRect.left = 0;
  }
  if (srcRect.right > sourceWidth) {
    if (flipH) x += static_cast<std::int64_t>(srcRect.right) - sourceWidth;
    srcRect.right = sourceWidth;
  }
  if (srcRect.top < 0) {
    if (!flipV) y += -static_cast<std::int64_t>(srcRect.top);
    srcRect.top = 0;
  }
  if (srcRect.bottom > sourceHeight) {
    if (flipV) y += static_cast<std::int64_t>(srcRect.bottom) - sourceHeight;
    srcRect.bottom = sourceHeight;
  }
  return srcRect.left < srcRect.right && srcRect.top < srcRect.bottom;
}

void ClipBlitAxis(std::int64_t cLow, std::int64_t cHigh, std::int32_t& dLow, std::int32_t& dHigh,
                  std::int32_t& sLow, std::int32_t& sHigh, bool flip) {
  std::int64_t dl = dLow, sl = sLow, sh = sHigh;
  if (dl < cLow) {
    const std::int64_t k = cLow - dl;
    if (flip) sh -= k; else sl += k;
    dl = cLow;
  }
  if (dl + (sh - sl) > cHigh) {
    if (flip) sl = sh - (cHigh - dl); else sh = sl + (cHigh - dl);
    dHigh = Saturate32(cHigh);
  }
  dLow = Saturate32(dl);
  sLow = Saturate32(sl);
  sHigh = Saturate32(sh);
}

bool ClipOneToOne(const TRect& clip, std::int64_t x, std::int64_t y, int sourceWidth,
                  int sourceHeight, const TRect& srcRect, bool flipH, bool flipV, TRect& destOut,
                  TRect& srcOut) {
  TRect s = srcRect;
  if (!ClipSourceToBounds(sourceWidth, sourceHeight, s, x, y, flipH, flipV)) return false;
  TRect d{Saturate32(x), Saturate32(y), Saturate32(x + (s.right - s.left)),
          Saturate32(y + (s.bottom - s.top))};
  ClipBlitAxis(clip.left, clip.right, d.left, d.right, s.left, s.right, flipH);
  ClipBlitAxis(clip.top, clip.bottom, d.top, d.bottom, s.top, s.bottom, flipV);
  if (d.left >= d.right || d.top >= d.bottom) return false;
  if (s.left >= s.right || s.top >= s.bottom) return false;
  destOut = d;
  srcOut = s;
  return true;
}

}  // namespace surface_clip

bool TCustomDIBX::ClipBlit(TRect& destRect, TRect& srcRect, bool flipH, bool flipV) {
  using surface_clip::ClipBlitAxis;
  const TRect c = surface_clip::DrawLimit(*this);
  ClipBlitAxis(c.left, c.right, destRect.left, destRect.right, srcRect.left, srcRect.right, flipH);
  ClipBlitAxis(c.top, c.bottom, destRect.top, destRect.bottom, srcRect.top, srcRect.bottom,
               flipV);
  return destRect.left < destRect.right && destRect.top < destRect.bottom;
}

namespace {

void ClipStretchAxis(std::int64_t cLow, std::int64_t cHigh, std::int32_t& dLow,
                     std::int32_t& dHigh, std::int32_t& sLow, std::int32_t& sHigh, bool flip,
                     double step, double& frac) {
  if (dLow < cLow) {
    const double t = static_cast<double>(cLow - dLow) * step;
    const double whole = std::trunc(t);
    frac = t - whole;
    const std::int64_t k = static_cast<std::int64_t>(whole);
    if (flip) sHigh = Saturate32(sHigh - k); else sLow = Saturate32(sLow + k);
    dLow = Saturate32(cLow);
  }
  if (cHigh < dHigh) {
    const double t = static_cast<double>(cHigh - dLow) * step;
    const std::int64_t k = static_cast<std::int64_t>(std::trunc(t));
    if (flip) sLow = Saturate32(sHigh - k); else sHigh = Saturate32(sLow + k);
    dHigh = Saturate32(cHigh);
  }
}

}  // namespace

bool TCustomDIBX::ClipStretchBlit(TRect& destRect, TRect& srcRect, bool flipH, bool flipV,
                                  double& stepX, double& stepY, double& fracX, double& fracY) {
  fracX = 0;
  fracY = 0;
  const std::int64_t dw = static_cast<std::int64_t>(destRect.right) - destRect.left;
  const std::int64_t dh = static_cast<std::int64_t>(destRect.bottom) - destRect.top;
  if (dw < 1 || dh < 1) return false;
  stepX = static_cast<double>(static_cast<std::int64_t>(srcRect.right) - srcRect.left) /
          static_cast<double>(dw);
  stepY = static_cast<double>(static_cast<std::int64_t>(srcRect.bottom) - srcRect.top) /
          static_cast<double>(dh);
  const TRect c = surface_clip::DrawLimit(*this);
  ClipStretchAxis(c.left, c.right, destRect.left, destRect.right, srcRect.left, srcRect.right,
                  flipH, stepX, fracX);
  ClipStretchAxis(c.top, c.bottom, destRect.top, destRect.bottom, srcRect.top, srcRect.bottom,
                  flipV, stepY, fracY);
  const bool result = destRect.left < destRect.right && destRect.top < destRect.bottom;
  if (result) {
    if (flipH) stepX = -stepX;
    if (flipV) stepY = -stepY;
  }
  return result;
}

namespace {

void ClipShrinkAxis(std::int64_t cLow, std::int64_t cHigh, std::int32_t& dLow,
                    std::int32_t& dHigh, std::int32_t& sLow, std::int32_t& sHigh, bool flip,
                    std::int64_t step) {
  if (dLow < cLow) {
    const std::int64_t k = (cLow - dLow) * step;
    if (flip) sHigh = Saturate32(sHigh - k); else sLow = Saturate32(sLow + k);
    dLow = Saturate32(cLow);
  }
  if (cHigh < dHigh) {
    const std::int64_t k = (cHigh - dLow) * step;
    if (flip) sLow = Saturate32(sHigh - k); else sHigh = Saturate32(sLow + k);
    dHigh = Saturate32(cHigh);
  }
}

}  // namespace

bool TCustomDIBX::ClipShrinkBlit(TRect& destRect, TRect& srcRect, bool flipH, bool flipV,
                                 int& stepX, int& stepY) {
  const std::int64_t dw = static_cast<std::int64_t>(destRect.right) - destRect.left;
  const std::int64_t dh = static_cast<std::int64_t>(destRect.bottom) - destRect.top;
  if (dw < 1 || dh < 1) return false;
  stepX = Saturate32((static_cast<std::int64_t>(srcRect.right) - srcRect.left) / dw);
  stepY = Saturate32((static_cast<std::int64_t>(srcRect.bottom) - srcRect.top) / dh);
  const TRect c = surface_clip::DrawLimit(*this);
  ClipShrinkAxis(c.left, c.right, destRect.left, destRect.right, srcRect.left, srcRect.right,
                 flipH, stepX);
  ClipShrinkAxis(c.top, c.bottom, destRect.top, destRect.bottom, srcRect.top, srcRect.bottom,
                 flipV, stepY);
  const bool result = destRect.left < destRect.right && destRect.top < destRect.bottom;
  if (result) {
    if (flipH) stepX = -stepX;
    if (flipV) stepY = -stepY;
  }
  return result;
}

bool TCustomDIBX::ClipTiledBlit(TRect& destRect, bool, bool, int& offsetX, int& offsetY) {
  if (static_cast<std::int64_t>(destRect.right) - destRect.left <= 0 ||
      static_cast<std::int64_t>(destRect.bottom) - destRect.top <= 0)
    return false;
  const TRect c = surface_clip::DrawLimit(*this);
  if (destRect.left < c.left) {
    offsetX = Saturate32(static_cast<std::int64_t>(offsetX) + c.left - destRect.left);
    destRect.left = c.left;
  }
  if (destRect.top < c.top) {
    offsetY = Saturate32(static_cast<std::int64_t>(offsetY) + c.top - destRect.top);
    destRect.top = c.top;
  }
  destRect.right = std::min(destRect.right, c.right);
  destRect.bottom = std::min(destRect.bottom, c.bottom);
  return destRect.left < destRect.right && destRect.top < destRect.bottom;
}

}  // namespace vorn
