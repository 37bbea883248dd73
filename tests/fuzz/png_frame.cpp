// PNG decoding into the layered-image model.
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    vorn::DecodePng(std::span<const std::uint8_t>(data, size));
  } catch (const vorn::Exception&) {
  }
  return 0;
}
