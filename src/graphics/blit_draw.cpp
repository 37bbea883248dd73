#include <algorithm>
#include <cstring>

#include "graphics/blit_driver.h"
#include "graphics/blit_vector.h"
#include "graphics/vector_unit.h"
#include "graphics/custom_dibx.h"

namespace vorn {

using namespace blit;

namespace {

// The 32-bit masked blits whose channels are whole bytes go row by row, through the vector loop
// when the unit has one and through its plain twin otherwise. False when the blit is not such a
// case and the caller's per-pixel walk must draw it.
bool RunMaskedRows(TCustomDIBX& dest, TCustomDIBX& source, TCustomDIBX& mask, const BlitArea& area,
                   bool flipH, bool flipV, const Channels& c, const MaskRow& rule) {
  if (!LowByteChannels(c)) return false;
  if (VectorUnitAvailable() && vec::Compiled())
    return RunMaskRows32(dest, source, mask, area, flipH, flipV,
                         [&](std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* m, int n) {
                           vec::MaskRow32(d, s, m, n, rule);
                         });
  return RunMaskRows32(dest, source, mask, area, flipH, flipV,
                       [&](std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* m, int n) {
                         MaskRow32Plain(d, s, m, n, rule);
                       });
}

}  // namespace

void TCustomDIBX::Draw(TCustomDIBX& source) {
  DrawRect(0, 0, source, source.GetBoundsRect(), false, false, false);
}

void TCustomDIBX::DrawRect(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                           bool flipH, bool flipV) {
  const int destBits = GetBitCount();
  if (!IsByteDepth(destBits)) return;
  BlitArea area;
  if (!PrepareBlit(*this, x, y, source.GetWidth(), source.GetHeight(), srcRect, flipH, flipV,
                   area))
    return;
  const Key key = Key::Of(source, useKey);
  const int destBpp = GetBytesPerPixel();
  if (key.active && VectorUnitAvailable() && vec::Compiled() &&
      RunRows32(*this, source, area, flipH, flipV,
                [&](std::uint32_t* d, const std::uint32_t* s, int n) {
                  vec::CopyKeyedRow32(d, s, n, key.value);
                }))
    return;
  if (key.active || flipH || source.GetBitCount() != destBits ||
      source.GetBytesPerPixel() != destBpp) {
    RunBlit(*this, source, nullptr, area, flipH, flipV,
            [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
              if (key.Skips(s)) return false;
              d = s;
              return true;
            });
    return;
  }
  // Plain copy: each row is one memory move (the source may be this surface).
  const int sy0 = flipV ? area.src.bottom - 1 : area.src.top;
  LockGuard destGuard;
  std::uint8_t* dp = destGuard.Lock(*this, area.dest.left, area.dest.top);
  if (dp == nullptr) return;
  LockGuard sourceGuard;
  const std::uint8_t* sp = sourceGuard.Lock(source, area.src.left, sy0);
  if (sp == nullptr) return;
  const std::ptrdiff_t destPitch = GetPitch();
  const std::ptrdiff_t sourcePitch =
      static_cast<std::ptrdiff_t>(source.GetPitch()) * (flipV ? -1 : 1);
  const std::size_t rowBytes = static_cast<std::size_t>(area.Width()) * destBpp;
  for (int j = 0; j < area.Height(); ++j)
    std::memmove(dp + destPitch * j, sp + sourcePitch * j, rowBytes);
}

void TCustomDIBX::DrawMask(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH,
                           bool flipV, TCustomDIBX* mask) {
  BlitArea area;
  if (!PrepareBlit(*this, x, y, source.GetWidth(), source.GetHeight(), srcRect, flipH, flipV,
                   area))
    return;
  if (!MaskCovers(mask, area.src)) return;
  const bool vectorRules = IsVectorDepth(GetBitCount());
  const Channels c = Channels::Of(*this);
  MaskRow rule;
  rule.rule = MaskRule::Copy;
  rule.skipEqual = vectorRules;
  if (RunMaskedRows(*this, source, *mask, area, flipH, flipV, c, rule)) return;
  RunBlit(*this, source, mask, area, flipH, flipV,
          [&](std::uint32_t& d, std::uint32_t s, std::uint32_t m) {
            if (m == 0) return false;
            if (m == 255) {
              d = s;
              return true;
            }
            if (vectorRules && d == s) return false;
            d = Blend(d, s, m, c);
            return true;
          });
}

void TCustomDIBX::DrawOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                              bool useKey, bool flipH, bool flipV, std::uint32_t opacity) {
  if (opacity == 0) return;
  BlitArea area;
  if (!PrepareBlit(*this, x, y, source.GetWidth(), source.GetHeight(), srcRect, flipH, flipV,
                   area))
    return;
  const bool wide = GetBitCount() == 32;
  // The 32-bit loop tests the key only on request; the others whenever the source has one.
  const Key key = Key::Of(source, wide ? useKey : true);
  const std::uint32_t w = Weight(opacity);
  if (wide && VectorUnitAvailable() && vec::Compiled() &&
      RunRows32(*this, source, area, flipH, flipV,
                [&](std::uint32_t* d, const std::uint32_t* s, int n) {
                  vec::BlendRow32(d, s, n, w, key.active, key.value);
                }))
    return;
  const Channels c = Channels::Of(*this);
  RunBlit(*this, source, nullptr, area, flipH, flipV,
          [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
            if (key.Skips(s) || s == d) return false;
            d = wide ? Blend4(d, s, w) : Blend(d, s, w, c);
            return true;
          });
}

void TCustomDIBX::DrawMaskOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                                  bool flipH, bool flipV, TCustomDIBX* mask,
                                  std::uint32_t opacity) {
  if (opacity == 0) return;
  BlitArea area;
  if (!PrepareBlit(*this, x, y, source.GetWidth(), source.GetHeight(), srcRect, flipH, flipV,
                   area))
    return;
  if (!MaskCovers(mask, area.src)) return;
  const int bits = GetBitCount();
  const bool vectorRules = IsVectorDepth(bits);
  const std::uint32_t full = Weight(opacity);
  const Channels c = Channels::Of(*this);
  MaskRow rule;
  rule.rule = MaskRule::Blend;
  rule.full = full;
  rule.skipEqual = vectorRules;
  if (RunMaskedRows(*this, source, *mask, area, flipH, flipV, c, rule)) return;
  RunBlit(*this, source, mask, area, flipH, flipV,
          [&](std::uint32_t& d, std::uint32_t s, std::uint32_t m) {
            if (m == 0) return false;
            if (vectorRules && d == s) return false;
            const std::uint32_t w = (bits == 32 && m == 255) ? full : (full * m) >> 8;
            d = Blend(d, s, w, c);
            return true;
          });
}

void TCustomDIBX::DrawAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool,
                          bool flipH, bool flipV, std::uint32_t opacity) {
  if (opacity == 0) return;
  BlitArea area;
  if (!PrepareBlit(*this, x, y, source.GetWidth(), source.GetHeight(), srcRect, flipH, flipV,
                   area))
    return;
  const Key key = Key::Of(source, true);
  const int raw = GetRawBitCount();
  if (raw <= 8) {
    // Palette depths add indices, saturating at the largest index of the depth.
    const std::uint32_t top = raw == 1 ? 1u : raw == 4 ? 15u : 255u;
    RunBlit(*this, source, nullptr, area, flipH, flipV,
            [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
              if (key.Skips(s)) return false;
              d = std::min(s + d, top);
              return true;
            });
    return;
  }
  const std::uint32_t w = AddWeight(opacity);
  const Channels c = Channels::Of(*this);
  if (c.r == 0xFF0000u && c.g == 0xFF00u && c.b == 0xFFu && VectorUnitAvailable() &&
      vec::Compiled() &&
      RunRows32(*this, source, area, flipH, flipV,
                [&](std::uint32_t* d, const std::uint32_t* s, int n) {
                  vec::AddRow32(d, s, n, w, key.active, key.value);
                }))
    return;
  RunBlit(*this, source, nullptr, area, flipH, flipV,
          [&](std::uint32_t& d, std::uint32_t s, std::uint32_t) {
            if (key.Skips(s)) return false;
            d = WeightedAdd(d, s, w, c);
            return true;
          });
}

void TCustomDIBX::DrawMaskAdd(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                              bool flipH, bool flipV, TCustomDIBX* mask, std::uint32_t opacity) {
  if (opacity == 0) return;
  BlitArea area;
  if (!PrepareBlit(*this, x, y, source.GetWidth(), source.GetHeight(), srcRect, flipH, flipV,
                   area))
    return;
  if (!MaskCovers(mask, area.src)) return;
  const int bits = GetBitCount();
  const std::uint32_t full = AddWeight(opacity);
  const Channels c = Channels::Of(*this);
  MaskRow rule;
  rule.rule = MaskRule::Add;
  rule.full = full;
  if (RunMaskedRows(*this, source, *mask, area, flipH, flipV, c, rule)) return;
  RunBlit(*this, source, mask, area, flipH, flipV,
          [&](std::uint32_t& d, std::uint32_t s, std::uint32_t m) {
            if (m == 0) return false;
            const std::uint32_t w = (bits == 32 && m == 255) ? full : (full * m) >> 8;
            d = WeightedAdd(d, s, w, c);
            return true;
          });
}

}  // namespace vorn
