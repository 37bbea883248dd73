#pragma once

// How red, green and blue are packed into a 15-, 16-, 24- or 32-bit pixel, and the colour
// routines that move between components, colour-table words and palette entries.

#include <cstdint>

namespace vorn {

// Blue always holds the lowest bits, then green, then red; there is no alpha field. The twelve
// fields keep their stored order: bitmaps embed the record and compare it by value.
struct TPixelFormatMasks {
  std::int32_t RedMask = 0;
  std::int32_t GreenMask = 0;
  std::int32_t BlueMask = 0;
  std::int32_t RedBits = 0;
  std::int32_t GreenBits = 0;
  std::int32_t BlueBits = 0;
  std::int32_t RedShift = 0;    // right shift bringing red's top bit to bit 7
  std::int32_t GreenShift = 0;  // right shift bringing green's top bit to bit 7
  std::int32_t BlueShift = 0;   // LEFT shift bringing blue's top bit to bit 7
  std::int32_t RedLoss = 0;
  std::int32_t GreenLoss = 0;
  std::int32_t BlueLoss = 0;

  bool operator==(const TPixelFormatMasks&) const = default;
  bool SameMasks(const TPixelFormatMasks& other) const {
    return RedMask == other.RedMask && GreenMask == other.GreenMask && BlueMask == other.BlueMask;
  }
};

// A colour table always has 256 entries of 0x00RRGGBB (blue, green, red, reserved in memory).
constexpr int kColorTableEntries = 256;
using TColorTable = std::uint32_t[kColorTableEntries];

TPixelFormatMasks MakePixelFormatMasks(int redBits, int greenBits, int blueBits);
// Counts the bits of each mask; the positions are not kept (blue lowest, then green, then red).
TPixelFormatMasks MakePixelFormatFromMasks(std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask);
// Consecutive set bits from the lowest set bit; 0 for 0, 32 for all bits set.
int CountMaskBits(std::uint32_t mask);

// An 8-bit component placed into a channel mask of any width and position: its top bits fill the
// mask (or it is widened by shifting when the mask is wider than 8 bits).
std::uint32_t PlaceChannel(std::uint32_t value8, std::uint32_t mask);

std::uint32_t PackPixel(const TPixelFormatMasks& format, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
void UnpackPixel(const TPixelFormatMasks& format, std::uint32_t pixel, std::uint8_t& red, std::uint8_t& green,
                 std::uint8_t& blue);

inline const TPixelFormatMasks& PixelFormat555() {
  static const TPixelFormatMasks format = MakePixelFormatMasks(5, 5, 5);
  return format;
}
inline const TPixelFormatMasks& PixelFormat565() {
  static const TPixelFormatMasks format = MakePixelFormatMasks(5, 6, 5);
  return format;
}
inline const TPixelFormatMasks& PixelFormat888() {
  static const TPixelFormatMasks format = MakePixelFormatMasks(8, 8, 8);
  return format;
}

void MakeGreyColorTable(std::uint32_t* table);
constexpr std::uint32_t RGBQuadFromRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) | blue;
}
// Exchanges bytes 0 and 2 and clears byte 3: colour-table word to palette-entry word and back.
constexpr std::uint32_t SwapRedBlue(std::uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}
void PaletteEntriesToColorTable(const std::uint32_t* entries, std::uint32_t* table);
void ColorTableToPaletteEntries(const std::uint32_t* table, std::uint32_t* entries);

}  // namespace vorn
