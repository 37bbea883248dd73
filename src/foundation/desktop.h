#pragma once

#include <string>

#include "foundation/rect.h"
#include "platform/wallpaper.h"
#include "platform/window.h"

namespace vorn {

// The usable part of the primary display (without task bars and docks).
inline TRect GetDesktopWorkArea(platform::Application& application) {
  const platform::Rect area = application.WorkArea();
  return TRect{area.left, area.top, area.right(), area.bottom()};
}

// Makes the picture at host_path the desktop wallpaper: style 0 centred, 1 tiled, else stretched.
// True only when it really took effect.
inline bool SetWallPaper(platform::Wallpaper& wallpaper, const std::string& host_path, int style) {
  return wallpaper.Set(host_path, style);
}

}  // namespace vorn
