#pragma once

// The largest picture a stored file may describe. No project's picture comes near it (screens are
// a few megapixels), while a few bytes of header can claim gigapixels: every reader refuses such a
// size, with its format's own error, before it claims memory or inflates anything for it.

#include <cstdint>

namespace vorn {

inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 26;

// True when width x height pixels exceed kMaxPicturePixels; sizes of 0 or less hold no pixels.
inline bool ExceedsPictureLimit(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  return width > kMaxPicturePixels / height;
}

}  // namespace vorn
