#include "platform/gdi/gdi.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <vector>

namespace vorn::gdi {

namespace {

struct PaletteRegistry {
  std::map<HPALETTE, std::vector<PaletteEntry>> palettes;
  HPALETTE next = 1;
};

PaletteRegistry& Registry() {
  static PaletteRegistry registry;
  return registry;
}

const std::vector<PaletteEntry>* FindPalette(HPALETTE palette) {
  auto& map = Registry().palettes;
  const auto it = map.find(palette);
  return it == map.end() ? nullptr : &it->second;
}

// Widens a mask field to 8 bits by repeating its bits from the top down.
std::uint32_t FieldToByte(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const std::uint32_t value = (pixel & mask) >> shift;
  if (bits >= 8) return (value >> (bits - 8)) & 0xFF;
  std::uint32_t result = 0;
  for (int b = 8 - bits; b > -bits; b -= bits) result |= b >= 0 ? value << b : value >> -b;
  return result & 0xFF;
}

std::uint32_t ByteToField(std::uint32_t byte, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const std::uint32_t value = bits >= 8 ? byte << (bits - 8) : byte >> (8 - bits);
  return (value << shift) & mask;
}

std::uint32_t ReadRaw(const PixelStore& s, int x, int y) { return ReadRawPixel(s.Row(y), s.bitCount, x); }

void WriteRaw(const PixelStore& s, int x, int y, std::uint32_t v) { WriteRawPixel(s.Row(y), s.bitCount, x, v); }

bool SameFormat(const PixelStore& a, const PixelStore& b) {
  if (a.bitCount != b.bitCount) return false;
  if (a.bitCount == 16 || a.bitCount == 32)
    return a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask;
  if (a.bitCount <= 8) {
    const int n = 1 << a.bitCount;
    if (a.colorTable == b.colorTable) return true;
    if (a.colorTable == nullptr || b.colorTable == nullptr || a.colorCount < n || b.colorCount < n)
      return false;
    return std::memcmp(a.colorTable, b.colorTable, static_cast<std::size_t>(n) * 4) == 0;
  }
  return true;
}

// Maps colours to the destination's pixels, remembering the last answer (runs of one colour are
// common and the palette search is linear).
class ColourWriter {
 public:
  explicit ColourWriter(const PixelStore& store) : store_(store) {}
  void Write(int x, int y, std::uint32_t rgb) {
    if (store_.bitCount <= 8) {
      if (rgb != lastRgb_) {
        lastRgb_ = rgb;
        lastIndex_ = NearestColorTableIndex(store_.colorTable, std::min(store_.colorCount, 1 << store_.bitCount),
                                            static_cast<std::uint8_t>(rgb >> 16),
                                            static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb));
        if (lastIndex_ < 0) lastIndex_ = 0;
      }
      WriteRaw(store_, x, y, static_cast<std::uint32_t>(lastIndex_));
    } else {
      WritePixelRGB(store_, x, y, rgb);
    }
  }

 private:
  const PixelStore& store_;
  std::uint32_t lastRgb_ = 0xFFFFFFFF;
  int lastIndex_ = 0;
};

// Nearest-pixel copy of source rectangle (top-down coordinates) into the destination rectangle.
bool StretchStores(const PixelStore& dst, int x, int y, int w, int h, const PixelStore& src, int xs, int ys,
                   int ws, int hs) {
  if (!dst.Valid() || !src.Valid() || w <= 0 || h <= 0 || ws <= 0 || hs <= 0) return false;
  const bool raw = SameFormat(dst, src);
  ColourWriter writer(dst);
  // Only the rows and columns that land inside the destination are walked, in 64 bits, so a
  // rectangle near the int32 limits neither wraps nor spins over pixels it cannot draw.
  const std::int64_t firstRow = std::max<std::int64_t>(0, -static_cast<std::int64_t>(y));
  const std::int64_t endRow = std::min<std::int64_t>(h, static_cast<std::int64_t>(dst.height) - y);
  const std::int64_t firstColumn = std::max<std::int64_t>(0, -static_cast<std::int64_t>(x));
  const std::int64_t endColumn = std::min<std::int64_t>(w, static_cast<std::int64_t>(dst.width) - x);
  for (std::int64_t dy = firstRow; dy < endRow; ++dy) {
    const auto ty = static_cast<int>(y + dy);
    const std::int64_t sy = ys + dy * hs / h;
    if (sy < 0 || sy >= src.height) continue;
    for (std::int64_t dx = firstColumn; dx < endColumn; ++dx) {
      const auto tx = static_cast<int>(x + dx);
      const std::int64_t sx = xs + dx * ws / w;
      if (sx < 0 || sx >= src.width) continue;
      if (raw)
        WriteRaw(dst, tx, ty, ReadRaw(src, static_cast<int>(sx), static_cast<int>(sy)));
      else
        writer.Write(tx, ty, ReadPixelRGB(src, static_cast<int>(sx), static_cast<int>(sy)));
    }
  }
  return true;
}

}  // namespace

HPALETTE CreatePalette(const PaletteEntry* entries, int count) {
  if (count <= 0) return 0;
  auto& registry = Registry();
  const HPALETTE handle = registry.next++;
  registry.palettes[handle] = std::vector<PaletteEntry>(entries, entries + count);
  return handle;
}

bool DeletePalette(HPALETTE palette) { return Registry().palettes.erase(palette) != 0; }

bool IsPalette(HPALETTE palette) { return FindPalette(palette) != nullptr; }

int GetPaletteEntryCount(HPALETTE palette) {
  const auto* entries = FindPalette(palette);
  return entries ? static_cast<int>(entries->size()) : 0;
}

int GetPaletteEntries(HPALETTE palette, int start, int count, PaletteEntry* out) {
  const auto* entries = FindPalette(palette);
  if (!entries || start < 0) return 0;
  int copied = 0;
  for (int i = start; i < static_cast<int>(entries->size()) && copied < count; ++i) out[copied++] = (*entries)[i];
  return copied;
}

int GetNearestPaletteIndex(HPALETTE palette, COLORREF colour) {
  const auto* entries = FindPalette(palette);
  if (!entries || entries->empty()) return -1;
  const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  int best = 0;
  int bestDistance = 0x7FFFFFFF;
  for (int i = 0; i < static_cast<int>(entries->size()); ++i) {
    const auto& e = (*entries)[i];
    const int dr = e.red - r, dg = e.green - g, db = e.blue - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

int LivePaletteCount() { return static_cast<int>(Registry().palettes.size()); }

int NearestColorTableIndex(const std::uint32_t* table, int count, std::uint8_t red, std::uint8_t green,
                           std::uint8_t blue) {
  if (table == nullptr || count <= 0) return -1;
  int best = 0;
  int bestDistance = 0x7FFFFFFF;
  for (int i = 0; i < count; ++i) {
    const int dr = static_cast<int>((table[i] >> 16) & 0xFF) - red;
    const int dg = static_cast<int>((table[i] >> 8) & 0xFF) - green;
    const int db = static_cast<int>(table[i] & 0xFF) - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return best;
}

std::uint32_t ReadPixelRGB(const PixelStore& store, int x, int y) {
  const std::uint32_t raw = ReadRaw(store, x, y);
  switch (store.bitCount) {
    case 1:
    case 4:
    case 8:
      if (store.colorTable == nullptr || static_cast<int>(raw) >= store.colorCount) return 0;
      return store.colorTable[raw] & 0xFFFFFF;
    case 16:
    case 32:
      return (FieldToByte(raw, store.redMask) << 16) | (FieldToByte(raw, store.greenMask) << 8) |
             FieldToByte(raw, store.blueMask);
    case 24:
      return raw;
    default:
      return 0;
  }
}

void WritePixelRGB(const PixelStore& store, int x, int y, std::uint32_t rgb) {
  const std::uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  switch (store.bitCount) {
    case 1:
    case 4:
    case 8: {
      const int index = NearestColorTableIndex(store.colorTable, std::min(store.colorCount, 1 << store.bitCount),
                                               static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                               static_cast<std::uint8_t>(b));
      WriteRaw(store, x, y, index < 0 ? 0 : static_cast<std::uint32_t>(index));
      break;
    }
    case 16:
    case 32:
      WriteRaw(store, x, y,
               ByteToField(r, store.redMask) | ByteToField(g, store.greenMask) | ByteToField(b, store.blueMask));
      break;
    case 24:
      WriteRaw(store, x, y, rgb & 0xFFFFFF);
      break;
    default:
      break;
  }
}

bool BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSource, int ySource,
            std::uint32_t rop) {
  if (destination == nullptr) return false;
  if (rop == WHITENESS || rop == BLACKNESS) return PatBlt(destination, x, y, width, height, rop);
  if (source == nullptr) return false;
  return StretchStores(destination->Store(), x, y, width, height, source->Store(), xSource, ySource, width, height);
}

bool StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int xSource, int ySource,
                int widthSource, int heightSource, std::uint32_t rop) {
  if (destination == nullptr) return false;
  if (rop == WHITENESS || rop == BLACKNESS) return PatBlt(destination, x, y, width, height, rop);
  if (source == nullptr) return false;
  return StretchStores(destination->Store(), x, y, width, height, source->Store(), xSource, ySource,
                       widthSource, heightSource);
}

bool StretchDIBits(HDC destination, int x, int y, int width, int height, int xSource, int ySource,
                   int widthSource, int heightSource, const PixelStore& source, std::uint32_t rop) {
  if (destination == nullptr) return false;
  if (rop == WHITENESS || rop == BLACKNESS) return PatBlt(destination, x, y, width, height, rop);
  const int topSource = source.height - ySource - heightSource;
  return StretchStores(destination->Store(), x, y, width, height, source, xSource, topSource, widthSource,
                       heightSource);
}

bool PatBlt(HDC destination, int x, int y, int width, int height, std::uint32_t rop) {
  if (destination == nullptr || width <= 0 || height <= 0) return false;
  FillSolidRect(destination, x, y, x + width, y + height, rop == WHITENESS ? RGB(255, 255, 255) : RGB(0, 0, 0));
  return true;
}

void FillSolidRect(HDC destination, int left, int top, int right, int bottom, COLORREF colour) {
  if (destination == nullptr) return;
  const PixelStore& s = destination->Store();
  if (!s.Valid()) return;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, s.width);
  bottom = std::min(bottom, s.height);
  const std::uint32_t rgb = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
  ColourWriter writer(s);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) writer.Write(x, y, rgb);
}

}  // namespace vorn::gdi
