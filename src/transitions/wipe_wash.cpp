#include "graphics/custom_dibx.h"
#include "transitions/wash_level.h"
#include "transitions/whole_page_wipes.h"

namespace vorn {

namespace {

// First half: the old page washes out to the level's end; second half: the new page comes back.
void DrawThroughLevel(TCustomDIBX& target, TCustomDIBX& from, TCustomDIBX& to, std::int64_t a,
                      bool darken) {
  const TRect bounds = target.GetBoundsRect();
  if (a <= 255) {
    target.Draw(from);
    WashRect(target, bounds, GreyPixel(target, static_cast<int>(a)), darken);
  } else {
    target.Draw(to);
    WashRect(target, bounds, GreyPixel(target, static_cast<int>(511 - a)), darken);
  }
}

}  // namespace

bool TWipeWhite::Draw() {
  if (!BeginFrame()) return true;
  DrawThroughLevel(Target(), From(), To(), ScaledProgress(511), false);
  return false;
}

bool TWipeBlack::Draw() {
  if (!BeginFrame()) return true;
  DrawThroughLevel(Target(), From(), To(), ScaledProgress(511), true);
  return false;
}

bool TWipeFlash::Draw() {
  if (!BeginFrame()) return true;
  const std::int64_t b = ScaledProgress(255);
  Target().Draw(To());
  WashRect(Target(), Target().GetBoundsRect(), GreyPixel(Target(), static_cast<int>(255 - b)), false);
  return false;
}

}  // namespace vorn
