#include "graphics/custom_dibx.h"
#include "transitions/whole_page_wipes.h"
#include "transitions/wipe_math.h"

namespace vorn {

namespace {

// The page turned by angle and scaled by zoom/256 about its own centre, placed at the target's
// centre, at opacity zoom. Zoom 0 leaves nothing to draw.
void DrawSpun(TCustomDIBX& target, TCustomDIBX& page, std::int32_t zoom, std::int32_t angle) {
  if (zoom <= 0) return;
  target.DrawRotate(target.GetWidth() / 2, target.GetHeight() / 2, zoom, zoom, page,
                    page.GetBoundsRect(), page.GetWidth() / 2, page.GetHeight() / 2, angle, false,
                    false, false, static_cast<std::uint32_t>(zoom));
}

std::int32_t Turned(std::int32_t angle, bool reversed) {
  return reversed ? SaturateToInt32(-static_cast<std::int64_t>(angle)) : angle;
}

}  // namespace

bool TWipeSmall::Draw() {
  if (!BeginFrame()) return true;
  const double t = static_cast<double>(Elapsed());
  const double total = Total;
  const std::int32_t zoom = RoundToInt32((total - 1 - t) / total * 255);
  const std::int32_t angle = Turned(RoundToInt32(Param(0) * t / total), Reversed());
  Target().Draw(To());
  DrawSpun(Target(), From(), zoom, angle);
  return false;
}

bool TWipeBig::Draw() {
  if (!BeginFrame()) return true;
  const double t = static_cast<double>(Elapsed());
  const double total = Total;
  const std::int32_t zoom = RoundToInt32(t / total * 255);
  const std::int32_t angle = Turned(RoundToInt32(Param(0) * (total - 1 - t) / total), Reversed());
  Target().Draw(From());
  DrawSpun(Target(), To(), zoom, angle);
  return false;
}

}  // namespace vorn
