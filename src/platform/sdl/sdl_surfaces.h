#pragma once

#include <memory>

#include "platform/display_surface.h"

namespace vorn::platform::sdl {

// Off-screen surfaces in plain memory in the window's pixel format (XRGB8888 in practice). The
// window is an SDL_Window*; a null window or a format without plain RGB masks gives XRGB8888.
std::unique_ptr<SurfaceService> CreateWindowSurfaceService(void* sdlWindow);

}  // namespace vorn::platform::sdl
