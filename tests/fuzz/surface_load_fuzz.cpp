// Arbitrary bytes loaded into drawing surfaces of 8, 16 and 32 bits (BMP, PNG or layered image,
// chosen by the first bytes).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"
#include "graphics/dibx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (int bits : {8, 16, 32}) {
    vorn::TDIBX surface;
    surface.SetSize(2, 2, bits);
    vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
      surface.LoadFromStream(&stream, 0);
    } catch (const vorn::Exception&) {
    }
  }
  return 0;
}
