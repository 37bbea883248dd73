#include "platform/sdl/sdl_surfaces.h"

#include <SDL.h>

namespace vorn::platform::sdl {

std::unique_ptr<SurfaceService> CreateWindowSurfaceService(void* sdlWindow) {
  auto* window = static_cast<SDL_Window*>(sdlWindow);
  if (window != nullptr) {
    const Uint32 format = SDL_GetWindowPixelFormat(window);
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    if (format != SDL_PIXELFORMAT_UNKNOWN && SDL_PixelFormatEnumToMasks(format, &bpp, &r, &g, &b, &a) &&
        r != 0 && g != 0 && b != 0) {
      // A 15-bit window stores 16-bit pixels; the masks say 5-5-5.
      if (bpp == 15) bpp = 16;
      if (bpp == 16 || bpp == 24 || bpp == 32)
        return std::make_unique<MemorySurfaceService>(bpp, r, g, b);
    }
  }
  return MemorySurfaceService::Xrgb8888();
}

}  // namespace vorn::platform::sdl
