#include "platform/headless_display.h"

#include "platform/window.h"

namespace vorn::platform {

DisplayMode MakeDisplayMode(int width, int height, int bits, int refresh, int format16) {
  DisplayMode mode{width, height, bits, refresh, 0, 0, 0};
  if (bits == 16 || bits == 15) {
    if (format16 == 555 || bits == 15) {
      mode.redMask = kRed555Mask;
      mode.greenMask = kGreen555Mask;
      mode.blueMask = kBlue555Mask;
    } else {
      mode.redMask = 0xF800;
      mode.greenMask = 0x07E0;
      mode.blueMask = 0x001F;
    }
    mode.bitsPerPixel = 16;
  } else if (bits > 16) {
    mode.redMask = 0xFF0000;
    mode.greenMask = 0x00FF00;
    mode.blueMask = 0x0000FF;
  }
  return mode;
}

class HeadlessDisplayConnection final : public DisplayConnection {
 public:
  HeadlessDisplayConnection(HeadlessDisplayService& service, Window& window) : service_(service), window_(window) {
    ++service_.open_connections_;
  }
  ~HeadlessDisplayConnection() override {
    LeaveFullScreen();
    --service_.open_connections_;
  }

  bool CurrentMode(DisplayMode& mode) override {
    if (service_.fail_read_mode) return false;
    mode = service_.full_screen_ ? service_.full_screen_mode_ : service_.desktop;
    return true;
  }
  bool EnumerateModes(std::vector<DisplayMode>& modes) override {
    if (service_.fail_enumerate) return false;
    modes = service_.modes;
    return true;
  }
  bool EnterFullScreen(const DisplayMode& mode) override {
    if (service_.fail_mode_set || mode.width <= 0 || mode.height <= 0) return false;
    if (!window_.SetFullScreenMode(&mode)) return false;
    service_.full_screen_ = true;
    service_.full_screen_mode_ =
        MakeDisplayMode(mode.width, mode.height, mode.bitsPerPixel, mode.refreshRate, service_.full_screen_format16);
    in_full_screen_ = true;
    return true;
  }
  void LeaveFullScreen() override {
    if (!in_full_screen_) return;
    in_full_screen_ = false;
    service_.full_screen_ = false;
    window_.SetFullScreenMode(nullptr);
  }
  std::unique_ptr<SurfaceService> CreateSurfaceService() override {
    const DisplayMode mode = service_.full_screen_ ? service_.full_screen_mode_ : service_.desktop;
    if (mode.bitsPerPixel == 16 || mode.bitsPerPixel == 24 || mode.bitsPerPixel == 32) {
      if (mode.redMask != 0 && mode.greenMask != 0 && mode.blueMask != 0) {
        return std::make_unique<MemorySurfaceService>(mode.bitsPerPixel, mode.redMask, mode.greenMask, mode.blueMask);
      }
    }
    return MemorySurfaceService::Xrgb8888();
  }

 private:
  HeadlessDisplayService& service_;
  Window& window_;
  bool in_full_screen_ = false;
};

HeadlessDisplayService::HeadlessDisplayService() : desktop(MakeDisplayMode(1280, 1024, 32, 60)) {
  modes = {MakeDisplayMode(640, 480, 16, 60), MakeDisplayMode(640, 480, 32, 60), MakeDisplayMode(800, 600, 16, 60),
           MakeDisplayMode(800, 600, 32, 60), MakeDisplayMode(1024, 768, 32, 60)};
}

std::unique_ptr<DisplayConnection> HeadlessDisplayService::Open(Window& window) {
  if (fail_open) return nullptr;
  ++opens_;
  return std::make_unique<HeadlessDisplayConnection>(*this, window);
}

}  // namespace vorn::platform
