#pragma once

#include "platform/framebuffer.h"
#include "platform/window.h"

namespace vorn::platform {

// A child rectangle of a window's client area that pictures are drawn into (the device context
// and StretchDIBits of the drawing panel).
class Panel {
 public:
  explicit Panel(Window& window) : window_(window) {}

  Window& window() { return window_; }
  const Rect& bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds) { bounds_ = bounds; }

  // The source rectangle of the pixels stretched over the whole panel (nearest pixel), clipped
  // to the panel and the client area, then put on the screen.
  void StretchDraw(const PixelView& pixels, const Rect& source);

 private:
  Window& window_;
  Rect bounds_;
};

}  // namespace vorn::platform
