#pragma once

#include "platform/display_surface.h"

namespace vorn {

// The off-screen surface maker of the screen manager (what its DirectDraw object made surfaces
// with): the screen manager installs one while its display is open (for instance
// platform::MemorySurfaceService, or platform::sdl::CreateWindowSurfaceService for the window)
// and removes it (nullptr) before freeing it. TDxDIBX makes its surfaces through it; without
// one, SetSize makes nothing and the surface stays empty.
platform::SurfaceService* GetScreenSurfaceService();
void SetScreenSurfaceService(platform::SurfaceService* service);

}  // namespace vorn
