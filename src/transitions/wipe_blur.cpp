#include <algorithm>

#include "transitions/wash_level.h"
#include "transitions/whole_page_wipes.h"

namespace vorn {

namespace {

// The page in a work surface of the from page's size and pixel format, blurred in place. A page
// of another depth is not copied (the scene's layers always share one): its work surface stays 0.
void BuildBlurred(TDIBX& work, TCustomDIBX& from, TCustomDIBX& page, int radius) {
  work.SetSize(from.GetWidth(), from.GetHeight(), from.GetBitCount());
  if (work.IsEmpty()) return;
  work.Fill(0);
  if (page.GetBitCount() == work.GetBitCount()) work.Draw(page);
  // The work surface's own bit count (15 for 5-5-5) keeps its pixel format through the blur.
  work.DIB().Blur(work.GetBitCount(), radius);
}

}  // namespace

void TWipeBlurWhite::BuildBlurredPages() {
  built_ = true;
  const int radius = std::min(Target().GetWidth(), Target().GetHeight()) / 20;
  BuildBlurred(blurredFrom_, From(), From(), radius);
  BuildBlurred(blurredTo_, From(), To(), radius);
}

void TWipeBlurWhite::Wash(std::uint32_t level) {
  WashRect(Target(), Target().GetBoundsRect(), GreyPixel(Target(), static_cast<int>(level)),
           ThroughBlack());
}

bool TWipeBlurWhite::Draw() {
  if (!BeginFrame()) return true;
  if (!built_) BuildBlurredPages();
  const std::int64_t b = ScaledProgress(639);
  TCustomDIBX& target = Target();
  if (b < 256) {
    target.Draw(From());
    target.DrawOpacity(0, 0, blurredFrom_, blurredFrom_.GetBoundsRect(), false, false, false,
                       static_cast<std::uint32_t>(b));
  } else if (b < 320) {
    target.Draw(blurredFrom_);
    Wash(static_cast<std::uint32_t>((b - 256) * 4));
  } else if (b < 384) {
    target.Draw(blurredTo_);
    Wash(static_cast<std::uint32_t>((383 - b) * 4));
  } else {
    target.Draw(To());
    target.DrawOpacity(0, 0, blurredTo_, blurredTo_.GetBoundsRect(), false, false, false,
                       static_cast<std::uint32_t>(639 - b));
  }
  return false;
}

}  // namespace vorn
