#include "graphics/pixel_format.h"

#include <bit>

namespace vorn {

namespace {
// Widths come from masks in files and may add up past 32 bits; such formats are refused later,
// but building them must stay defined.
std::uint32_t LowBits(int n) { return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1; }
std::uint32_t ShiftUp(std::uint32_t value, int n) { return n >= 32 ? 0 : value << n; }

// Shifts by a signed amount: negative shifts go the other way. Keeps formats with fewer than
// eight bits in total well defined.
std::uint32_t ShiftRight(std::uint32_t value, int shift) { return shift >= 0 ? value >> shift : value << -shift; }
std::uint32_t ShiftLeft(std::uint32_t value, int shift) { return shift >= 0 ? value << shift : value >> -shift; }
}  // namespace

TPixelFormatMasks MakePixelFormatMasks(int r, int g, int b) {
  TPixelFormatMasks f;
  f.RedMask = static_cast<std::int32_t>(ShiftUp(LowBits(r), g + b));
  f.GreenMask = static_cast<std::int32_t>(ShiftUp(LowBits(g), b));
  f.BlueMask = static_cast<std::int32_t>(LowBits(b));
  f.RedBits = r;
  f.GreenBits = g;
  f.BlueBits = b;
  f.RedShift = r + g + b - 8;
  f.GreenShift = g + b - 8;
  f.BlueShift = 8 - b;
  f.RedLoss = 8 - r;
  f.GreenLoss = 8 - g;
  f.BlueLoss = 8 - b;
  return f;
}

TPixelFormatMasks MakePixelFormatFromMasks(std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask) {
  return MakePixelFormatMasks(CountMaskBits(redMask), CountMaskBits(greenMask), CountMaskBits(blueMask));
}

int CountMaskBits(std::uint32_t mask) {
  int bit = 0;
  while (bit < 31 && ((mask >> bit) & 1) == 0) ++bit;
  int count = 0;
  while (bit + count < 32 && ((mask >> (bit + count)) & 1) != 0) ++count;
  return count;
}

std::uint32_t PlaceChannel(std::uint32_t value8, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int width = std::popcount(mask);
  const int shift = std::countr_zero(mask);
  const std::uint32_t field = width >= 8 ? value8 << (width - 8) : value8 >> (8 - width);
  return (field << shift) & mask;
}

std::uint32_t PackPixel(const TPixelFormatMasks& f, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return (ShiftLeft(red, f.RedShift) & static_cast<std::uint32_t>(f.RedMask)) |
         (ShiftLeft(green, f.GreenShift) & static_cast<std::uint32_t>(f.GreenMask)) |
         (ShiftRight(blue, f.BlueShift) & static_cast<std::uint32_t>(f.BlueMask));
}

void UnpackPixel(const TPixelFormatMasks& f, std::uint32_t pixel, std::uint8_t& red, std::uint8_t& green,
                 std::uint8_t& blue) {
  red = static_cast<std::uint8_t>(ShiftRight(pixel & static_cast<std::uint32_t>(f.RedMask), f.RedShift));
  red = static_cast<std::uint8_t>(red | ShiftRight(red, f.RedLoss));
  green = static_cast<std::uint8_t>(ShiftRight(pixel & static_cast<std::uint32_t>(f.GreenMask), f.GreenShift));
  green = static_cast<std::uint8_t>(green | ShiftRight(green, f.GreenLoss));
  blue = static_cast<std::uint8_t>(ShiftLeft(pixel & static_cast<std::uint32_t>(f.BlueMask), f.BlueShift));
  blue = static_cast<std::uint8_t>(blue | ShiftRight(blue, f.BlueLoss));
}

void MakeGreyColorTable(std::uint32_t* table) {
  for (std::uint32_t i = 0; i < kColorTableEntries; ++i) table[i] = (i << 16) | (i << 8) | i;
}

void PaletteEntriesToColorTable(const std::uint32_t* entries, std::uint32_t* table) {
  for (int i = 0; i < kColorTableEntries; ++i) table[i] = SwapRedBlue(entries[i]);
}

void ColorTableToPaletteEntries(const std::uint32_t* table, std::uint32_t* entries) {
  for (int i = 0; i < kColorTableEntries; ++i) entries[i] = SwapRedBlue(table[i]);
}

}  // namespace vorn
