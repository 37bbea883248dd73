// Animated cursor files: the whole form, its frames decoded.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "graphics/ani_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    vorn::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    const vorn::TAniCursor cursor = vorn::ReadAniCursor(stream);
    for (const vorn::TAniStep& step : cursor.steps) {
      if (step.frame >= cursor.frames.size() || step.jiffies == 0) __builtin_trap();
    }
  } catch (const vorn::Exception&) {
  }
  return 0;
}
