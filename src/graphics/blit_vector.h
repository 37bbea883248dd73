#pragma once

// Vector inner loops of the drawing operations, each the twin of a plain per-pixel rule in the
// operation itself: they give the same pixels and are used only when VectorUnitAvailable is set.
// Rows are 32-bit pixels, walked left to right.

#include <cstdint>

namespace vorn::blit::vec {

// Whether this build has the loops at all.
bool Compiled();

// DrawRect with a key: pixels equal to key leave the destination.
void CopyKeyedRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t key);
// DrawOpacity at 32 bits: all four bytes blended with weight w; pixels equal to the destination
// (or to the key when keyed) leave it.
void BlendRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w, bool keyed,
                std::uint32_t key);
// DrawAdd at 32 bits: each of the three low bytes gets (w x s) shr 8 added with saturation, the
// top byte becomes 0; pixels equal to the key (when keyed) leave the destination. w is at most 256.
void AddRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w, bool keyed,
              std::uint32_t key);

}  // namespace vorn::blit::vec
