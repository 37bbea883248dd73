#pragma once

// Vector inner loops of the drawing operations, each the twin of a plain per-pixel rule in the
// operation itself: they give the same pixels and are used only when VectorUnitAvailable is set.
// Rows are 32-bit pixels, walked left to right.

#include <cstdint>

#include "graphics/blit_common.h"

namespace vorn::blit::vec {

// Whether this build has the loops at all.
bool Compiled();

// DrawRect with a key: pixels equal to key leave the destination.
void CopyKeyedRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t key);
// DrawOpacity at 32 bits: all four bytes blended with weight w; pixels equal to the destination
// (or to the key when keyed) leave it.
void BlendRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w, bool keyed,
                std::uint32_t key);
// The same blend keeping only the three low bytes (the top byte becomes 0), every pixel blended
// whatever the destination holds; pixels equal to the key (when keyed) leave it.
void BlendRowChannels32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w,
                        bool keyed, std::uint32_t key);
// DrawAdd at 32 bits: each of the three low bytes gets (w x s) shr 8 added with saturation, the
// top byte becomes 0; pixels equal to the key (when keyed) leave the destination. w is at most 256.
void AddRow32(std::uint32_t* d, const std::uint32_t* s, int n, std::uint32_t w, bool keyed,
              std::uint32_t key);

// A row weighted per pixel by the mask bytes m under rule r; the same pixels as MaskRow32Plain.
void MaskRow32(std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* m, int n,
               const MaskRow& r);

}  // namespace vorn::blit::vec
