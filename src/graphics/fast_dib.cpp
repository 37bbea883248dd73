#include "graphics/fast_dib.h"

#include <cstdlib>

#include "platform/display_format.h"

namespace vorn {

TFastDIB::TFastDIB() { Colors = Info.colors.data(); }

TFastDIB::~TFastDIB() = default;

int TFastDIB::ProbeDisplay16() { return platform::CurrentDisplayFormat().format16; }

void TFastDIB::Describe(std::uint8_t* memory, int width, int height, int format, int bits) {
  if (bits == 0) bits = platform::CurrentDisplayFormat().bitsPerPixel;
  if (format == 0) {
    if (bits == 16) format = ProbeDisplay16();
    if (bits == 32) format = 888;
  }
  AbsHeight = std::abs(height);
  RowBytes = ((bits * width + 31) >> 5) * 4;
  switch (bits) {
    case 1:
    case 4: Gap = RowBytes - width / (8 / bits); break;
    case 8: Gap = RowBytes - width; break;
    default: Gap = RowBytes - (bits / 8) * width; break;
  }
  Format = format;
  Info = TFastDIBInfo{};
  Info.biWidth = width;
  Info.biHeight = -AbsHeight;
  Info.biBitCount = static_cast<std::uint16_t>(bits);
  Info.biSizeImage = static_cast<std::uint32_t>(RowBytes) * static_cast<std::uint32_t>(AbsHeight);
  BShr = GShr = GShl = RShr = RShl = 0;
  if (bits == 16 || bits == 32) {
    Info.biCompression = kBiBitfields;
    const int b = format % 10, g = (format / 10) % 10, r = (format / 100) % 10;
    const auto mask = [](int count) { return count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1; };
    Info.colors[2] = mask(b);
    Info.colors[1] = mask(g) << b;
    Info.colors[0] = mask(r) << (b + g);
    BShr = static_cast<std::uint8_t>(8 - b);
    GShr = static_cast<std::uint8_t>(8 - g);
    GShl = static_cast<std::uint8_t>(b);
    RShr = static_cast<std::uint8_t>(8 - r);
    RShl = static_cast<std::uint8_t>(b + g);
  }
  if (memory) {
    Bits = memory;
    Rows.resize(static_cast<std::size_t>(AbsHeight));
    for (int y = 0; y < AbsHeight; ++y) Rows[y] = memory + static_cast<std::ptrdiff_t>(y) * RowBytes;
  }
}

void TFastDIB::SetSize(int width, int height, int format, int bits) {
  if (bits == Info.biBitCount && width == Info.biWidth && height == AbsHeight && format == Format &&
      dc_) {
    return;
  }
  Describe(nullptr, width, height, format, bits);
  memory_.assign(static_cast<std::size_t>(RowBytes) * static_cast<std::size_t>(AbsHeight), 0);
  Bits = memory_.data();
  Rows.resize(static_cast<std::size_t>(AbsHeight));
  for (int y = 0; y < AbsHeight; ++y) Rows[y] = Bits + static_cast<std::ptrdiff_t>(y) * RowBytes;
  dc_ = std::make_unique<gdi::MemoryDC>();
  BindDC();
}

void TFastDIB::BindDC() {
  gdi::PixelStore store;
  store.width = Info.biWidth;
  store.height = AbsHeight;
  store.bitCount = Info.biBitCount;
  // The drawing layer walks rows bottom-up from `bits`; a negative step walks this top-down memory.
  store.widthBytes = -RowBytes;
  store.bits = AbsHeight > 0 ? Bits + static_cast<std::ptrdiff_t>(AbsHeight - 1) * RowBytes : Bits;
  if (Info.biBitCount == 16 || Info.biBitCount == 32) {
    store.redMask = Info.colors[0];
    store.greenMask = Info.colors[1];
    store.blueMask = Info.colors[2];
  }
  if (Info.biBitCount <= 8) {
    store.colorTable = Colors;
    store.colorCount = 1 << Info.biBitCount;
  }
  dc_->Bind(store);
}

int TFastDIB::GetPixelIndex(int row, int x) const {
  const std::uint8_t* p = Rows[row];
  switch (Info.biBitCount) {
    case 1: return (p[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (p[x >> 1] & 15) : (p[x >> 1] >> 4);
    case 8: return p[x];
    default: return 0;
  }
}

void TFastDIB::SetPixelIndex(int row, int x, int index) {
  std::uint8_t* p = Rows[row];
  switch (Info.biBitCount) {
    case 1: {
      const int shift = 7 - (x & 7);
      p[x >> 3] = static_cast<std::uint8_t>((p[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
      break;
    }
    case 4:
      if (x & 1) {
        p[x >> 1] = static_cast<std::uint8_t>((p[x >> 1] & 0xF0) | (index & 15));
      } else {
        p[x >> 1] = static_cast<std::uint8_t>((p[x >> 1] & 0x0F) | ((index & 15) << 4));
      }
      break;
    case 8: p[x] = static_cast<std::uint8_t>(index); break;
    default: break;
  }
}

int TFastDIB::CountColors() const {
  const int bits = Info.biBitCount;
  const int width = Info.biWidth;
  int count = 0;
  switch (bits) {
    case 1: return Colors[0] != Colors[1] ? 2 : 1;
    case 4:
    case 8: {
      std::vector<std::uint16_t> unseen(256, 0xFFFF);
      for (int y = 0; y < AbsHeight; ++y) {
        for (int x = 0; x < width; ++x) {
          const int i = GetPixelIndex(y, x);
          if (unseen[i]) {
            unseen[i] = 0;
            ++count;
          }
        }
      }
      return count;
    }
    case 16: {
      std::vector<std::uint16_t> unseen(65536, 0xFFFF);
      for (int y = 0; y < AbsHeight; ++y) {
        const std::uint8_t* p = Rows[y];
        for (int x = 0; x < width; ++x, p += 2) {
          const int w = p[0] | (p[1] << 8);
          if (unseen[w]) {
            unseen[w] = 0;
            ++count;
          }
        }
      }
      return count;
    }
    case 24:
    case 32: {
      std::vector<std::uint64_t> seen(std::size_t{1} << 18, 0);
      const int step = bits / 8;
      for (int y = 0; y < AbsHeight; ++y) {
        const std::uint8_t* p = Rows[y];
        for (int x = 0; x < width; ++x, p += step) {
          const std::uint32_t key = (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
          std::uint64_t& word = seen[key >> 6];
          const std::uint64_t bit = std::uint64_t{1} << (key & 63);
          if (!(word & bit)) {
            word |= bit;
            ++count;
          }
        }
      }
      return count;
    }
    default: return 0;
  }
}

}  // namespace vorn
