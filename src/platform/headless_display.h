#pragma once

#include <memory>
#include <vector>

#include "platform/display_service.h"

namespace vorn::platform {

// The display of a headless run: a settable desktop, a settable mode list and a failure switch
// for each step. Full screen gives the window the mode's client size.
class HeadlessDisplayService final : public DisplayService {
 public:
  HeadlessDisplayService();
  std::unique_ptr<DisplayConnection> Open(Window& window) override;

  // The desktop, as a mode (its masks give the 16-bit layout).
  DisplayMode desktop;
  std::vector<DisplayMode> modes;
  // The 16-bit layout a full-screen mode of 16 bits gets (565 or 555).
  int full_screen_format16 = 565;
  bool fail_open = false;
  bool fail_read_mode = false;
  bool fail_enumerate = false;
  bool fail_mode_set = false;

  int opens() const { return opens_; }
  int open_connections() const { return open_connections_; }
  // The mode of the window in full screen; null while windowed.
  const DisplayMode* full_screen_mode() const { return full_screen_ ? &full_screen_mode_ : nullptr; }

 private:
  friend class HeadlessDisplayConnection;
  int opens_ = 0;
  int open_connections_ = 0;
  bool full_screen_ = false;
  DisplayMode full_screen_mode_;
};

// Masks for a depth: 0x7C00/0x03E0/0x001F for 555, 0xF800/0x07E0/0x001F for 565, 8-8-8 above.
DisplayMode MakeDisplayMode(int width, int height, int bits, int refresh, int format16 = 565);

}  // namespace vorn::platform
