// Layered-image reader. Byte 0: bit 0 firstOnly, bit 1 convert; bytes 1-4: identification code;
// the rest is the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/stream.h"
#include "graphics/pelk_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  vorn::PelkReadOptions options;
  options.firstOnly = (data[0] & 1) != 0;
  options.identificationCode = static_cast<std::uint32_t>(data[1]) | (data[2] << 8) |
                               (data[3] << 16) | (static_cast<std::uint32_t>(data[4]) << 24);
  // Keep a single plane small enough for the fuzzer's memory limit.
  options.maxPlaneBytes = 16 << 20;
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 5, data + size));
  try {
    const vorn::PelkHeader header = vorn::ReadPelkHeader(stream);
    std::vector<vorn::PelkFrameData> frames;
    vorn::ReadPelkFrames(stream, header, options, frames);
  } catch (const vorn::Exception&) {
  }
  return 0;
}
