#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "foundation/errors.h"

namespace vorn {

// A PNG file could not be decoded; what() carries libpng's own message.
class EPngError : public Exception {
 public:
  using Exception::Exception;
};

// A decoded PNG in the shape the rest of the graphics code works with: rows top-down, tightly
// packed (no DIB padding), 24-bit pixels in blue, green, red order like a DIB.
struct PngImage {
  int width = 0;
  int height = 0;
  // 8 (palette or grey, `palette` holds the table) or 24.
  int depth = 0;
  // One RGBQUAD per entry (blue, green, red, 0); 256 entries for grey ramps.
  std::vector<std::uint8_t> palette;
  std::vector<std::uint8_t> pixels;
  // One byte per pixel, top-down; empty when the file has no alpha channel and no partial tRNS.
  std::vector<std::uint8_t> alpha;
  // The file's single transparent colour: the palette index (8 bits) or the colour in its
  // native pixel value (24 bits: blue + green shl 8 + red shl 16); -1 when there is none.
  std::int32_t transparentPixel = -1;
  // The same colour as 0x00BBGGRR; -1 when there is none.
  std::int32_t transparentColor = -1;

  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * (depth / 8); }
};

// The largest picture the decoder accepts, per side.
inline constexpr std::uint32_t kPngMaxSide = 16384;
// The most memory one ancillary chunk may claim.
inline constexpr std::size_t kPngMaxChunkBytes = 8u * 1024 * 1024;

// Decodes a whole PNG file. Palette files keep their indices; a palette whose tRNS makes exactly
// one entry fully transparent (all others opaque) names that entry as the transparent pixel, any
// other tRNS becomes an alpha plane. Grey becomes 8 bits with a grey ramp, RGB 24 bits; 16-bit
// samples are scaled to 8; no gamma or colour-profile correction. Raises EPngError.
PngImage DecodePng(std::span<const std::uint8_t> file);

// Decodes to plain R, G, B, A bytes per pixel, rows top-down (for callers that want no model).
std::vector<std::uint8_t> DecodePngRgba(std::span<const std::uint8_t> file, int& width,
                                        int& height);

// True when the bytes start with the PNG signature.
bool IsPngSignature(std::span<const std::uint8_t> bytes);

}  // namespace vorn
