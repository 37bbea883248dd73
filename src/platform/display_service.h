#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/display_surface.h"

namespace vorn::platform {

class Window;

// A display mode as the screen reports it. Bits per pixel count 32 for every four-byte format and
// 16 for both 5-5-5 and 5-6-5 (the masks tell them apart); refresh 0 means unknown.
struct DisplayMode {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int refreshRate = 0;
  std::uint32_t redMask = 0;
  std::uint32_t greenMask = 0;
  std::uint32_t blueMask = 0;
};

inline constexpr std::uint32_t kRed555Mask = 0x7C00;
inline constexpr std::uint32_t kGreen555Mask = 0x03E0;
inline constexpr std::uint32_t kBlue555Mask = 0x001F;

inline bool Is555(const DisplayMode& mode) {
  return mode.redMask == kRed555Mask && mode.greenMask == kGreen555Mask && mode.blueMask == kBlue555Mask;
}

// An open connection to the display (what holding a DirectDraw object meant): it reads the
// display's mode, lists the modes and switches one window to exclusive full screen. Closing it
// gives the display back in the desktop mode.
class DisplayConnection {
 public:
  virtual ~DisplayConnection() = default;
  // False when the mode cannot be read.
  virtual bool CurrentMode(DisplayMode& mode) = 0;
  // False when the list cannot be had; modes then stays as it was.
  virtual bool EnumerateModes(std::vector<DisplayMode>& modes) = 0;
  // The window fills the screen in the mode (its client area becomes the mode's size); false
  // when the display refuses, leaving the window as it was.
  virtual bool EnterFullScreen(const DisplayMode& mode) = 0;
  virtual void LeaveFullScreen() = 0;
  // The maker of off-screen surfaces in the display's format as it is now (after a mode change,
  // ask again). Its surfaces may outlive it and the connection. Plain XRGB8888 memory unless
  // the back end knows better.
  virtual std::unique_ptr<SurfaceService> CreateSurfaceService() { return MemorySurfaceService::Xrgb8888(); }
};

// The display service: absent (null) when the host has no display-mode support at all.
class DisplayService {
 public:
  virtual ~DisplayService() = default;
  // A connection for the window; null when the display cannot be opened.
  virtual std::unique_ptr<DisplayConnection> Open(Window& window) = 0;
};

}  // namespace vorn::platform
