// Depth change, the blur, greyscale and negative filters of TDIB, and their progress reports.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/dib.h"
#include "platform/gdi/gdi.h"

namespace vorn {

namespace {

struct RGB8 {
  std::uint8_t r, g, b;
};

// Colours of one row of a picture, read by its depth: palette entries at 8 bits and less, the
// format's fields at 16 and 32, bytes at 24.
void ReadRowColours(const std::uint8_t* row, int width, int bitCount, const TPixelFormatMasks& format,
                    const std::uint32_t* table, RGB8* out) {
  for (int x = 0; x < width; ++x) {
    std::uint32_t index = 0;
    switch (bitCount) {
      case 1:
        index = (row[x >> 3] >> (7 - (x & 7))) & 1;
        break;
      case 4:
        index = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        break;
      case 8:
        index = row[x];
        break;
      case 16:
        UnpackPixel(format, row[2 * x] | (row[2 * x + 1] << 8), out[x].r, out[x].g, out[x].b);
        continue;
      case 24:
        out[x] = RGB8{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
        continue;
      case 32: {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        UnpackPixel(format, v, out[x].r, out[x].g, out[x].b);
        continue;
      }
      default:
        out[x] = RGB8{0, 0, 0};
        continue;
    }
    const std::uint32_t c = table[index];
    out[x] = RGB8{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)};
  }
}

void WritePacked(std::uint8_t* row, int x, int bitCount, const TPixelFormatMasks& format, std::uint8_t r,
                 std::uint8_t g, std::uint8_t b) {
  switch (bitCount) {
    case 16: {
      const std::uint32_t v = PackPixel(format, r, g, b);
      row[2 * x] = static_cast<std::uint8_t>(v);
      row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      break;
    }
    case 24:
      row[3 * x] = b;
      row[3 * x + 1] = g;
      row[3 * x + 2] = r;
      break;
    case 32: {
      const std::uint32_t v = PackPixel(format, r, g, b);
      std::memcpy(row + 4 * x, &v, 4);
      break;
    }
    default:
      break;
  }
}

// One row of the r-g-b colour table: every one of the 256 entries from the low bits of i.
void MakeRGBTable(int r, int g, int b, std::uint32_t* table) {
  const int rm = (1 << r) - 1, gm = (1 << g) - 1, bm = (1 << b) - 1;
  for (int i = 0; i < kColorTableEntries; ++i) {
    const int red = ((i >> (g + b)) & rm) * 255 / rm;
    const int green = ((i >> b) & gm) * 255 / gm;
    const int blue = (i & bm) * 255 / bm;
    table[i] = RGBQuadFromRGB(static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                              static_cast<std::uint8_t>(blue));
  }
}

}  // namespace

void TDIB::SetFilterGreyRamp(int bitCount) {
  if (bitCount > 8) return;
  std::memset(ColorTable, 0, sizeof(ColorTable));
  for (int i = 0; i < (1 << bitCount); ++i) {
    int d = i << (8 - bitCount);
    d |= d >> bitCount;
    ColorTable[i] = RGBQuadFromRGB(static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(d));
  }
  UpdatePalette();
}

void TDIB::ConvertBitCount(int bitCount) {
  if (GetEmpty()) return;
  TDIB source;
  source.Assign(this);
  SetSize(width_, height_, bitCount);
  if (image_ == source.image_) return;
  const int s = source.bitCount_;
  // What the sizing made of the request: a surface stores depth 15 as 16 bits.
  const int d = bitCount_;
  if (s <= 8 && d <= 8 && d >= s) {
    for (int y = 0; y < height_; ++y) {
      std::uint8_t* row = GetScanLine(y);
      for (int x = 0; x < width_; ++x) gdi::WriteRawPixel(row, d, x, source.GetPixel(x, y));
    }
    return;
  }
  if (d <= 8) {
    std::uint32_t table[kColorTableEntries];
    if (d == 1) {
      for (int i = 0; i < kColorTableEntries; ++i) table[i] = (i & 1) ? 0xFFFFFF : 0;
    } else if (d == 4) {
      MakeRGBTable(1, 2, 1, table);
    } else {
      MakeRGBTable(3, 3, 2, table);
    }
    std::memcpy(ColorTable, table, sizeof(table));
    UpdatePalette();
    GetCanvas().Draw(0, 0, source);
    return;
  }
  source.EnsureUncompressed();
  std::vector<RGB8> colours(static_cast<std::size_t>(width_));
  for (int y = 0; y < height_; ++y) {
    ReadRowColours(source.RowAddress(y), width_, s, source.nowPixelFormat_, source.ColorTable, colours.data());
    std::uint8_t* row = GetScanLine(y);
    for (int x = 0; x < width_; ++x) WritePacked(row, x, d, nowPixelFormat_, colours[x].r, colours[x].g, colours[x].b);
  }
}

namespace {
// Ends a progress run however the operation leaves.
template <typename End>
struct ProgressGuard {
  End end;
  ~ProgressGuard() { end(); }
};
template <typename End>
ProgressGuard(End) -> ProgressGuard<End>;
}  // namespace

void TDIB::Blur(int bitCount, int radius) {
  if (GetEmpty() || radius == 0) return;
  const std::int64_t r = std::min<std::int64_t>(std::llabs(static_cast<long long>(radius)), std::max(width_, height_));
  StartProgress("Blur");
  ProgressGuard guard{[this] { EndProgress(); }};
  TDIB source;
  source.Assign(this);
  SetSize(width_, height_, bitCount);
  SetFilterGreyRamp(bitCount);
  source.EnsureUncompressed();

  const int w = width_, h = height_;
  // The source colours once, then running sums: one accumulator per column over the window of
  // rows, and a running sum across those along each output row, so the cost does not grow with r.
  std::vector<RGB8> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    ReadRowColours(source.RowAddress(y), w, source.bitCount_, source.nowPixelFormat_, source.ColorTable,
                   pixels.data() + static_cast<std::size_t>(y) * w);
  struct Sum {
    std::int64_t r = 0, g = 0, b = 0, n = 0;
  };
  std::vector<Sum> columns(static_cast<std::size_t>(w));
  auto addRow = [&](std::int64_t y, int sign) {
    const RGB8* p = pixels.data() + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      columns[x].r += sign * p[x].r;
      columns[x].g += sign * p[x].g;
      columns[x].b += sign * p[x].b;
      columns[x].n += sign;
    }
  };
  for (std::int64_t y = 0; y <= std::min<std::int64_t>(r, h - 1); ++y) addRow(y, 1);
  const int outBits = bitCount_;
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = GetScanLine(y);
    Sum window;
    for (std::int64_t x = 0; x <= std::min<std::int64_t>(r, w - 1); ++x) {
      window.r += columns[x].r;
      window.g += columns[x].g;
      window.b += columns[x].b;
      window.n += columns[x].n;
    }
    for (int x = 0; x < w; ++x) {
      const std::int64_t n = window.n;
      switch (outBits) {
        case 1:
          gdi::WriteRawPixel(row, 1, x, (window.r + window.g + window.b) / n / 3 >= 128 ? 1 : 0);
          break;
        case 4:
          gdi::WriteRawPixel(row, 4, x, static_cast<std::uint32_t>((window.r + window.g + window.b) / n / 48));
          break;
        case 8:
          gdi::WriteRawPixel(row, 8, x, static_cast<std::uint32_t>((window.r + window.g + window.b) / n / 3));
          break;
        default:
          WritePacked(row, x, outBits, nowPixelFormat_, static_cast<std::uint8_t>(window.r / n),
                      static_cast<std::uint8_t>(window.g / n), static_cast<std::uint8_t>(window.b / n));
          break;
      }
      const std::int64_t enter = x + r + 1;
      const std::int64_t leave = x - r;
      if (enter < w) {
        window.r += columns[enter].r;
        window.g += columns[enter].g;
        window.b += columns[enter].b;
        window.n += columns[enter].n;
      }
      if (leave >= 0) {
        window.r -= columns[leave].r;
        window.g -= columns[leave].g;
        window.b -= columns[leave].b;
        window.n -= columns[leave].n;
      }
    }
    UpdateProgress(y);
    if (y - r >= 0) addRow(y - r, -1);
    if (y + r + 1 < h) addRow(y + r + 1, 1);
  }
}

void TDIB::Greyscale(int bitCount) {
  if (GetEmpty()) return;
  TDIB source;
  source.Assign(this);
  SetSize(width_, height_, bitCount);
  SetFilterGreyRamp(bitCount);
  source.EnsureUncompressed();
  int tr[256], tg[256], tb[256];
  for (int v = 0; v < 256; ++v) {
    tr[v] = static_cast<int>(std::trunc(v * 0.3588));
    tg[v] = static_cast<int>(std::trunc(v * 0.402));
    tb[v] = static_cast<int>(std::trunc(v * 0.2392));
  }
  StartProgress("Greyscale");
  ProgressGuard guard{[this] { EndProgress(); }};
  std::vector<RGB8> colours(static_cast<std::size_t>(width_));
  for (int y = 0; y < height_; ++y) {
    ReadRowColours(source.RowAddress(y), width_, source.bitCount_, source.nowPixelFormat_, source.ColorTable,
                   colours.data());
    std::uint8_t* row = GetScanLine(y);
    for (int x = 0; x < width_; ++x) {
      const int c = tr[colours[x].r] + tg[colours[x].g] + tb[colours[x].b];
      switch (bitCount_) {
        case 1:
          gdi::WriteRawPixel(row, 1, x, c > 127 ? 1 : 0);
          break;
        case 4:
          gdi::WriteRawPixel(row, 4, x, static_cast<std::uint32_t>(c >> 4));
          break;
        case 8:
          gdi::WriteRawPixel(row, 8, x, static_cast<std::uint32_t>(c));
          break;
        default: {
          const auto g = static_cast<std::uint8_t>(c);
          WritePacked(row, x, bitCount_, nowPixelFormat_, g, g, g);
          break;
        }
      }
    }
    UpdateProgress(y);
  }
}

void TDIB::Negative() {
  if (GetEmpty()) return;
  if (bitCount_ > 8) {
    std::uint8_t* bits = GetBitsForWrite();
    for (int i = 0; i < size_; ++i) bits[i] = static_cast<std::uint8_t>(~bits[i]);
    return;
  }
  for (auto& entry : ColorTable) entry ^= 0x00FFFFFF;
  UpdatePalette();
}

void TDIB::StartProgress(const std::string& caption) {
  progressCaption_ = caption;
  progressOld_ = 0;
  progressOldTime_ = ProgressClock();
  progressY_ = 0;
  progressOldY_ = 0;
  Progress(TProgressStage::psStarting, 0, false, MakeRect(0, 0, width_, height_), progressCaption_);
}

void TDIB::UpdateProgress(int row) {
  const std::int64_t now = ProgressClock();
  const bool redraw = now - progressOldTime_ > 200 && progressY_ - progressOldY_ > 32 &&
                      (progressOldY_ != 0 || progressY_ < height_ / 3);
  const int percent = height_ > 0 ? static_cast<int>(static_cast<std::int64_t>(row) * 100 / height_) : 100;
  if (percent != progressOld_ || redraw) {
    Progress(TProgressStage::psRunning, percent, redraw, MakeRect(0, progressOldY_, width_, progressY_),
             progressCaption_);
    if (redraw) {
      progressOldY_ = progressY_;
      progressOldTime_ = now;
    }
  }
  progressOld_ = percent;
  ++progressY_;
}

void TDIB::EndProgress() {
  Progress(TProgressStage::psEnding, 100, true, MakeRect(0, progressOldY_, width_, height_), progressCaption_);
}

}  // namespace vorn
