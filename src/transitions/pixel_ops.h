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

// Adds (or, darkening, subtracts) a grey pixel with saturation per channel, by the same rules
// as the surfaces' AddColorRect and SubColorRect.
template <typename Pixel>
inline std::uint32_t WashPixel(std::uint32_t base, std::uint32_t grey, bool darken, const blit::Channels& c) {
  if constexpr (sizeof(Pixel) == 4)
    return darken ? blit::SubFloor4(base, grey) : blit::AddSaturate4(base, grey);
  else
    return darken ? blit::SubFloor(base, grey, c) : blit::AddSaturate(base, grey, c);
}

}  // namespace vorn
