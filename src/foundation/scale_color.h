#pragma once

#include <algorithm>
#include <cstdint>

namespace vorn {

// Each 8-bit channel of a 0x00BBGGRR colour times factor / 256, truncated; the top byte of the
// result is 0. A factor above 256 brightens up to 255 per channel rather than spilling into the
// next channel; a negative factor gives black.
constexpr std::uint32_t ScaleColor(std::uint32_t color, std::int32_t factor) {
  std::uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::int64_t channel = (color >> shift) & 0xFF;
    const std::int64_t scaled = std::clamp<std::int64_t>(channel * factor / 256, 0, 255);
    result |= static_cast<std::uint32_t>(scaled) << shift;
  }
  return result;
}

}  // namespace vorn
