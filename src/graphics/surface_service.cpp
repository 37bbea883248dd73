#include "graphics/surface_service.h"

namespace vorn {
namespace {

platform::SurfaceService* gScreenSurfaceService = nullptr;

}  // namespace

platform::SurfaceService* GetScreenSurfaceService() { return gScreenSurfaceService; }
void SetScreenSurfaceService(platform::SurfaceService* service) { gScreenSurfaceService = service; }

}  // namespace vorn
