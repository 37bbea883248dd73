#pragma once

// Pixel access of the per-pixel effects at 15/16 bits (std::uint16_t) and 32 bits.

#include <cstdint>
#include <cstring>

#include "graphics/blit_common.h"

namespace vorn {

template <typename Pixel>
inline Pixel LoadPixel(const std::uint8_t* row, int x) {
  Pixel p;
  std::memcpy(&p, row + static_cast<std::ptrdiff_t>(x) * sizeof(Pixel), sizeof(Pixel));
  return p;
}

template <typename Pixel>
inline void StorePixel(std::uint8_t* row, int x, std::uint32_t value) {
  const auto p = static_cast<Pixel>(value);
  std::memcpy(row + static_cast<std::ptrdiff_t>(x) * sizeof(Pixel), &p, sizeof(Pixel));
}

// The four bytes of a and b added, each stopping at 255, without a loop over the bytes: the low
// seven bits of each byte are added apart from the top bits, whose carries are worked out after.
inline std::uint32_t AddBytesSaturated(std::uint32_t a, std::uint32_t b) {
  constexpr std::uint32_t kLow = 0x7F7F7F7Fu, kHigh = 0x80808080u;
  const std::uint32_t low = (a & kLow) + (b & kLow);
  const std::uint32_t sum = low ^ ((a ^ b) & kHigh);
  const std::uint32_t carry = ((a & b) | ((a | b) & low)) & kHigh;
  return sum | ((carry >> 7) * 0xFFu);
}

// The four bytes of b taken from those of a, each stopping at 0.
inline std::uint32_t SubtractBytesFloored(std::uint32_t a, std::uint32_t b) {
  constexpr std::uint32_t kLow = 0x7F7F7F7Fu, kHigh = 0x80808080u;
  const std::uint32_t low = (a | kHigh) - (b & kLow);
  const std::uint32_t difference = low ^ ((a ^ ~b) & kHigh);
  const std::uint32_t borrow = ((~a & b) | (~(a ^ b) & difference)) & kHigh;
  return difference & ~((borrow >> 7) * 0xFFu);
}

// Adds (or, darkening, subtracts) a grey pixel with saturation per channel, by the same rules
// as the surfaces' AddColorRect and SubColorRect.
template <typename Pixel>
inline std::uint32_t WashPixel(std::uint32_t base, std::uint32_t grey, bool darken, const blit::Channels& c) {
  if constexpr (sizeof(Pixel) == 4)
    return darken ? SubtractBytesFloored(base, grey) : AddBytesSaturated(base, grey);
  else
    return darken ? blit::SubFloor(base, grey, c) : blit::AddSaturate(base, grey, c);
}

}  // namespace vorn
