#include "graphics/dib_surface.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorn {

TDIBSurface::TDIBSurface() { DetachHandle(); }

TDIBSurface::~TDIBSurface() = default;

void TDIBSurface::SetSize(int width, int height, int bitCount) {
  // A refused size leaves the picture as it was, the format asked for included, so colours still
  // turn into the pixels the store holds.
  const TPixelFormatMasks previous = PixelFormat;
  if (bitCount == 15) {
    PixelFormat = PixelFormat555();
    bitCount = 16;
  } else if (bitCount == 16) {
    PixelFormat = PixelFormat565();
  } else {
    PixelFormat = PixelFormat888();
  }
  try {
    TDIB::SetSize(width, height, bitCount);
  } catch (...) {
    PixelFormat = previous;
    throw;
  }
  if (alpha_) alpha_->SetSize(width, height, 8);
}

void TDIBSurface::Clear() {
  TDIB::Clear();
  alpha_.reset();
}

int TDIBSurface::GetBitCount() const {
  if (BitCount() == 16 && NowPixelFormat().GreenMask == 0x03E0) return 15;
  return BitCount();
}

void TDIBSurface::EnsureAlphaPlane() {
  if (!alpha_) alpha_ = std::make_unique<TDIBSurface>();
  if (alpha_->Width() != Width() || alpha_->Height() != Height() || alpha_->BitCount() != 8) {
    alpha_->Clear();
    alpha_->SetSize(Width(), Height(), 8);
    alpha_->DetachHandle();
  }
}

void TDIBSurface::SetAlphaPlane(TDIB& source) {
  EnsureAlphaPlane();
  if (alpha_->GetEmpty() || source.GetEmpty()) return;
  const int rows = std::min(alpha_->Height(), source.Height());
  const int bytes = std::min(alpha_->Width(), source.Width());
  for (int y = 0; y < rows; ++y) std::memcpy(alpha_->GetScanLine(y), source.ReadScanLine(y), static_cast<std::size_t>(bytes));
}

void TDIBSurface::SetAlphaPlaneRect(TDIB& source, const TRect& rect) {
  EnsureAlphaPlane();
  if (alpha_->GetEmpty() || source.GetEmpty()) return;
  const TRect r = ClipRectTo(rect, MakeRect(0, 0, source.Width(), source.Height()));
  if (RectIsEmpty(r)) return;
  const int rows = std::min(r.Height(), alpha_->Height());
  const int bytes = std::min(r.Width(), alpha_->Width());
  for (int i = 0; i < rows; ++i)
    std::memcpy(alpha_->GetScanLine(i), source.ReadScanLine(r.top + i) + r.left, static_cast<std::size_t>(bytes));
}

void TDIBSurface::ClearAlphaPlane() {
  if (alpha_ && !alpha_->GetEmpty())
    std::memset(alpha_->GetBitsForWrite(), 255, static_cast<std::size_t>(alpha_->Size()));
}

void TDIBSurface::FillRectPixel(const TRect& rect, std::uint32_t value) {
  const int left = std::max(rect.left, 0);
  const int top = std::max(rect.top, 0);
  const int right = std::min(rect.right, Width());
  const int bottom = std::min(rect.bottom, Height());
  if (left >= right || top >= bottom) return;
  const int depth = GetBitCount();
  if (depth == 1) value &= 1;
  if (depth == 4) value &= 0x0F;
  if (depth == 15) value &= 0x7FFF;
  for (int y = top; y < bottom; ++y) {
    std::uint8_t* row = GetScanLine(y);
    switch (depth) {
      case 1: {
        int x = left;
        for (; x < right && (x & 7) != 0; ++x) {
          const auto bit = static_cast<std::uint8_t>(128 >> (x & 7));
          row[x >> 3] = value ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        }
        for (; x + 8 <= right; x += 8) row[x >> 3] = value ? 0xFF : 0x00;
        for (; x < right; ++x) {
          const auto bit = static_cast<std::uint8_t>(128 >> (x & 7));
          row[x >> 3] = value ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        }
        break;
      }
      case 4: {
        int x = left;
        if (x & 1) {
          row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | value);
          ++x;
        }
        for (; x + 2 <= right; x += 2) row[x >> 1] = static_cast<std::uint8_t>(value * 0x11);
        if (x < right) row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | (value << 4));
        break;
      }
      case 8:
        std::memset(row + left, static_cast<int>(value & 0xFF), static_cast<std::size_t>(right - left));
        break;
      case 15:
      case 16:
        for (int x = left; x < right; ++x) {
          row[2 * x] = static_cast<std::uint8_t>(value);
          row[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
        }
        break;
      case 24:
        for (int x = left; x < right; ++x) {
          row[3 * x] = static_cast<std::uint8_t>(value);
          row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
          row[3 * x + 2] = static_cast<std::uint8_t>(value >> 16);
        }
        break;
      case 32:
        for (int x = left; x < right; ++x) std::memcpy(row + 4 * x, &value, 4);
        break;
      default:
        return;
    }
  }
}

void TDIBSurface::FlipHorizontal() {
  const int w = Width();
  for (int y = 0; y < Height(); ++y)
    for (int x = 0; x < w / 2; ++x) {
      const std::uint32_t a = GetPixel(x, y);
      SetPixel(x, y, GetPixel(w - 1 - x, y));
      SetPixel(w - 1 - x, y, a);
    }
}

void TDIBSurface::FlipVertical() {
  const int h = Height();
  const auto stride = static_cast<std::size_t>(WidthBytes());
  std::vector<std::uint8_t> buffer(stride);
  for (int y = 0; y < h / 2; ++y) {
    std::uint8_t* a = GetScanLine(y);
    std::uint8_t* b = GetScanLine(h - 1 - y);
    std::memcpy(buffer.data(), a, stride);
    std::memcpy(a, b, stride);
    std::memcpy(b, buffer.data(), stride);
  }
}

namespace {
int SurfaceDepth(const TDIB& dib) {
  if (dib.BitCount() == 16 && dib.NowPixelFormat().GreenMask == 0x03E0) return 15;
  return dib.BitCount();
}
}  // namespace

void TDIBSurface::CopyFrom(TDIB& source) {
  if (&source == this) return;
  PixelFormat = source.PixelFormat;
  SetSize(source.Width(), source.Height(), SurfaceDepth(source));
  std::memcpy(ColorTable, source.ColorTable, sizeof(ColorTable));
  UpdatePalette();
  const auto stride = static_cast<std::size_t>(std::min(WidthBytes(), source.WidthBytes()));
  for (int y = 0; y < Height(); ++y) std::memcpy(GetScanLine(y), source.ReadScanLine(y), stride);
  auto* surface = dynamic_cast<TDIBSurface*>(&source);
  if (surface && surface->alpha_) {
    EnsureAlphaPlane();
    alpha_->CopyFrom(*surface->alpha_);
  } else {
    FreeAlphaPlane();
  }
}

void TDIBSurface::AssignSurface(TDIBSurface& source) {
  if (&source == this) return;
  SetSize(source.Width(), source.Height(), source.GetBitCount());
  std::memcpy(ColorTable, source.ColorTable, sizeof(ColorTable));
  UpdatePalette();
  DrawSurface(0, 0, source);
  if (source.alpha_) {
    EnsureAlphaPlane();
    alpha_->CopyFrom(*source.alpha_);
  } else {
    FreeAlphaPlane();
  }
}

void TDIBSurface::AssignRect(TDIBSurface& source, const TRect& rect, bool withAlpha) {
  // Rectangles reaching outside the source are cut to it.
  const TRect r = ClipRectTo(rect, source.GetBoundsRect());
  if (&source == this) {
    TDIBSurface copy;
    copy.AssignRect(source, r, withAlpha);
    CopyFrom(copy);
    return;
  }
  FreeAlphaPlane();
  if (RectIsEmpty(r)) {
    Clear();
    return;
  }
  SetSize(r.Width(), r.Height(), source.GetBitCount());
  std::memcpy(ColorTable, source.ColorTable, sizeof(ColorTable));
  UpdatePalette();
  DrawRect(0, 0, source, r);
  if (withAlpha && source.alpha_) SetAlphaPlaneRect(*source.alpha_, r);
}

void TDIBSurface::Crop(const TRect& rect) {
  TDIBSurface part;
  part.AssignRect(*this, rect, true);
  CopyFrom(part);
}

TRect TDIBSurface::GetContentRect(std::int32_t color) {
  TRect r = GetBoundsRect();
  if (color == -1 || GetEmpty()) return r;
  const auto key = static_cast<std::uint32_t>(color);
  auto columnIs = [&](int x, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
      if (GetPixel(x, y) != key) return false;
    return true;
  };
  auto rowIs = [&](int y, int left, int right) {
    for (int x = left; x < right; ++x)
      if (GetPixel(x, y) != key) return false;
    return true;
  };
  while (r.left < r.right && columnIs(r.left, r.top, r.bottom)) ++r.left;
  while (r.right > r.left && columnIs(r.right - 1, r.top, r.bottom)) --r.right;
  while (r.top < r.bottom && rowIs(r.top, r.left, r.right)) ++r.top;
  while (r.bottom > r.top && rowIs(r.bottom - 1, r.left, r.right)) --r.bottom;
  if (RectIsEmpty(r)) return TRect{};
  return r;
}

void TDIBSurface::TrimToColor(std::int32_t color) {
  TRect r = GetContentRect(color);
  if (r == GetBoundsRect()) return;
  if (RectIsEmpty(r)) r = MakeRect(0, 0, 1, 1);
  Crop(r);
}

int TDIBSurface::FindUnusedIndex() {
  const int w = Width();
  switch (BitCount()) {
    case 1: {
      if (GetEmpty()) return -1;
      const int first = static_cast<int>(GetPixel(0, 0));
      const std::uint8_t whole = first ? 0xFF : 0x00;
      for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* row = ReadScanLine(y);
        int x = 0;
        for (; x + 8 <= w; x += 8)
          if (row[x >> 3] != whole) return -1;
        for (; x < w; ++x)
          if (static_cast<int>((row[x >> 3] >> (7 - (x & 7))) & 1) != first) return -1;
      }
      return first ^ 1;
    }
    case 4:
    case 8: {
      const int count = 1 << BitCount();
      std::vector<bool> seen(static_cast<std::size_t>(count), false);
      for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* row = ReadScanLine(y);
        if (BitCount() == 8) {
          for (int x = 0; x < w; ++x) seen[row[x]] = true;
        } else {
          for (int x = 0; x + 2 <= w; x += 2) {
            seen[row[x >> 1] >> 4] = true;
            seen[row[x >> 1] & 0x0F] = true;
          }
          if (w & 1) seen[row[w >> 1] >> 4] = true;
        }
      }
      for (int i = 0; i < count; ++i)
        if (!seen[i]) return i;
      return -1;
    }
    default:
      return -1;
  }
}

void TDIBSurface::PixelToRGB8(std::uint32_t pixel, bool extend, std::uint8_t& red, std::uint8_t& green,
                              std::uint8_t& blue) const {
  const int depth = GetBitCount();
  auto widen = [&](std::uint32_t v, std::uint32_t fill) {
    return static_cast<std::uint8_t>(extend && v != 0 ? v | fill : v);
  };
  switch (depth) {
    case 24:
    case 32:
      blue = static_cast<std::uint8_t>(pixel);
      green = static_cast<std::uint8_t>(pixel >> 8);
      red = static_cast<std::uint8_t>(pixel >> 16);
      break;
    case 16:
      blue = widen((pixel & 0x1F) << 3, 7);
      green = widen(((pixel >> 5) & 0x3F) << 2, 3);
      red = widen(((pixel >> 11) & 0x1F) << 3, 7);
      break;
    case 15:
      blue = widen((pixel & 0x1F) << 3, 7);
      green = widen(((pixel >> 5) & 0x1F) << 3, 7);
      red = widen(((pixel >> 10) & 0x1F) << 3, 7);
      break;
    case 1:
    case 4:
    case 8: {
      const std::uint32_t c = ColorTable[pixel & 0xFF];
      red = static_cast<std::uint8_t>(c >> 16);
      green = static_cast<std::uint8_t>(c >> 8);
      blue = static_cast<std::uint8_t>(c);
      break;
    }
    default:
      red = green = blue = 0;
      break;
  }
}

std::uint32_t TDIBSurface::RGB8ToPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
  switch (GetBitCount()) {
    case 1:
    case 4:
    case 8: {
      const int index = gdi::GetNearestPaletteIndex(GetPalette(), gdi::RGB(red, green, blue));
      return index < 0 ? 0 : static_cast<std::uint32_t>(index);
    }
    case 15:
      return ((green >> 3u) << 5) | (blue >> 3u) | ((red >> 3u) << 10);
    case 16:
      return ((green >> 2u) << 5) | (blue >> 3u) | ((red >> 3u) << 11);
    case 24:
    case 32:
      return blue | (green << 8u) | (static_cast<std::uint32_t>(red) << 16);
    default:
      return 0;
  }
}

void TDIBSurface::PixelToRGB(std::uint32_t pixel, int& red, int& green, int& blue) const {
  switch (GetBitCount()) {
    case 15:
      red = (pixel >> 10) & 0x1F;
      green = (pixel >> 5) & 0x1F;
      blue = pixel & 0x1F;
      break;
    case 16:
      red = (pixel >> 11) & 0x1F;
      green = (pixel >> 5) & 0x3F;
      blue = pixel & 0x1F;
      break;
    case 24:
    case 32:
      red = (pixel >> 16) & 0xFF;
      green = (pixel >> 8) & 0xFF;
      blue = pixel & 0xFF;
      break;
    case 1:
    case 4:
    case 8: {
      const std::uint32_t c = ColorTable[pixel & 0xFF];
      red = (c >> 16) & 0xFF;
      green = (c >> 8) & 0xFF;
      blue = c & 0xFF;
      break;
    }
    default:
      red = green = blue = 0;
      break;
  }
}

std::uint32_t TDIBSurface::RGBToPixel(int red, int green, int blue) const {
  const auto r = static_cast<std::uint32_t>(red), g = static_cast<std::uint32_t>(green),
             b = static_cast<std::uint32_t>(blue);
  switch (GetBitCount()) {
    case 1:
    case 4:
    case 8:
      return RGB8ToPixel(static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                         static_cast<std::uint8_t>(blue));
    case 15:
      return ((r << 10) | (g << 5) | b) & 0x7FFF;
    case 16:
      return ((r << 11) | (g << 5) | b) & 0xFFFF;
    case 24:
    case 32:
      return (r << 16) | (g << 8) | b;
    default:
      return 0;
  }
}

void TDIBSurface::AssignToBitmap(std::vector<std::uint8_t>& rows) {
  rows.assign(static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height()) * 3, 0);
  if (GetEmpty()) return;
  EnsureUncompressed();
  const gdi::PixelStore view = Image()->View();
  std::size_t at = 0;
  for (int y = 0; y < Height(); ++y)
    for (int x = 0; x < Width(); ++x) {
      const std::uint32_t rgb = gdi::ReadPixelRGB(view, x, y);
      rows[at++] = static_cast<std::uint8_t>(rgb >> 16);
      rows[at++] = static_cast<std::uint8_t>(rgb >> 8);
      rows[at++] = static_cast<std::uint8_t>(rgb);
    }
}

void TDIBSurface::AssignJPEG(IRGBRowsSink& jpeg) {
  std::vector<std::uint8_t> rows;
  AssignToBitmap(rows);
  jpeg.TakeRGBRows(Width(), Height(), rows);
}

void TDIBSurface::PresentToDC(gdi::HDC dc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc,
                              int hSrc) {
  if (GetEmpty()) return;
  EnsureUncompressed();
  gdi::StretchDIBits(dc, xDest, yDest, wDest, hDest, xSrc, Height() - ySrc - hSrc, wSrc, hSrc, Image()->View(),
                     gdi::SRCCOPY);
}

}  // namespace vorn
