#include "graphics/custom_dibx.h"
#include "transitions/whole_page_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

bool TWipeFade::Draw() {
  if (!BeginFrame()) return true;
  // The slide reaches its resting place on the last step, when T − t − 1 is 0.
  const double k = static_cast<double>(Total - Elapsed() - 1) / Total;
  const std::int32_t x = RoundToInt32(k * Param(0));
  const std::int32_t y = RoundToInt32(k * Param(1));
  const auto opacity = static_cast<std::uint32_t>(ScaledProgress(256));
  Target().Draw(From());
  Target().DrawOpacity(x, y, To(), To().GetBoundsRect(), false, false, false, opacity);
  return false;
}

}  // namespace vorn
