#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "foundation/errors.h"

namespace vorn {

// A JPEG could not be decoded or encoded; what() carries libjpeg's own message.
class EJpegError : public Exception {
 public:
  using Exception::Exception;
};

// A decoded JPEG: rows top-down, tightly packed, blue, green, red per pixel (grey expanded).
struct JpegImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;
};

// Decodes a JPEG file. When expectWidth/expectHeight are not negative the header must state
// exactly that size; it is checked before decompression starts. Raises EJpegError.
JpegImage DecodeJpeg(std::span<const std::uint8_t> file, int expectWidth = -1,
                     int expectHeight = -1);

// Encodes top-down blue, green, red rows (stride bytes apart) with libjpeg's defaults at the
// given quality (clamped to 1..100).
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* bgr, int width, int height,
                                     std::size_t stride, int quality);

}  // namespace vorn
