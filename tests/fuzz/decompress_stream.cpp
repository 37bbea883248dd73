// In-place inflation of arbitrary bytes: either the whole zlib stream or an error.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/zlib_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  try {
    vorn::DecompressStream(stream);
  } catch (const vorn::EDecompressionError&) {
    return 0;
  }
  vorn::CompressStream(stream);
  return 0;
}
