#include "graphics/dibx.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#include "graphics/pixel_format.h"

namespace vorn {
namespace {

// 0x00RRGGBB of every 16-bit pixel of a format, by the bitmap's unpack rule (a 5-bit 31 gives
// 255, 16 gives 144).
class Unpack16Table {
 public:
  static const std::uint32_t* For(const TPixelFormatMasks& format) {
    static Unpack16Table t555(PixelFormat555());
    static Unpack16Table t565(PixelFormat565());
    if (format.SameMasks(PixelFormat555())) return t555.table_.data();
    if (format.SameMasks(PixelFormat565())) return t565.table_.data();
    return nullptr;
  }

 private:
  explicit Unpack16Table(const TPixelFormatMasks& format) : table_(65536) {
    for (std::uint32_t p = 0; p < 65536; ++p) {
      std::uint8_t r, g, b;
      UnpackPixel(format, p, r, g, b);
      table_[p] = RGBQuadFromRGB(r, g, b);
    }
  }
  std::vector<std::uint32_t> table_;
};

bool Is888(const gdi::PixelStore& s) {
  return s.redMask == 0xFF0000u && s.greenMask == 0xFF00u && s.blueMask == 0xFFu;
}

// Nearest-pixel copy of a top-down source rectangle into a 24- or 32-bit 8-8-8 target. Returns
// false when the formats need the general path.
bool PresentFast(const gdi::PixelStore& dst, int x, int y, int w, int h, const gdi::PixelStore& src,
                 int xs, int ys, int ws, int hs, const TPixelFormatMasks& srcFormat) {
  if (!((dst.bitCount == 32 && Is888(dst)) || dst.bitCount == 24)) return false;
  const std::uint32_t* lut16 = nullptr;
  switch (src.bitCount) {
    case 16:
      lut16 = Unpack16Table::For(srcFormat);
      if (lut16 == nullptr) return false;
      break;
    case 32:
      if (!Is888(src)) return false;
      break;
    case 24:
    case 8:
      break;
    default:
      return false;
  }
  if (src.bitCount == 8 && src.colorTable == nullptr) return false;
  if (!dst.Valid() || !src.Valid() || w <= 0 || h <= 0 || ws <= 0 || hs <= 0) return true;
  // Destination columns whose target and source pixels both exist.
  std::vector<int> columns;
  std::vector<int> sourceColumn;
  columns.reserve(static_cast<std::size_t>(std::min(w, dst.width)));
  for (int dx = 0; dx < w; ++dx) {
    const std::int64_t tx = static_cast<std::int64_t>(x) + dx;
    if (tx < 0 || tx >= dst.width) continue;
    const std::int64_t sx = xs + static_cast<std::int64_t>(dx) * ws / w;
    if (sx < 0 || sx >= src.width) continue;
    columns.push_back(static_cast<int>(tx));
    sourceColumn.push_back(static_cast<int>(sx));
  }
  if (columns.empty()) return true;
  const bool contiguous = w == ws && columns.back() - columns.front() + 1 ==
                                         static_cast<int>(columns.size());
  const std::uint32_t colours = static_cast<std::uint32_t>(std::max(src.colorCount, 0));
  for (int dy = 0; dy < h; ++dy) {
    const std::int64_t ty = static_cast<std::int64_t>(y) + dy;
    if (ty < 0 || ty >= dst.height) continue;
    const std::int64_t sy = ys + static_cast<std::int64_t>(dy) * hs / h;
    if (sy < 0 || sy >= src.height) continue;
    std::uint8_t* out = dst.Row(static_cast<int>(ty));
    const std::uint8_t* in = src.Row(static_cast<int>(sy));
    if (contiguous && dst.bitCount == 32 && src.bitCount == 32) {
      std::memcpy(out + static_cast<std::ptrdiff_t>(columns.front()) * 4,
                  in + static_cast<std::ptrdiff_t>(sourceColumn.front()) * 4, columns.size() * 4);
      continue;
    }
    if (contiguous && dst.bitCount == 32 && src.bitCount == 16) {
      std::uint8_t* o = out + static_cast<std::ptrdiff_t>(columns.front()) * 4;
      const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(sourceColumn.front()) * 2;
      for (std::size_t i = 0; i < columns.size(); ++i) {
        std::uint16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        std::memcpy(o + 4 * i, &lut16[v], 4);
      }
      continue;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const int sx = sourceColumn[i];
      std::uint32_t rgb;
      switch (src.bitCount) {
        case 16: {
          std::uint16_t p;
          std::memcpy(&p, in + static_cast<std::ptrdiff_t>(sx) * 2, 2);
          rgb = lut16[p];
          break;
        }
        case 32:
          std::memcpy(&rgb, in + static_cast<std::ptrdiff_t>(sx) * 4, 4);
          break;
        case 24: {
          const std::uint8_t* p = in + static_cast<std::ptrdiff_t>(sx) * 3;
          rgb = p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
          break;
        }
        default: {
          const std::uint32_t index = in[sx];
          rgb = index < colours ? (src.colorTable[index] & 0xFFFFFFu) : 0u;
          break;
        }
      }
      if (dst.bitCount == 32) {
        std::memcpy(out + static_cast<std::ptrdiff_t>(columns[i]) * 4, &rgb, 4);
      } else {
        std::uint8_t* p = out + static_cast<std::ptrdiff_t>(columns[i]) * 3;
        p[0] = static_cast<std::uint8_t>(rgb);
        p[1] = static_cast<std::uint8_t>(rgb >> 8);
        p[2] = static_cast<std::uint8_t>(rgb >> 16);
      }
    }
  }
  return true;
}

}  // namespace

TDIBX::TDIBX() : dib_(std::make_unique<TDIBSurface>()) { dib_->SetSize(1, 1, 15); }

TDIBX::~TDIBX() = default;

int TDIBX::GetBitCount() { return dib_->GetBitCount(); }

void TDIBX::SetBitCount(int count) {
  if (count == GetBitCount()) return;
  // The bitmap's own sizing turns 15 into a 5-5-5 store and 16 into 5-6-5; asking it for a raw
  // 16 after choosing 5-5-5 here would be overruled by that sizing.
  dib_->SetBitCount(count);
}

std::uint32_t TDIBX::GetRedMask() { return static_cast<std::uint32_t>(dib_->NowPixelFormat().RedMask); }
std::uint32_t TDIBX::GetGreenMask() {
  return static_cast<std::uint32_t>(dib_->NowPixelFormat().GreenMask);
}
std::uint32_t TDIBX::GetBlueMask() {
  return static_cast<std::uint32_t>(dib_->NowPixelFormat().BlueMask);
}
int TDIBX::GetPitch() { return dib_->NextLine(); }

bool TDIBX::InSurface(int x, int y) {
  return x >= 0 && y >= 0 && x < GetWidth() && y < GetHeight() && x < dib_->Width() &&
         y < dib_->Height();
}

std::uint32_t TDIBX::GetPixel(int x, int y) {
  if (!InSurface(x, y)) return 0;
  return dib_->GetPixel(x, y);
}

void TDIBX::SetPixel(int x, int y, std::uint32_t value) {
  if (!InSurface(x, y)) return;
  dib_->SetPixel(x, y, value);
}

int TDIBX::GetBlueShift() { return 0; }
int TDIBX::GetGreenShift() { return dib_->NowPixelFormat().BlueBits; }
int TDIBX::GetRedShift() {
  return dib_->NowPixelFormat().BlueBits + dib_->NowPixelFormat().GreenBits;
}
int TDIBX::GetRawBitCount() { return dib_->BitCount(); }

void TDIBX::SetSize(int width, int height, int bitCount) {
  dib_->SetSize(width, height, bitCount);
  TCustomDIBX::SetSize(width, height, bitCount);
}

std::uint8_t* TDIBX::Lock(int x, int y) {
  if (!InSurface(x, y)) return nullptr;
  std::uint8_t* row = dib_->GetScanLine(y);
  switch (dib_->BitCount()) {
    case 1:
      return row + x / 8;
    case 4:
      return row + x / 2;
    case 8:
      return row + x;
    case 16:
      return row + static_cast<std::ptrdiff_t>(x) * 2;
    case 24:
      return row + static_cast<std::ptrdiff_t>(x) * 3;
    case 32:
      return row + static_cast<std::ptrdiff_t>(x) * 4;
    default:
      return nullptr;
  }
}

gdi::HDC TDIBX::GetDC() { return dib_->GetCanvas().Handle(); }

TCanvas* TDIBX::GetCanvas() { return &dib_->GetCanvas(); }

std::int32_t TDIBX::ColorToPixel(std::int32_t color) {
  if (color < 0) return -1;
  const auto c = static_cast<std::uint32_t>(color);
  const std::uint32_t r = c & 0xFFu, g = (c >> 8) & 0xFFu, b = (c >> 16) & 0xFFu;
  switch (GetBitCount()) {
    case 15:
    case 16:
    case 32: {
      const TPixelFormatMasks& f = dib_->PixelFormat;
      const std::uint32_t pixel = ((r >> f.RedLoss) << (f.BlueBits + f.GreenBits)) |
                                  ((g >> f.GreenLoss) << f.BlueBits) | (b >> f.BlueLoss);
      return static_cast<std::int32_t>(pixel);
    }
    case 24:
      // 24-bit pixels hold blue in the low byte, like every 8-8-8 pixel.
      return static_cast<std::int32_t>((r << 16) | (g << 8) | b);
    default:
      return color;
  }
}

void TDIBX::Fill(std::uint32_t value) {
  if (GetWidth() <= 0 || GetHeight() <= 0 || dib_->GetEmpty()) return;
  const int bits = GetBitCount();
  if (bits == 24 || bits == 32) {
    FillRect(GetBoundsRect(), value);
    return;
  }
  std::uint8_t* memory = dib_->GetBitsForWrite();
  const std::size_t size = static_cast<std::size_t>(dib_->Size());
  switch (bits) {
    case 1:
      std::memset(memory, value != 0 ? 0xFF : 0, size);
      break;
    case 4:
      std::memset(memory, static_cast<int>((value | (value << 4)) & 0xFFu), size);
      break;
    case 8:
      std::memset(memory, static_cast<int>(value & 0xFFu), size);
      break;
    case 15:
    case 16: {
      const auto word = static_cast<std::uint16_t>(value);
      for (std::size_t i = 0; i + 1 < size; i += 2) std::memcpy(memory + i, &word, 2);
      break;
    }
    default:
      break;
  }
}

void TDIBX::Draw(TCustomDIBX& source) {
  auto* other = dynamic_cast<TDIBX*>(&source);
  if (other != nullptr && other != this && other->GetWidth() == GetWidth() &&
      other->GetHeight() == GetHeight() && other->GetPitch() == GetPitch() &&
      other->GetBitCount() == GetBitCount() && GetWidth() > 0 && GetHeight() > 0 &&
      other->dib_->Size() == dib_->Size() && !dib_->GetEmpty()) {
    std::memcpy(dib_->GetBitsForWrite(), other->dib_->GetBitsForWrite(),
                static_cast<std::size_t>(dib_->Size()));
    return;
  }
  TCustomDIBX::Draw(source);
}

void TDIBX::Clear() {
  TCustomDIBX::Clear();
  dib_->SetSize(8, 8, GetBitCount());
}

void TDIBX::GetPalette(std::uint8_t* entries) {
  if (entries == nullptr) return;
  std::memcpy(entries, dib_->ColorTable, sizeof(dib_->ColorTable));
}

void TDIBX::GetPaletteEntries(std::uint8_t* entries, int first, int count) {
  if (entries == nullptr) return;
  const std::int64_t from = std::max<std::int64_t>(first, 0);
  const std::int64_t to = std::min<std::int64_t>(static_cast<std::int64_t>(first) + count, kColorTableEntries);
  for (std::int64_t i = from; i < to; ++i)
    std::memcpy(entries + (i - first) * 4, &dib_->ColorTable[i], 4);
}

void TDIBX::SetPalette(const std::uint8_t* entries) {
  if (entries == nullptr) return;
  std::memcpy(dib_->ColorTable, entries, sizeof(dib_->ColorTable));
  dib_->UpdatePalette();
}

void TDIBX::SetPaletteEntries(const std::uint8_t* entries, int first, int count) {
  if (entries == nullptr) return;
  const std::int64_t from = std::max<std::int64_t>(first, 0);
  const std::int64_t to = std::min<std::int64_t>(static_cast<std::int64_t>(first) + count, kColorTableEntries);
  for (std::int64_t i = from; i < to; ++i)
    std::memcpy(&dib_->ColorTable[i], entries + (i - first) * 4, 4);
  dib_->UpdatePalette();
}

void TDIBX::Present(gdi::HDC target, int xDest, int yDest, int wDest, int hDest, int xSrc,
                    int ySrc, int wSrc, int hSrc) {
  if (target == nullptr || dib_->GetEmpty() || GetWidth() <= 0 || GetHeight() <= 0) return;
  dib_->EnsureUncompressed();
  const gdi::PixelStore source = dib_->Image()->View();
  if (PresentFast(target->Store(), xDest, yDest, wDest, hDest, source, xSrc, ySrc, wSrc, hSrc,
                  dib_->NowPixelFormat()))
    return;
  // The general path: a bottom-up copy whose source row counts from the bottom.
  gdi::StretchDIBits(target, xDest, yDest, wDest, hDest, xSrc, dib_->Height() - ySrc - hSrc, wSrc,
                     hSrc, source, gdi::SRCCOPY);
}

void TDIBX::Release() { dib_->DetachHandle(); }

}  // namespace vorn
