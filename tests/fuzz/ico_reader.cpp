// Icon and cursor files: the first entry read with and without the alpha plane, never asking.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "graphics/dib_surface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  for (const bool takeAlpha : {false, true}) {
    try {
      vorn::TDIBSurface picture;
      vorn::TMemoryStream stream(bytes);
      std::int32_t key = 0xFF00FF;
      bool icon32 = false;
      vorn::TSurfaceFileInfo info;
      picture.ReadIconFile(stream, false, key, takeAlpha, icon32, info);
      if (!picture.GetEmpty() && static_cast<long long>(picture.Width()) * picture.Height() <= 4096) {
        vorn::TMemoryStream written;
        picture.WriteIconFile(written, false, key, nullptr, false, vorn::TPoint{});
      }
    } catch (const vorn::Exception&) {
    }
  }
  return 0;
}
