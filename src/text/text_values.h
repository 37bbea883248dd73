#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vorn {

// Alignment values shared by the markup, the glyphs and the layout.
enum : std::uint8_t {
  kAlignNone = 0,
  kAlignLeft = 1,
  kAlignRight = 2,
  kAlignCenter = 3,
  kAlignTop = 4,
  kAlignBottom = 5,
};

// Text style flags.
enum : std::uint8_t {
  kStyleBold = 1,
  kStyleItalic = 2,
  kStyleUnderline = 4,
  kStyleStrikeOut = 8,
};

// Glyph kinds: the codes glyph streams write.
enum : int {
  kGlyphNone = 0,
  kGlyphChar = 1,
  kGlyphAlign = 2,
  kGlyphReturn = 3,
  kGlyphIndent = 4,
  kGlyphUndent = 5,
  kGlyphEvent = 6,
  kGlyphVar = 7,
  kGlyphImage = 9,
};

// Sizes, borders and scripted opacities may be any int32, so sums of them are formed in 64 bits
// and clamped where they are stored back.
inline std::int32_t SaturateToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

}  // namespace vorn
