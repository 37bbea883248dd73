// The blits of TDIBSurface: plain, keyed, translucent, through the alpha plane, and mapped by
// colour between depths and palettes.
#include <algorithm>
#include <cstring>

#include "foundation/little_endian.h"
#include "graphics/blit_common.h"
#include "graphics/blit_vector.h"
#include "graphics/dib_surface.h"
#include "graphics/surface_clip.h"
#include "graphics/vector_unit.h"

namespace vorn {

namespace {

// Where a blit reads and writes after clipping: destination x, y and the source rectangle.
struct BlitSpan {
  int x = 0;
  int y = 0;
  TRect source;
};

// Rows are walked at the destination's pixel size, so a source of another depth would be read
// past its row ends: such a blit draws nothing.
bool SameDepth(const TDIB& dest, const TDIB& source) { return dest.BitCount() == source.BitCount(); }

// The one-to-one clip every surface blit shares, against this picture's bounds.
bool ClipBlit(std::int64_t x, std::int64_t y, const TRect& sourceRect, int sourceWidth, int sourceHeight,
              const TRect& clip, BlitSpan& span) {
  TRect dest;
  if (!surface_clip::ClipOneToOne(clip, x, y, sourceWidth, sourceHeight, sourceRect, false, false, dest,
                                  span.source))
    return false;
  span.x = dest.left;
  span.y = dest.top;
  return true;
}

inline std::uint32_t GetBit(const std::uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
inline void PutBit(std::uint8_t* row, int x, std::uint32_t v) {
  const auto bit = static_cast<std::uint8_t>(128 >> (x & 7));
  row[x >> 3] = v ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
}
inline std::uint32_t GetNibble(const std::uint8_t* row, int x) {
  return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
}
inline void PutNibble(std::uint8_t* row, int x, std::uint32_t v) {
  row[x >> 1] = (x & 1) ? static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | (v & 0x0F))
                        : static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
}

// One row of 32-bit pixels weighted per pixel by al (0 keeps, 255 copies, between blends three
// channel bytes and clears the top one).
void AlphaRow32(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* al, int n, bool vector) {
  auto* dw = reinterpret_cast<std::uint32_t*>(d);
  const auto* sw = reinterpret_cast<const std::uint32_t*>(s);
  const blit::MaskRow rule;
  if (vector)
    blit::vec::MaskRow32(dw, sw, al, n, rule);
  else
    blit::MaskRow32Plain(dw, sw, al, n, rule);
}

// One row blended at a uniform opacity, three channel bytes kept; source words equal to the key
// are skipped.
void BlendRow32(std::uint8_t* d, const std::uint8_t* s, int n, std::uint32_t o, bool keyed, std::uint32_t k,
                bool vector) {
  auto* dw = reinterpret_cast<std::uint32_t*>(d);
  const auto* sw = reinterpret_cast<const std::uint32_t*>(s);
  if (vector) {
    blit::vec::BlendRowChannels32(dw, sw, n, o, keyed, k);
    return;
  }
  for (int j = 0; j < n; ++j)
    if (!keyed || sw[j] != k) dw[j] = blit::Blend4(dw[j], sw[j], o) & 0x00FFFFFFu;
}

constexpr int kScreenDoor[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

}  // namespace

void TDIBSurface::DrawRect(int x, int y, TDIBSurface& source, const TRect& sourceRect) {
  if (!SameDepth(*this, source)) return;
  BlitSpan span;
  if (!ClipBlit(x, y, sourceRect, source.Width(), source.Height(), GetBoundsRect(), span)) return;
  const int depth = BitCount();
  const int w = span.source.Width();
  Changing(true);
  for (int i = 0; i < span.source.Height(); ++i) {
    const std::uint8_t* s = source.ReadScanLine(span.source.top + i);
    std::uint8_t* d = RowAddress(span.y + i);
    switch (depth) {
      case 1:
        for (int j = 0; j < w; ++j) PutBit(d, span.x + j, GetBit(s, span.source.left + j));
        break;
      case 4:
        for (int j = 0; j < w; ++j) PutNibble(d, span.x + j, GetNibble(s, span.source.left + j));
        break;
      default: {
        const int bytes = depth / 8;
        std::memmove(d + span.x * bytes, s + span.source.left * bytes, static_cast<std::size_t>(w) * bytes);
        break;
      }
    }
  }
}

void TDIBSurface::DrawSurface(int x, int y, TDIBSurface& source) { DrawRect(x, y, source, source.GetBoundsRect()); }

void TDIBSurface::DrawKeyed(int x, int y, TDIBSurface& source, const TRect& sourceRect, std::int32_t key) {
  if (!SameDepth(*this, source)) return;
  BlitSpan span;
  if (!ClipBlit(x, y, sourceRect, source.Width(), source.Height(), GetBoundsRect(), span)) return;
  const int depth = BitCount();
  const int w = span.source.Width();
  const bool keyed = key >= 0;
  const auto k = static_cast<std::uint32_t>(key);
  Changing(true);
  for (int i = 0; i < span.source.Height(); ++i) {
    const std::uint8_t* s = source.ReadScanLine(span.source.top + i);
    std::uint8_t* d = RowAddress(span.y + i);
    const int sx = span.source.left;
    switch (depth) {
      case 1: {
        // A bit is written when it differs from the truth value of key, so -1 skips set bits.
        const std::uint32_t truth = key != 0 ? 1 : 0;
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = GetBit(s, sx + j);
          if (v != truth) PutBit(d, span.x + j, v);
        }
        break;
      }
      case 4:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = GetNibble(s, sx + j);
          if (!keyed || v != k) PutNibble(d, span.x + j, v);
        }
        break;
      case 8:
        for (int j = 0; j < w; ++j)
          if (!keyed || s[sx + j] != k) d[span.x + j] = s[sx + j];
        break;
      case 16:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = GetLE16(s + 2 * (sx + j));
          if (!keyed || v != k) PutLE16(d + 2 * (span.x + j), v);
        }
        break;
      case 24:
        for (int j = 0; j < w; ++j) {
          const std::uint8_t* p = s + 3 * (sx + j);
          const std::uint32_t v = GetLE24(p);
          if (!keyed || v != k) std::memcpy(d + 3 * (span.x + j), p, 3);
        }
        break;
      case 32:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = GetLE32(s + 4 * (sx + j));
          if (!keyed || v != k) PutLE32(d + 4 * (span.x + j), v);
        }
        break;
      default:
        return;
    }
  }
}

void TDIBSurface::DrawTranslucent(int x, int y, TDIBSurface& source, const TRect& sourceRect, std::int32_t key,
                                  int opacity) {
  if (opacity == 0) return;
  const int depth = BitCount();
  int level = 0;
  if (depth <= 8 && opacity > 0) level = opacity / 16;
  if (opacity > 254 || opacity < 0 || (depth <= 8 && level > 14)) {
    DrawKeyed(x, y, source, sourceRect, key);
    return;
  }
  if (!SameDepth(*this, source)) return;
  BlitSpan span;
  if (!ClipBlit(x, y, sourceRect, source.Width(), source.Height(), GetBoundsRect(), span)) return;
  const int w = span.source.Width();
  const bool keyed = key >= 0;
  const auto k = static_cast<std::uint32_t>(key);
  const auto o = static_cast<std::uint32_t>(opacity);
  const auto io = 255 - o;
  const std::uint32_t rm = static_cast<std::uint32_t>(NowPixelFormat().RedMask);
  const std::uint32_t gm = static_cast<std::uint32_t>(NowPixelFormat().GreenMask);
  const std::uint32_t bm = static_cast<std::uint32_t>(NowPixelFormat().BlueMask);
  const bool vector = VectorUnitAvailable() && blit::vec::Compiled();
  Changing(true);
  for (int i = 0; i < span.source.Height(); ++i) {
    const std::uint8_t* s = source.ReadScanLine(span.source.top + i);
    const int dy = span.y + i;
    std::uint8_t* d = RowAddress(dy);
    const int sx = span.source.left;
    const int* door = kScreenDoor[dy & 3];
    switch (depth) {
      case 1:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = GetBit(s, sx + j);
          const bool candidate = v ? key != 1 : key != 0;
          if (candidate && door[(span.x + j) & 3] <= level) PutBit(d, span.x + j, v);
        }
        break;
      case 4:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = GetNibble(s, sx + j);
          if ((!keyed || v != k) && door[(span.x + j) & 3] <= level) PutNibble(d, span.x + j, v);
        }
        break;
      case 8:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = s[sx + j];
          if ((!keyed || v != k) && door[(span.x + j) & 3] <= level) d[span.x + j] = static_cast<std::uint8_t>(v);
        }
        break;
      case 16:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t v = GetLE16(s + 2 * (sx + j));
          if (keyed && v == k) continue;
          std::uint8_t* p = d + 2 * (span.x + j);
          const std::uint32_t t = GetLE16(p);
          const std::uint32_t r = ((io * (t & rm) + o * (v & rm)) / 255) & rm;
          const std::uint32_t g = ((io * (t & gm) + o * (v & gm)) / 255) & gm;
          const std::uint32_t b = ((io * (t & bm) + o * (v & bm)) / 255) & bm;
          PutLE16(p, r | g | b);
        }
        break;
      case 24:
        for (int j = 0; j < w; ++j) {
          const std::uint8_t* q = s + 3 * (sx + j);
          if (keyed && GetLE24(q) == k) continue;
          std::uint8_t* p = d + 3 * (span.x + j);
          for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((io * p[c] + o * q[c]) / 255);
        }
        break;
      case 32:
        BlendRow32(d + 4 * span.x, s + 4 * sx, w, o, keyed, k, vector);
        break;
      default:
        return;
    }
  }
}

void TDIBSurface::DrawAlpha(int x, int y, TDIBSurface& source, const TRect& sourceRect, int opacity) {
  TDIBSurface* alpha = source.Alpha();
  if (alpha == nullptr || alpha->GetEmpty()) {
    DrawTranslucent(x, y, source, sourceRect, -1, opacity);
    return;
  }
  if (!SameDepth(*this, source) || alpha->BitCount() != 8) return;
  // A plane of another size than its picture is read only where both have pixels.
  BlitSpan span;
  if (!ClipBlit(x, y, sourceRect, std::min(source.Width(), alpha->Width()),
                std::min(source.Height(), alpha->Height()), GetBoundsRect(), span))
    return;
  const int depth = BitCount();
  const int w = span.source.Width();
  const std::uint32_t rm = static_cast<std::uint32_t>(NowPixelFormat().RedMask);
  const std::uint32_t gm = static_cast<std::uint32_t>(NowPixelFormat().GreenMask);
  const std::uint32_t bm = static_cast<std::uint32_t>(NowPixelFormat().BlueMask);
  const bool vector = VectorUnitAvailable() && blit::vec::Compiled();
  Changing(true);
  for (int i = 0; i < span.source.Height(); ++i) {
    const std::uint8_t* s = source.ReadScanLine(span.source.top + i);
    const std::uint8_t* al = alpha->ReadScanLine(span.source.top + i) + span.source.left;
    std::uint8_t* d = RowAddress(span.y + i);
    const int sx = span.source.left;
    switch (depth) {
      case 1:
        for (int j = 0; j < w; ++j)
          if (al[j] >= 128) PutBit(d, span.x + j, GetBit(s, sx + j));
        break;
      case 4:
        for (int j = 0; j < w; ++j)
          if (al[j] >= 128) PutNibble(d, span.x + j, GetNibble(s, sx + j));
        break;
      case 8:
        for (int j = 0; j < w; ++j)
          if (al[j] >= 128) d[span.x + j] = s[sx + j];
        break;
      case 16:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t a = al[j];
          if (a == 0) continue;
          std::uint8_t* p = d + 2 * (span.x + j);
          const std::uint32_t v = GetLE16(s + 2 * (sx + j));
          if (a == 255) {
            PutLE16(p, v);
            continue;
          }
          const std::uint32_t t = GetLE16(p);
          const std::uint32_t r = (((t & rm) * (255 - a) + a * (v & rm)) >> 8) & rm;
          const std::uint32_t g = (((t & gm) * (255 - a) + a * (v & gm)) >> 8) & gm;
          const std::uint32_t b = (((t & bm) * (255 - a) + a * (v & bm)) >> 8) & bm;
          PutLE16(p, r | g | b);
        }
        break;
      case 24:
        for (int j = 0; j < w; ++j) {
          const std::uint32_t a = al[j];
          const std::uint8_t* q = s + 3 * (sx + j);
          std::uint8_t* p = d + 3 * (span.x + j);
          if (opacity >= 255) {
            if (a == 0) continue;
            if (a == 255) {
              std::memcpy(p, q, 3);
              continue;
            }
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((q[c] * a + p[c] * (255 - a)) >> 8);
          } else {
            const std::int64_t weighted = static_cast<std::int64_t>(opacity) * a;
            if (weighted < 256) continue;
            const auto e = static_cast<std::uint32_t>(weighted >> 8);
            for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * (255 - e) + e * q[c]) >> 8);
          }
        }
        break;
      case 32:
        AlphaRow32(d + 4 * span.x, s + 4 * sx, al, w, vector);
        break;
      default:
        return;
    }
  }
}

void TDIBSurface::DrawMapped(int x, int y, TDIBSurface& source, std::int32_t key) {
  if (source.GetEmpty() || GetEmpty()) return;
  const int depth = BitCount();
  const int sourceDepth = source.BitCount();
  if (depth > 8) {
    Changing(true);
    source.EnsureUncompressed();
    gdi::MemoryDC dc(Image()->View());
    gdi::StretchDIBits(&dc, x, y, source.Width(), source.Height(), 0, 0, source.Width(), source.Height(),
                       source.Image()->View(), gdi::SRCCOPY);
    return;
  }
  const gdi::HPALETTE palette = GetPalette();
  const int rows = std::min(source.Height(), Height());
  const int columns = std::min(source.Width(), Width());
  // Positions in 64 bits: a picture drawn near the int32 limits must not wrap back in.
  const auto put = [this](std::int64_t px, std::int64_t py, std::uint32_t value) {
    if (px >= 0 && py >= 0 && px < Width() && py < Height()) SetPixel(static_cast<int>(px), static_cast<int>(py), value);
  };
  if (sourceDepth > 8) {
    TDIBSurface rgb;
    rgb.SetSize(source.Width(), source.Height(), 24);
    source.EnsureUncompressed();
    rgb.Changing(true);
    gdi::MemoryDC dc(rgb.Image()->View());
    gdi::StretchDIBits(&dc, 0, 0, source.Width(), source.Height(), 0, 0, source.Width(), source.Height(),
                       source.Image()->View(), gdi::SRCCOPY);
    for (int i = 0; i < rows; ++i)
      for (int j = 0; j < columns; ++j) {
        const std::uint32_t c = rgb.GetPixel(j, i);
        const int index = gdi::GetNearestPaletteIndex(
            palette, gdi::RGB(static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                              static_cast<std::uint8_t>(c)));
        put(std::int64_t{x} + j, std::int64_t{y} + i, static_cast<std::uint32_t>(std::max(index, 0)));
      }
    return;
  }
  if (depth == sourceDepth &&
      std::memcmp(ColorTable, source.ColorTable, static_cast<std::size_t>(4) << depth) == 0) {
    if (key < 0)
      DrawRect(x, y, source, source.GetBoundsRect());
    else
      DrawKeyed(x, y, source, source.GetBoundsRect(), key);
    return;
  }
  std::uint32_t map[kColorTableEntries] = {};
  for (int i = 0; i < (1 << sourceDepth); ++i) {
    const std::uint32_t c = source.ColorTable[i];
    map[i] = static_cast<std::uint32_t>(std::max(
        0, gdi::GetNearestPaletteIndex(palette, gdi::RGB(static_cast<std::uint8_t>(c >> 16),
                                                         static_cast<std::uint8_t>(c >> 8),
                                                         static_cast<std::uint8_t>(c)))));
  }
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < columns; ++j) {
      const std::uint32_t index = source.GetPixel(j, i);
      if (key >= 0 && index == static_cast<std::uint32_t>(key)) continue;
      put(std::int64_t{x} + j, std::int64_t{y} + i, map[index & 0xFF]);
    }
}

}  // namespace vorn
