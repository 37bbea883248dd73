#include "platform/panel.h"

#include <algorithm>

namespace vorn::platform {

Rect Panel::Visible() const {
  Rect visible = bounds_;
  if (covered_above_ > visible.top) {
    const int cut = std::min(covered_above_, visible.bottom()) - visible.top;
    visible.top += cut;
    visible.height -= cut;
  }
  return visible;
}

Rect Panel::Blit(const SourcePixels& src, const Rect& src_rect, const Rect& dest) {
  if (log_ != nullptr) log_->push_back(PanelBlit{src_rect, dest, src.format});
  const Rect client_dest{bounds_.left + dest.left, bounds_.top + dest.top, dest.width, dest.height};
  return window_.PresentPixels(src, src_rect, client_dest, Visible());
}

void Panel::StretchDraw(const PixelView& pixels, const Rect& source) {
  const Rect touched = StretchBlit(window_.Canvas(), pixels, source, bounds_, Visible());
  if (!touched.empty()) window_.Flush(std::span<const Rect>(&touched, 1));
}

}  // namespace vorn::platform
