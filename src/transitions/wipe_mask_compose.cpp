#include "transitions/wipe_mask_compose.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "graphics/dibx.h"
#include "graphics/vector_unit.h"
#include "transitions/locked_rows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorn {

namespace {

inline std::uint32_t BlendChannel(std::uint32_t from, std::uint32_t to, std::uint32_t m,
                                  std::uint32_t channel) {
  return (((to & channel) * m + (from & channel) * (255u - m)) >> 8) & channel;
}

struct ChannelMasks {
  std::uint32_t red;
  std::uint32_t green;
  std::uint32_t blue;
};

inline std::uint32_t MixPixel16(std::uint32_t from, std::uint32_t to, std::uint32_t m,
                                const ChannelMasks& c) {
  return BlendChannel(from, to, m, c.red) | BlendChannel(from, to, m, c.green) |
         BlendChannel(from, to, m, c.blue);
}

inline std::uint32_t MixPixel32(std::uint32_t from, std::uint32_t to, std::uint32_t m) {
  return BlendChannel(from, to, m, 0x000000FFu) | BlendChannel(from, to, m, 0x0000FF00u) |
         BlendChannel(from, to, m, 0x00FF0000u) |
         ((((to >> 24) * m + (from >> 24) * (255u - m)) >> 8) << 24);
}

void ComposeRow32(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* t,
                  const std::uint8_t* mrow, int begin, int width, bool twoLevel) {
  for (int x = begin; x < width; ++x) {
    std::uint32_t m = mrow[x];
    if (twoLevel && m != 0) m = 255;
    const std::size_t at = static_cast<std::size_t>(x) * 4;
    std::uint32_t fp, tp, out;
    std::memcpy(&fp, f + at, 4);
    std::memcpy(&tp, t + at, 4);
    out = m == 0 ? fp : m == 255 ? tp : MixPixel32(fp, tp, m);
    std::memcpy(d + at, &out, 4);
  }
}

void ComposeRow16(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* t,
                  const std::uint8_t* mrow, int begin, int width, bool twoLevel,
                  const ChannelMasks& c) {
  for (int x = begin; x < width; ++x) {
    std::uint32_t m = mrow[x];
    if (twoLevel && m != 0) m = 255;
    const std::size_t at = static_cast<std::size_t>(x) * 2;
    std::uint16_t fp, tp;
    std::memcpy(&fp, f + at, 2);
    std::memcpy(&tp, t + at, 2);
    const auto out = static_cast<std::uint16_t>(m == 0 ? fp : m == 255 ? tp : MixPixel16(fp, tp, m, c));
    std::memcpy(d + at, &out, 2);
  }
}

#if defined(__SSE2__)

inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// Mask bytes as they are used: two-level masks turn every value but 0 into 255.
inline __m128i Levels(__m128i m, bool twoLevel) {
  if (!twoLevel) return m;
  return _mm_andnot_si128(_mm_cmpeq_epi8(m, _mm_setzero_si128()), _mm_set1_epi8(-1));
}

// Four pixels a step; returns the first column left for the plain loop.
int ComposeRow32Vector(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* t,
                       const std::uint8_t* mrow, int width, bool twoLevel) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(255);
  const __m128i ones = _mm_set1_epi8(-1);
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    std::uint32_t m4;
    std::memcpy(&m4, mrow + x, 4);
    __m128i m = Levels(_mm_cvtsi32_si128(static_cast<int>(m4)), twoLevel);
    m = _mm_unpacklo_epi8(m, m);
    m = _mm_unpacklo_epi16(m, m);  // each mask byte repeated over its pixel's four bytes
    const __m128i fv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + x * 4));
    const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + x * 4));
    const __m128i mlo = _mm_unpacklo_epi8(m, zero);
    const __m128i mhi = _mm_unpackhi_epi8(m, zero);
    // to × m + from × (255 − m) is at most 255 × 255, so it fits an unsigned 16-bit lane.
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(tv, zero), mlo),
                      _mm_mullo_epi16(_mm_unpacklo_epi8(fv, zero), _mm_sub_epi16(full, mlo))),
        8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(tv, zero), mhi),
                      _mm_mullo_epi16(_mm_unpackhi_epi8(fv, zero), _mm_sub_epi16(full, mhi))),
        8);
    __m128i out = _mm_packus_epi16(lo, hi);
    out = Select(_mm_cmpeq_epi8(m, ones), tv, out);
    out = Select(_mm_cmpeq_epi8(m, zero), fv, out);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x * 4), out);
  }
  return x;
}

// One channel of eight 16-bit pixels, brought down to its low bits so the products fit 16 bits.
inline __m128i MixChannel16(__m128i fv, __m128i tv, __m128i m, __m128i inverse, int shift,
                            std::uint32_t channel) {
  const __m128i low = _mm_set1_epi16(static_cast<short>(channel >> shift));
  const __m128i count = _mm_cvtsi32_si128(shift);
  const __m128i fc = _mm_and_si128(_mm_srl_epi16(fv, count), low);
  const __m128i tc = _mm_and_si128(_mm_srl_epi16(tv, count), low);
  const __m128i mixed =
      _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(tc, m), _mm_mullo_epi16(fc, inverse)), 8);
  return _mm_sll_epi16(mixed, count);
}

int LowBit(std::uint32_t mask) {
  int shift = 0;
  while (shift < 16 && (mask & (1u << shift)) == 0) ++shift;
  return shift;
}

// Eight pixels a step; returns the first column left for the plain loop.
int ComposeRow16Vector(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* t,
                       const std::uint8_t* mrow, int width, bool twoLevel, const ChannelMasks& c) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(255);
  const int rs = LowBit(c.red), gs = LowBit(c.green), bs = LowBit(c.blue);
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m128i m8 = Levels(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(mrow + x)), twoLevel);
    const __m128i m = _mm_unpacklo_epi8(m8, zero);
    const __m128i inverse = _mm_sub_epi16(full, m);
    const __m128i fv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + x * 2));
    const __m128i tv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + x * 2));
    __m128i out = _mm_or_si128(
        _mm_or_si128(MixChannel16(fv, tv, m, inverse, rs, c.red),
                     MixChannel16(fv, tv, m, inverse, gs, c.green)),
        MixChannel16(fv, tv, m, inverse, bs, c.blue));
    out = Select(_mm_cmpeq_epi16(m, full), tv, out);
    out = Select(_mm_cmpeq_epi16(m, zero), fv, out);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x * 2), out);
  }
  return x;
}

#endif

void ComposePerPixel(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, TCustomDIBX& mask,
                     bool twoLevel) {
  const int bits = target.GetBitCount();
  const int width = target.GetWidth();
  const int height = target.GetHeight();
  const int maskHeight = mask.GetHeight();
  if (!CoversTarget(from, bits, width, height) || !CoversTarget(to, bits, width, height)) return;
  if (mask.GetBitCount() != 8 || mask.GetWidth() < width || maskHeight <= 0) return;
  LockedRows dest(target);
  if (!dest.Valid()) return;
  LockedRows fromRows(from);
  if (!fromRows.Valid()) return;
  LockedRows toRows(to);
  if (!toRows.Valid()) return;
  LockedRows maskRows(mask);
  if (!maskRows.Valid()) return;
  const ChannelMasks channels{target.GetRedMask(), target.GetGreenMask(), target.GetBlueMask()};
  const bool vector = VectorUnitAvailable();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* d = dest.Row(y);
    const std::uint8_t* f = fromRows.Row(y);
    const std::uint8_t* t = toRows.Row(y);
    const std::uint8_t* m = maskRows.Row(y % maskHeight);
    int done = 0;
    if (bits == 32) {
#if defined(__SSE2__)
      if (vector) done = ComposeRow32Vector(d, f, t, m, width, twoLevel);
#endif
      ComposeRow32(d, f, t, m, done, width, twoLevel);
    } else {
#if defined(__SSE2__)
      if (vector) done = ComposeRow16Vector(d, f, t, m, width, twoLevel, channels);
#endif
      ComposeRow16(d, f, t, m, done, width, twoLevel, channels);
    }
  }
  (void)vector;
}

// The mask as DrawMask reads it: one value per target pixel, levels already applied.
bool FillTiledMask(TCustomDIBX& mask, int width, int height, bool twoLevel, TDIBX& tiled) {
  const int maskHeight = mask.GetHeight();
  if (mask.GetBitCount() != 8 || mask.GetWidth() < width || maskHeight <= 0) return false;
  if (tiled.GetWidth() != width || tiled.GetHeight() != height || tiled.GetBitCount() != 8)
    tiled.SetSize(width, height, 8);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = tiled.Lock(0, y);
    if (out == nullptr) return false;
    const std::uint8_t* in = mask.Lock(0, y % maskHeight);
    if (in == nullptr) {
      tiled.Unlock();
      return false;
    }
    for (int x = 0; x < width; ++x) out[x] = twoLevel && in[x] != 0 ? 255 : in[x];
    mask.Unlock();
    tiled.Unlock();
  }
  return true;
}

void ComposeByBlits(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, TCustomDIBX& mask,
                    bool twoLevel, TDIBX& scratch) {
  {
    LockedRows dest(target);
    LockedRows fromRows(from);
    LockedRows toRows(to);
    if (!dest.Valid() || !fromRows.Valid() || !toRows.Valid()) return;
  }
  const int width = target.GetWidth();
  const int height = target.GetHeight();
  if (!FillTiledMask(mask, width, height, twoLevel, scratch)) return;
  target.Draw(from);
  target.DrawMask(0, 0, to, TRect{0, 0, width, height}, false, false, &scratch);
}

}  // namespace

void ComposeThroughMask(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, TCustomDIBX& mask,
                        bool twoLevel, TDIBX& scratch) {
  if (target.IsEmpty()) return;
  if (DrawnPerPixel(target.GetBitCount()))
    ComposePerPixel(target, from, to, mask, twoLevel);
  else
    ComposeByBlits(target, from, to, mask, twoLevel, scratch);
}

}  // namespace vorn
