#include "platform/panel.h"

namespace vorn::platform {

void Panel::StretchDraw(const PixelView& pixels, const Rect& source) {
  const Rect touched = StretchBlit(window_.Canvas(), pixels, source, bounds_, bounds_);
  if (!touched.empty()) window_.Flush(std::span<const Rect>(&touched, 1));
}

}  // namespace vorn::platform
