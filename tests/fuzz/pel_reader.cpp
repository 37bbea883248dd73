// Layered-image reader. Byte 0: bit 0 firstOnly, bit 1 convert, bits 2-4 the target bit count
// of the conversion; bytes 1-4: identification code; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/stream.h"
#include "graphics/pelk_frame_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  static const int kTargets[8] = {0, 1, 4, 8, 15, 16, 24, 32};
  const std::uint32_t code = static_cast<std::uint32_t>(data[1]) | (data[2] << 8) | (data[3] << 16) |
                             (static_cast<std::uint32_t>(data[4]) << 24);
  vorn::TPelkFrameList list(code);
  list.TargetBitCount = kTargets[(data[0] >> 2) & 7];
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 5, data + size));
  try {
    list.LoadFromStream(stream, (data[0] & 1) != 0, (data[0] & 2) != 0);
  } catch (const vorn::Exception&) {
  }
  return 0;
}
