#pragma once

// Script floats are x87 80-bit extended values, stored as their 10 bytes in pages, variable records
// and saved games. On x86-64 `long double` is that very format, so values round-trip exactly and
// arithmetic happens in the precision the stored games were made with.

#include <cstddef>
#include <cstdint>
#include <limits>

#include "foundation/stream.h"

namespace vorn {

using TExtended = long double;
static_assert(std::numeric_limits<TExtended>::digits == 64 && sizeof(TExtended) >= 10,
              "script floats need the 80-bit x87 extended format");

inline constexpr std::size_t kExtendedBytes = 10;

// 10 bytes little-endian: 64-bit mantissa with explicit integer bit, then sign and 15-bit exponent.
void PackExtended(TExtended value, std::uint8_t* bytes);
TExtended UnpackExtended(const std::uint8_t* bytes);

void WriteExtendedToStream(TStream& stream, TExtended value);
// Raises EReadError when fewer than 10 bytes are left.
TExtended ReadExtendedFromStream(TStream& stream);

}  // namespace vorn
