#include "platform/window.h"

namespace vorn::platform {

Rect Window::PresentPixels(const SourcePixels& src, const Rect& src_rect, const Rect& dest, const Rect& clip) {
  Framebuffer& canvas = Canvas();
  const Rect touched =
      BlitSourcePixels(canvas.data(), canvas.width(), canvas.width(), canvas.height(), src, src_rect, dest, clip);
  if (!touched.empty()) Flush(std::span<const Rect>(&touched, 1));
  return touched;
}

}  // namespace vorn::platform
