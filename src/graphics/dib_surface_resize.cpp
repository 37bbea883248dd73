#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "graphics/dib_surface.h"
#include "graphics/fast_dib.h"
#include "graphics/fast_dib_convert.h"

namespace vorn {
namespace {

// Rounds halves to even, like the original's Round.
int RoundChannel(double value) {
  return std::clamp(static_cast<int>(std::nearbyint(value)), 0, 255);
}

void Put24(std::uint8_t* row, int x, int r, int g, int b) {
  row[3 * x] = static_cast<std::uint8_t>(b);
  row[3 * x + 1] = static_cast<std::uint8_t>(g);
  row[3 * x + 2] = static_cast<std::uint8_t>(r);
}

// A 24-bit copy of any picture, made by the drawing layer's colour-converting copy.
void CopyTo24(TDIBSurface& source, TDIBSurface& rgb) {
  rgb.PixelFormat = PixelFormat888();
  rgb.SetSize(source.Width(), source.Height(), 24);
  if (source.GetEmpty()) return;
  if (source.BitCount() == 24) {
    for (int y = 0; y < source.Height(); ++y) {
      std::memcpy(rgb.GetScanLine(y), source.ReadScanLine(y), static_cast<std::size_t>(source.Width()) * 3);
    }
    return;
  }
  source.EnsureUncompressed();
  rgb.Changing(true);
  gdi::MemoryDC to(rgb.Image()->View());
  gdi::MemoryDC from(source.Image()->View());
  gdi::BitBlt(&to, 0, 0, source.Width(), source.Height(), &from, 0, 0, gdi::SRCCOPY);
}

int FastFormatFor(int bitCount) {
  switch (bitCount) {
    case 15: return 555;
    case 16: return 565;
    case 32: return 888;
    default: return 0;
  }
}

}  // namespace

void TDIBSurface::SetSizeAndFormat(int width, int height, int bitCount) {
  SetSize(width, height, bitCount);
}

void TDIBSurface::Resize(int width, int height, bool smooth, std::int32_t key) {
  if (width == Width() && height == Height()) return;
  std::unique_ptr<TDIBSurface> alpha;
  if (Alpha()) {
    alpha = std::make_unique<TDIBSurface>();
    alpha->CopyFrom(*Alpha());
    alpha->Resize(width, height, smooth, -1);
    FreeAlphaPlane();
  }
  TDIBSurface copy;
  copy.CopyFrom(*this);
  const int oldWidth = copy.Width(), oldHeight = copy.Height();

  if (!smooth) {
    std::uint32_t table[kColorTableEntries];
    std::memcpy(table, ColorTable, sizeof table);
    // A picture that was never sized has no depth: it becomes a 24-bit one.
    SetSize(width, height, GetBitCount() > 0 ? GetBitCount() : 24);
    std::memcpy(ColorTable, table, sizeof table);
    UpdatePalette();
    if (!GetEmpty() && !copy.GetEmpty()) {
      copy.EnsureUncompressed();
      Changing(true);
      gdi::MemoryDC to(Image()->View());
      to.SetStretchBltMode(gdi::COLORONCOLOR);
      gdi::MemoryDC from(copy.Image()->View());
      gdi::StretchBlt(&to, 0, 0, width, height, &from, 0, 0, oldWidth, oldHeight, gdi::SRCCOPY);
    }
  } else {
    const int initialDepth = GetBitCount() > 0 ? GetBitCount() : 24;
    std::uint32_t table[kColorTableEntries];
    std::memcpy(table, ColorTable, sizeof table);
    TDIBSurface source;
    CopyTo24(copy, source);
    PixelFormat = PixelFormat888();
    SetSize(width, height, 24);
    // An empty picture has no pixels to scale: the result is the fresh picture of the new size.
    if (!GetEmpty() && oldWidth > 0 && oldHeight > 0) {
      const double sx = static_cast<double>(width) / oldWidth;
      const double sy = static_cast<double>(height) / oldHeight;
      const auto channels = [&source, oldWidth, oldHeight](int x, int y, int c[3]) {
        if (x >= oldWidth || y >= oldHeight) {
          c[0] = c[1] = c[2] = 0;  // beyond the last column or row reads black
          return;
        }
        const std::uint8_t* p = source.ReadScanLine(y) + 3 * x;
        c[0] = p[2];
        c[1] = p[1];
        c[2] = p[0];
      };
      if (width > oldWidth || height > oldHeight) {
        for (int r = 0; r < height; ++r) {
          const double fy = r / sy;
          const int iy = static_cast<int>(fy);
          const double wy[2] = {1 - (fy - iy), fy - iy};
          std::uint8_t* out = GetScanLine(r);
          for (int s = 0; s < width; ++s) {
            const double fx = s / sx;
            const int ix = static_cast<int>(fx);
            const double wx[2] = {1 - (fx - ix), fx - ix};
            double sum[3] = {0, 0, 0};
            for (int j = 0; j < 2; ++j) {
              for (int i = 0; i < 2; ++i) {
                int c[3];
                channels(ix + i, iy + j, c);
                for (int k = 0; k < 3; ++k) sum[k] += c[k] * wx[i] * wy[j];
              }
            }
            Put24(out, s, RoundChannel(sum[0]), RoundChannel(sum[1]), RoundChannel(sum[2]));
          }
        }
      } else {
        for (int r = 0; r < height; ++r) {
          const int y0 = static_cast<int>(r / sy);
          const int y1 = std::min(static_cast<int>((r + 1) / sy) - 1, oldHeight - 1);
          std::uint8_t* out = GetScanLine(r);
          for (int s = 0; s < width; ++s) {
            const int x0 = static_cast<int>(s / sx);
            const int x1 = std::min(static_cast<int>((s + 1) / sx) - 1, oldWidth - 1);
            long sum[3] = {0, 0, 0};
            long count = 0;
            for (int y = y0; y <= y1; ++y) {
              const std::uint8_t* row = source.ReadScanLine(y);
              for (int x = x0; x <= x1; ++x) {
                const std::uint8_t* p = row + 3 * x;
                const std::int32_t value = p[0] | (p[1] << 8) | (p[2] << 16);
                if (value == key) continue;
                sum[0] += p[2];
                sum[1] += p[1];
                sum[2] += p[0];
                ++count;
              }
            }
            if (count == 0) {
              const auto k = static_cast<std::uint32_t>(key);
              Put24(out, s, (k >> 16) & 0xFF, (k >> 8) & 0xFF, k & 0xFF);
            } else {
              Put24(out, s, RoundChannel(static_cast<double>(sum[0]) / count),
                    RoundChannel(static_cast<double>(sum[1]) / count),
                    RoundChannel(static_cast<double>(sum[2]) / count));
            }
          }
        }
      }
    }
    if (initialDepth <= 8) {
      TDIBSurface result;
      result.CopyFrom(*this);
      SetSizeAndFormat(width, height, initialDepth);
      std::memcpy(ColorTable, table, sizeof table);
      UpdatePalette();
      DrawMapped(0, 0, result, -1);
    } else if (initialDepth == 15 || initialDepth == 16) {
      TDIBSurface result;
      result.CopyFrom(*this);
      SetSizeAndFormat(width, height, initialDepth);
      if (!GetEmpty()) {
        Changing(true);
        gdi::MemoryDC to(Image()->View());
        gdi::MemoryDC from(result.Image()->View());
        gdi::BitBlt(&to, 0, 0, width, height, &from, 0, 0, gdi::SRCCOPY);
      }
    }
  }
  if (alpha) {
    SetAlphaPlane(*alpha);
    Alpha()->DetachHandle();
  }
  DetachHandle();
}

void TDIBSurface::ConvertTo(int bitCount, int colorCount, bool dither) {
  const int width = Width(), height = Height();
  const int depth = GetBitCount();
  if (depth <= 0 || GetEmpty()) {
    SetSize(width, height, bitCount);
    return;
  }
  TFastDIB source;
  source.SetSize(width, height, FastFormatFor(depth), depth == 15 ? 16 : depth);
  if (depth <= 8) {
    for (int i = 0; i < (1 << depth); ++i) source.Colors[i] = ColorTable[i] & 0xFFFFFF;
    for (int y = 0; y < height; ++y) {
      std::memcpy(source.Rows[y], ReadScanLine(y), static_cast<std::size_t>(source.RowBytes));
    }
  } else if (!GetEmpty()) {
    EnsureUncompressed();
    gdi::MemoryDC from(Image()->View());
    gdi::BitBlt(source.DC(), 0, 0, width, height, &from, 0, 0, gdi::SRCCOPY);
    DetachHandle();
  }
  TFastDIB target;
  target.SetSize(width, height, FastFormatFor(bitCount), bitCount == 15 ? 16 : bitCount);
  const auto limit = static_cast<std::uint8_t>(std::clamp(colorCount, 0, 255));
  if (bitCount == 1 && depth > 7) {
    TFastDIB four;
    four.SetSize(width, height, 0, 4);
    ConvertFastDIB(four, source, 15, dither);
    ConvertFastDIB(target, four, limit, dither);
  } else {
    ConvertFastDIB(target, source, limit, dither);
  }

  if (bitCount == 32) PixelFormat = PixelFormat888();
  SetSize(width, height, bitCount);
  if (bitCount <= 8) {
    for (int i = 0; i < (1 << bitCount); ++i) ColorTable[i] = target.Colors[i] & 0xFFFFFF;
    UpdatePalette();
  }
  if (GetEmpty()) return;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = GetScanLine(y);
    const std::uint8_t* in = target.Rows[y];
    if (bitCount <= 16) {
      std::memcpy(row, in, static_cast<std::size_t>(std::min(target.RowBytes, WidthBytes())));
      continue;
    }
    const int step = bitCount / 8;
    for (int x = 0; x < width; ++x, in += step) {
      std::uint32_t pixel = RGB8ToPixel(in[2], in[1], in[0]);
      if (bitCount == 32) pixel |= 0xFF000000u;
      for (int k = 0; k < step; ++k) row[step * x + k] = static_cast<std::uint8_t>(pixel >> (8 * k));
    }
  }
}

}  // namespace vorn
