// TGA files: read (alpha taken when the first byte is odd), then written back raw and packed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "graphics/dib_surface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  try {
    vorn::TDIBSurface picture;
    vorn::TMemoryStream stream(bytes);
    std::int32_t key = -1;
    vorn::TSurfaceFileInfo info;
    picture.ReadTGA(stream, key, size > 0 && (data[0] & 1), info);
    if (!picture.GetEmpty() && static_cast<long long>(picture.Width()) * picture.Height() <= 4096) {
      vorn::TMemoryStream raw;
      picture.WriteTGA(raw, key, nullptr, false);
      vorn::TMemoryStream packed;
      picture.WriteTGA(packed, -1, nullptr, true);
    }
  } catch (const vorn::Exception&) {
  }
  return 0;
}
