#pragma once

#include <cstdint>

#include "foundation/rect.h"
#include "graphics/custom_dibx.h"

namespace vorn {

// The target's own pixel for the grey with red = green = blue = level (0..255).
inline std::uint32_t GreyPixel(TCustomDIBX& target, int level) {
  const auto v = static_cast<std::int32_t>(level & 0xFF);
  return static_cast<std::uint32_t>(target.ColorToPixel(v | (v << 8) | (v << 16)));
}

// Adds the pixel to every channel with saturation, or subtracts it down to 0 when darken is set.
inline void WashRect(TCustomDIBX& target, const TRect& rect, std::uint32_t pixel, bool darken) {
  if (darken)
    target.SubColorRect(rect, pixel);
  else
    target.AddColorRect(rect, pixel);
}

}  // namespace vorn
