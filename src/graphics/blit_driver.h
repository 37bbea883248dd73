#pragma once

// The common frame of the one-to-one drawing operations: clip, lock, walk. Internal to
// src/graphics.

#include <cstddef>
#include <cstdint>

#include "graphics/blit_common.h"
#include "graphics/surface_clip.h"

namespace vorn::blit {

// Depths whose pixels sit whole bytes apart in memory.
inline bool IsByteDepth(int bitCount) {
  return bitCount == 8 || bitCount == 15 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}
inline bool IsPackedDepth(int bitCount) { return bitCount == 1 || bitCount == 4; }
inline bool IsDrawableDepth(int bitCount) { return IsByteDepth(bitCount) || IsPackedDepth(bitCount); }

// The source key as the raw pixel bits it is compared with, or no key.
struct Key {
  bool active = false;
  std::uint32_t value = 0;

  static Key Of(TCustomDIBX& source, bool use) {
    Key k;
    k.active = use && source.ColorKey != -1;
    k.value = static_cast<std::uint32_t>(source.ColorKey) &
              RawPixelMask(source.GetBytesPerPixel() > 0 ? source.GetBytesPerPixel() : 4);
    return k;
  }
  bool Skips(std::uint32_t s) const { return active && s == value; }
};

// A one-to-one blit after clipping: destination rectangle, source rectangle of the same size.
struct BlitArea {
  TRect dest{};
  TRect src{};
  int Width() const { return src.right - src.left; }
  int Height() const { return src.bottom - src.top; }
};

// Clips srcRect to the source, then destination and source together against the destination's
// limit. False when nothing is left to draw.
inline bool PrepareBlit(TCustomDIBX& dest, int x, int y, int sourceWidth, int sourceHeight,
                        const TRect& srcRect, bool flipH, bool flipV, BlitArea& area) {
  return surface_clip::ClipOneToOne(surface_clip::DrawLimit(dest), x, y, sourceWidth,
                                    sourceHeight, srcRect, flipH, flipV, area.dest, area.src);
}

// An 8-bit mask that covers the source rectangle it weighs.
inline bool MaskCovers(TCustomDIBX* mask, const TRect& srcRect) {
  return mask != nullptr && mask->GetBitCount() == 8 && srcRect.left >= 0 && srcRect.top >= 0 &&
         mask->GetWidth() >= srcRect.right && mask->GetHeight() >= srcRect.bottom;
}

// Row pointers and steps of a locked one-to-one blit.
struct RowWalk {
  std::uint8_t* dp = nullptr;
  const std::uint8_t* sp = nullptr;
  const std::uint8_t* mp = nullptr;
  std::ptrdiff_t destPitch = 0;
  std::ptrdiff_t sourcePitch = 0;
  std::ptrdiff_t maskPitch = 0;
  int dx = 1;
  int w = 0;
  int h = 0;
};

// DB and SB are the bytes per pixel when known at compile time, else 0 and the run-time sizes.
template <int DB, int SB, class Op>
void WalkRows(const RowWalk& k, Op&& op, int destBpp = DB, int sourceBpp = SB) {
  if constexpr (DB != 0) destBpp = DB;
  if constexpr (SB != 0) sourceBpp = SB;
  const std::ptrdiff_t sourceStep = static_cast<std::ptrdiff_t>(sourceBpp) * k.dx;
  for (int j = 0; j < k.h; ++j) {
    std::uint8_t* drow = k.dp + k.destPitch * j;
    const std::uint8_t* srow = k.sp + k.sourcePitch * j;
    const std::uint8_t* mrow = k.mp != nullptr ? k.mp + k.maskPitch * j : nullptr;
    for (int i = 0; i < k.w; ++i) {
      const std::uint32_t m = mrow != nullptr ? mrow[static_cast<std::ptrdiff_t>(i) * k.dx] : 255u;
      std::uint8_t* dpix = drow + static_cast<std::ptrdiff_t>(i) * destBpp;
      std::uint32_t d = ReadPixel(dpix, destBpp);
      if (op(d, ReadPixel(srow + sourceStep * i, sourceBpp), m)) WritePixel(dpix, destBpp, d);
    }
  }
}

// Walks a clipped one-to-one blit. op(d, s, m) returns true when it changed d; m is the mask
// value at the source position (255 without a mask). Source rows are read through the source's
// own pitch and bytes per pixel, so formats that differ never read outside the source.
template <class Op>
void RunBlit(TCustomDIBX& dest, TCustomDIBX& source, TCustomDIBX* mask, const BlitArea& area,
             bool flipH, bool flipV, Op&& op) {
  const int w = area.Width();
  const int h = area.Height();
  const int sx0 = flipH ? area.src.right - 1 : area.src.left;
  const int sy0 = flipV ? area.src.bottom - 1 : area.src.top;
  const int dx = flipH ? -1 : 1;
  const int dy = flipV ? -1 : 1;
  const int destBits = dest.GetBitCount();
  const int sourceBits = source.GetBitCount();
  if (!IsDrawableDepth(destBits) || !IsDrawableDepth(sourceBits)) return;

  if (IsPackedDepth(destBits) || IsPackedDepth(sourceBits)) {
    // Sub-byte pixels: through the surfaces' own pixel access.
    for (int j = 0; j < h; ++j) {
      const int sy = sy0 + j * dy;
      for (int i = 0; i < w; ++i) {
        const int sx = sx0 + i * dx;
        const std::uint32_t m = mask != nullptr ? (mask->GetPixel(sx, sy) & 0xFFu) : 255u;
        std::uint32_t d = dest.GetPixel(area.dest.left + i, area.dest.top + j);
        if (op(d, source.GetPixel(sx, sy), m)) dest.SetPixel(area.dest.left + i, area.dest.top + j, d);
      }
    }
    return;
  }

  LockGuard destGuard;
  std::uint8_t* dp = destGuard.Lock(dest, area.dest.left, area.dest.top);
  if (dp == nullptr) return;
  LockGuard sourceGuard;
  const std::uint8_t* sp = sourceGuard.Lock(source, sx0, sy0);
  if (sp == nullptr) return;
  LockGuard maskGuard;
  const std::uint8_t* mp = nullptr;
  std::ptrdiff_t maskPitch = 0;
  if (mask != nullptr) {
    mp = maskGuard.Lock(*mask, sx0, sy0);
    if (mp == nullptr) return;
    maskPitch = static_cast<std::ptrdiff_t>(mask->GetPitch()) * dy;
  }
  RowWalk walk;
  walk.dp = dp;
  walk.sp = sp;
  walk.mp = mp;
  walk.destPitch = dest.GetPitch();
  walk.sourcePitch = static_cast<std::ptrdiff_t>(source.GetPitch()) * dy;
  walk.maskPitch = maskPitch;
  walk.dx = dx;
  walk.w = w;
  walk.h = h;
  const int destBpp = dest.GetBytesPerPixel();
  const int sourceBpp = source.GetBytesPerPixel();
  // The pixel size is made a constant of the loop for the formats that share one.
  if (destBpp == sourceBpp) {
    switch (destBpp) {
      case 1:
        return WalkRows<1, 1>(walk, op);
      case 2:
        return WalkRows<2, 2>(walk, op);
      case 3:
        return WalkRows<3, 3>(walk, op);
      case 4:
        return WalkRows<4, 4>(walk, op);
      default:
        return;
    }
  }
  WalkRows<0, 0>(walk, op, destBpp, sourceBpp);
}

// Walks every pixel of a destination rectangle already clipped to the surface.
template <class Op>
void RunFill(TCustomDIBX& dest, const TRect& area, Op&& op) {
  const int bits = dest.GetBitCount();
  if (IsPackedDepth(bits)) {
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) {
        std::uint32_t d = dest.GetPixel(x, y);
        if (op(d)) dest.SetPixel(x, y, d);
      }
    return;
  }
  if (!IsByteDepth(bits)) return;
  LockGuard guard;
  std::uint8_t* p = guard.Lock(dest, area.left, area.top);
  if (p == nullptr) return;
  const int bpp = dest.GetBytesPerPixel();
  const std::ptrdiff_t pitch = dest.GetPitch();
  const int w = area.right - area.left;
  for (int j = 0; j < area.bottom - area.top; ++j) {
    std::uint8_t* row = p + pitch * j;
    for (int i = 0; i < w; ++i) {
      std::uint8_t* px = row + static_cast<std::ptrdiff_t>(i) * bpp;
      std::uint32_t d = ReadPixel(px, bpp);
      if (op(d)) WritePixel(px, bpp, d);
    }
  }
}

}  // namespace vorn::blit

namespace vorn::blit {

// Random access to a surface's pixels by coordinates, for the operations that do not walk the
// source in step with the destination. Coordinates outside the surface must be rejected by the
// caller through Contains.
class PixelView {
 public:
  // Locks the surface; Valid() is false when it has no drawable pixels.
  explicit PixelView(TCustomDIBX& surface) : surface_(surface) {
    bits_ = surface.GetBitCount();
    width_ = surface.GetWidth();
    height_ = surface.GetHeight();
    if (width_ <= 0 || height_ <= 0 || !IsDrawableDepth(bits_)) return;
    packed_ = IsPackedDepth(bits_);
    if (packed_) {
      valid_ = true;
      return;
    }
    base_ = guard_.Lock(surface, 0, 0);
    if (base_ == nullptr) return;
    pitch_ = surface.GetPitch();
    bpp_ = surface.GetBytesPerPixel();
    valid_ = true;
  }

  bool Valid() const { return valid_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Bits() const { return bits_; }
  bool Contains(std::int64_t x, std::int64_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  std::uint32_t Get(int x, int y) const {
    if (packed_) return surface_.GetPixel(x, y);
    return ReadPixel(base_ + pitch_ * y + static_cast<std::ptrdiff_t>(x) * bpp_, bpp_);
  }
  void Set(int x, int y, std::uint32_t v) {
    if (packed_) {
      surface_.SetPixel(x, y, v);
      return;
    }
    WritePixel(base_ + pitch_ * y + static_cast<std::ptrdiff_t>(x) * bpp_, bpp_, v);
  }

 private:
  TCustomDIBX& surface_;
  LockGuard guard_;
  std::uint8_t* base_ = nullptr;
  std::ptrdiff_t pitch_ = 0;
  int bpp_ = 0;
  int bits_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool packed_ = false;
  bool valid_ = false;
};

}  // namespace vorn::blit

namespace vorn::blit {

// Row-wise walk for the 32-bit vector loops: both surfaces 32-bit, no horizontal flip, and not
// one surface drawn onto itself (the vector loops read ahead of what they write). Returns false
// when these do not hold, so that the caller takes its per-pixel loop.
template <class Row>
bool RunRows32(TCustomDIBX& dest, TCustomDIBX& source, const BlitArea& area, bool flipH,
               bool flipV, Row&& row) {
  if (flipH || &dest == &source || dest.GetBitCount() != 32 || source.GetBitCount() != 32)
    return false;
  const int sy0 = flipV ? area.src.bottom - 1 : area.src.top;
  LockGuard destGuard;
  std::uint8_t* dp = destGuard.Lock(dest, area.dest.left, area.dest.top);
  if (dp == nullptr) return true;
  LockGuard sourceGuard;
  const std::uint8_t* sp = sourceGuard.Lock(source, area.src.left, sy0);
  if (sp == nullptr) return true;
  const std::ptrdiff_t destPitch = dest.GetPitch();
  const std::ptrdiff_t sourcePitch = static_cast<std::ptrdiff_t>(source.GetPitch()) * (flipV ? -1 : 1);
  for (int j = 0; j < area.Height(); ++j)
    row(reinterpret_cast<std::uint32_t*>(dp + destPitch * j),
        reinterpret_cast<const std::uint32_t*>(sp + sourcePitch * j), area.Width());
  return true;
}

// RunRows32 with an 8-bit mask read at the source positions: row(d, s, m, n).
template <class Row>
bool RunMaskRows32(TCustomDIBX& dest, TCustomDIBX& source, TCustomDIBX& mask, const BlitArea& area,
                   bool flipH, bool flipV, Row&& row) {
  if (flipH || &dest == &source || dest.GetBitCount() != 32 || source.GetBitCount() != 32 ||
      mask.GetBitCount() != 8)
    return false;
  const int sy0 = flipV ? area.src.bottom - 1 : area.src.top;
  LockGuard destGuard;
  std::uint8_t* dp = destGuard.Lock(dest, area.dest.left, area.dest.top);
  if (dp == nullptr) return true;
  LockGuard sourceGuard;
  const std::uint8_t* sp = sourceGuard.Lock(source, area.src.left, sy0);
  if (sp == nullptr) return true;
  LockGuard maskGuard;
  const std::uint8_t* mp = maskGuard.Lock(mask, area.src.left, sy0);
  if (mp == nullptr) return true;
  const std::ptrdiff_t step = flipV ? -1 : 1;
  const std::ptrdiff_t destPitch = dest.GetPitch();
  const std::ptrdiff_t sourcePitch = static_cast<std::ptrdiff_t>(source.GetPitch()) * step;
  const std::ptrdiff_t maskPitch = static_cast<std::ptrdiff_t>(mask.GetPitch()) * step;
  for (int j = 0; j < area.Height(); ++j)
    row(reinterpret_cast<std::uint32_t*>(dp + destPitch * j),
        reinterpret_cast<const std::uint32_t*>(sp + sourcePitch * j), mp + maskPitch * j,
        area.Width());
  return true;
}

}  // namespace vorn::blit
