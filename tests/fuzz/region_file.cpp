// Bytes as an image map's region file: read, then every region tested and filled into a small mask.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"
#include "graphics/region_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  try {
    const std::vector<vorn::TMapRegion> regions = vorn::ReadRegionFile(stream, "fuzz.map");
    for (const vorn::TMapRegion& entry : regions) {
      std::size_t pixels = 0;
      entry.region.ForEachSpan(-4, 40, 40, [&](std::int32_t, std::int32_t x0, std::int32_t x1) {
        pixels += static_cast<std::size_t>(x1 - x0);
      });
      std::size_t tested = 0;
      for (std::int32_t y = -4; y < 40; ++y) {
        for (std::int32_t x = 0; x < 40; ++x) tested += entry.region.Contains(x, y) ? 1 : 0;
      }
      if (tested != pixels) __builtin_trap();
      (void)entry.region.Box();
    }
  } catch (const vorn::EReadError&) {
  }
  return 0;
}
