#pragma once

#include <cstdint>
#include <vector>

#include "platform/framebuffer.h"
#include "platform/panel.h"

namespace vorn {

// Stand-in for the screen surface until the drawing surfaces land: 32-bit XRGB pixels.
class TScreenSurfaceStandIn {
 public:
  TScreenSurfaceStandIn(int width, int height) : pixels_(width, height) {}
  int width() const { return pixels_.width(); }
  int height() const { return pixels_.height(); }
  platform::Framebuffer& pixels() { return pixels_; }
  platform::PixelView view() const {
    return platform::PixelView{pixels_.data(), pixels_.width(), pixels_.height(), pixels_.width()};
  }

 private:
  platform::Framebuffer pixels_;
};

// Stand-in for the screen manager until it lands: always windowed, one surface of the scene
// size, and Present copies the whole surface to the panel.
class TScreenManagerStandIn {
 public:
  TScreenManagerStandIn(platform::Panel& panel, int width, int height);
  ~TScreenManagerStandIn();
  TScreenManagerStandIn(const TScreenManagerStandIn&) = delete;
  TScreenManagerStandIn& operator=(const TScreenManagerStandIn&) = delete;

  bool FullScreen() const { return false; }
  TScreenSurfaceStandIn& Surface() { return surface_; }
  void Present();

 private:
  platform::Panel& panel_;
  TScreenSurfaceStandIn surface_;
};

// The process-wide screen manager while one exists (owned by the media managers).
extern TScreenManagerStandIn* ScreenManager;

}  // namespace vorn
