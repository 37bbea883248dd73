#pragma once

// Colour tables built once the screen's depth is known: the pixel of each grey level in the
// screen's 16-bit format and in 8-8-8, and the fire colours in the screen's 16-bit format.

#include <array>
#include <cstdint>

namespace vorn {

// The 256 colours of the flames, 0xRRGGBB, coldest first.
extern const std::array<std::uint32_t, 256> kFirePalette;

// Grey level i (red = green = blue = i) as a pixel: 5-5-5 on a 15-bit screen, else 5-6-5.
extern std::array<std::uint16_t, 256> GreyPixels16;
// Grey level i as an 8-8-8 pixel.
extern std::array<std::uint32_t, 256> GreyPixels32;
// The fire palette as 16-bit pixels of the screen's format (5-5-5 on a 15-bit screen).
extern std::array<std::uint16_t, 256> FireColors16;

// Fills the three tables for a screen of that many bits per pixel (15 selects 5-5-5).
void BuildGreyTables(int bit_count);

}  // namespace vorn
