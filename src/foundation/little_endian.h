#pragma once

// Little-endian integers in byte buffers, as every stored format of the system writes them. On a
// little-endian host the 32-bit forms are plain copies, which keeps the pixel loops that use them
// open to vectorisation; elsewhere, and in constant expressions, they go byte by byte.

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace vorn {

inline constexpr std::uint16_t GetLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline constexpr std::uint32_t GetLE24(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16);
}

inline constexpr std::uint32_t GetLE32(const std::uint8_t* p) {
  if (!std::is_constant_evaluated() && std::endian::native == std::endian::little) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  return GetLE24(p) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Writes the low 16 bits of v.
inline constexpr void PutLE16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline constexpr void PutLE32(std::uint8_t* p, std::uint32_t v) {
  if (!std::is_constant_evaluated() && std::endian::native == std::endian::little) {
    std::memcpy(p, &v, sizeof v);
    return;
  }
  PutLE16(p, v);
  PutLE16(p + 2, v >> 16);
}

}  // namespace vorn
