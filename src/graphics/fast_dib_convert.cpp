#include "graphics/fast_dib_convert.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorn {
namespace {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Fields of a 16-bit pixel shifted up, low bits 0.
Rgb Unpack16(const TFastDIB& dib, std::uint32_t w) {
  const std::uint32_t bBits = 8u - dib.BShr, gBits = 8u - dib.GShr, rBits = 8u - dib.RShr;
  Rgb c;
  c.b = static_cast<std::uint8_t>((w & ((1u << bBits) - 1)) << dib.BShr);
  c.g = static_cast<std::uint8_t>(((w >> dib.GShl) & ((1u << gBits) - 1)) << dib.GShr);
  c.r = static_cast<std::uint8_t>(((w >> dib.RShl) & ((1u << rBits) - 1)) << dib.RShr);
  return c;
}

std::uint32_t Pack16(const TFastDIB& dib, Rgb c) {
  return (static_cast<std::uint32_t>(c.r >> dib.RShr) << dib.RShl) |
         (static_cast<std::uint32_t>(c.g >> dib.GShr) << dib.GShl) |
         static_cast<std::uint32_t>(c.b >> dib.BShr);
}

Rgb PaletteColor(const TFastDIB& dib, int index) {
  return Rgb{dib.ColorR(index), dib.ColorG(index), dib.ColorB(index)};
}

// The colour of pixel x of row y in any depth (palette depths through the colour table).
Rgb ColorAt(const TFastDIB& dib, int y, int x) {
  const std::uint8_t* p = dib.Rows[y];
  switch (dib.BitCount()) {
    case 1:
    case 4:
    case 8: return PaletteColor(dib, dib.GetPixelIndex(y, x));
    case 16: return Unpack16(dib, static_cast<std::uint32_t>(p[2 * x] | (p[2 * x + 1] << 8)));
    case 24: return Rgb{p[3 * x + 2], p[3 * x + 1], p[3 * x]};
    case 32: return Rgb{p[4 * x + 2], p[4 * x + 1], p[4 * x]};
    default: return Rgb{};
  }
}

void Put16(std::uint8_t* row, int x, std::uint32_t w) {
  row[2 * x] = static_cast<std::uint8_t>(w);
  row[2 * x + 1] = static_cast<std::uint8_t>(w >> 8);
}

bool IsPaletteDepth(int bits) { return bits == 1 || bits == 4 || bits == 8; }

void CopyColorTable(TFastDIB& dst, const TFastDIB& src, int entries) {
  for (int i = 0; i < entries; ++i) dst.Colors[i] = src.Colors[i];
}

// Distinct colours in order of first appearance, for the 4- and 8-bit packers of direct-colour
// sources: a 2^24-bit seen set and a 2^24-byte index map.
class FirstAppearancePalette {
 public:
  explicit FirstAppearancePalette(int capacity)
      : capacity_(capacity), seen_(std::size_t{1} << 18, 0), index_(std::size_t{1} << 24, 0) {}

  int IndexOf(TFastDIB& dst, Rgb c) {
    const std::uint32_t key = (static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b;
    std::uint64_t& word = seen_[key >> 6];
    const std::uint64_t bit = std::uint64_t{1} << (key & 63);
    if (!(word & bit)) {
      word |= bit;
      if (count_ < capacity_) {
        dst.SetColor(count_, c.r, c.g, c.b);
        index_[key] = static_cast<std::uint8_t>(count_++);
      }
    }
    return index_[key];
  }

 private:
  int capacity_;
  int count_ = 0;
  std::vector<std::uint64_t> seen_;
  std::vector<std::uint8_t> index_;
};

void ExpandInto(TFastDIB& temp, const TFastDIB& src, int bits) {
  temp.SetSize(src.Width(), src.Height(), 0, bits);
  if (bits == 8) {
    ConvertTo8Bit(temp, src);
  } else {
    ConvertTo24Bit(temp, src);
  }
}

// Quantises src into the 8-bit temporary t (4-bit sources through an 8-bit expansion, 16-bit
// ones through a 24-bit one).
void QuantizeVia(TFastDIB& t, const TFastDIB& src, std::uint8_t limit, bool dither) {
  const int s = src.BitCount();
  if (s == 4 || s == 16 || s == 1) {
    TFastDIB expanded;
    ExpandInto(expanded, src, s == 16 ? 24 : 8);
    QuantizeFastDIB(t, expanded, limit, dither);
  } else {
    QuantizeFastDIB(t, src, limit, dither);
  }
}

}  // namespace

void ConvertTo1Bit(TFastDIB& dst, const TFastDIB& src) {
  const int s = src.BitCount();
  const int w = src.Width(), h = src.Height();
  if (s == 1) {
    CopyColorTable(dst, src, 2);
    for (int y = 0; y < h; ++y) std::memcpy(dst.Rows[y], src.Rows[y], static_cast<std::size_t>(src.RowBytes));
    return;
  }
  if (IsPaletteDepth(s)) {
    CopyColorTable(dst, src, 2);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) dst.SetPixelIndex(y, x, src.GetPixelIndex(y, x) != 0 ? 1 : 0);
    }
    return;
  }
  if (w == 0 || h == 0) return;
  const Rgb first = ColorAt(src, 0, 0);
  Rgb second;
  bool haveSecond = false;
  for (int y = 0; y < h && !haveSecond; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = ColorAt(src, y, x);
      if (!(c == first)) {
        second = c;
        haveSecond = true;
        break;
      }
    }
  }
  dst.SetColor(0, first.r, first.g, first.b);
  dst.SetColor(1, second.r, second.g, second.b);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      dst.SetPixelIndex(y, x, haveSecond && ColorAt(src, y, x) == second ? 1 : 0);
    }
  }
}

void ConvertTo4Bit(TFastDIB& dst, const TFastDIB& src) {
  const int s = src.BitCount();
  const int w = src.Width(), h = src.Height();
  if (IsPaletteDepth(s)) {
    CopyColorTable(dst, src, s == 1 ? 2 : 16);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) dst.SetPixelIndex(y, x, src.GetPixelIndex(y, x) & 15);
    }
    return;
  }
  FirstAppearancePalette palette(16);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) dst.SetPixelIndex(y, x, palette.IndexOf(dst, ColorAt(src, y, x)));
  }
}

void ConvertTo8Bit(TFastDIB& dst, const TFastDIB& src) {
  const int s = src.BitCount();
  const int w = src.Width(), h = src.Height();
  if (s == 8) {
    CopyColorTable(dst, src, 256);
    for (int y = 0; y < h; ++y) std::memcpy(dst.Rows[y], src.Rows[y], static_cast<std::size_t>(w));
    return;
  }
  if (IsPaletteDepth(s)) {
    CopyColorTable(dst, src, 1 << s);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) dst.Rows[y][x] = static_cast<std::uint8_t>(src.GetPixelIndex(y, x));
    }
    return;
  }
  if (s == 16) {
    std::vector<std::int16_t> index(65536, -1);
    int count = 0;
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* p = src.Rows[y];
      for (int x = 0; x < w; ++x) {
        const int v = p[2 * x] | (p[2 * x + 1] << 8);
        if (index[v] < 0) {
          if (count < 256) {
            const Rgb c = Unpack16(src, static_cast<std::uint32_t>(v));
            dst.SetColor(count, c.r, c.g, c.b);
            index[v] = static_cast<std::int16_t>(count++);
          } else {
            index[v] = 0;
          }
        }
        dst.Rows[y][x] = static_cast<std::uint8_t>(index[v]);
      }
    }
    return;
  }
  FirstAppearancePalette palette(256);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      dst.Rows[y][x] = static_cast<std::uint8_t>(palette.IndexOf(dst, ColorAt(src, y, x)));
    }
  }
}

void ConvertTo16Bit(TFastDIB& dst, const TFastDIB& src) {
  const int s = src.BitCount();
  const int w = src.Width(), h = src.Height();
  if (IsPaletteDepth(s)) {
    std::uint32_t packed[256];
    for (int i = 0; i < (1 << s); ++i) packed[i] = Pack16(dst, PaletteColor(src, i));
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) Put16(dst.Rows[y], x, packed[src.GetPixelIndex(y, x)]);
    }
    return;
  }
  if (s == 16) {
    std::vector<std::uint16_t> table(65536);
    for (std::uint32_t v = 0; v < 65536; ++v) {
      table[v] = static_cast<std::uint16_t>(Pack16(dst, Unpack16(src, v)));
    }
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* p = src.Rows[y];
      for (int x = 0; x < w; ++x) Put16(dst.Rows[y], x, table[p[2 * x] | (p[2 * x + 1] << 8)]);
    }
    return;
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) Put16(dst.Rows[y], x, Pack16(dst, ColorAt(src, y, x)));
  }
}

static void ConvertToDirect(TFastDIB& dst, const TFastDIB& src, int step) {
  const int s = src.BitCount();
  const int w = src.Width(), h = src.Height();
  for (int y = 0; y < h; ++y) {
    std::uint8_t* out = dst.Rows[y];
    if ((s == 24 || s == 32) && s == dst.BitCount()) {
      std::memcpy(out, src.Rows[y], static_cast<std::size_t>(w) * step);
      continue;
    }
    for (int x = 0; x < w; ++x, out += step) {
      const Rgb c = ColorAt(src, y, x);
      out[0] = c.b;
      out[1] = c.g;
      out[2] = c.r;
      if (step == 4) out[3] = 0;
    }
  }
}

void ConvertTo24Bit(TFastDIB& dst, const TFastDIB& src) { ConvertToDirect(dst, src, 3); }

void ConvertTo32Bit(TFastDIB& dst, const TFastDIB& src) { ConvertToDirect(dst, src, 4); }

void ConvertFastDIB(TFastDIB& dst, const TFastDIB& src, std::uint8_t colourLimit, bool dither) {
  const int d = dst.BitCount(), s = src.BitCount();
  // A limit of 0 asks for as many colours as the target holds.
  const std::uint8_t limit = colourLimit == 0 ? 255 : colourLimit;
  const std::uint8_t limit4 = std::min<std::uint8_t>(limit, 15);
  switch (d) {
    case 1:
      if (src.CountColors() <= 2) {
        ConvertTo1Bit(dst, src);
      } else {
        TFastDIB t;
        t.SetSize(src.Width(), src.Height(), 0, 8);
        QuantizeVia(t, src, 1, dither);
        ConvertTo1Bit(dst, t);
      }
      break;
    case 4:
      if (s != 8 && src.CountColors() <= limit4 + 1) {
        ConvertTo4Bit(dst, src);
      } else {
        TFastDIB t;
        t.SetSize(src.Width(), src.Height(), 0, 8);
        QuantizeVia(t, src, limit4, dither);
        ConvertTo4Bit(dst, t);
      }
      break;
    case 8:
      if (src.CountColors() <= limit + 1) {
        ConvertTo8Bit(dst, src);
      } else {
        QuantizeVia(dst, src, limit, dither);
      }
      break;
    case 16:
      if (dither && (s == 24 || s == 32)) {
        DitherTo16(dst, src);
      } else {
        ConvertTo16Bit(dst, src);
      }
      break;
    case 24: ConvertTo24Bit(dst, src); break;
    case 32: ConvertTo32Bit(dst, src); break;
    default: break;
  }
}

}  // namespace vorn
