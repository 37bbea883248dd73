#pragma once

// Shared pieces of the drawing operations: raw pixel access, channel arithmetic and the lock
// guard. Internal to src/graphics.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "graphics/custom_dibx.h"

namespace vorn::blit {

// Unlocks a surface when the drawing ends, also when an exception passes. Declare the
// destination's guard first so that it unlocks last.
class LockGuard {
 public:
  LockGuard() = default;
  explicit LockGuard(TCustomDIBX* surface) : surface_(surface) {}
  ~LockGuard() {
    if (surface_ != nullptr) surface_->Unlock();
  }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

  // Locks (x, y); returns the address and arms the guard only when it succeeded.
  std::uint8_t* Lock(TCustomDIBX& surface, int x, int y) {
    std::uint8_t* p = surface.Lock(x, y);
    if (p != nullptr) surface_ = &surface;
    return p;
  }

 private:
  TCustomDIBX* surface_ = nullptr;
};

inline std::uint32_t ReadPixel(const std::uint8_t* p, int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1:
      return p[0];
    case 2: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 3:
      return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
             (static_cast<std::uint32_t>(p[2]) << 16);
    default: {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

inline void WritePixel(std::uint8_t* p, int bytesPerPixel, std::uint32_t v) {
  switch (bytesPerPixel) {
    case 1:
      p[0] = static_cast<std::uint8_t>(v);
      break;
    case 2: {
      const auto w = static_cast<std::uint16_t>(v);
      std::memcpy(p, &w, 2);
      break;
    }
    case 3:
      p[0] = static_cast<std::uint8_t>(v);
      p[1] = static_cast<std::uint8_t>(v >> 8);
      p[2] = static_cast<std::uint8_t>(v >> 16);
      break;
    default:
      std::memcpy(p, &v, 4);
      break;
  }
}

// The bits of a raw pixel at a bytes-per-pixel size (what a colour key is compared with).
inline std::uint32_t RawPixelMask(int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1:
      return 0xFFu;
    case 2:
      return 0xFFFFu;
    case 3:
      return 0xFFFFFFu;
    default:
      return 0xFFFFFFFFu;
  }
}

// The destination's channel masks; channels are worked on in place (pixel AND mask).
struct Channels {
  std::uint32_t r = 0;
  std::uint32_t g = 0;
  std::uint32_t b = 0;

  static Channels Of(TCustomDIBX& surface) {
    return Channels{surface.GetRedMask(), surface.GetGreenMask(), surface.GetBlueMask()};
  }
};

// ((255 - w) * d + w * s) shr 8 AND m: floor of the weighted mean for a channel in place. Every
// mask of this system's formats is at most 0xFF0000, so 255 * mask fits in 32 bits.
inline std::uint32_t BlendChannel(std::uint32_t d, std::uint32_t s, std::uint32_t w,
                                  std::uint32_t m) {
  return (((255u - w) * (d & m) + w * (s & m)) >> 8) & m;
}

inline std::uint32_t Blend(std::uint32_t d, std::uint32_t s, std::uint32_t w, const Channels& c) {
  return BlendChannel(d, s, w, c.r) | BlendChannel(d, s, w, c.g) | BlendChannel(d, s, w, c.b);
}

// All four bytes blended, the top byte included (the 32-bit rule of the vectorised loops).
inline std::uint32_t Blend4(std::uint32_t d, std::uint32_t s, std::uint32_t w) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t dv = (d >> shift) & 0xFFu;
    const std::uint32_t sv = (s >> shift) & 0xFFu;
    out |= (((255u - w) * dv + w * sv) >> 8) << shift;
  }
  return out;
}

// Both addends are multiples of the mask's lowest bit, so a sum up to m lies within the mask.
inline std::uint32_t AddChannel(std::uint32_t d, std::uint32_t s, std::uint32_t m) {
  return std::min((d & m) + (s & m), m);
}

inline std::uint32_t AddSaturate(std::uint32_t d, std::uint32_t s, const Channels& c) {
  return AddChannel(d, s, c.r) | AddChannel(d, s, c.g) | AddChannel(d, s, c.b);
}

inline std::uint32_t SubChannel(std::uint32_t d, std::uint32_t s, std::uint32_t m) {
  const std::uint32_t dm = d & m;
  const std::uint32_t sm = s & m;
  return sm > dm ? 0u : ((dm - sm) & m);
}

inline std::uint32_t SubFloor(std::uint32_t d, std::uint32_t s, const Channels& c) {
  return SubChannel(d, s, c.r) | SubChannel(d, s, c.g) | SubChannel(d, s, c.b);
}

// Byte-wise saturating add and floored subtract over all four bytes (32-bit rule).
inline std::uint32_t AddSaturate4(std::uint32_t d, std::uint32_t s) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    std::uint32_t v = ((d >> shift) & 0xFFu) + ((s >> shift) & 0xFFu);
    if (v > 255u) v = 255u;
    out |= v << shift;
  }
  return out;
}

inline std::uint32_t SubFloor4(std::uint32_t d, std::uint32_t s) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t dv = (d >> shift) & 0xFFu;
    const std::uint32_t sv = (s >> shift) & 0xFFu;
    out |= (sv > dv ? 0u : dv - sv) << shift;
  }
  return out;
}

// d + ((w * s) shr 8 AND m), saturated at m.
inline std::uint32_t WeightedAddChannel(std::uint32_t d, std::uint32_t s, std::uint32_t w,
                                        std::uint32_t m) {
  return std::min((d & m) + (((w * (s & m)) >> 8) & m), m);
}

inline std::uint32_t WeightedAdd(std::uint32_t d, std::uint32_t s, std::uint32_t w,
                                 const Channels& c) {
  return WeightedAddChannel(d, s, w, c.r) | WeightedAddChannel(d, s, w, c.g) |
         WeightedAddChannel(d, s, w, c.b);
}

// A weight for the channel arithmetic: values above 255 carry no further meaning there.
inline std::uint32_t Weight(std::uint64_t w) { return w > 255u ? 255u : static_cast<std::uint32_t>(w); }

// A weight for the additive operations: 256 adds the source in full; more is not meaningful
// there (and would overflow the channel products).
inline std::uint32_t AddWeight(std::uint64_t w) { return w > 256u ? 256u : static_cast<std::uint32_t>(w); }

// d + ((w x s) shr 8) saturated at 255 in each of the four bytes; w is at most 256.
inline std::uint32_t WeightedAdd4(std::uint32_t d, std::uint32_t s, std::uint32_t w) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t v = ((d >> shift) & 0xFFu) + ((w * ((s >> shift) & 0xFFu)) >> 8);
    out |= (v > 255u ? 255u : v) << shift;
  }
  return out;
}

// How a row of 32-bit pixels is combined with its source through a per-pixel 8-bit weight m.
// Mask value 0 always leaves the destination.
enum class MaskRule {
  Copy,   // m = 255 copies the source; other values blend with w = m
  Blend,  // blend with w = (full x m) shr 8, or full where m = 255
  Add,    // weighted add with the same w; full is at most 256
};

struct MaskRow {
  MaskRule rule = MaskRule::Copy;
  std::uint32_t full = 255;
  // The bytes a blended or added pixel keeps; the others become 0.
  std::uint32_t keep = 0x00FFFFFFu;
  // A destination pixel equal to its source pixel stays (blends only, never Add).
  bool skipEqual = false;
};

// The plain rule of one pixel of a masked row: what the vector loops must match.
inline void MaskPixel32(std::uint32_t& d, std::uint32_t s, std::uint32_t m, const MaskRow& r) {
  if (m == 0) return;
  if (r.rule == MaskRule::Copy && m == 255) {
    d = s;
    return;
  }
  if (r.rule != MaskRule::Add && r.skipEqual && d == s) return;
  const std::uint32_t w = r.rule == MaskRule::Copy ? m : m == 255 ? r.full : (r.full * m) >> 8;
  d = (r.rule == MaskRule::Add ? WeightedAdd4(d, s, w) : Blend4(d, s, w)) & r.keep;
}

inline void MaskRow32Plain(std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* m, int n,
                           const MaskRow& r) {
  for (int i = 0; i < n; ++i) MaskPixel32(d[i], s[i], m[i], r);
}

// Whether the channel masks are the three low bytes in some order: then each channel is one
// byte and the byte-wise loops give the channel results.
inline bool LowByteChannels(const Channels& c) {
  const auto isByte = [](std::uint32_t m) { return m == 0xFFu || m == 0xFF00u || m == 0xFF0000u; };
  return isByte(c.r) && isByte(c.g) && isByte(c.b) && (c.r | c.g | c.b) == 0x00FFFFFFu;
}

// True for the depths whose results follow the rules of the vectorised loops.
inline bool IsVectorDepth(int bitCount) {
  return bitCount == 15 || bitCount == 16 || bitCount == 32;
}

}  // namespace vorn::blit
