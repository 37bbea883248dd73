#include <algorithm>

#include "graphics/custom_dibx.h"
#include "transitions/whole_page_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

// One axis of the source rectangle: its start and length for a target length, size factor k,
// focus weight f and focus position, kept inside 0..length.
void SourceSpan(int length, double k, double f, std::int32_t focus, std::int32_t& start,
                std::int32_t& size) {
  size = std::max(1, RoundToInt32(length * k));
  const std::int64_t centred = static_cast<std::int64_t>(RoundToInt32((focus - length / 2.0) * f)) +
                               length / 2 - size / 2;
  start = SaturateToInt32(std::max<std::int64_t>(0, std::min<std::int64_t>(centred, length - size)));
}

}  // namespace

bool TWipeZoomin::Draw() {
  if (!BeginFrame()) return true;
  const double s = 2.0 * static_cast<double>(Elapsed()) / Total;
  TCustomDIBX& page = s <= 1 ? From() : To();
  const double k = s <= 1 ? 1 - s : s - 1;
  const double f = s <= 1 ? s : 2 - s;
  TCustomDIBX& target = Target();
  std::int32_t x = 0, y = 0, w = 0, h = 0;
  SourceSpan(target.GetWidth(), k, f, Param(0), x, w);
  SourceSpan(target.GetHeight(), k, f, Param(1), y, h);
  const TRect source{x, y, SaturateToInt32(static_cast<std::int64_t>(x) + w),
                     SaturateToInt32(static_cast<std::int64_t>(y) + h)};
  target.StretchDraw(target.GetBoundsRect(), page, source, false, false, false, 255);
  return false;
}

}  // namespace vorn
