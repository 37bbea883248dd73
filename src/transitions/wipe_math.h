#pragma once

// Arithmetic shared by the effects: real-valued steps rounded into the 32-bit range.

#include <cmath>
#include <cstdint>
#include <limits>

namespace vorn {

// Nearest integer, ties to even, saturated to int32; not-a-number gives 0.
inline std::int32_t RoundToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(rounded);
}

// A 64-bit value saturated to int32.
inline std::int32_t SaturateToInt32(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

}  // namespace vorn
