#pragma once

#include <vector>

#include "platform/framebuffer.h"
#include "platform/window.h"

namespace vorn::platform {

// One draw of the panel target, in panel coordinates (kept while a log is attached).
struct PanelBlit {
  Rect source;
  Rect dest;
  SourceFormat format = SourceFormat::kXrgb8888;
  bool operator==(const PanelBlit&) const = default;
};

// A child rectangle of a window's client area that pictures are drawn into (the device context
// of the drawing panel).
class Panel {
 public:
  explicit Panel(Window& window) : window_(window) {}

  Window& window() { return window_; }
  const Rect& bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds) { bounds_ = bounds; }

  // Client rows above this one belong to a tool strip shown over the panel: nothing is drawn
  // there. 0 when nothing covers the panel.
  void SetCoveredAbove(int client_y) { covered_above_ = client_y; }
  int covered_above() const { return covered_above_; }

  // The drawing target, held between acquiring and releasing it (a device context).
  void AcquireTarget() { target_held_ = true; }
  void ReleaseTarget() { target_held_ = false; }
  bool target_held() const { return target_held_; }

  // Draws the source rectangle of src onto dest (panel coordinates, nearest pixel), clipped to
  // the panel minus a covering strip. Returns the client rectangle touched.
  Rect Blit(const SourcePixels& src, const Rect& src_rect, const Rect& dest);
  // Every Blit is appended to the log while one is attached (null detaches).
  void set_blit_log(std::vector<PanelBlit>* log) { log_ = log; }

  // The source rectangle of the pixels stretched over the whole panel (nearest pixel), clipped
  // to the panel and the client area, then put on the screen.
  void StretchDraw(const PixelView& pixels, const Rect& source);

 private:
  Rect Visible() const;

  Window& window_;
  Rect bounds_;
  int covered_above_ = 0;
  bool target_held_ = false;
  std::vector<PanelBlit>* log_ = nullptr;
};

}  // namespace vorn::platform
